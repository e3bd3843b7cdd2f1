#pragma once
// Where the program's dialogs open: centred on the primary screen.
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace orvane::ui {

inline void CentreOnScreen(QWidget* window)
{
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        window->move(area.x() + (area.width() - window->width()) / 2,
                     area.y() + (area.height() - window->height()) / 2);
    }
}

} // namespace orvane::ui
