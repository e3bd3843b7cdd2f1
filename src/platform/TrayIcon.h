#pragma once
// The icon in the notification area.
#include <QObject>

class QMenu;

namespace orvane::platform {

class TrayIcon : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Whether the desktop has a notification area at all.
    virtual bool Available() const = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool Visible() const = 0;
    virtual void SetContextMenu(QMenu* menu) = 0;

signals:
    // The left button was released on the icon (a double-click too).
    void Clicked();
};

// QSystemTrayIcon with the program's icon, no tooltip.
TrayIcon* CreateSystemTrayIcon(QObject* parent);

} // namespace orvane::platform
