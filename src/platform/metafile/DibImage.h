#pragma once
// Device-independent bitmaps embedded in metafiles, as QImages. The pixels
// go through our own Windows bitmap reader; JPEG and PNG compressed ones
// through Qt's readers. A bitmap that cannot be read gives a null image and
// the record that holds it draws nothing.
#include <QImage>

#include <cstddef>
#include <cstdint>

namespace orvane::imaging::metafile {

// Largest embedded bitmap we decode, in pixels.
constexpr uint64_t kMaxDibPixels = uint64_t{1} << 26;

struct DibInfo {
    int64_t width = 0;
    int64_t height = 0; // as stored: negative = top-down
    int bitCount = 0;
    uint32_t compression = 0;
    size_t colorTableBytes = 0; // bit masks and colours after the header
    size_t headerSize = 0;
};

// Reads the header of a BITMAPINFO; false when it is not one we know.
bool ReadDibInfo(const uint8_t* info, size_t size, DibInfo& result);

// info: BITMAPINFO (header and colours); bits: the pixels. With keepAlpha,
// 32-bit pixels keep their fourth byte as premultiplied alpha.
QImage DecodeDib(const uint8_t* info, size_t infoSize, const uint8_t* bits, size_t bitsSize,
                 bool keepAlpha = false);
// A packed DIB: header, colours and pixels one after the other.
QImage DecodePackedDib(const uint8_t* dib, size_t size, bool keepAlpha = false);

} // namespace orvane::imaging::metafile
