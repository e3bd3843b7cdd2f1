#pragma once
// Enhanced metafiles: the header record, then records up to EMR_EOF. The
// constructor checks the header and that every record lies inside the file
// (EInvalidGraphic otherwise); Play draws the records onto a picture.
#include "platform/metafile/GdiCanvas.h"
#include "platform/metafile/GdiObjects.h"
#include "platform/metafile/RecordBytes.h"

#include <QImage>
#include <QRectF>
#include <QSizeF>

#include <cstddef>
#include <cstdint>
#include <unordered_map>

namespace orvane::imaging::metafile {

class EmfPlayer {
public:
    // True when the bytes start with an enhanced metafile header.
    static bool Recognise(const uint8_t* data, size_t size);

    EmfPlayer(const uint8_t* data, size_t size);

    // The picture's size in pixels at 96 dpi, before any limit.
    QSizeF NaturalSize() const { return natural_; }
    // Draws every record onto the picture, which is scaled to fit it.
    void Play(QImage& target);

private:
    void Dispatch(GdiCanvas& canvas, uint32_t type, const RecordBytes& r);
    void CreateObject(uint32_t index, GdiObject object);
    void SelectObject(GdiCanvas& canvas, uint32_t index);
    void DrawPolys(GdiCanvas& canvas, uint32_t type, const RecordBytes& r);
    void DrawText(GdiCanvas& canvas, const RecordBytes& r, bool wide);
    void DrawBitmap(GdiCanvas& canvas, uint32_t type, const RecordBytes& r);
    void DrawDibToDevice(GdiCanvas& canvas, const RecordBytes& r);
    void DrawRegion(GdiCanvas& canvas, uint32_t type, const RecordBytes& r);
    void DrawGradient(GdiCanvas& canvas, const RecordBytes& r);
    GdiPen ReadExtPen(const RecordBytes& r) const;
    QImage RecordDib(GdiCanvas& canvas, const RecordBytes& r, size_t infoAt, bool keepAlpha, bool* bottomUp) const;

    const uint8_t* data_;
    size_t headerSize_ = 0;
    size_t end_ = 0; // end of the last record played
    QRectF deviceRect_; // the part of the reference device the picture shows
    QSizeF natural_;
    DeviceResolution resolution_;
    std::unordered_map<uint32_t, GdiObject> objects_;
};

} // namespace orvane::imaging::metafile
