#pragma once
// Desktop entry files (.desktop): reading the main group, and the Exec
// line's own quoting, so that names reach a program as single arguments
// whatever characters they hold.
#include <QHash>
#include <QString>
#include <QStringList>

namespace orvane::platform {

// The general escapes of a string value: "\s", "\n", "\t", "\r", "\\".
QString UnescapeDesktopString(const QString& value);
QString EscapeDesktopString(const QString& text);

// The keys of the "[Desktop Entry]" group, values unescaped; empty when the
// file cannot be read. Localised keys ("Name[de]") stay as written.
QHash<QString, QString> ReadDesktopEntry(const QString& path);

// An Exec value (already unescaped) split into its arguments: blanks
// separate them, double quotes group them with "\"", "\`", "\$" and "\\"
// standing for the character. Field codes stay as written ("%u", "%%").
// *ok is false for an unclosed quote or a stray backslash.
QStringList SplitExec(const QString& exec, bool* ok = nullptr);

// The arguments without their field codes ("%f", "%U", ...), "%%" read as
// "%".
QStringList DropFieldCodes(const QStringList& arguments);

// The Exec value (before the general escapes) that runs exactly these
// arguments: each one double-quoted, its '"', '`', '$', '\' escaped and its
// '%' doubled.
QString JoinExec(const QStringList& arguments);

} // namespace orvane::platform
