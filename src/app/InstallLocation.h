#pragma once
// Where the running copy of the program lies. An install made with
// "cmake --install <build> --prefix P" keeps the program file and the rest
// of the program folder in P/lib/orvane/ (links in P/bin) and the machine
// hive in P/etc/orvane/machine.reg (/etc/orvane for the prefixes /usr and
// /). Copies run from the build tree lie below the development folder
// prefix.
#include <QString>

namespace orvane::app {

// Makes path the running program file and puts the machine hive beside its
// prefix. The program's entry passes the real program file; tests pass an
// installed copy of their own; an empty path goes back to the defaults.
void UseProgramFile(const QString& path);
// The full path of the running program file.
QString ProgramFilePath();
// The machine hive's folder for a program file in P/lib/orvane/.
QString MachineHiveFolderFor(const QString& programFile);
// The build tree the program was built in, ending in "/".
QString DevelopmentFolderPrefix();
// The autostart entry that carries out the deletions left for the next
// log-on.
QString PendingDeletionsEntryPath();

} // namespace orvane::app
