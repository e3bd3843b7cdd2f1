#pragma once
// The command line: "/uninstall" and "/reset" do their work and end the run
// before any window exists.
#include <QStringList>

namespace orvane::app {

// Set when a switch has ended the run; read once by the entry.
extern bool StartupStopFlag;

// Registers the uninstall entry, then looks at the first argument (after
// the program name) and runs a switch.
void AppStart(const QStringList& arguments);

// The first argument lower-cased in ASCII letters only, or empty.
QString FirstArgument(const QStringList& arguments);

// The folder or file the first argument names when it is no switch ("Open
// with"), exactly as given; empty when there is none. Further arguments
// are ignored.
QString PathToOpen(const QStringList& arguments);

} // namespace orvane::app
