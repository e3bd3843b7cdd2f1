#pragma once
// The settings store: every persistent value of the program, read once while
// the main window is created and written once when it is destroyed, under
// the per-user keys "\Software\Kestrin\Orvane\Main", "\Additional" and
// "\Options". What is stored, in which order and how, is the settings table
// of the window's settings model; this store reads and writes that model.
#include "ui/SettingsModel.h"

#include <QString>

namespace orvane::ui {
class TForm1;
}

namespace orvane::app {

inline constexpr const char* kMainKey = "\\Software\\Kestrin\\Orvane\\Main";
inline constexpr const char* kAdditionalKey = "\\Software\\Kestrin\\Orvane\\Additional";
inline constexpr const char* kOptionsKey = "\\Software\\Kestrin\\Orvane\\Options";

// Reads every value that exists, in order, into the window, then applies the
// options. A value of the wrong type raises "Invalid data type for '%s'" and
// stops the reading: what was read before it is taken, the options are not
// applied, and a window rectangle not read whole stays at its design place
// and size (the work area).
void GetSettings(ui::TForm1& form);
// Writes every value, in order; a value that cannot be stored raises
// "Failed to set data for '%s'" and the rest is not written.
void SaveSettings(ui::TForm1& form);
// Checks the settings file before it is read. A file that cannot be read is
// renamed aside (so nothing overwrites it at shut-down) and the message for
// the user is returned; the program then starts with its defaults. Empty when
// the file is fine or missing.
QString CheckSettingsFile();

// The stored values into the model, and the model into the store.
void ReadSettings(ui::Settings& settings);
void WriteSettings(const ui::Settings& settings);

} // namespace orvane::app
