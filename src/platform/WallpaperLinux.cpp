#include "platform/Wallpaper.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

namespace orvane::platform {

namespace {

// Xfce answers its listing in milliseconds; one that hangs is given up on
// and the usual first monitor's property is set instead.
constexpr int kXfceListTimeoutMs = 2000;

QString FileUri(const QString& path)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

bool IsKde(const QString& desktop)
{
    return desktop.contains(QLatin1String("KDE"));
}

bool IsXfce(const QString& desktop)
{
    return desktop.contains(QLatin1String("XFCE"));
}

void RunDetached(const std::vector<WallpaperCommand>& commands)
{
    for (const auto& command : commands)
        QProcess::startDetached(command.program, command.arguments);
}

class DesktopWallpaper : public Wallpaper {
public:
    explicit DesktopWallpaper(QString desktop) : desktop_(std::move(desktop).toUpper()) {}

    void SetWallpaper(const QString& path) override
    {
        const QString absolute = QFileInfo(path).absoluteFilePath();
        if (IsKde(desktop_)) {
            SetPlasmaWallpaper(absolute);
            return;
        }
        if (IsXfce(desktop_)) {
            SetXfceWallpaper(absolute);
            return;
        }
        const auto commands = WallpaperCommandsFor(desktop_, absolute);
        if (commands.empty() || QStandardPaths::findExecutable(commands.front().program).isEmpty())
            throw std::runtime_error(kNoWallpaperBackend);
        // Never wait for the desktop: its tools may block.
        RunDetached(commands);
    }

private:
    static void SetPlasmaWallpaper(const QString& path)
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        const QString service = QStringLiteral("org.kde.plasmashell");
        if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(service).value())
            throw std::runtime_error(kNoWallpaperBackend);
        QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/PlasmaShell"),
                                                           QStringLiteral("org.kde.PlasmaShell"),
                                                           QStringLiteral("evaluateScript"));
        call << PlasmaWallpaperScript(path);
        // Not waited for: the shell answers when the script has run.
        bus.asyncCall(call);
    }

    // The properties are listed first (every monitor and workspace has its
    // own); the listing runs while the window goes on, and the setting
    // follows when it has answered.
    static void SetXfceWallpaper(const QString& path)
    {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("xfconf-query"));
        if (tool.isEmpty())
            throw std::runtime_error(kNoWallpaperBackend);
        auto* query = new QProcess;
        auto finish = [query, path](bool answered) {
            if (query->property("done").toBool())
                return;
            query->setProperty("done", true);
            QStringList properties;
            if (answered)
                properties = XfceImageProperties(QString::fromUtf8(query->readAllStandardOutput()));
            else
                query->kill();
            RunDetached(WallpaperCommandsFor(QStringLiteral("XFCE"), path, properties));
            query->deleteLater();
        };
        QObject::connect(query, &QProcess::finished, query, [finish] { finish(true); });
        QObject::connect(query, &QProcess::errorOccurred, query, [finish](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                finish(false);
        });
        QTimer::singleShot(kXfceListTimeoutMs, query, [finish] { finish(false); });
        query->setStandardInputFile(QProcess::nullDevice());
        query->start(tool, {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"), QStringLiteral("-l")});
    }

    QString desktop_;
};

} // namespace

QString PlasmaWallpaperScript(const QString& path)
{
    QString uri = FileUri(path);
    uri.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QStringLiteral(
               "var all = desktops(); for (var i = 0; i < all.length; i++) { var d = all[i]; "
               "d.wallpaperPlugin = \"org.kde.image\"; d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", "
               "\"General\"]; d.writeConfig(\"Image\", \"%1\"); }")
        .arg(uri);
}

QStringList XfceImageProperties(const QString& listing)
{
    QStringList properties;
    for (const QString& line : listing.split(QLatin1Char('\n')))
        if (line.trimmed().endsWith(QLatin1String("/last-image")))
            properties << line.trimmed();
    return properties;
}

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
    if (IsKde(desktop)) {
        // Set over D-Bus (PlasmaWallpaperScript), not by a command.
    } else if (IsXfce(desktop)) {
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
