#include "platform/Services.h"

#include "platform/DesktopIconsLinux.h"
#include "platform/MediaPlayer.h"
#include "platform/TrayIcon.h"

namespace orvane::platform {

Services& Services::Current()
{
    static Services services;
    return services;
}

void Services::InstallDefaults()
{
    Services& s = Current();
    if (!s.dialogs)
        s.dialogs = std::make_unique<QtDialogs>();
    if (!s.shell)
        s.shell = std::make_unique<DesktopShell>();
    if (!s.trash)
        s.trash = std::make_unique<FreedesktopTrash>();
    if (!s.screen)
        s.screen = std::make_unique<QtScreen>();
    if (!s.wallpaper)
        s.wallpaper = CreateDesktopWallpaper();
    if (!s.desktopIcons)
        s.desktopIcons = CreateDesktopIcons();
    if (!s.mail)
        s.mail = CreateDesktopMail();
    if (!s.createTrayIcon)
        s.createTrayIcon = [](QObject* parent) { return CreateSystemTrayIcon(parent); };
    if (!s.createMediaPlayer)
        s.createMediaPlayer = [](QObject* parent) { return CreateQtMediaPlayer(parent); };
}

} // namespace orvane::platform
