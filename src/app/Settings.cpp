#include "app/Settings.h"

#include "platform/Registry.h"
#include "ui/TForm1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

namespace orvane::app {

using platform::TRegistry;

QStringList SplitList(const QString& text, QChar separator)
{
    QStringList items;
    QString piece;
    for (QChar c : text) {
        if (c != separator) {
            piece.append(c);
        } else {
            items.append(piece);
            piece.clear();
        }
    }
    items.append(piece);
    return items;
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

namespace {

QRect WorkArea()
{
    if (QScreen* screen = QGuiApplication::primaryScreen())
        return screen->availableGeometry();
    return QRect(0, 0, 1024, 768);
}

} // namespace

QString CheckSettingsFile()
{
    QString reason;
    const QString keptAs = platform::SetAsideDamagedHive(platform::RootKey::HKEY_CURRENT_USER, &reason);
    if (keptAs.isEmpty())
        return {};
    return QStringLiteral("The settings file %1 could not be read (%2). It was kept as %3; Orvane starts with its "
                          "default settings.")
        .arg(TRegistry::UserHivePath(), reason, keptAs);
}

void GetSettings(ui::TForm1& form)
{
    library::MediaLibrary& library = form.Library();
    const QRect work = WorkArea();
    // The design state: at the screen's corner with the size of the work area.
    // The values are the window's outer (frame) rectangle.
    int top = 0, left = 0, width = work.width(), height = work.height();
    form.FullWidth = work.width();
    form.SetFrameBounds(QRect(left, top, width, height)); // kept when a stored value cannot be read

    TRegistry registry;
    registry.OpenKey(QString::fromLatin1(kMainKey), true);
    if (registry.ValueExists("Top"))
        top = registry.ReadInteger("Top");
    if (registry.ValueExists("Left"))
        left = registry.ReadInteger("Left");
    if (registry.ValueExists("Width"))
        width = registry.ReadInteger("Width");
    if (registry.ValueExists("FullWidth"))
        form.FullWidth = registry.ReadInteger("FullWidth");
    if (registry.ValueExists("Height"))
        height = registry.ReadInteger("Height");
    form.SetFrameBounds(QRect(left, top, width, height));
    registry.CloseKey();

    registry.OpenKey(QString::fromLatin1(kAdditionalKey), true);
    if (registry.ValueExists("Dir"))
        form.Dir = registry.ReadString("Dir");
    if (registry.ValueExists("TrackBar1"))
        form.TrackBar1->setValue(registry.ReadInteger("TrackBar1"));
    if (registry.ValueExists("ComboBox1")) {
        const int choice = registry.ReadInteger("ComboBox1");
        if (choice >= 0 && choice <= 3) {
            form.ComboBox1->setCurrentIndex(choice);
            form.ComboBox1Change(choice); // the timer follows the choice shown
        } else {
            form.ComboBox1->setCurrentIndex(-1);
        }
    }
    if (registry.ValueExists("CheckBox1"))
        form.cb1->setChecked(registry.ReadBool("CheckBox1"));
    if (registry.ValueExists("CheckBox2"))
        form.cb2->setChecked(registry.ReadBool("CheckBox2"));
    if (registry.ValueExists("CheckBox3"))
        form.cb3->setChecked(registry.ReadBool("CheckBox3"));
    if (registry.ValueExists("Edit1"))
        form.e1->setText(registry.ReadString("Edit1"));
    if (registry.ValueExists("Edit2"))
        form.e2->setText(registry.ReadString("Edit2"));
    if (registry.ValueExists("Minimize"))
        (void)registry.ReadBool("Minimize"); // written only; start-up does not act on it
    if (registry.ValueExists("FileName"))
        form.FileName = registry.ReadString("FileName");
    if (registry.ValueExists("HideList") && registry.ReadBool("HideList"))
        form.SwitchListBox(false);
    if (registry.ValueExists("PanelWidth"))
        form.SetLeftWidth(registry.ReadInteger("PanelWidth"));
    struct Group {
        const char* name;
        QGroupBox* box;
    };
    for (const Group& g : {Group{"g1Height", form.g1}, Group{"g2Height", form.g2}, Group{"g3Height", form.g3},
                           Group{"g4Height", form.g4}})
        if (registry.ValueExists(g.name))
            form.SetGroupHeight(g.box, registry.ReadInteger(g.name));
    registry.CloseKey();

    registry.OpenKey(QString::fromLatin1(kOptionsKey), true);
    struct Flag {
        const char* name;
        bool* field;
    };
    for (const Flag& f : {Flag{"bNormal", &form.bNormal}, Flag{"bHide", &form.bHide}, Flag{"bSearch", &form.bSearch},
                          Flag{"bEmail", &form.bEmail}, Flag{"bMag", &form.bMag}, Flag{"bDestopBG", &form.bDestopBG},
                          Flag{"bNotTray", &form.bNotTray}, Flag{"bCaseSens", &form.bCaseSens},
                          Flag{"bDisMag", &form.bDisMag}})
        if (registry.ValueExists(f.name))
            *f.field = registry.ReadBool(f.name);
    if (registry.ValueExists("BadFolders"))
        library.BadFolders.Assign(SplitList(registry.ReadString("BadFolders")));
    if (registry.ValueExists("FileTypes"))
        library.FileTypes.Assign(SplitList(registry.ReadString("FileTypes")));
    if (registry.ValueExists("VideoFileTypes"))
        library.VideoFileTypes.Assign(SplitList(registry.ReadString("VideoFileTypes")));
    if (registry.ValueExists("cScheme"))
        form.cScheme = registry.ReadInteger("cScheme");
    if (registry.ValueExists("ssDelay"))
        form.ssDelay = registry.ReadInteger("ssDelay");
    if (registry.ValueExists("actPage"))
        form.actPage = registry.ReadInteger("actPage");
    if (registry.ValueExists("aIndex"))
        form.SetActiveTab(registry.ReadInteger("aIndex"));
    if (registry.ValueExists("iFileIndex"))
        library.iFileIndex = registry.ReadInteger("iFileIndex");
    if (registry.ValueExists("vFileIndex"))
        library.vFileIndex = registry.ReadInteger("vFileIndex");
    if (registry.ValueExists("mess"))
        form.mess = registry.ReadString("mess");
    if (registry.ValueExists("popfolders"))
        form.popfolders = SplitLines(registry.ReadString("popfolders"));
    registry.CloseKey();
    SetParams(form);
}

void SaveSettings(ui::TForm1& form)
{
    library::MediaLibrary& library = form.Library();
    TRegistry registry;
    registry.OpenKey(QString::fromLatin1(kMainKey), true);
    // The window's outer (frame) rectangle, as the start-up sets it again.
    const QRect frame = form.FrameBounds();
    registry.WriteInteger("Top", frame.y());
    registry.WriteInteger("Left", frame.x());
    registry.WriteInteger("Width", frame.width());
    registry.WriteInteger("FullWidth", form.FullWidth);
    registry.WriteInteger("Height", frame.height());
    registry.CloseKey();

    registry.OpenKey(QString::fromLatin1(kAdditionalKey), true);
    registry.WriteString("Dir", form.Dir);
    registry.WriteInteger("TrackBar1", form.TrackBar1->value());
    registry.WriteInteger("ComboBox1", form.ComboBox1->currentIndex());
    registry.WriteBool("CheckBox1", form.cb1->isChecked());
    registry.WriteBool("CheckBox2", form.cb2->isChecked());
    registry.WriteBool("CheckBox3", form.cb3->isChecked());
    registry.WriteString("Edit1", form.e1->text());
    registry.WriteString("Edit2", form.e2->text());
    registry.WriteBool("Minimize", form.isMinimized());
    registry.WriteString("FileName", form.FileName);
    registry.WriteBool("HideList", form.PageControl1->isHidden());
    registry.WriteInteger("PanelWidth", form.LeftWidth());
    registry.WriteInteger("g1Height", form.g1->height());
    registry.WriteInteger("g2Height", form.g2->height());
    registry.WriteInteger("g3Height", form.g3->height());
    registry.WriteInteger("g4Height", form.g4->height());
    registry.CloseKey();

    registry.OpenKey(QString::fromLatin1(kOptionsKey), true);
    registry.WriteBool("bNormal", form.bNormal);
    registry.WriteBool("bHide", form.bHide);
    registry.WriteBool("bSearch", form.bSearch);
    registry.WriteBool("bEmail", form.bEmail);
    registry.WriteBool("bMag", form.bMag);
    registry.WriteBool("bDestopBG", form.bDestopBG);
    registry.WriteBool("bNotTray", form.bNotTray);
    registry.WriteBool("bCaseSens", form.bCaseSens);
    registry.WriteBool("bDisMag", form.bDisMag);
    registry.WriteString("BadFolders", JoinList(library.BadFolders.Items()));
    registry.WriteString("FileTypes", JoinList(library.FileTypes.Items()));
    registry.WriteString("VideoFileTypes", JoinList(library.VideoFileTypes.Items()));
    registry.WriteInteger("cScheme", form.cScheme);
    registry.WriteInteger("ssDelay", form.ssDelay);
    registry.WriteInteger("actPage", form.actPage);
    registry.WriteInteger("aIndex", form.ActiveTab());
    registry.WriteInteger("iFileIndex", library.iFileIndex);
    registry.WriteInteger("vFileIndex", library.vFileIndex);
    registry.WriteString("mess", form.mess);
    registry.WriteString("popfolders", JoinLines(form.popfolders));
    registry.CloseKey();
}

void SetParams(ui::TForm1& form)
{
    form.SetParams();
}

} // namespace orvane::app
