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

WallpaperCommand GSettings(const char* schema, const char* key, const QString& value)
{
    return {QStringLiteral("gsettings"), {QStringLiteral("set"), QLatin1String(schema), QLatin1String(key), value}};
}

// The commands for a file (an absolute path), from the existing "last-image"
// properties where the desktop keeps one per monitor and workspace.
using CommandsFor = std::vector<WallpaperCommand> (*)(const QString& file, const QStringList& xfceProperties);

std::vector<WallpaperCommand> XfceCommands(const QString& file, const QStringList& xfceProperties)
{
    QStringList properties = xfceProperties;
    if (properties.isEmpty())
        properties << QStringLiteral("/backdrop/screen0/monitor0/workspace0/last-image");
    std::vector<WallpaperCommand> commands;
    for (const QString& property : properties)
        commands.push_back({QStringLiteral("xfconf-query"),
                            {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"), QStringLiteral("-p"), property,
                             QStringLiteral("-s"), file}});
    return commands;
}

std::vector<WallpaperCommand> CinnamonCommands(const QString& file, const QStringList&)
{
    return {GSettings("org.cinnamon.desktop.background", "picture-uri", FileUri(file))};
}

std::vector<WallpaperCommand> MateCommands(const QString& file, const QStringList&)
{
    return {GSettings("org.mate.background", "picture-filename", file)};
}

std::vector<WallpaperCommand> LxqtCommands(const QString& file, const QStringList&)
{
    return {{QStringLiteral("pcmanfm-qt"), {QStringLiteral("--set-wallpaper"), file}}};
}

std::vector<WallpaperCommand> GnomeCommands(const QString& file, const QStringList&)
{
    return {GSettings("org.gnome.desktop.background", "picture-uri", FileUri(file)),
            GSettings("org.gnome.desktop.background", "picture-uri-dark", FileUri(file))};
}

std::vector<WallpaperCommand> FehCommands(const QString& file, const QStringList&)
{
    return {{QStringLiteral("feh"), {QStringLiteral("--no-fehbg"), QStringLiteral("--bg-max"), file}}};
}

// How a desktop's wallpaper is set: by running commands, by the Plasma
// shell's script over D-Bus, or by commands made from Xfce's listing of its
// properties.
enum class Way { Commands, PlasmaScript, XfceListing };

struct Backend {
    // Any of these inside XDG_CURRENT_DESKTOP (upper case) picks the row;
    // none: a plain X11 session, picked when no row before it was and there
    // is an X display.
    std::vector<QLatin1String> names;
    Way way;
    CommandsFor commands; // none for the Plasma script
};

// In the order they are tried: the first row that recognises the desktop
// is its backend.
const std::vector<Backend>& Backends()
{
    static const std::vector<Backend> backends{
        {{QLatin1String("KDE")}, Way::PlasmaScript, nullptr},
        {{QLatin1String("XFCE")}, Way::XfceListing, XfceCommands},
        {{QLatin1String("CINNAMON")}, Way::Commands, CinnamonCommands},
        {{QLatin1String("MATE")}, Way::Commands, MateCommands},
        {{QLatin1String("LXQT")}, Way::Commands, LxqtCommands},
        {{QLatin1String("GNOME"), QLatin1String("UNITY"), QLatin1String("BUDGIE"), QLatin1String("PANTHEON")},
         Way::Commands,
         GnomeCommands},
        {{}, Way::Commands, FehCommands},
    };
    return backends;
}

const Backend* BackendFor(const QString& desktopName)
{
    const QString desktop = desktopName.toUpper();
    for (const Backend& backend : Backends()) {
        if (backend.names.empty() && !qEnvironmentVariableIsEmpty("DISPLAY"))
            return &backend;
        for (const QLatin1String& name : backend.names)
            if (desktop.contains(name))
                return &backend;
    }
    return nullptr;
}

void RunDetached(const std::vector<WallpaperCommand>& commands)
{
    for (const auto& command : commands)
        QProcess::startDetached(command.program, command.arguments);
}

class DesktopWallpaper : public Wallpaper {
public:
    explicit DesktopWallpaper(const QString& desktop) : backend_(BackendFor(desktop)) {}

    void SetWallpaper(const QString& path) override
    {
        if (!backend_)
            throw std::runtime_error(kNoWallpaperBackend);
        const QString absolute = QFileInfo(path).absoluteFilePath();
        switch (backend_->way) {
        case Way::PlasmaScript:
            SetPlasmaWallpaper(absolute);
            return;
        case Way::XfceListing:
            SetXfceWallpaper(*backend_, absolute);
            return;
        case Way::Commands:
            break;
        }
        const auto commands = backend_->commands(absolute, {});
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
    static void SetXfceWallpaper(const Backend& backend, const QString& path)
    {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("xfconf-query"));
        if (tool.isEmpty())
            throw std::runtime_error(kNoWallpaperBackend);
        auto* query = new QProcess;
        auto finish = [query, path, commands = backend.commands](bool answered) {
            if (query->property("done").toBool())
                return;
            query->setProperty("done", true);
            QStringList properties;
            if (answered)
                properties = XfceImageProperties(QString::fromUtf8(query->readAllStandardOutput()));
            else
                query->kill();
            RunDetached(commands(path, properties));
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

    const Backend* backend_;
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

std::vector<WallpaperCommand> WallpaperCommandsFor(const QString& desktop, const QString& path,
                                                   const QStringList& xfceProperties)
{
    const Backend* backend = BackendFor(desktop);
    if (!backend || !backend->commands)
        return {};
    return backend->commands(QFileInfo(path).absoluteFilePath(), xfceProperties);
}

std::unique_ptr<Wallpaper> CreateDesktopWallpaper()
{
    return std::make_unique<DesktopWallpaper>(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
}

} // namespace orvane::platform
