#include "app/AppFunctions.h"

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
    // The uninstall entry and the removal of the settings belong to the
    // install subsystem and the settings store; the switches are recognised
    // and end the run without a window already.
    StartupStopFlag = false;
    const QString first = FirstArgument(arguments);
    if (first == QLatin1String("/uninstall")) {
        StartupStopFlag = true;
        fileops::AskYesNo(QStringLiteral("Are you sure to remove Orvane?"));
        QCoreApplication::quit();
    } else if (first == QLatin1String("/reset")) {
        StartupStopFlag = true;
        QCoreApplication::quit();
    }
}

} // namespace orvane::app
