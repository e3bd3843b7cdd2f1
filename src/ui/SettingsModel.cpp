#include "ui/SettingsModel.h"

namespace orvane::ui {

namespace {

using enum SettingsKey;
using enum Encoding;
using S = Settings;

// Stored value, encoding, field, first-start default, Preferences control.
const StoredSetting kStoredSettings[] = {
    {Main, "Top", Integer, &S::top, 0, nullptr},
    {Main, "Left", Integer, &S::left, 0, nullptr},
    {Main, "Width", Integer, &S::width, 0, nullptr},
    {Main, "FullWidth", Integer, &S::fullWidth, 0, nullptr},
    {Main, "Height", Integer, &S::height, 0, nullptr},

    {Additional, "Dir", Text, &S::rootFolder, "", nullptr},
    {Additional, "TrackBar1", Integer, &S::zoomLevel, 1, nullptr},
    {Additional, "ComboBox1", Integer, &S::switchInterval, 0, nullptr},
    {Additional, "CheckBox1", Boolean, &S::showCursor, false, nullptr},
    {Additional, "CheckBox2", Boolean, &S::autoSwitch, false, nullptr},
    {Additional, "CheckBox3", Boolean, &S::shuffle, false, nullptr},
    {Additional, "Edit1", Text, &S::searchText, "", nullptr},
    {Additional, "Edit2", Text, &S::mailTo, "", nullptr},
    {Additional, "Minimize", Boolean, &S::minimized, false, nullptr},
    {Additional, "FileName", Text, &S::currentFile, "", nullptr},
    {Additional, "HideList", Boolean, &S::hideList, false, nullptr},
    {Additional, "PanelWidth", Integer, &S::panelWidth, 257, nullptr},
    {Additional, "g1Height", Integer, &S::searchGroupHeight, 69, nullptr},
    {Additional, "g2Height", Integer, &S::mailGroupHeight, 96, nullptr},
    {Additional, "g3Height", Integer, &S::magnifierGroupHeight, 96, nullptr},
    {Additional, "g4Height", Integer, &S::backgroundGroupHeight, 112, nullptr},

    {Options, "bNormal", Boolean, &S::noAlwaysOnTop, false, "cb1"},
    {Options, "bHide", Boolean, &S::hideFullScreenButtons, false, "cb2"},
    {Options, "bSearch", Boolean, &S::showSearch, true, "cb3"},
    {Options, "bEmail", Boolean, &S::showMail, true, "cb4"},
    {Options, "bMag", Boolean, &S::showMagnifier, true, "cb5"},
    {Options, "bDestopBG", Boolean, &S::showBackground, true, "cb6"},
    {Options, "bNotTray", Boolean, &S::noTray, false, "cb7"},
    {Options, "bCaseSens", Boolean, &S::caseSensitiveSearch, false, "cb8"},
    {Options, "bDisMag", Boolean, &S::noMagnifier, false, "cb9"},
    {Options, "BadFolders", JoinedList, &S::badFolders, "_|...misc|...orig|..notebook", "ListBox1"},
    {Options, "FileTypes", JoinedList, &S::fileTypes, "jpg|jpeg", "ListBox2"},
    {Options, "VideoFileTypes", JoinedList, &S::videoFileTypes, "avi|3gp", "ListBox3"},
    {Options, "cScheme", Integer, &S::colorScheme, 1, "co1"},
    {Options, "ssDelay", Integer, &S::slideShowDelay, 5000, "Edit1"},
    {Options, "actPage", Integer, &S::preferencesPage, 0, "PageControl1"},
    {Options, "aIndex", Integer, &S::activeTab, 0, nullptr},
    {Options, "iFileIndex", Integer, &S::photoIndex, -1, nullptr},
    {Options, "vFileIndex", Integer, &S::videoIndex, -1, nullptr},
    {Options, "mess", Text, &S::mailText,
     "Hello\r\nFound these great photos using Orvane https://orvane.org/\r\nCheck it out!", "Memo1"},
    {Options, "popfolders", LineList, &S::nameHistory, "", nullptr},
};

} // namespace

std::span<const StoredSetting> StoredSettings()
{
    return kStoredSettings;
}

Settings DefaultSettings()
{
    Settings settings;
    for (const StoredSetting& value : kStoredSettings) {
        std::visit(
            [&](auto member) {
                using Field = std::remove_reference_t<decltype(settings.*member)>;
                auto& field = settings.*member;
                if constexpr (std::is_same_v<Field, QStringList>) {
                    const QString text = QString::fromUtf8(std::get<const char*>(value.fallback));
                    field = value.encoding == JoinedList ? SplitList(text) : SplitLines(text);
                } else if constexpr (std::is_same_v<Field, QString>) {
                    field = QString::fromUtf8(std::get<const char*>(value.fallback));
                } else {
                    field = std::get<Field>(value.fallback);
                }
            },
            value.field);
    }
    return settings;
}

QStringList SplitList(const QString& text, QChar separator)
{
    return text.split(separator, Qt::KeepEmptyParts);
}

QString JoinList(const QStringList& items, QChar separator)
{
    return items.join(separator);
}

QStringList SplitLines(const QString& text)
{
    QStringList items;
    QString piece;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            items.append(piece);
            piece.clear();
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
        } else {
            piece.append(c);
        }
    }
    if (!piece.isEmpty())
        items.append(piece);
    return items;
}

QString JoinLines(const QStringList& items)
{
    QString text;
    for (const QString& item : items)
        text += item + QStringLiteral("\r\n");
    return text;
}

} // namespace orvane::ui
