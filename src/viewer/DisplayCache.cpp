#include "viewer/DisplayCache.h"

#include "imaging/core/Bitmap.h"
#include "viewer/FitGeometry.h"
#include "viewer/PictureImage.h"

#include <algorithm>
#include <vector>

namespace orvane::viewer {

void DisplayCache::SetPicture(const imaging::TBitmap* bitmap)
{
    bitmap_ = bitmap && !bitmap->Empty() && bitmap->Bits() ? bitmap : nullptr;
    size_ = bitmap_ ? QSize(bitmap_->Width(), bitmap_->Height()) : QSize();
    alpha_ = bitmap_ && bitmap_->PixelFormat() == imaging::TPixelFormat::pf32bit && bitmap_->HasAlpha();
    view_ = QImage();
    available_ = 0;
    outOfOrder_ = false;
    factor_ = 1;
    reduced_ = QImage();
    reducedRows_ = 0;
    rendered_ = QImage();
    renderedArea_ = QSize();
    renderedRows_ = -1;
}

const QImage& DisplayCache::View()
{
    if (view_.isNull() && bitmap_)
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
    // The pixels may have been reallocated while loading; look again.
    if (bitmap_->Empty() || !bitmap_->Bits() || QSize(bitmap_->Width(), bitmap_->Height()) != size_) {
        SetPicture(bitmap_);
        if (!bitmap_)
            return;
    }
    view_ = QImage();
    available_ = size_.height();
    if (outOfOrder_) {
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

// Averages factor x factor blocks of the decoded rows into reduced_ (with
// alpha, premultiplied, so transparent pixels lend no colour).
void DisplayCache::ReduceRows(int upTo)
{
    const int k = factor_;
    if (k < 2 || reduced_.isNull())
        return;
    const int outWidth = reduced_.width();
    std::vector<uint32_t> sums(static_cast<size_t>(outWidth) * 4);
    const uint32_t area = static_cast<uint32_t>(k * k);
    const int writtenBegin = bitmap_->WrittenRowsBegin();
    const int writtenEnd = bitmap_->WrittenRowsEnd();
    const QRgb zero = qPremultiply(ZeroPixelColor(*bitmap_));
    while (reducedRows_ + k <= upTo && reducedRows_ / k < reduced_.height()) {
        const int top = reducedRows_;
        auto* out = reinterpret_cast<QRgb*>(reduced_.scanLine(top / k));
        reducedRows_ += k;
        if (top + k <= writtenBegin || top >= writtenEnd) {
            // Zero bytes only: one colour, nothing to read.
            std::fill(out, out + outWidth, zero);
            continue;
        }
        QImage band = BitmapBand(*bitmap_, top, k);
        const bool bgr = band.format() == QImage::Format_BGR888;
        if (alpha_)
            band = band.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        else if (!bgr && band.format() != QImage::Format_RGB32)
            band = band.convertToFormat(QImage::Format_RGB32);
        std::fill(sums.begin(), sums.end(), 0u);
        for (int dy = 0; dy < k; ++dy) {
            const uchar* line = band.constScanLine(dy);
            if (bgr) {
                for (int x = 0; x < outWidth; ++x) {
                    uint32_t b = 0, g = 0, r = 0;
                    const uchar* p = line + static_cast<size_t>(x) * k * 3;
                    for (int dx = 0; dx < k; ++dx, p += 3) {
                        b += p[0];
                        g += p[1];
                        r += p[2];
                    }
                    sums[x * 4] += r;
                    sums[x * 4 + 1] += g;
                    sums[x * 4 + 2] += b;
                }
            } else {
                const auto* row = reinterpret_cast<const QRgb*>(line);
                for (int x = 0; x < outWidth; ++x) {
                    uint32_t r = 0, g = 0, b = 0, a = 0;
                    const QRgb* p = row + static_cast<size_t>(x) * k;
                    for (int dx = 0; dx < k; ++dx) {
                        r += qRed(p[dx]);
                        g += qGreen(p[dx]);
                        b += qBlue(p[dx]);
                        a += qAlpha(p[dx]);
                    }
                    sums[x * 4] += r;
                    sums[x * 4 + 1] += g;
                    sums[x * 4 + 2] += b;
                    sums[x * 4 + 3] += a;
                }
            }
        }
        for (int x = 0; x < outWidth; ++x) {
            const auto mean = [&](int channel) { return static_cast<int>((sums[x * 4 + channel] + area / 2) / area); };
            out[x] = alpha_ ? qRgba(mean(0), mean(1), mean(2), mean(3)) : qRgb(mean(0), mean(1), mean(2));
        }
    }
}

const QImage& DisplayCache::Render(const QSize& area, QRect* target)
{
    const QRect fit = size_.isEmpty() ? QRect() : FitCentered(size_, area);
    if (target)
        *target = fit;
    if (fit.isEmpty()) {
        rendered_ = QImage();
        return rendered_;
    }
    if (area == renderedArea_ && renderedRows_ == available_ && !rendered_.isNull())
        return rendered_;

    // Reduce to at least the target size, by a whole factor.
    const int factor = std::max(1, std::min(size_.width() / fit.width(), size_.height() / fit.height()));
    if (factor != factor_ || (factor >= 2 && reduced_.isNull())) {
        factor_ = factor;
        if (!outOfOrder_)
            RestartReduction();
        else {
            reduced_ = QImage();
            reducedRows_ = 0;
        }
    }
    const QImage& source = (factor_ >= 2 && !reduced_.isNull()) ? reduced_ : View();
    if (source.isNull()) {
        rendered_ = QImage();
        return rendered_;
    }
    if (source.size() == fit.size())
        rendered_ = source.convertToFormat(source.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                    : QImage::Format_RGB32);
    else
        rendered_ = source.scaled(fit.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    renderedArea_ = area;
    renderedRows_ = available_;
    return rendered_;
}

} // namespace orvane::viewer
