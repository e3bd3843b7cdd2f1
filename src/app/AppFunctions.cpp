#include "app/AppFunctions.h"

#include "app/Removal.h"
#include "fileops/FileFunctions.h"
#include "platform/Services.h"

#include <QCoreApplication>

#include <exception>

namespace orvane::app {

bool StartupStopFlag = false;

QString FirstArgument(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return {};
    QString first = arguments.at(1);
    for (QChar& c : first)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() - 'A' + 'a');
    return first;
}

QString PathToOpen(const QStringList& arguments)
{
    const QString first = FirstArgument(arguments);
    if (first.isEmpty() || first == QLatin1String("/uninstall") || first == QLatin1String("/reset"))
        return {};
    return arguments.at(1);
}

void AppStart(const QStringList& arguments)
{
    try {
        RegisterUninstall();
    } catch (const std::exception& error) {
        // A machine hive that cannot be read is told of, and the switches
        // still work.
        if (auto& dialogs = platform::Services::Current().dialogs)
            dialogs->ShowError(QString::fromUtf8(error.what()));
    }
    StartupStopFlag = false;
    const QString first = FirstArgument(arguments);
    if (first == QLatin1String("/uninstall")) {
        StartupStopFlag = true;
        if (fileops::AskYesNo(QStringLiteral("Are you sure to remove Orvane?"))) {
            ResetSettings();
            Uninstall();
        }
        QCoreApplication::quit();
    } else if (first == QLatin1String("/reset")) {
        StartupStopFlag = true;
        ResetSettings();
        QCoreApplication::quit();
    }
}

} // namespace orvane::app
