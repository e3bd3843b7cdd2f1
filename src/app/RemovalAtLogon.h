#pragma once
// What an uninstall leaves for the next log-on. The pending deletions are
// the machine hive's "RunOnce" values, each a command of one form only:
// rm -d -f -- 'path' (a file, or a folder once empty). The autostart entry
// carries them out at log-on, then removes the values (the hive file, when
// nothing else is left in it) and itself.
#include <QString>

namespace orvane::app {

// The command a pending deletion holds: "rm -d -f -- " and the path in
// single quotes, each quote in it written '\''.
QString RemoveCommand(const QString& path);

// Writes the autostart entry (PendingDeletionsEntryPath()) for the machine
// hive in use. It runs only the values "Delete Orvane" and "Delete Orvane
// file N" of the "RunOnce" key whose command has exactly the form above,
// with an absolute path; any other value, and a hive it cannot read, it
// leaves alone and runs nothing of.
void WritePendingDeletionsEntry();

} // namespace orvane::app
