#pragma once
// Device-independent bitmaps embedded in metafiles, as QImages. The pixels
// go through our own Windows bitmap reader; JPEG and PNG compressed ones
// through Qt's readers. A bitmap that cannot be read gives a null image and
// the record that holds it draws nothing.
#include <QImage>
#include <QRectF>

#include <cstddef>
#include <cstdint>
#include <vector>

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

// Records that set bits to the device store only the scan lines first ..
// first + count - 1 of a bitmap whose header gives its whole height.
struct StoredScanLines {
    uint32_t first = 0;
    uint32_t count = 0;
};
// True when the header is a full one and the bitmap has that many lines.
bool HoldsScanLines(const DibInfo& info, StoredScanLines lines);
// A copy of the header, and of all that follows it, with the height of the
// stored lines only (top-down stays top-down).
std::vector<uint8_t> HeaderOfScanLines(const uint8_t* dib, size_t size, const DibInfo& info, StoredScanLines lines);
// A source rectangle in rows of the whole bitmap as rows of the picture of
// the stored lines (counted from its top).
QRectF SourceInScanLines(QRectF source, const DibInfo& info, StoredScanLines lines);

} // namespace orvane::imaging::metafile
