// The bitmap records of Windows metafiles: pattern brushes and the blits
// of device-independent bitmaps.
#include "platform/metafile/WmfRecords.h"

#include "platform/metafile/DibImage.h"

#include <cstdlib>
#include <cstring>

namespace orvane::imaging::metafile {

namespace {

constexpr uint32_t SRCCOPY = 0x00CC0020;

// Blits without a bitmap are records of a fixed size: the high byte of the
// function counts their parameters.
bool WithoutBitmap(const RecordBytes& r, uint16_t function)
{
    return r.Size() == (size_t(function >> 8) + 3) * 2;
}

// The packed bitmap at dibAt drawn from source onto dest; a source counted
// from the bottom rows is turned to count from the top.
void DrawPackedDib(GdiCanvas& canvas, const RecordBytes& r, size_t dibAt, const QRectF& dest, QRectF source,
                   uint32_t rop, bool rowsFromBottom)
{
    DibInfo info;
    if (r.Size() <= dibAt || !ReadDibInfo(r.Data() + dibAt, r.Size() - dibAt, info) ||
        !canvas.ChargeWork(double(info.width) * double(std::abs(info.height))))
        return;
    const QImage image = DecodePackedDib(r.Data() + dibAt, r.Size() - dibAt);
    if (rowsFromBottom && info.height > 0)
        source.moveTop(image.height() - source.top() - source.height());
    canvas.DrawImage(dest, image, source, rop);
}

// A blit: the packed bitmap at dibAt drawn from source onto dest, or
// without a bitmap a pattern operation on patternDest.
void DrawBlit(GdiCanvas& canvas, const RecordBytes& r, uint16_t function, const QRectF& patternDest,
              const QRectF& dest, const QRectF& source, size_t dibAt)
{
    const uint32_t rop = r.U32(6);
    if (WithoutBitmap(r, function))
        canvas.PatBlt(patternDest, rop);
    else
        DrawPackedDib(canvas, r, dibAt, dest, source, rop, false);
}

} // namespace

void DibCreatePatternBrush(WmfPlayback& p, const RecordBytes& r)
{
    GdiBrush brush;
    brush.style = BS_DIBPATTERN;
    brush.color = QColor(128, 128, 128);
    if (r.Size() > 10 && p.canvas.ChargeWork(double(r.Size())))
        brush.pattern = DecodePackedDib(r.Data() + 10, r.Size() - 10);
    p.objects.Create(brush);
}

// A bitmap header, 18 reserved bytes, then the bits; only monochrome
// patterns are read, others paint gray.
void CreatePatternBrush(WmfPlayback& p, const RecordBytes& r)
{
    GdiBrush brush;
    brush.color = QColor(128, 128, 128);
    const int width = r.I16(8), height = r.I16(10), stride = r.I16(12);
    const uint8_t planes = r.U8(14), bitsPixel = r.U8(15);
    const size_t bitsAt = 6 + 14 + 18;
    if (planes == 1 && bitsPixel == 1 && width > 0 && height > 0 && width <= 256 && height <= 256 &&
        stride >= (width + 7) / 8 && r.Has(bitsAt, size_t(stride) * size_t(height))) {
        QImage pattern(width, height, QImage::Format_Mono);
        pattern.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        for (int y = 0; y < height; ++y)
            std::memcpy(pattern.scanLine(y), r.At(bitsAt + size_t(y) * size_t(stride), size_t(stride)),
                        size_t((width + 7) / 8));
        brush.style = BS_PATTERN;
        brush.pattern = pattern;
    }
    p.objects.Create(brush);
}

// rop, usage, source height, width, y, x, destination height, width, y, x,
// bitmap; the source counts rows from the bottom.
void StretchDib(WmfPlayback& p, const RecordBytes& r)
{
    const QRectF source(P(r, 6), P(r, 5), P(r, 4), P(r, 3));
    const QRectF dest(P(r, 10), P(r, 9), P(r, 8), P(r, 7));
    DrawPackedDib(p.canvas, r, 28, dest, source, r.U32(6), true);
}

// rop, source height, width, y, x, [reserved], destination height, width,
// y, x, bitmap; without the bitmap there is no reserved word.
void DibStretchBlt(WmfPlayback& p, const RecordBytes& r)
{
    DrawBlit(p.canvas, r, META_DIBSTRETCHBLT, QRectF(P(r, 10), P(r, 9), P(r, 8), P(r, 7)),
             QRectF(P(r, 9), P(r, 8), P(r, 7), P(r, 6)), QRectF(P(r, 5), P(r, 4), P(r, 3), P(r, 2)), 26);
}

// rop, source y, x, [reserved], height, width, destination y, x, bitmap;
// without the bitmap there is no reserved word.
void DibBitBlt(WmfPlayback& p, const RecordBytes& r)
{
    DrawBlit(p.canvas, r, META_DIBBITBLT, QRectF(P(r, 8), P(r, 7), P(r, 6), P(r, 5)),
             QRectF(P(r, 7), P(r, 6), P(r, 5), P(r, 4)), QRectF(P(r, 3), P(r, 2), P(r, 5), P(r, 4)), 22);
}

// usage, scan lines, first scan line, source y, x, height, width,
// destination y, x, then the bitmap with only its stored scan lines.
void SetDibToDev(WmfPlayback& p, const RecordBytes& r)
{
    const StoredScanLines lines{uint16_t(P(r, 2)), uint16_t(P(r, 1))};
    const QRectF dest(P(r, 8), P(r, 7), P(r, 6), P(r, 5));
    const QRectF source(P(r, 4), P(r, 3), P(r, 6), P(r, 5));
    const size_t dibAt = 24;
    DibInfo info;
    if (r.Size() <= dibAt || !ReadDibInfo(r.Data() + dibAt, r.Size() - dibAt, info) || !HoldsScanLines(info, lines) ||
        !p.canvas.ChargeWork(double(info.width) * double(lines.count)))
        return;
    const std::vector<uint8_t> dib = HeaderOfScanLines(r.Data() + dibAt, r.Size() - dibAt, info, lines);
    const QImage image = DecodePackedDib(dib.data(), dib.size());
    p.canvas.DrawImage(dest, image, SourceInScanLines(source, info, lines), SRCCOPY);
}

} // namespace orvane::imaging::metafile
