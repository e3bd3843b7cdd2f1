// The window system chosen for a session: X11 wherever an X server is
// there, Wayland only without one, and the user's own choice always.
#include "platform/WindowSystem.h"

#include <gtest/gtest.h>

using orvane::platform::ChosenQtPlatform;
using orvane::platform::SessionEnvironment;

TEST(WindowSystem, AWaylandSessionWithXwaylandRunsOnX11AndTheUsersChoiceStands)
{
    const struct {
        SessionEnvironment session;
        QString chosen;
    } cases[] = {
        {{"", "wayland-0", ":0", "wayland"}, "xcb"},
        {{"", "wayland-0", ":1", ""}, "xcb"},
        {{"", "", ":0", "wayland"}, "xcb"},
        {{"", "wayland-0", "", "wayland"}, "wayland"},
        {{"wayland", "wayland-0", ":0", "wayland"}, ""},
        {{"offscreen", "", "", ""}, ""},
        {{"", "", ":0", "x11"}, ""},
    };
    for (const auto& [session, chosen] : cases)
        EXPECT_EQ(ChosenQtPlatform(session), chosen)
            << session.waylandDisplay.toStdString() << " " << session.x11Display.toStdString();
}
