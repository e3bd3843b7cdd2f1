// Which backend each desktop gets, as XDG_CURRENT_DESKTOP names it, and the
// program its first command runs.
#include "platform/Wallpaper.h"

#include <QByteArray>

#include <gtest/gtest.h>

using namespace orvane;

TEST(WallpaperBackends, EachDesktopIsRecognisedByItsNameAndAPlainX11SessionNeedsADisplay)
{
    const QByteArray display = qgetenv("DISPLAY");
    struct Case {
        const char* desktop;
        const char* display;
        const char* program; // "" for no command
    };
    for (const Case& c : {Case{"X-Cinnamon", ":0", "gsettings"}, Case{"mate", "", "gsettings"},
                          Case{"LXQt", "", "pcmanfm-qt"}, Case{"Budgie:GNOME", "", "gsettings"},
                          Case{"Pantheon", "", "gsettings"}, Case{"Unity", "", "gsettings"},
                          Case{"XFCE", "", "xfconf-query"}, Case{"KDE", ":0", ""}, Case{"i3", ":0", "feh"},
                          Case{"", ":0", "feh"}, Case{"i3", "", ""}}) {
        qputenv("DISPLAY", c.display);
        const auto commands = platform::WallpaperCommandsFor(c.desktop, "/p/a.jpg");
        EXPECT_EQ(commands.empty() ? QString() : commands.front().program, c.program) << c.desktop << " " << c.display;
        for (const auto& command : commands)
            EXPECT_TRUE(command.arguments.last().endsWith("/p/a.jpg")) << c.desktop;
    }
    if (display.isNull())
        qunsetenv("DISPLAY");
    else
        qputenv("DISPLAY", display);
}
