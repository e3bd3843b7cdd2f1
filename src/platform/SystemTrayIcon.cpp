#include "platform/TrayIcon.h"

#include <QApplication>
#include <QSystemTrayIcon>

namespace orvane::platform {

namespace {

class SystemTrayIcon : public TrayIcon {
public:
    explicit SystemTrayIcon(QObject* parent) : TrayIcon(parent), icon_(QApplication::windowIcon(), this)
    {
        connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                emit Clicked();
        });
    }
    bool Available() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }
    void Show() override { icon_.show(); }
    void Hide() override { icon_.hide(); }
    bool Visible() const override { return icon_.isVisible(); }
    void SetContextMenu(QMenu* menu) override { icon_.setContextMenu(menu); }

private:
    QSystemTrayIcon icon_;
};

} // namespace

TrayIcon* CreateSystemTrayIcon(QObject* parent)
{
    return new SystemTrayIcon(parent);
}

} // namespace orvane::platform
