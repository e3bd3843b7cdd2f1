#include "platform/Screen.h"
#include "platform/WindowSystem.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace orvane::platform {

std::optional<QPoint> QtScreen::CursorPos() const
{
    // Without a real display the pointer's place is unknown; a Wayland
    // client knows it only inside its own window.
    if (QGuiApplication::platformName() == QLatin1String("offscreen") ||
        QGuiApplication::platformName() == QLatin1String("minimal") || IsWaylandClient())
        return std::nullopt;
    return QCursor::pos();
}

QSize QtScreen::PrimarySize() const
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

QImage QtScreen::Grab(const QRect& area) const
{
    QScreen* screen = QGuiApplication::primaryScreen();
    // A scaled screen has more pixels than its logical size: all of them are
    // kept, the picture saying how many per logical pixel.
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    QImage picture(QSize(qRound(area.width() * ratio), qRound(area.height() * ratio)), QImage::Format_RGB32);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::black);
    if (!screen || area.isEmpty())
        return picture;
    const QRect visible = area.intersected(QRect(QPoint(0, 0), screen->geometry().size()));
    if (visible.isEmpty())
        return picture;
    QPixmap grabbed = screen->grabWindow(0, visible.x(), visible.y(), visible.width(), visible.height());
    if (grabbed.width() > visible.width())
        grabbed.setDevicePixelRatio(qreal(grabbed.width()) / visible.width());
    QPainter painter(&picture);
    painter.drawPixmap(visible.topLeft() - area.topLeft(), grabbed);
    return picture;
}

} // namespace orvane::platform
