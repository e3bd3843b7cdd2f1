#pragma once
// Which window system the program talks to. In a Wayland session with
// Xwayland it runs as an X11 client: placing its window, staying on top and
// the magnifier (the pointer and the screen outside the window) are not
// offered to Wayland clients. Only a session without an X server gets the
// Wayland platform, and hears once what it cannot do there.
#include <QString>

namespace orvane::platform {

// What the choice depends on: the session's environment.
struct SessionEnvironment {
    QString qtPlatform;     // QT_QPA_PLATFORM, the user's own choice
    QString waylandDisplay; // WAYLAND_DISPLAY
    QString x11Display;     // DISPLAY
    QString sessionType;    // XDG_SESSION_TYPE
    static SessionEnvironment Current();
};

// The Qt platform to ask for in this environment; empty leaves Qt's own
// choice (the user's, or a plain X11 session).
QString ChosenQtPlatform(const SessionEnvironment& session);
// Run before the application object exists: asks Qt for that platform.
void ChooseWindowSystem();
// Run once the application object exists: on the Wayland platform, says on
// the standard error stream what the session does not allow.
void NoteWindowSystemLimits();
// Whether the program runs as a Wayland client (no window placement, no
// pointer or screen outside its window).
bool IsWaylandClient();

} // namespace orvane::platform
