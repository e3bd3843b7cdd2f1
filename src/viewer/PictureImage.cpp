#include "viewer/PictureImage.h"

#include <algorithm>

namespace orvane::viewer {

namespace {

QList<QRgb> ColorTable(const imaging::TBitmap& bitmap, int entries)
{
    QList<QRgb> table;
    const auto& palette = bitmap.Palette();
    if (palette.empty()) {
        // No palette: gray levels.
        for (int i = 0; i < entries; ++i) {
            const int level = entries > 1 ? i * 255 / (entries - 1) : 0;
            table.append(qRgb(level, level, level));
        }
        return table;
    }
    for (int i = 0; i < entries; ++i) {
        if (i < static_cast<int>(palette.size()))
            table.append(qRgb(palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue));
        else
            table.append(qRgb(0, 0, 0));
    }
    return table;
}

} // namespace

QImage BitmapView(const imaging::TBitmap& bitmap)
{
    return BitmapBand(bitmap, 0, bitmap.Height());
}

QImage BitmapBand(const imaging::TBitmap& bitmap, int top, int rows)
{
    using imaging::TPixelFormat;
    top = std::max(top, 0);
    rows = std::min(rows, bitmap.Height() - top);
    if (bitmap.Empty() || !bitmap.Bits() || rows <= 0)
        return {};
    const int w = bitmap.Width();
    const qsizetype stride = bitmap.BytesPerLine();
    const uchar* bits = bitmap.Bits() + static_cast<size_t>(stride) * static_cast<size_t>(top);
    switch (bitmap.PixelFormat()) {
    case TPixelFormat::pf24bit:
        return QImage(bits, w, rows, stride, QImage::Format_BGR888);
    case TPixelFormat::pf32bit:
        return QImage(bits, w, rows, stride, bitmap.HasAlpha() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    case TPixelFormat::pf15bit:
        return QImage(bits, w, rows, stride, QImage::Format_RGB555);
    case TPixelFormat::pf16bit:
        return QImage(bits, w, rows, stride, QImage::Format_RGB16);
    case TPixelFormat::pf8bit: {
        QImage image(bits, w, rows, stride, QImage::Format_Indexed8);
        image.setColorTable(ColorTable(bitmap, 256));
        return image;
    }
    case TPixelFormat::pf1bit: {
        QImage image(bits, w, rows, stride, QImage::Format_Mono);
        image.setColorTable(ColorTable(bitmap, 2));
        return image;
    }
    case TPixelFormat::pf4bit: {
        QImage image(w, rows, QImage::Format_Indexed8);
        if (image.isNull())
            return {};
        image.setColorTable(ColorTable(bitmap, 16));
        for (int y = 0; y < rows; ++y) {
            const uchar* source = bits + static_cast<size_t>(stride) * static_cast<size_t>(y);
            uchar* target = image.scanLine(y);
            for (int x = 0; x < w; ++x)
                target[x] = (x & 1) ? (source[x >> 1] & 0x0F) : (source[x >> 1] >> 4);
        }
        return image;
    }
    default:
        return {};
    }
}

QRgb ZeroPixelColor(const imaging::TBitmap& bitmap)
{
    using imaging::TPixelFormat;
    switch (bitmap.PixelFormat()) {
    case TPixelFormat::pf1bit:
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit: return ColorTable(bitmap, 1).front();
    case TPixelFormat::pf32bit: return bitmap.HasAlpha() ? qRgba(0, 0, 0, 0) : qRgb(0, 0, 0);
    default: return qRgb(0, 0, 0);
    }
}

} // namespace orvane::viewer
