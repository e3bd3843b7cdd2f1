#include "app/AppFunctions.h"

#include "app/Removal.h"
#include "fileops/FileFunctions.h"

#include <QCoreApplication>

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

void AppStart(const QStringList& arguments)
{
    // The uninstall entry and the removal of installed files belong to the
    // install subsystem, which the program does not have yet: "/uninstall"
    // resets the settings and ends the run without a window.
    StartupStopFlag = false;
    const QString first = FirstArgument(arguments);
    if (first == QLatin1String("/uninstall")) {
        StartupStopFlag = true;
        if (fileops::AskYesNo(QStringLiteral("Are you sure to remove Orvane?")))
            ResetSettings();
        QCoreApplication::quit();
    } else if (first == QLatin1String("/reset")) {
        StartupStopFlag = true;
        ResetSettings();
        QCoreApplication::quit();
    }
}

} // namespace orvane::app
