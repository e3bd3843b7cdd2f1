#pragma once
// What the program knows of the desktop's icons: the desktop's own setting as
// it was before the program first hid them, so that showing them again, and
// the shut-down, give the user back exactly what they had.
#include "platform/DesktopIcons.h"

#include <QString>

#include <optional>

namespace orvane::desktop {

class TDesktopIconState {
public:
    explicit TDesktopIconState(platform::DesktopIcons& icons) : icons_(icons) {}

    // "Hide Icons": remembers the setting before the first hide, then hides.
    void Hide();
    // "Show Icons": the remembered setting where it showed icons; the
    // desktop's usual shown value where the icons are off; nothing where
    // they are already on.
    void Show();
    // Shut-down: puts back the remembered setting, only if this program hid
    // the icons.
    void Restore();

    bool HiddenByProgram() const { return hidden_; }

private:
    platform::DesktopIcons& icons_;
    std::optional<QString> before_;
    bool hidden_ = false;
};

} // namespace orvane::desktop
