// The magnifier: while the pointer is outside the main window the viewing
// area gives way to an enlarged, live picture of the screen around it.
#include "ui/TForm1.h"

#include "platform/Services.h"
#include "viewer/FitGeometry.h"
#include "viewer/MagnifierGeometry.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPainter>
#include <QSlider>

namespace orvane::ui {

void TForm1::magnifierTick()
{
    if (options_.noMagnifier || isMinimized() || inTray_)
        return;
    const auto& screen = platform::Services::Current().screen;
    if (!screen)
        return;
    const std::optional<QPoint> pointer = screen->CursorPos();
    if (!pointer)
        return;
    if (frameGeometry().contains(*pointer)) {
        if (viewingArea_->isHidden())
            viewingArea_->show();
        if (!magnifierImage_->isHidden())
            magnifierImage_->hide();
        return;
    }
    if (!viewingArea_->isHidden())
        viewingArea_->hide();
    if (magnifierImage_->isHidden())
        magnifierImage_->show();
    const QSize size = magnifierImage_->size();
    if (size.isEmpty())
        return;
    const viewer::MagnifierView view =
        viewer::MagnifierFor(*pointer, size, zoomSlider_->value(), screen->PrimarySize());
    // Made at the screen's pixels: a scaled screen's grab keeps all of them.
    const qreal ratio = magnifierImage_->devicePixelRatioF();
    const QSize pixels = viewer::DevicePixels(size, ratio);
    if (magSurface_.size() != pixels || magSurface_.devicePixelRatio() != ratio) {
        magSurface_ = QImage(pixels, QImage::Format_RGB32);
        magSurface_.setDevicePixelRatio(ratio);
    }
    {
        QPainter painter(&magSurface_);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false); // enlarging repeats pixels
        painter.drawImage(QRect(QPoint(0, 0), size), screen->Grab(view.source));
        if (showCursorBox_->isChecked()) {
            painter.setPen(QPen(Qt::black, 1));
            // Each line leaves out its end point.
            const QLine h = view.horizontal;
            const QLine v = view.vertical;
            if (h.x2() - 1 >= h.x1())
                painter.drawLine(h.x1(), h.y1(), h.x2() - 1, h.y2());
            if (v.y2() - 1 >= v.y1())
                painter.drawLine(v.x1(), v.y1(), v.x2(), v.y2() - 1);
        }
    }
    magnifierImage_->setPixmap(QPixmap::fromImage(magSurface_));
    QCoreApplication::processEvents();
}

} // namespace orvane::ui
