#pragma once
// The picture surface im2: draws the picture on display scaled to fit,
// centred, with its aspect kept; while a picture decodes it is drawn in steps.
#include "viewer/DisplayCache.h"

#include <QElapsedTimer>
#include <QWidget>

#include <memory>

namespace orvane::imaging {
class TBitmap;
}

namespace orvane::ui {

class PictureSurface : public QWidget {
    Q_OBJECT
public:
    explicit PictureSurface(QWidget* parent = nullptr);
    ~PictureSurface() override;

    // Shows a picture that is about to be (or has been) decoded.
    void SetPicture(std::shared_ptr<imaging::TBitmap> picture);
    std::shared_ptr<imaging::TBitmap> Picture() const { return picture_; }
    // Progress of the decoding: rows 0 .. rows-1 are ready; redraws at most
    // about 30 times a second.
    void RowsDecoded(int rows, bool redrawNow);
    // Decoding is over: draw the whole picture.
    void DecodingFinished();

    const viewer::DisplayCache& Cache() const { return cache_; }

signals:
    void Clicked();
    void DoubleClicked();
    void MouseReleased(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    std::shared_ptr<imaging::TBitmap> picture_;
    viewer::DisplayCache cache_;
    static constexpr int kFirstPartialFrameMs = 120;
    static constexpr int kPartialFrameIntervalMs = 33;
    QElapsedTimer sinceHandedOver_;
    QElapsedTimer sinceRedraw_;
};

} // namespace orvane::ui
