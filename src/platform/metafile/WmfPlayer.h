#pragma once
// Windows metafiles: an optional placeable header (key D7 CD C6 9A, bounding
// box and units per inch), the 18-byte metafile header, then records up to
// META_EOF. The constructor checks the headers and that every record lies
// inside the file (EInvalidGraphic otherwise); Play draws the records.
#include "platform/metafile/GdiCanvas.h"
#include "platform/metafile/GdiObjects.h"
#include "platform/metafile/RecordBytes.h"

#include <QImage>
#include <QPointF>
#include <QSizeF>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <vector>

namespace orvane::imaging::metafile {

class WmfPlayer {
public:
    static bool Recognise(const uint8_t* data, size_t size);

    WmfPlayer(const uint8_t* data, size_t size);

    QSizeF NaturalSize() const { return natural_; }
    void Play(QImage& target);

private:
    void Dispatch(GdiCanvas& canvas, uint16_t function, const RecordBytes& r);
    // Objects take the lowest free number, as the format expects.
    void CreateObject(GdiObject object);
    const GdiObject* Object(uint16_t index) const;
    void SelectObject(GdiCanvas& canvas, uint16_t index);
    void DrawText(GdiCanvas& canvas, uint16_t function, const RecordBytes& r);
    void DrawBitmap(GdiCanvas& canvas, uint16_t function, const RecordBytes& r);
    GdiObject ReadRegion(const RecordBytes& r) const;
    GdiObject ReadPatternBrush(const RecordBytes& r) const;

    const uint8_t* data_;
    size_t firstRecord_ = 0;
    size_t end_ = 0;
    QPointF windowOrg_{0, 0};
    QPointF windowExt_{1, 1};
    QSizeF natural_;
    size_t objectLimit_ = 0;
    std::vector<std::optional<GdiObject>> objects_;
    std::set<size_t> freeSlots_;
};

} // namespace orvane::imaging::metafile
