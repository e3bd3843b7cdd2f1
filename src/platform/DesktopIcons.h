#pragma once
// The desktop's own setting for its icons, where it has one (Xfce's icon
// style, Nemo's and Caja's switches). Desktops without one have no setting:
// hiding and showing do nothing there.
#include <QString>

namespace orvane::platform {

class DesktopIcons {
public:
    virtual ~DesktopIcons() = default;
    virtual bool HasSetting() const = 0;
    // The setting as the desktop's tool prints it ("2", "true"); empty when
    // it cannot be read.
    virtual QString ReadSetting() = 0;
    virtual void WriteSetting(const QString& value) = 0;
    // The value with the icons off, and the desktop's usual value with them on.
    virtual QString HiddenValue() const = 0;
    virtual QString ShownValue() const = 0;
};

} // namespace orvane::platform
