#include "app/InstallLocation.h"

#include "platform/Registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace orvane::app {

namespace {

QString& ProgramFileSetting()
{
    static QString path;
    return path;
}

} // namespace

void UseProgramFile(const QString& path)
{
    ProgramFileSetting() = path;
    platform::TRegistry::SetMachineHiveFolder(path.isEmpty() ? QString() : MachineHiveFolderFor(path));
}

QString ProgramFilePath()
{
    const QString& path = ProgramFileSetting();
    return path.isEmpty() ? QCoreApplication::applicationFilePath() : path;
}

QString MachineHiveFolderFor(const QString& programFile)
{
    const QString prefix = QDir::cleanPath(QFileInfo(programFile).absolutePath() + QStringLiteral("/../.."));
    if (prefix == QLatin1String("/usr") || prefix == QLatin1String("/"))
        return QStringLiteral("/etc/orvane");
    return prefix + QStringLiteral("/etc/orvane");
}

QString DevelopmentFolderPrefix()
{
    return QStringLiteral(ORVANE_DEVELOPMENT_PREFIX);
}

QString PendingDeletionsEntryPath()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/orvane-finish-removal.desktop");
}

} // namespace orvane::app
