#include "platform/MailHandler.h"

#include "platform/DesktopEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace orvane::platform {

namespace {

QString EnvironmentFolder(const char* name, const QString& otherwise)
{
    const QString value = qEnvironmentVariable(name);
    return !value.isEmpty() && QDir::isAbsolutePath(value) ? value : otherwise;
}

QStringList EnvironmentFolders(const char* name, const QString& otherwise)
{
    QStringList folders;
    for (const QString& folder : qEnvironmentVariable(name, otherwise).split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(folder))
            folders << folder;
    return folders;
}

QString ConfigHome()
{
    return EnvironmentFolder("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"));
}

QString DataHome()
{
    return EnvironmentFolder("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"));
}

QStringList DataFolders()
{
    return QStringList{DataHome()} + EnvironmentFolders("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
}

// The mimeapps.list files in the order the desktop reads them, each
// preceded by its desktop-specific form.
QStringList MimeAppsLists()
{
    QStringList desktops;
    for (const QString& name : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        desktops << name.toLower();
    QStringList folders{ConfigHome()};
    folders += EnvironmentFolders("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    folders << DataHome() + QStringLiteral("/applications");
    for (const QString& folder : EnvironmentFolders("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share")))
        folders << folder + QStringLiteral("/applications");
    QStringList files;
    for (const QString& folder : folders) {
        for (const QString& desktop : desktops)
            files << folder + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list");
        files << folder + QStringLiteral("/mimeapps.list");
    }
    return files;
}

QStringList DefaultsIn(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    bool inDefaults = false;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inDefaults = line == QLatin1String("[Default Applications]");
            continue;
        }
        if (!inDefaults)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0 && line.left(equals).trimmed() == QLatin1String("x-scheme-handler/mailto"))
            return line.mid(equals + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }
    return {};
}

QString ProgramName(const QStringList& command)
{
    return command.isEmpty() ? QString() : QFileInfo(command.first()).fileName().toLower();
}

bool Matches(const MailHandler& handler, std::initializer_list<const char*> names)
{
    const QString program = ProgramName(handler.command);
    const QString id = handler.desktopId.toLower();
    for (const char* name : names) {
        const QLatin1String text(name);
        if (program == text || program.startsWith(text + QLatin1Char('-')) || id.contains(text))
            return true;
    }
    return false;
}

// The value with the quote that the option's syntax can carry it in: it
// ends at a quote followed by a comma (or at the end).
std::optional<QString> Quoted(const QString& value)
{
    for (const QChar quote : {QLatin1Char('\''), QLatin1Char('"')}) {
        if (!value.contains(QString(quote) + QLatin1Char(',')))
            return quote + value + quote;
    }
    return std::nullopt;
}

} // namespace

QString DefaultMailHandlerId()
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (!xdgMime.isEmpty()) {
        QProcess query;
        query.setStandardInputFile(QProcess::nullDevice());
        query.setStandardErrorFile(QProcess::nullDevice());
        query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/mailto")});
        if (query.waitForFinished(5000)) {
            const QString id = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
            if (query.exitCode() == 0 && !id.isEmpty() && !id.contains(QLatin1Char('\n')))
                return id;
        } else {
            query.kill();
            query.waitForFinished(1000);
        }
    }
    for (const QString& list : MimeAppsLists()) {
        for (const QString& id : DefaultsIn(list)) {
            if (!FindDesktopFile(id.trimmed()).isEmpty())
                return id.trimmed();
        }
    }
    return {};
}

QString FindDesktopFile(const QString& desktopId)
{
    if (desktopId.isEmpty() || desktopId.contains(QLatin1Char('/')) || !desktopId.endsWith(QLatin1String(".desktop")))
        return {};
    for (const QString& folder : DataFolders()) {
        const QString applications = folder + QStringLiteral("/applications/");
        if (QFileInfo(applications + desktopId).isFile())
            return applications + desktopId;
        // "vendor-name.desktop" may live in "vendor/name.desktop".
        QString nested = desktopId;
        for (qsizetype dash = nested.indexOf(QLatin1Char('-')); dash > 0; dash = nested.indexOf(QLatin1Char('-'), dash + 1)) {
            nested[dash] = QLatin1Char('/');
            if (QFileInfo(applications + nested).isFile())
                return applications + nested;
        }
    }
    return {};
}

std::optional<MailHandler> FindDefaultMailHandler()
{
    MailHandler handler;
    handler.desktopId = DefaultMailHandlerId();
    handler.entryPath = FindDesktopFile(handler.desktopId);
    if (handler.entryPath.isEmpty())
        return std::nullopt;
    const auto keys = ReadDesktopEntry(handler.entryPath);
    bool ok = false;
    QStringList command = DropFieldCodes(SplitExec(keys.value(QStringLiteral("Exec")), &ok));
    // A sandboxed client forwards its files between "@@u" and "@@".
    command.removeAll(QStringLiteral("@@u"));
    command.removeAll(QStringLiteral("@@"));
    if (!ok || command.isEmpty())
        return std::nullopt;
    const QString program = QStandardPaths::findExecutable(command.first());
    if (program.isEmpty())
        return std::nullopt;
    command.first() = program;
    handler.command = command;
    return handler;
}

bool TakesComposeOption(const MailHandler& handler)
{
    return Matches(handler, {"thunderbird", "icedove", "betterbird", "seamonkey"});
}

bool TakesMailtoAttachments(const MailHandler& handler)
{
    return Matches(handler, {"evolution"});
}

QString AttachmentUrl(const QString& path)
{
    QString url = QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded(QUrl::FullyEncoded));
    url.replace(QLatin1Char(','), QLatin1String("%2C"));
    url.replace(QLatin1Char('\''), QLatin1String("%27"));
    url.replace(QLatin1Char('"'), QLatin1String("%22"));
    return url;
}

std::optional<QString> ComposeArgument(const MapiMessage& message)
{
    QStringList parts;
    auto add = [&parts](const char* name, const QString& value) {
        if (value.isEmpty())
            return true;
        const std::optional<QString> quoted = Quoted(value);
        if (!quoted)
            return false;
        parts << QLatin1String(name) + QLatin1Char('=') + *quoted;
        return true;
    };
    QStringList urls;
    for (const QString& path : AttachmentPaths(message))
        urls << AttachmentUrl(path);
    if (!add("to", BareAddresses(message).join(QLatin1Char(','))) || !add("subject", TextOf(message.lpszSubject)) ||
        !add("body", TextOf(message.lpszNoteText)) ||
        !add("attachment", urls.join(QLatin1Char(','))))
        return std::nullopt;
    return parts.join(QLatin1Char(','));
}

} // namespace orvane::platform
