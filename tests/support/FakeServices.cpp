#include "support/FakeServices.h"

namespace orvane::test {

FakeServices& InstallFakeServices()
{
    static FakeServices fakes{};
    auto& services = platform::Services::Current();
    auto dialogs = std::make_unique<FakeDialogs>();
    auto shell = std::make_unique<FakeShell>();
    auto icons = std::make_unique<FakeDesktopIcons>();
    auto screen = std::make_unique<FakeScreen>();
    fakes.screen = screen.get();
    services.screen = std::move(screen);
    auto wallpaper = std::make_unique<FakeWallpaper>();
    fakes.wallpaper = wallpaper.get();
    services.wallpaper = std::move(wallpaper);
    fakes.dialogs = dialogs.get();
    fakes.shell = shell.get();
    fakes.icons = icons.get();
    fakes.lastPlayer = nullptr;
    fakes.lastTray = nullptr;
    services.createTrayIcon = [](QObject* parent) {
        auto* tray = new FakeTrayIcon(parent);
        fakes.lastTray = tray;
        return tray;
    };
    services.dialogs = std::move(dialogs);
    services.shell = std::move(shell);
    services.desktopIcons = std::move(icons);
    services.trash = std::make_unique<platform::FreedesktopTrash>();
    services.createMediaPlayer = [](QObject* parent) {
        auto* player = new FakeMediaPlayer(parent);
        fakes.lastPlayer = player;
        return player;
    };
    return fakes;
}

} // namespace orvane::test
