#pragma once
// The program's share of installing and removing: the uninstall entry in
// the machine hive, removing the installed files ("/uninstall") and
// resetting the settings ("/reset", and the first step of "/uninstall").
#include <QString>

namespace orvane::app {

// Run first on every start: enters the program in the machine hive with
// "/uninstall" as its removal command, and cancels deletions an earlier
// uninstall left for the next log-on. Copies run from the build tree do
// nothing here.
void RegisterUninstall();

// Removes the shortcuts and the files and folders of the install list,
// leaves what could not be removed (and the running program file) for the
// next log-on, and removes the uninstall entry.
void Uninstall();

// Removes the window position ("Top", "Left", "Width", "Maximized" of the
// "Main" key) and the whole "Options" key, then says so.
void ResetSettings();

} // namespace orvane::app
