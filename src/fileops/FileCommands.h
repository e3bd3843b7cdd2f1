#pragma once
// The file commands of the file list: moving files into a folder, into a
// sibling folder, adding a text to their names, and sending them to the
// trash. They work on the files on disk and on the lines of a list; they
// never rescan.
#include "fileops/FileMove.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace orvane::fileops {

enum class FileCommand { MoveInFolder, RenameFolder, AddToFilename };

// The new line for a line after the command with the typed text; root-
// relative lines with "/" between folder names.
QString TargetLine(FileCommand command, const QString& line, const QString& text);

// Carries out a command on the selected lines (indexes into lines, ascending)
// under root; lines that moved get their new text. failed is called once per
// line that could not be moved ("Cannot rename"). Files move with
// MoveFileNoReplace; a copy across file systems reports "Moving <name>: N%"
// through status between its chunks, where the caller may also let pending
// window messages be handled.
void RunFileCommand(FileCommand command, const QString& root, QStringList& lines, const QList<int>& selected,
                    const QString& text, const std::function<void()>& failed,
                    const std::function<void(const QString&)>& status = {});

// The text typed counts only when something is left after removing leading
// and trailing characters up to the space.
bool UsableText(const QString& text);

// Appends the text to the name history unless an entry equals it, letter
// case ignored.
void AddToHistory(QStringList& history, const QString& text);

} // namespace orvane::fileops
