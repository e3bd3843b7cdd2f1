#pragma once
// The settings store: every persistent value of the program, read once while
// the main window is created and written once when it is destroyed, under
// the per-user keys "\Software\Kestrin\Orvane\Main", "\Additional" and
// "\Options".
#include <QString>
#include <QStringList>

namespace orvane::ui {
class TForm1;
}

namespace orvane::app {

inline constexpr const char* kMainKey = "\\Software\\Kestrin\\Orvane\\Main";
inline constexpr const char* kAdditionalKey = "\\Software\\Kestrin\\Orvane\\Additional";
inline constexpr const char* kOptionsKey = "\\Software\\Kestrin\\Orvane\\Options";

// Reads every value that exists, in order, into the window; a value of the
// wrong type raises "Invalid data type for '%s'" and stops the reading.
void GetSettings(ui::TForm1& form);
// Writes every value, in order; a value that cannot be stored raises
// "Failed to set data for '%s'" and the rest is not written.
void SaveSettings(ui::TForm1& form);
// Checks the settings file before it is read. A file that cannot be read is
// renamed aside (so nothing overwrites it at shut-down) and the message for
// the user is returned; the program then starts with its defaults. Empty when
// the file is fine or missing.
QString CheckSettingsFile();
// Applies the options to the window.
void SetParams(ui::TForm1& form);

// The joined list: items separated by "|". Splitting keeps empty pieces, so
// "" gives one empty item and "a|" gives "a" and "".
QStringList SplitList(const QString& text, QChar separator = QLatin1Char('|'));
QString JoinList(const QStringList& items, QChar separator = QLatin1Char('|'));
// The line list: every item followed by CR LF. Reading splits at CR LF, CR or
// LF; a break at the very end gives no extra item; "" gives no item.
QStringList SplitLines(const QString& text);
QString JoinLines(const QStringList& items);

} // namespace orvane::app
