#include "desktop/DesktopIconState.h"

namespace orvane::desktop {

void TDesktopIconState::Hide()
{
    if (!icons_.HasSetting())
        return;
    if (!hidden_)
        before_ = icons_.ReadSetting();
    icons_.WriteSetting(icons_.HiddenValue());
    hidden_ = true;
}

void TDesktopIconState::Show()
{
    if (!icons_.HasSetting())
        return;
    const QString hiddenValue = icons_.HiddenValue();
    if (hidden_) {
        // The user's own shown value comes back (Xfce's minimised-window
        // icons stay that style); icons that were off before are switched on
        // because the user asked for them.
        const bool hadIcons = before_ && !before_->isEmpty() && *before_ != hiddenValue;
        icons_.WriteSetting(hadIcons ? *before_ : icons_.ShownValue());
        hidden_ = false;
        before_.reset();
        return;
    }
    const QString now = icons_.ReadSetting();
    if (now.isEmpty() || now == hiddenValue)
        icons_.WriteSetting(icons_.ShownValue());
}

void TDesktopIconState::Restore()
{
    if (!hidden_)
        return;
    if (before_ && !before_->isEmpty())
        icons_.WriteSetting(*before_);
    else
        icons_.WriteSetting(icons_.ShownValue());
    hidden_ = false;
    before_.reset();
}

} // namespace orvane::desktop
