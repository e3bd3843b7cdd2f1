#include "viewer/DisplayCache.h"

#include "imaging/core/Bitmap.h"
#include "viewer/FitGeometry.h"
#include "viewer/PictureImage.h"

#include <algorithm>
#include <vector>

namespace orvane::viewer {

void DisplayCache::SetPicture(const imaging::TBitmap* bitmap)
{
    bitmap_ = bitmap;
    view_ = bitmap ? BitmapView(*bitmap) : QImage();
    available_ = 0;
    outOfOrder_ = false;
    factor_ = 1;
    reduced_ = QImage();
    reducedRows_ = 0;
    rendered_ = QImage();
    renderedArea_ = QSize();
    renderedRows_ = -1;
}

void DisplayCache::RowsAvailable(int rows)
{
    if (!bitmap_)
        return;
    rows = std::clamp(rows, 0, view_.height());
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
    view_ = BitmapView(*bitmap_);
    available_ = view_.height();
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
    reduced_ = QImage(view_.width() / factor_, view_.height() / factor_, QImage::Format_RGB32);
    if (reduced_.isNull()) {
        factor_ = 1;
        return;
    }
    reduced_.fill(Qt::black);
    reducedRows_ = 0;
    ReduceRows(available_);
}

// Averages factor x factor blocks of the decoded rows into reduced_.
void DisplayCache::ReduceRows(int upTo)
{
    const int k = factor_;
    if (k < 2 || reduced_.isNull())
        return;
    const int outWidth = reduced_.width();
    std::vector<uint32_t> sums(static_cast<size_t>(outWidth) * 3);
    const uint32_t area = static_cast<uint32_t>(k * k);
    const bool bgr = view_.format() == QImage::Format_BGR888;
    const bool rgb32 = view_.format() == QImage::Format_RGB32 || view_.format() == QImage::Format_ARGB32;
    while (reducedRows_ + k <= upTo && reducedRows_ / k < reduced_.height()) {
        const int top = reducedRows_;
        std::fill(sums.begin(), sums.end(), 0u);
        QImage band;
        if (!bgr && !rgb32)
            band = view_.copy(0, top, outWidth * k, k).convertToFormat(QImage::Format_RGB32);
        for (int dy = 0; dy < k; ++dy) {
            if (bgr) {
                const uchar* row = view_.constScanLine(top + dy);
                for (int x = 0; x < outWidth; ++x) {
                    uint32_t b = 0, g = 0, r = 0;
                    const uchar* p = row + static_cast<size_t>(x) * k * 3;
                    for (int dx = 0; dx < k; ++dx, p += 3) {
                        b += p[0];
                        g += p[1];
                        r += p[2];
                    }
                    sums[x * 3] += r;
                    sums[x * 3 + 1] += g;
                    sums[x * 3 + 2] += b;
                }
            } else {
                const auto* row = reinterpret_cast<const QRgb*>(rgb32 ? view_.constScanLine(top + dy)
                                                                      : band.constScanLine(dy));
                for (int x = 0; x < outWidth; ++x) {
                    uint32_t r = 0, g = 0, b = 0;
                    const QRgb* p = row + static_cast<size_t>(x) * k;
                    for (int dx = 0; dx < k; ++dx) {
                        r += qRed(p[dx]);
                        g += qGreen(p[dx]);
                        b += qBlue(p[dx]);
                    }
                    sums[x * 3] += r;
                    sums[x * 3 + 1] += g;
                    sums[x * 3 + 2] += b;
                }
            }
        }
        auto* out = reinterpret_cast<QRgb*>(reduced_.scanLine(top / k));
        for (int x = 0; x < outWidth; ++x)
            out[x] = qRgb(static_cast<int>((sums[x * 3] + area / 2) / area),
                          static_cast<int>((sums[x * 3 + 1] + area / 2) / area),
                          static_cast<int>((sums[x * 3 + 2] + area / 2) / area));
        reducedRows_ += k;
    }
}

const QImage& DisplayCache::Render(const QSize& area, QRect* target)
{
    const QRect fit = view_.isNull() ? QRect() : FitCentered(view_.size(), area);
    if (target)
        *target = fit;
    if (fit.isEmpty()) {
        rendered_ = QImage();
        return rendered_;
    }
    if (area == renderedArea_ && renderedRows_ == available_ && !rendered_.isNull())
        return rendered_;

    // Reduce to at least the target size, by a whole factor.
    // (Pictures with transparency are scaled whole, keeping their alpha.)
    const int factor = view_.hasAlphaChannel()
                           ? 1
                           : std::max(1, std::min(view_.width() / fit.width(), view_.height() / fit.height()));
    if (factor != factor_ || (factor >= 2 && reduced_.isNull())) {
        factor_ = factor;
        if (!outOfOrder_)
            RestartReduction();
        else {
            reduced_ = QImage();
            reducedRows_ = 0;
        }
    }
    const QImage& source = (factor_ >= 2 && !reduced_.isNull()) ? reduced_ : view_;
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
