#pragma once
#include "platform/DesktopIcons.h"

#include <memory>

namespace orvane::platform {

// The desktop icons of the running desktop, chosen from XDG_CURRENT_DESKTOP.
std::unique_ptr<DesktopIcons> CreateDesktopIcons();

} // namespace orvane::platform
