#include "viewer/PictureImage.h"

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
    using imaging::TPixelFormat;
    if (bitmap.Empty() || !bitmap.Bits())
        return {};
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    const uchar* bits = bitmap.Bits();
    const qsizetype stride = bitmap.BytesPerLine();
    switch (bitmap.PixelFormat()) {
    case TPixelFormat::pf24bit:
        return QImage(bits, w, h, stride, QImage::Format_BGR888);
    case TPixelFormat::pf32bit:
        return QImage(bits, w, h, stride, bitmap.HasAlpha() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    case TPixelFormat::pf15bit:
        return QImage(bits, w, h, stride, QImage::Format_RGB555);
    case TPixelFormat::pf16bit:
        return QImage(bits, w, h, stride, QImage::Format_RGB16);
    case TPixelFormat::pf8bit: {
        QImage image(bits, w, h, stride, QImage::Format_Indexed8);
        image.setColorTable(ColorTable(bitmap, 256));
        return image;
    }
    case TPixelFormat::pf1bit: {
        QImage image(bits, w, h, stride, QImage::Format_Mono);
        image.setColorTable(ColorTable(bitmap, 2));
        return image;
    }
    case TPixelFormat::pf4bit: {
        QImage image(w, h, QImage::Format_Indexed8);
        if (image.isNull())
            return {};
        image.setColorTable(ColorTable(bitmap, 16));
        for (int y = 0; y < h; ++y) {
            const uchar* source = bitmap.ScanLine(y);
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

} // namespace orvane::viewer
