#include "platform/WindowSystem.h"

#include <QGuiApplication>

#include <cstdio>

namespace orvane::platform {

SessionEnvironment SessionEnvironment::Current()
{
    return {qEnvironmentVariable("QT_QPA_PLATFORM"), qEnvironmentVariable("WAYLAND_DISPLAY"),
            qEnvironmentVariable("DISPLAY"), qEnvironmentVariable("XDG_SESSION_TYPE")};
}

QString ChosenQtPlatform(const SessionEnvironment& session)
{
    if (!session.qtPlatform.isEmpty())
        return {};
    const bool wayland = !session.waylandDisplay.isEmpty() || session.sessionType == QLatin1String("wayland");
    if (!wayland)
        return {};
    if (!session.x11Display.isEmpty())
        return QStringLiteral("xcb");
    return QStringLiteral("wayland");
}

void ChooseWindowSystem()
{
    const QString platform = ChosenQtPlatform(SessionEnvironment::Current());
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform.toLatin1());
}

bool IsWaylandClient()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void NoteWindowSystemLimits()
{
    if (!IsWaylandClient())
        return;
    std::fputs("Orvane: this Wayland session has no X server (Xwayland), so Orvane runs as a Wayland client: "
               "the stored window position, staying on top and the magnifier are not available.\n",
               stderr);
}

} // namespace orvane::platform
