#include "platform/metafile/DibImage.h"

#include "imaging/core/Stream.h"
#include "imaging/readers/WindowsBitmap.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <vector>

namespace orvane::imaging::metafile {

namespace {

enum : uint32_t { BI_RGB = 0, BI_BITFIELDS = 3, BI_JPEG = 4, BI_PNG = 5, BI_ALPHABITFIELDS = 6 };

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void PutLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

QVector<QRgb> ColorTable(const TBitmap& bitmap)
{
    QVector<QRgb> table;
    for (const TRGBQuad& q : bitmap.Palette())
        table.push_back(qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue));
    return table;
}

// Our bitmap as an image of its own (a copy: the bitmap goes away).
QImage ToImage(const TBitmap& bitmap)
{
    const int w = bitmap.Width(), h = bitmap.Height();
    QImage image;
    switch (bitmap.PixelFormat()) {
    case TPixelFormat::pf1bit: image = QImage(w, h, QImage::Format_Mono); break;
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit: image = QImage(w, h, QImage::Format_Indexed8); break;
    case TPixelFormat::pf15bit: image = QImage(w, h, QImage::Format_RGB555); break;
    case TPixelFormat::pf24bit: image = QImage(w, h, QImage::Format_BGR888); break;
    case TPixelFormat::pf32bit:
        image = QImage(w, h, bitmap.HasAlpha() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        break;
    default: return QImage();
    }
    if (image.isNull())
        return image;
    const bool four = bitmap.PixelFormat() == TPixelFormat::pf4bit;
    if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_Indexed8) {
        QVector<QRgb> table = ColorTable(bitmap);
        table.resize(four ? 16 : image.format() == QImage::Format_Mono ? 2 : 256);
        image.setColorTable(table);
    }
    const size_t rowBytes = std::min<size_t>(size_t(bitmap.BytesPerLine()), size_t(image.bytesPerLine()));
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = bitmap.ScanLine(y);
        uint8_t* dst = image.scanLine(y);
        if (four) {
            for (int x = 0; x < w; ++x)
                dst[x] = (x & 1) ? src[x / 2] & 0x0F : src[x / 2] >> 4;
        } else {
            std::memcpy(dst, src, rowBytes);
        }
    }
    return image;
}

// 32-bit pixels whose fourth byte is alpha, premultiplied as GDI blends them.
QImage AlphaImage(const DibInfo& dib, const uint8_t* bits, size_t bitsSize)
{
    const int w = int(dib.width);
    const int h = int(dib.height < 0 ? -dib.height : dib.height);
    const size_t stride = size_t(w) * 4;
    if (bitsSize / stride < size_t(h))
        return QImage();
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = bits + stride * size_t(dib.height < 0 ? y : h - 1 - y);
        QRgb* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x, src += 4) {
            const uint8_t a = src[3];
            // Colour bytes above alpha are not valid premultiplied data.
            dst[x] = qRgba(std::min(src[2], a), std::min(src[1], a), std::min(src[0], a), a);
        }
    }
    return image;
}

} // namespace

bool ReadDibInfo(const uint8_t* info, size_t size, DibInfo& d)
{
    if (size < 12)
        return false;
    d.headerSize = Le32(info);
    if (d.headerSize == 12) {
        d.width = Le16(info + 4);
        d.height = Le16(info + 6);
        d.bitCount = Le16(info + 10);
        d.compression = BI_RGB;
        d.colorTableBytes = d.bitCount <= 8 ? (size_t{1} << d.bitCount) * 3 : 0;
    } else {
        if (d.headerSize < 40 || d.headerSize > 124 || size < 40)
            return false;
        d.width = static_cast<int32_t>(Le32(info + 4));
        d.height = static_cast<int32_t>(Le32(info + 8));
        d.bitCount = Le16(info + 14);
        d.compression = Le32(info + 16);
        const uint32_t used = Le32(info + 32);
        size_t colors = used != 0 ? std::min<uint32_t>(used, 1u << 16)
                                  : (d.bitCount <= 8 ? size_t{1} << std::max(d.bitCount, 1) : 0);
        size_t masks = 0;
        if (d.headerSize == 40 && d.compression == BI_BITFIELDS)
            masks = 12;
        else if (d.headerSize == 40 && d.compression == BI_ALPHABITFIELDS)
            masks = 16;
        d.colorTableBytes = masks + colors * 4;
    }
    const bool compressed = d.compression == BI_JPEG || d.compression == BI_PNG;
    if (d.width <= 0 || d.height == 0 || d.height == INT32_MIN || d.bitCount > 32 || (d.bitCount == 0 && !compressed))
        return false;
    const uint64_t h = uint64_t(d.height < 0 ? -d.height : d.height);
    return uint64_t(d.width) * h <= kMaxDibPixels;
}

QImage DecodeDib(const uint8_t* info, size_t infoSize, const uint8_t* bits, size_t bitsSize, bool keepAlpha)
{
    DibInfo dib;
    if (!info || !bits || !ReadDibInfo(info, infoSize, dib))
        return QImage();
    if (dib.compression == BI_JPEG || dib.compression == BI_PNG) {
        // The header's size need not be the picture's: ask the picture.
        QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(bits), qsizetype(bitsSize));
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        const QSize size = reader.size();
        if (!size.isValid() || uint64_t(size.width()) * uint64_t(size.height()) > kMaxDibPixels)
            return QImage();
        return reader.read();
    }
    if (keepAlpha && dib.bitCount == 32 && dib.compression == BI_RGB)
        return AlphaImage(dib, bits, bitsSize);
    // A file header in front makes it a bitmap file whose pixels start
    // right after the colours we were given.
    std::vector<uint8_t> file(14 + infoSize + bitsSize);
    file[0] = 'B';
    file[1] = 'M';
    PutLe32(&file[2], uint32_t(std::min<size_t>(file.size(), UINT32_MAX)));
    PutLe32(&file[10], uint32_t(14 + infoSize));
    std::memcpy(&file[14], info, infoSize);
    if (bitsSize)
        std::memcpy(&file[14 + infoSize], bits, bitsSize);
    try {
        TMemoryStream stream(file.data(), file.size());
        TWindowsBitmap bitmap;
        bitmap.LoadFromStream(stream);
        return ToImage(bitmap);
    } catch (const std::exception&) {
        return QImage();
    }
}

QImage DecodePackedDib(const uint8_t* dib, size_t size, bool keepAlpha)
{
    DibInfo info;
    if (!dib || !ReadDibInfo(dib, size, info))
        return QImage();
    const size_t infoSize = info.headerSize + info.colorTableBytes;
    if (infoSize > size)
        return QImage();
    return DecodeDib(dib, infoSize, dib + infoSize, size - infoSize, keepAlpha);
}

bool HoldsScanLines(const DibInfo& info, StoredScanLines lines)
{
    return info.headerSize >= 40 && lines.count != 0 && lines.count <= uint64_t(std::abs(info.height));
}

std::vector<uint8_t> HeaderOfScanLines(const uint8_t* dib, size_t size, const DibInfo& info, StoredScanLines lines)
{
    std::vector<uint8_t> copy(dib, dib + size);
    const int32_t height = info.height < 0 ? -int32_t(lines.count) : int32_t(lines.count);
    PutLe32(&copy[8], uint32_t(height));
    return copy;
}

QRectF SourceInScanLines(QRectF source, const DibInfo& info, StoredScanLines lines)
{
    if (info.height > 0) // bottom-up: the lines' rows count from the bottom
        source.moveTop(double(lines.first) + lines.count - source.top() - source.height());
    else
        source.moveTop(source.top() - lines.first);
    return source;
}

} // namespace orvane::imaging::metafile
