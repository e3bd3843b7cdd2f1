#pragma once
// Enhanced metafiles: the header record, then records up to EMR_EOF. The
// constructor checks the header and that every record lies inside the file
// (EInvalidGraphic otherwise); Play draws the records onto a picture.
#include "platform/metafile/GdiCanvas.h"
#include "platform/metafile/RecordList.h"

#include <QImage>
#include <QRectF>
#include <QSizeF>

#include <cstddef>
#include <cstdint>

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
    void SetSizeAndDevice(const RecordBytes& header);

    size_t headerSize_;
    RecordList records_;
    QRectF deviceRect_; // the part of the reference device the picture shows
    QSizeF natural_;
    DeviceResolution resolution_;
};

} // namespace orvane::imaging::metafile
