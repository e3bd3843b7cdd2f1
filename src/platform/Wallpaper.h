#pragma once
// The desktop background. The file is used in place, never copied, and the
// desktop's own wallpaper style is left as it is.
#include <QString>
#include <QStringList>

#include <memory>
#include <stdexcept>
#include <vector>

namespace orvane::platform {

inline constexpr const char* kNoWallpaperBackend =
    "The desktop background cannot be set: this desktop offers no way to change it.";

class Wallpaper {
public:
    virtual ~Wallpaper() = default;
    // Hands the file to the desktop. Raises std::runtime_error when this
    // desktop offers no way to set its background; what the desktop does
    // with the file is not examined.
    virtual void SetWallpaper(const QString& path) = 0;
};

// One backend per desktop, chosen from XDG_CURRENT_DESKTOP: GNOME and its
// relatives (gsettings, both the light and the dark picture), KDE Plasma
// (its D-Bus scripting interface), Xfce (every monitor and workspace),
// MATE, Cinnamon, LXQt, and a plain X11 session through feh.
std::unique_ptr<Wallpaper> CreateDesktopWallpaper();

// The commands a backend runs for a file (program and arguments, in order);
// empty when the desktop has no backend. xfceProperties are the existing
// "last-image" properties of Xfce's desktop settings.
struct WallpaperCommand {
    QString program;
    QStringList arguments;
};
std::vector<WallpaperCommand> WallpaperCommandsFor(const QString& desktop, const QString& path,
                                                   const QStringList& xfceProperties = {});

// Plasma's desktops are set by a script handed to its shell over D-Bus
// (org.kde.plasmashell, /PlasmaShell, evaluateScript): the script for a file.
QString PlasmaWallpaperScript(const QString& path);

// The "last-image" properties in the listing of Xfce's desktop settings.
QStringList XfceImageProperties(const QString& listing);

} // namespace orvane::platform
