#include "ui/PictureSurface.h"

#include "viewer/ItemDisplay.h"

#include <QMouseEvent>
#include <QPainter>

namespace orvane::ui {

PictureSurface::PictureSurface(viewer::ItemDisplay& display, QWidget* parent) : QWidget(parent), display_(display)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    connect(&display_, &viewer::ItemDisplay::RedrawNeeded, this, [this](bool now) {
        if (now)
            repaint();
        else
            update();
    });
}

void PictureSurface::paintEvent(QPaintEvent*)
{
    // Moved to a screen of another scale: decoded for that screen's pixels.
    if (devicePixelRatioF() != areaRatio_) {
        areaRatio_ = devicePixelRatioF();
        display_.SetArea(size(), areaRatio_);
    }
    if (!display_.HasPicture())
        return;
    QRect target;
    const QImage& image = display_.Render(size(), &target, devicePixelRatioF());
    if (image.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(target.topLeft(), image);
}

void PictureSurface::resizeEvent(QResizeEvent* event)
{
    // However the surface was resized, the display decodes for its size.
    QWidget::resizeEvent(event);
    areaRatio_ = devicePixelRatioF();
    display_.SetArea(size(), areaRatio_);
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
