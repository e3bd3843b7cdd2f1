#pragma once
// What the picture surface draws, kept between paints: the picture reduced
// by whole-block averaging to near the viewing area's size (built band by
// band while the picture decodes), and the final smooth scaling for the
// current area. Painting again at the same size costs nothing; a resize by a
// pixel re-scales only the reduced picture, never the full one. Rows no
// reader wrote (a file that claims more rows than its data reaches) are
// reduced without being read, so showing such a picture costs what its data
// holds.
#include <QImage>
#include <QRect>
#include <QSize>

#include <cstdint>

namespace orvane::imaging {
class TBitmap;
}

namespace orvane::viewer {

class DisplayCache {
public:
    // A new picture (or none). Rows appear through RowsAvailable.
    void SetPicture(const imaging::TBitmap* bitmap);
    // The picture's pixel memory was replaced (it was sized while loading):
    // what was reduced or viewed of the old memory goes.
    void PixelsMoved();
    // Rows 0 .. rows-1 of the picture are decoded. Rows reported out of order
    // (interlaced pictures) make the reduction start again at the end.
    void RowsAvailable(int rows);
    // Every row is decoded.
    void Finished();
    // The picture scaled to fit area with its aspect kept, and where it goes
    // (in the area's pixels); the image holds devicePixelRatio screen pixels
    // per area pixel and says so.
    const QImage& Render(const QSize& area, QRect* target = nullptr, qreal devicePixelRatio = 1.0);

    int ReductionFactor() const { return factor_; }
    // The memory of what it made (the picture's own pixels not counted).
    size_t HeldBytes() const { return static_cast<size_t>(reduced_.sizeInBytes() + rendered_.sizeInBytes()); }
    bool HasPicture() const { return bitmap_ != nullptr; }

private:
    void ReduceRows(int upTo);
    void RestartReduction();

    const QImage& View();
    void ShowInSrgb(QImage& image) const;

    const imaging::TBitmap* bitmap_ = nullptr;
    QSize size_;           // the bitmap's
    bool alpha_ = false;   // the bitmap has transparency
    QImage view_;          // the bitmap's pixels, made when drawn unreduced
    int available_ = 0;    // decoded rows
    bool outOfOrder_ = false;
    int factor_ = 1;       // block size of the reduction
    QImage reduced_;       // RGB32 (premultiplied ARGB32 with alpha), picture size / factor
    int reducedRows_ = 0;  // picture rows already reduced
    QImage rendered_;
    QSize renderedArea_;
    qreal renderedRatio_ = 1.0;
    int renderedRows_ = -1;
    int renderedOrientation_ = 1;
};

} // namespace orvane::viewer
