#include "viewer/DisplayCache.h"

#include "imaging/color/SrgbConversion.h"
#include "imaging/core/Bitmap.h"
#include "imaging/core/Orientation.h"
#include "viewer/FitGeometry.h"
#include "viewer/PictureImage.h"

#include <QTransform>

#include <algorithm>
#include <cstring>
#include <vector>

namespace orvane::viewer {

void DisplayCache::SetPicture(const imaging::TBitmap* bitmap)
{
    bitmap_ = bitmap;
    size_ = QSize();
    alpha_ = false;
    view_ = QImage();
    available_ = 0;
    outOfOrder_ = false;
    factor_ = 1;
    reduced_ = QImage();
    reducedRows_ = 0;
    rendered_ = QImage();
    renderedArea_ = QSize();
    renderedRows_ = -1;
    PixelsMoved();
}

void DisplayCache::PixelsMoved()
{
    // A picture is usually handed over before it loads: its pixels appear
    // (or move) while it decodes.
    if (!bitmap_)
        return;
    size_ = bitmap_->Bits() ? QSize(bitmap_->Width(), bitmap_->Height()) : QSize();
    alpha_ = bitmap_->PixelFormat() == imaging::TPixelFormat::pf32bit && bitmap_->HasAlpha();
    view_ = QImage();
    reduced_ = QImage();
    reducedRows_ = 0;
    renderedRows_ = -1;
    available_ = std::min(available_, size_.height());
}

const QImage& DisplayCache::View()
{
    if (view_.isNull() && bitmap_ && !size_.isEmpty())
        view_ = BitmapView(*bitmap_);
    return view_;
}

void DisplayCache::RowsAvailable(int rows)
{
    if (!bitmap_)
        return;
    rows = std::clamp(rows, 0, size_.height());
    if (rows < available_)
        outOfOrder_ = true;
    available_ = std::max(available_, rows);
    if (reduced_.isNull() || outOfOrder_)
        return;
    ReduceRows(available_);
}

void DisplayCache::Finished()
{
    if (!bitmap_)
        return;
    // The format or palette may have changed while loading; look again.
    view_ = QImage();
    alpha_ = bitmap_->PixelFormat() == imaging::TPixelFormat::pf32bit && bitmap_->HasAlpha();
    available_ = size_.height();
    if (outOfOrder_ || (!reduced_.isNull() && reduced_.hasAlphaChannel() != alpha_)) {
        outOfOrder_ = false;
        RestartReduction();
    } else if (!reduced_.isNull()) {
        ReduceRows(available_);
    }
    renderedRows_ = -1;
}

void DisplayCache::RestartReduction()
{
    if (factor_ < 2) {
        reduced_ = QImage();
        reducedRows_ = 0;
        return;
    }
    reduced_ = QImage(size_.width() / factor_, size_.height() / factor_,
                      alpha_ ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (reduced_.isNull()) {
        factor_ = 1;
        return;
    }
    reduced_.fill(alpha_ ? Qt::transparent : Qt::black);
    reducedRows_ = 0;
    ReduceRows(available_);
}

namespace {

// One row of the picture as premultiplied 32-bit pixels. Indexed, one-bit
// and 32-bit rows are read in place; other formats go through Qt a row at a
// time, so a band never costs a converted copy of itself.
class RowReader {
public:
    RowReader(const imaging::TBitmap& bitmap, bool alpha) : bitmap_(bitmap), alpha_(alpha)
    {
        const QImage probe = BitmapBand(bitmap, 0, 1);
        format_ = probe.format();
        for (const QRgb colour : probe.colorTable())
            table_.push_back(qPremultiply(colour));
        table_.resize(256, qRgb(0, 0, 0));
        line_.resize(static_cast<size_t>(bitmap.Width()));
    }

    QImage::Format Format() const { return format_; }

    // Whether row y is one byte value repeated where that makes it one
    // colour (rows a decoder cleared, or filled with one run): such a row
    // is counted whole instead of pixel by pixel.
    bool Uniform(int y, QRgb& colour) const
    {
        using imaging::TPixelFormat;
        const TPixelFormat format = bitmap_.PixelFormat();
        const int bits = imaging::BitsPerPixel(format);
        if (format != TPixelFormat::pf1bit && format != TPixelFormat::pf8bit && format != TPixelFormat::pf24bit &&
            format != TPixelFormat::pf32bit)
            return false;
        const size_t bytes = (static_cast<size_t>(bitmap_.Width()) * static_cast<size_t>(bits) + 7) / 8;
        const uint8_t* row = bitmap_.ScanLine(y);
        if (bytes == 0 || (bytes > 1 && std::memcmp(row, row + 1, bytes - 1) != 0))
            return false;
        const uint8_t v = row[0];
        switch (format) {
        case TPixelFormat::pf1bit:
            if (v != 0 && v != 0xFF)
                return false;
            colour = table_[v & 1];
            return true;
        case TPixelFormat::pf8bit: colour = table_[v]; return true;
        case TPixelFormat::pf32bit: colour = alpha_ ? qPremultiply(qRgba(v, v, v, v)) : qRgb(v, v, v); return true;
        default: colour = qRgb(v, v, v); return true;
        }
    }

    const QRgb* Row(int y)
    {
        const int width = bitmap_.Width();
        if (format_ == QImage::Format_Indexed8 && bitmap_.PixelFormat() == imaging::TPixelFormat::pf8bit) {
            const uint8_t* source = bitmap_.ScanLine(y);
            for (int x = 0; x < width; ++x)
                line_[x] = table_[source[x]];
            return line_.data();
        }
        if (format_ == QImage::Format_Mono) {
            const uint8_t* source = bitmap_.ScanLine(y);
            for (int x = 0; x < width; ++x)
                line_[x] = table_[(source[x >> 3] >> (7 - (x & 7))) & 1];
            return line_.data();
        }
        if (format_ == QImage::Format_RGB32)
            return reinterpret_cast<const QRgb*>(bitmap_.ScanLine(y));
        if (format_ == QImage::Format_ARGB32) {
            const auto* source = reinterpret_cast<const QRgb*>(bitmap_.ScanLine(y));
            for (int x = 0; x < width; ++x)
                line_[x] = qPremultiply(source[x]);
            return line_.data();
        }
        const QImage row = BitmapBand(bitmap_, y, 1).convertToFormat(
            alpha_ ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        std::copy_n(reinterpret_cast<const QRgb*>(row.constScanLine(0)), width, line_.begin());
        return line_.data();
    }

private:
    const imaging::TBitmap& bitmap_;
    bool alpha_;
    QImage::Format format_ = QImage::Format_Invalid;
    std::vector<QRgb> table_;
    std::vector<QRgb> line_;
};

// Sums of the four channels of each block in one band of rows.
class BlockSums {
public:
    BlockSums(int blocks, int factor) : sums_(static_cast<size_t>(blocks) * 4), factor_(factor) {}

    void Clear() { std::fill(sums_.begin(), sums_.end(), 0u); }

    // A row of one colour adds it factor times to every block.
    void AddUniform(QRgb colour)
    {
        const uint32_t channels[4] = {static_cast<uint32_t>(qRed(colour)) * factor_,
                                      static_cast<uint32_t>(qGreen(colour)) * factor_,
                                      static_cast<uint32_t>(qBlue(colour)) * factor_,
                                      static_cast<uint32_t>(qAlpha(colour)) * factor_};
        for (size_t x = 0; x < sums_.size(); x += 4)
            for (int c = 0; c < 4; ++c)
                sums_[x + c] += channels[c];
    }

    // A row of 24-bit blue, green, red pixels, read in place.
    void AddBgr(const uint8_t* line)
    {
        for (size_t x = 0; x < sums_.size(); x += 4) {
            uint32_t b = 0, g = 0, r = 0;
            const uint8_t* p = line + (x / 4) * static_cast<size_t>(factor_) * 3;
            for (int dx = 0; dx < factor_; ++dx, p += 3) {
                b += p[0];
                g += p[1];
                r += p[2];
            }
            sums_[x] += r;
            sums_[x + 1] += g;
            sums_[x + 2] += b;
        }
    }

    // A row of premultiplied 32-bit pixels.
    void AddPixels(const QRgb* row)
    {
        for (size_t x = 0; x < sums_.size(); x += 4) {
            uint32_t r = 0, g = 0, b = 0, a = 0;
            const QRgb* p = row + (x / 4) * static_cast<size_t>(factor_);
            for (int dx = 0; dx < factor_; ++dx) {
                r += qRed(p[dx]);
                g += qGreen(p[dx]);
                b += qBlue(p[dx]);
                a += qAlpha(p[dx]);
            }
            sums_[x] += r;
            sums_[x + 1] += g;
            sums_[x + 2] += b;
            sums_[x + 3] += a;
        }
    }

    // The blocks' means, rounded, as one reduced row.
    void StoreMeans(QRgb* out, bool alpha) const
    {
        const uint32_t area = static_cast<uint32_t>(factor_ * factor_);
        for (size_t x = 0; x < sums_.size(); x += 4) {
            const auto mean = [&](int channel) { return static_cast<int>((sums_[x + channel] + area / 2) / area); };
            out[x / 4] = alpha ? qRgba(mean(0), mean(1), mean(2), mean(3)) : qRgb(mean(0), mean(1), mean(2));
        }
    }

private:
    std::vector<uint32_t> sums_;
    int factor_;
};

} // namespace

// Averages factor x factor blocks of the decoded rows into reduced_ (with
// alpha, premultiplied, so transparent pixels lend no colour).
void DisplayCache::ReduceRows(int upTo)
{
    const int k = factor_;
    if (k < 2 || reduced_.isNull())
        return;
    const int outWidth = reduced_.width();
    BlockSums sums(outWidth, k);
    const int writtenBegin = bitmap_->WrittenRowsBegin();
    const int writtenEnd = bitmap_->WrittenRowsEnd();
    const QRgb zero = qPremultiply(ZeroPixelColor(*bitmap_));
    RowReader reader(*bitmap_, alpha_);
    const bool bgr = reader.Format() == QImage::Format_BGR888;
    while (reducedRows_ + k <= upTo && reducedRows_ / k < reduced_.height()) {
        const int top = reducedRows_;
        auto* out = reinterpret_cast<QRgb*>(reduced_.scanLine(top / k));
        reducedRows_ += k;
        if (top + k <= writtenBegin || top >= writtenEnd) {
            // Zero bytes only: one colour, nothing to read.
            std::fill(out, out + outWidth, zero);
            continue;
        }
        sums.Clear();
        for (int y = top; y < top + k; ++y) {
            if (QRgb colour; reader.Uniform(y, colour))
                sums.AddUniform(colour);
            else if (bgr)
                sums.AddBgr(bitmap_->ScanLine(y));
            else
                sums.AddPixels(reader.Row(y));
        }
        sums.StoreMeans(out, alpha_);
    }
}

namespace {

// The picture as it stands upright: it is reduced and scaled as stored, and
// only what is shown, at the viewing area's size, is turned.
QImage TurnedUpright(const QImage& image, int orientation)
{
    const QImage quarter = imaging::SwapsSides(orientation) ? image.transformed(QTransform().rotate(90)) : image;
    switch (orientation) {
    case 2: return quarter.mirrored(true, false);
    case 3: return quarter.mirrored(true, true);
    case 4: return quarter.mirrored(false, true);
    case 5: return quarter.mirrored(true, false);
    case 7: return quarter.mirrored(false, true);
    case 8: return quarter.mirrored(true, true);
    default: return quarter;
    }
}

} // namespace

// A picture with a colour profile is converted at the size it is shown, so
// the cost follows the viewing area, not the picture.
void DisplayCache::ShowInSrgb(QImage& image) const
{
    const std::vector<uint8_t>& profile = bitmap_->IccProfile();
    if (profile.empty() || image.isNull() || !imaging::UsableProfile(profile))
        return;
    // Scaled pictures keep the format of what they were scaled from. Colours
    // are converted straight, not premultiplied by their alpha (lcms2's fast
    // path takes only the former).
    const bool alpha = image.hasAlphaChannel();
    if (image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const imaging::TSrgbLayout layout = alpha ? imaging::TSrgbLayout::Bgra : imaging::TSrgbLayout::Bgrx;
    imaging::ConvertToSrgb(profile, layout, image.bits(), image.width(), image.height(),
                           static_cast<size_t>(image.bytesPerLine()));
    if (alpha)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

const QImage& DisplayCache::Render(const QSize& area, QRect* target, qreal devicePixelRatio)
{
    const int orientation = bitmap_ ? bitmap_->Orientation() : 1;
    const bool swaps = imaging::SwapsSides(orientation);
    const QRect fit = size_.isEmpty() ? QRect() : FitCentered(swaps ? size_.transposed() : size_, area);
    if (target)
        *target = fit;
    if (fit.isEmpty()) {
        rendered_ = QImage();
        return rendered_;
    }
    if (area == renderedArea_ && devicePixelRatio == renderedRatio_ && renderedRows_ == available_ &&
        orientation == renderedOrientation_ && !rendered_.isNull())
        return rendered_;

    // The place stays in the area's own (logical) pixels; the picture is made
    // at the screen's pixels, so a scaled screen shows all of its detail.
    const QSize shown = DevicePixels(fit.size(), devicePixelRatio);
    // Reduce to at least the target size, by a whole factor.
    const QSize stored = swaps ? shown.transposed() : shown;
    const int factor = std::max(1, std::min(size_.width() / stored.width(), size_.height() / stored.height()));
    if (factor != factor_ || (factor >= 2 && reduced_.isNull())) {
        // Rows that arrived out of order are reduced as they stand now and
        // again once every row is there; never the whole picture scaled.
        factor_ = factor;
        RestartReduction();
    }
    const QImage& source = (factor_ >= 2 && !reduced_.isNull()) ? reduced_ : View();
    if (source.isNull()) {
        rendered_ = QImage();
        return rendered_;
    }
    if (source.size() == stored)
        rendered_ = source.convertToFormat(source.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                    : QImage::Format_RGB32);
    else {
        // Frames shown while the picture still decodes are soon replaced:
        // they are scaled quickly, so painting them never holds up the
        // decoding (a smooth scale of a large picture costs tens of
        // milliseconds). The finished picture is scaled smoothly.
        const bool partial = available_ < size_.height();
        rendered_ = source.scaled(stored, Qt::IgnoreAspectRatio,
                                  partial ? Qt::FastTransformation : Qt::SmoothTransformation);
    }
    ShowInSrgb(rendered_);
    if (orientation != 1)
        rendered_ = TurnedUpright(rendered_, orientation);
    rendered_.setDevicePixelRatio(devicePixelRatio);
    renderedArea_ = area;
    renderedRatio_ = devicePixelRatio;
    renderedRows_ = available_;
    renderedOrientation_ = orientation;
    return rendered_;
}

} // namespace orvane::viewer
