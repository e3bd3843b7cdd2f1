#include "ui/PictureSurface.h"

#include "imaging/core/Bitmap.h"

#include <QMouseEvent>
#include <QPainter>

namespace orvane::ui {

PictureSurface::PictureSurface(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

PictureSurface::~PictureSurface() = default;

void PictureSurface::SetPicture(std::shared_ptr<imaging::TBitmap> picture)
{
    picture_ = std::move(picture);
    cache_.SetPicture(picture_.get());
    sinceHandedOver_.start();
    sinceRedraw_.invalidate();
    update();
}

void PictureSurface::RowsDecoded(int rows, bool redrawNow)
{
    cache_.RowsAvailable(rows);
    if (!redrawNow)
        return;
    // Rows are shown as they arrive only for pictures that take long
    // enough to be watched: a picture decoded within a blink appears once,
    // whole, without the cost of painting it half done.
    if (sinceHandedOver_.isValid() && sinceHandedOver_.elapsed() < kFirstPartialFrameMs)
        return;
    if (sinceRedraw_.isValid() && sinceRedraw_.elapsed() < kPartialFrameIntervalMs)
        return;
    sinceRedraw_.start();
    repaint();
}

void PictureSurface::DecodingFinished()
{
    cache_.Finished();
    update();
}

void PictureSurface::paintEvent(QPaintEvent*)
{
    if (!cache_.HasPicture())
        return;
    QRect target;
    const QImage& image = cache_.Render(size(), &target);
    if (image.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(target.topLeft(), image);
}

void PictureSurface::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}

void PictureSurface::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Clicked();
    emit MouseReleased(event->button());
    if (event->button() == Qt::RightButton)
        event->ignore(); // the main window's context menu takes it
}

void PictureSurface::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit DoubleClicked();
}

} // namespace orvane::ui
