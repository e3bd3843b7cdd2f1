#pragma once
// The platform layers the program uses, one of each. The program installs
// the real ones at start-up; tests install their own where the real one
// would touch the user's desktop.
#include "platform/DesktopIcons.h"
#include "platform/Dialogs.h"
#include "platform/Mail.h"
#include "platform/Shell.h"
#include "platform/Screen.h"
#include "platform/Trash.h"
#include "platform/Wallpaper.h"

#include <functional>
#include <memory>

class QObject;

namespace orvane::platform {

class MediaPlayer;
class TrayIcon;

struct Services {
    std::unique_ptr<Dialogs> dialogs;
    std::unique_ptr<Shell> shell;
    std::unique_ptr<Trash> trash;
    std::unique_ptr<DesktopIcons> desktopIcons;
    std::unique_ptr<Wallpaper> wallpaper;
    std::unique_ptr<Screen> screen;
    std::unique_ptr<MailTransport> mail;
    // Makes the media player of a main window.
    std::function<MediaPlayer*(QObject* parent)> createMediaPlayer;
    // Makes the notification-area icon of a main window.
    std::function<TrayIcon*(QObject* parent)> createTrayIcon;

    static Services& Current();
    // Installs the real layers where none is installed yet.
    static void InstallDefaults();
};

} // namespace orvane::platform
