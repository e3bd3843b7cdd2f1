#include "platform/DesktopIconsLinux.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace orvane::platform {

namespace {

// A desktop whose icons are a setting changed by a command line tool.
class SettingDesktopIcons : public DesktopIcons {
public:
    SettingDesktopIcons(QString program, QStringList showArguments, QStringList hideArguments)
        : program_(std::move(program)), show_(std::move(showArguments)), hide_(std::move(hideArguments))
    {
    }
    void Show() override { Run(show_); }
    void Hide() override { Run(hide_); }

private:
    void Run(const QStringList& arguments)
    {
        if (!QStandardPaths::findExecutable(program_).isEmpty())
            QProcess::startDetached(program_, arguments);
    }
    QString program_;
    QStringList show_;
    QStringList hide_;
};

// Desktops without such a setting: showing and hiding do nothing.
class NoDesktopIcons : public DesktopIcons {
public:
    void Show() override {}
    void Hide() override {}
};

} // namespace

std::unique_ptr<DesktopIcons> CreateDesktopIcons()
{
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toUpper();
    if (desktop.contains(QLatin1String("XFCE")))
        return std::make_unique<SettingDesktopIcons>(
            QStringLiteral("xfconf-query"),
            QStringList{"-c", "xfce4-desktop", "-p", "/desktop-icons/style", "-n", "-t", "int", "-s", "2"},
            QStringList{"-c", "xfce4-desktop", "-p", "/desktop-icons/style", "-n", "-t", "int", "-s", "0"});
    if (desktop.contains(QLatin1String("CINNAMON")) || desktop.contains(QLatin1String("X-CINNAMON")))
        return std::make_unique<SettingDesktopIcons>(
            QStringLiteral("gsettings"), QStringList{"set", "org.nemo.desktop", "show-desktop-icons", "true"},
            QStringList{"set", "org.nemo.desktop", "show-desktop-icons", "false"});
    if (desktop.contains(QLatin1String("MATE")))
        return std::make_unique<SettingDesktopIcons>(
            QStringLiteral("gsettings"), QStringList{"set", "org.mate.background", "show-desktop-icons", "true"},
            QStringList{"set", "org.mate.background", "show-desktop-icons", "false"});
    return std::make_unique<NoDesktopIcons>();
}

} // namespace orvane::platform
