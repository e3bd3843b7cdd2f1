#include "platform/DesktopIconsLinux.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace orvane::platform {

namespace {

// The desktop tools answer in milliseconds; one that hangs must not hold the
// window for long.
constexpr int kToolTimeoutMs = 1000;

// A desktop whose icons are a setting read and written by a command line tool:
// the read arguments print the value, the write arguments take it last.
class SettingDesktopIcons : public DesktopIcons {
public:
    SettingDesktopIcons(QString program, QStringList readArguments, QStringList writeArguments, QString hidden,
                        QString shown)
        : program_(std::move(program)), read_(std::move(readArguments)), write_(std::move(writeArguments)),
          hidden_(std::move(hidden)), shown_(std::move(shown))
    {
    }
    bool HasSetting() const override { return true; }
    QString ReadSetting() override
    {
        QProcess tool;
        if (!Start(tool, read_))
            return {};
        if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
            return {};
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }
    void WriteSetting(const QString& value) override
    {
        QProcess tool;
        Start(tool, write_ + QStringList{value});
    }
    QString HiddenValue() const override { return hidden_; }
    QString ShownValue() const override { return shown_; }

private:
    bool Start(QProcess& tool, const QStringList& arguments)
    {
        const QString path = QStandardPaths::findExecutable(program_);
        if (path.isEmpty())
            return false;
        tool.setStandardInputFile(QProcess::nullDevice());
        tool.start(path, arguments);
        if (!tool.waitForFinished(kToolTimeoutMs)) {
            tool.kill();
            tool.waitForFinished(100);
            return false;
        }
        return true;
    }
    QString program_;
    QStringList read_;
    QStringList write_;
    QString hidden_;
    QString shown_;
};

// Desktops without such a setting.
class NoDesktopIcons : public DesktopIcons {
public:
    bool HasSetting() const override { return false; }
    QString ReadSetting() override { return {}; }
    void WriteSetting(const QString&) override {}
    QString HiddenValue() const override { return {}; }
    QString ShownValue() const override { return {}; }
};

std::unique_ptr<DesktopIcons> GSettingsIcons(const char* schema)
{
    const QString s = QLatin1String(schema);
    const QString key = QStringLiteral("show-desktop-icons");
    return std::make_unique<SettingDesktopIcons>(QStringLiteral("gsettings"), QStringList{"get", s, key},
                                                 QStringList{"set", s, key}, QStringLiteral("false"),
                                                 QStringLiteral("true"));
}

} // namespace

std::unique_ptr<DesktopIcons> CreateDesktopIcons()
{
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toUpper();
    if (desktop.contains(QLatin1String("XFCE"))) {
        const QStringList property{"-c", "xfce4-desktop", "-p", "/desktop-icons/style"};
        // Style 0 is no icons, 1 minimised windows, 2 files and launchers.
        return std::make_unique<SettingDesktopIcons>(QStringLiteral("xfconf-query"), property,
                                                     property + QStringList{"-n", "-t", "int", "-s"},
                                                     QStringLiteral("0"), QStringLiteral("2"));
    }
    if (desktop.contains(QLatin1String("CINNAMON")))
        return GSettingsIcons("org.nemo.desktop");
    if (desktop.contains(QLatin1String("MATE")))
        return GSettingsIcons("org.mate.background");
    return std::make_unique<NoDesktopIcons>();
}

} // namespace orvane::platform
