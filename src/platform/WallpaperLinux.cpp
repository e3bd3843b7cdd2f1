#include "platform/Wallpaper.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace orvane::platform {

namespace {

QString FileUri(const QString& path)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

// Plasma's scripting interface: set the image of every desktop.
QString PlasmaScript(const QString& path)
{
    QString uri = FileUri(path);
    uri.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QStringLiteral(
               "var all = desktops(); for (var i = 0; i < all.length; i++) { var d = all[i]; "
               "d.wallpaperPlugin = \"org.kde.image\"; d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", "
               "\"General\"]; d.writeConfig(\"Image\", \"%1\"); }")
        .arg(uri);
}

class DesktopWallpaper : public Wallpaper {
public:
    explicit DesktopWallpaper(QString desktop) : desktop_(std::move(desktop)) {}

    void SetWallpaper(const QString& path) override
    {
        QStringList xfce;
        if (desktop_.contains(QLatin1String("XFCE")))
            xfce = XfceProperties();
        const auto commands = WallpaperCommandsFor(desktop_, path, xfce);
        if (commands.empty() || QStandardPaths::findExecutable(commands.front().program).isEmpty())
            throw std::runtime_error(kNoWallpaperBackend);
        // Never wait for the desktop: its tools may block.
        for (const auto& command : commands)
            QProcess::startDetached(command.program, command.arguments);
    }

private:
    static QStringList XfceProperties()
    {
        QProcess query;
        query.start(QStringLiteral("xfconf-query"), {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"),
                                                      QStringLiteral("-l")});
        QStringList properties;
        if (!query.waitForFinished(2000)) {
            query.kill();
            return properties;
        }
        for (const QString& line : QString::fromUtf8(query.readAllStandardOutput()).split(QLatin1Char('\n')))
            if (line.trimmed().endsWith(QLatin1String("/last-image")))
                properties << line.trimmed();
        return properties;
    }

    QString desktop_;
};

} // namespace

std::vector<WallpaperCommand> WallpaperCommandsFor(const QString& desktopName, const QString& path,
                                                   const QStringList& xfceProperties)
{
    const QString desktop = desktopName.toUpper();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    std::vector<WallpaperCommand> commands;
    const auto gsettings = [&](const char* schema, const char* key, const QString& value) {
        commands.push_back({QStringLiteral("gsettings"),
                            {QStringLiteral("set"), QLatin1String(schema), QLatin1String(key), value}});
    };
    if (desktop.contains(QLatin1String("KDE"))) {
        commands.push_back({QStringLiteral("qdbus"),
                            {QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
                             QStringLiteral("org.kde.PlasmaShell.evaluateScript"), PlasmaScript(absolute)}});
    } else if (desktop.contains(QLatin1String("XFCE"))) {
        QStringList properties = xfceProperties;
        if (properties.isEmpty())
            properties << QStringLiteral("/backdrop/screen0/monitor0/workspace0/last-image");
        for (const QString& property : properties)
            commands.push_back({QStringLiteral("xfconf-query"),
                                {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"), QStringLiteral("-p"), property,
                                 QStringLiteral("-s"), absolute}});
    } else if (desktop.contains(QLatin1String("CINNAMON"))) {
        gsettings("org.cinnamon.desktop.background", "picture-uri", FileUri(absolute));
    } else if (desktop.contains(QLatin1String("MATE"))) {
        gsettings("org.mate.background", "picture-filename", absolute);
    } else if (desktop.contains(QLatin1String("LXQT"))) {
        commands.push_back({QStringLiteral("pcmanfm-qt"), {QStringLiteral("--set-wallpaper"), absolute}});
    } else if (desktop.contains(QLatin1String("GNOME")) || desktop.contains(QLatin1String("UNITY")) ||
               desktop.contains(QLatin1String("BUDGIE")) || desktop.contains(QLatin1String("PANTHEON"))) {
        gsettings("org.gnome.desktop.background", "picture-uri", FileUri(absolute));
        gsettings("org.gnome.desktop.background", "picture-uri-dark", FileUri(absolute));
    } else if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        // A plain X11 session: the root window through feh, when present.
        commands.push_back({QStringLiteral("feh"), {QStringLiteral("--no-fehbg"), QStringLiteral("--bg-max"), absolute}});
    }
    return commands;
}

std::unique_ptr<Wallpaper> CreateDesktopWallpaper()
{
    return std::make_unique<DesktopWallpaper>(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
}

} // namespace orvane::platform
