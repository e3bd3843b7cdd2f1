#pragma once
// Every value the program keeps between runs, as one plain structure, and the
// one table that says for each value where it is stored, how, its default
// and which control of the Preferences dialog edits it. Reading, writing and
// the dialog's round trip all walk the table, so an option is spelled once.
#include <QString>
#include <QStringList>

#include <span>
#include <variant>

namespace orvane::ui {

// The options the window applies (SetParams) and the Preferences dialog
// edits, but for the lists, which the media library holds.
struct Options {
    bool noAlwaysOnTop = false;        // "Do not use always on top"
    bool hideFullScreenButtons = false; // "Hide buttons in fullscreen mode"
    bool showSearch = true;
    bool showMail = true;
    bool showMagnifier = true;
    bool showBackground = true;
    bool noTray = false;               // "Do not minimize to system tray"
    bool caseSensitiveSearch = false;
    bool noMagnifier = false;          // "Do not use magnifier"
    int colorScheme = 1;               // 0 "Default", 1 "White", 2 "Silver"
    int slideShowDelay = 5000;         // milliseconds; 0 stops the slide show
    int preferencesPage = 0;           // the page the dialog opens on
    QString mailText;                  // the body of sent mail
};

struct Settings : Options {
    // The window's outer (frame) rectangle, and its width with the file list
    // shown (restored when compact mode ends).
    int top = 0;
    int left = 0;
    int width = 0;
    int fullWidth = 0;
    int height = 0;

    QString rootFolder;
    int zoomLevel = 1;
    int switchInterval = 0; // 0 "10 seconds" .. 3 "1 hour"; -1 none chosen
    bool showCursor = false;
    bool autoSwitch = false;
    bool shuffle = false;
    QString searchText;
    QString mailTo;
    bool minimized = false; // written only: a start never acts on it
    QString currentFile;
    bool hideList = false;  // compact mode
    int panelWidth = 257;
    int searchGroupHeight = 69;
    int mailGroupHeight = 96;
    int magnifierGroupHeight = 96;
    int backgroundGroupHeight = 112;

    QStringList badFolders;
    QStringList fileTypes;
    QStringList videoFileTypes;
    int activeTab = 0; // -1 for none
    int photoIndex = -1;
    int videoIndex = -1;
    QStringList nameHistory;
};

enum class SettingsKey { Main, Additional, Options };

// How a value is stored: integers and booleans as numbers, texts as
// strings, lists joined by "|" or as lines each ended by CR LF.
enum class Encoding { Integer, Boolean, Text, JoinedList, LineList };

using SettingsField =
    std::variant<int Settings::*, bool Settings::*, QString Settings::*, QStringList Settings::*>;
// A default: a number, a flag, or text (lists in their stored form).
using SettingsDefault = std::variant<int, bool, const char*>;

struct StoredSetting {
    SettingsKey key;
    const char* name;         // the stored value's name
    Encoding encoding;
    SettingsField field;
    SettingsDefault fallback; // what a first start has
    const char* control;      // the Preferences control that edits it, or nullptr
};

// Every stored value in the order it is read and written.
std::span<const StoredSetting> StoredSettings();

// A first start's settings: every default of the table. (The window's
// rectangle defaults to the work area, which only the running program knows.)
Settings DefaultSettings();

// The joined list: items separated by "|". Splitting keeps empty pieces, so
// "" gives one empty item and "a|" gives "a" and "".
QStringList SplitList(const QString& text, QChar separator = QLatin1Char('|'));
QString JoinList(const QStringList& items, QChar separator = QLatin1Char('|'));
// The line list: every item followed by CR LF. Reading splits at CR LF, CR or
// LF; a break at the very end gives no extra item; "" gives no item.
QStringList SplitLines(const QString& text);
QString JoinLines(const QStringList& items);

} // namespace orvane::ui
