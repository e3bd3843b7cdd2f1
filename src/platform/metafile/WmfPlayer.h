#pragma once
// Windows metafiles: an optional placeable header (key D7 CD C6 9A, bounding
// box and units per inch), the 18-byte metafile header, then records up to
// META_EOF. The constructor checks the headers and that every record lies
// inside the file (EInvalidGraphic otherwise); Play draws the records.
#include "platform/metafile/RecordList.h"

#include <QImage>
#include <QPointF>
#include <QSizeF>

#include <cstddef>
#include <cstdint>

namespace orvane::imaging::metafile {

class WmfPlayer {
public:
    static bool Recognise(const uint8_t* data, size_t size);

    WmfPlayer(const uint8_t* data, size_t size);

    QSizeF NaturalSize() const { return natural_; }
    void Play(QImage& target);

private:
    void SetSizeAndWindow(const RecordBytes& file, bool placeable);

    size_t header_; // where the metafile header starts
    RecordList records_;
    QPointF windowOrg_{0, 0};
    QPointF windowExt_{1, 1};
    QSizeF natural_;
    size_t objectLimit_ = 0;
};

} // namespace orvane::imaging::metafile
