#pragma once
// The desktop's icons: hidden and shown through the desktop's own setting
// where it has one; elsewhere both do nothing.
namespace orvane::platform {

class DesktopIcons {
public:
    virtual ~DesktopIcons() = default;
    virtual void Show() = 0;
    virtual void Hide() = 0;
};

} // namespace orvane::platform
