#include "ui/Dialogs.h"

#include "fileops/MainFunctions.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#ifndef ORVANE_VERSION_MAJOR
#define ORVANE_VERSION_MAJOR 0
#define ORVANE_VERSION_MINOR 0
#define ORVANE_VERSION_PATCH 0
#define ORVANE_VERSION_TWEAK 0
#endif

namespace orvane::ui {

namespace {

const char* const kWebPage = "https://orvane.org/";

void CentreOnScreen(QWidget* window)
{
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        window->move(area.x() + (area.width() - window->width()) / 2,
                     area.y() + (area.height() - window->height()) / 2);
    }
}

QCheckBox* CheckAt(QWidget* page, const char* name, const char* caption, int top)
{
    auto* box = new QCheckBox(QLatin1String(caption), page);
    box->setObjectName(QLatin1String(name));
    box->move(8, top);
    box->adjustSize();
    return box;
}

// A list page column: label, list, entry field, "Add" and "Remove".
struct ListColumn {
    QListWidget* list;
    QLineEdit* entry;
    QPushButton* add;
    QPushButton* remove;
};

ListColumn MakeColumn(QWidget* page, int left, int width, const char* label, bool buttonsRight, const char* listName,
                      const char* entryName, const char* addName, const char* removeName)
{
    auto* caption = new QLabel(QLatin1String(label), page);
    caption->move(left, 8);
    caption->adjustSize();
    ListColumn c{};
    c.list = new QListWidget(page);
    c.list->setObjectName(QLatin1String(listName));
    c.list->setGeometry(left, 28, width, 97);
    c.entry = new QLineEdit(page);
    c.entry->setObjectName(QLatin1String(entryName));
    c.entry->setGeometry(left, 132, width, 24);
    c.add = new QPushButton(QStringLiteral("Add"), page);
    c.add->setObjectName(QLatin1String(addName));
    c.remove = new QPushButton(QStringLiteral("Remove"), page);
    c.remove->setObjectName(QLatin1String(removeName));
    if (buttonsRight) {
        c.add->setGeometry(left + width + 8, 28, 75, 25);
        c.remove->setGeometry(left + width + 8, 60, 75, 25);
    } else {
        c.add->setGeometry(left, 164, 66, 25);
        c.remove->setGeometry(left + width - 66, 164, 66, 25);
    }
    return c;
}

} // namespace

TDlg::TDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Dlg"));
    setWindowTitle(QStringLiteral("Preferences"));
    setModal(true);
    setFixedSize(535, 373);

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(false);
    TreeView1->setGeometry(0, 0, 137, 373 - 36);
    for (const char* name : {"General", "View", "Folders", "File Types", "Color scheme", "Slideshow", "E-Mail"})
        TreeView1->addTopLevelItem(new QTreeWidgetItem(QStringList{QLatin1String(name)}));

    PageControl1 = new QStackedWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(137 + 5, 5, 535 - 137 - 10, 373 - 36 - 10);
    auto page = [this] {
        auto* widget = new QWidget;
        PageControl1->addWidget(widget);
        return widget;
    };

    QWidget* general = page();
    cb1 = CheckAt(general, "cb1", "Do not use always on top", 8);
    cb2 = CheckAt(general, "cb2", "Hide buttons in fullscreen mode", 32);
    cb7 = CheckAt(general, "cb7", "Do not minimize to system tray", 56);
    cb8 = CheckAt(general, "cb8", "Case-sensitive search", 80);
    cb9 = CheckAt(general, "cb9", "Do not use magnifier", 104);

    QWidget* view = page();
    cb3 = CheckAt(view, "cb3", "Search", 8);
    cb4 = CheckAt(view, "cb4", "E-Mail", 32);
    cb5 = CheckAt(view, "cb5", "Magnifier", 56);
    cb6 = CheckAt(view, "cb6", "Desktop background", 80);

    QWidget* folders = page();
    const ListColumn bad = MakeColumn(folders, 8, 121, "Folders with _bad_ photos", true, "ListBox1", "Edit3", "b3", "b4");
    ListBox1 = bad.list;
    Edit3 = bad.entry;
    b3 = bad.add;
    b4 = bad.remove;

    QWidget* types = page();
    const ListColumn pictures = MakeColumn(types, 8, 137, "Image File types", false, "ListBox2", "Edit2", "b1", "b2");
    ListBox2 = pictures.list;
    Edit2 = pictures.entry;
    b1 = pictures.add;
    b2 = pictures.remove;
    const ListColumn videos =
        MakeColumn(types, 160, 137, "Video File types", false, "ListBox3", "Edit4", "Button2", "Button1");
    ListBox3 = videos.list;
    Edit4 = videos.entry;
    Button2 = videos.add;
    Button1 = videos.remove;

    QWidget* colours = page();
    auto* schemeLabel = new QLabel(QStringLiteral("Color scheme"), colours);
    schemeLabel->move(8, 12);
    schemeLabel->adjustSize();
    co1 = new QComboBox(colours);
    co1->setObjectName(QStringLiteral("co1"));
    co1->addItems({QStringLiteral("Default"), QStringLiteral("White"), QStringLiteral("Silver")});
    co1->setGeometry(104, 8, 145, 24);

    QWidget* slides = page();
    auto* delayLabel = new QLabel(QStringLiteral("Slideshow delay, ms"), slides);
    delayLabel->move(8, 12);
    delayLabel->adjustSize();
    Edit1 = new QLineEdit(slides);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(140, 8, 121, 24);

    QWidget* mail = page();
    auto* mailLabel = new QLabel(QStringLiteral("Defaul e-mail message"), mail);
    mailLabel->move(8, 8);
    mailLabel->adjustSize();
    Memo1 = new QPlainTextEdit(mail);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(8, 28, 233, 201);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(211, 373 - 36 + 2, 75, 25);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(299, 373 - 36 + 2, 75, 25);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    // Names for assistive tools: each field is named by its caption.
    const std::pair<QWidget*, const char*> names[] = {
        {ListBox1, "Folders with _bad_ photos"}, {Edit3, "New folder name"},
        {ListBox2, "Image File types"},          {Edit2, "New image file type"},
        {ListBox3, "Video File types"},          {Edit4, "New video file type"},
        {co1, "Color scheme"},                   {Edit1, "Slideshow delay, ms"},
        {Memo1, "Defaul e-mail message"},        {TreeView1, "Pages"},
    };
    for (const auto& [widget, name] : names)
        widget->setAccessibleName(QLatin1String(name));

    connect(b3, &QPushButton::clicked, this, [this] { AddLine(ListBox1, Edit3); });
    connect(b4, &QPushButton::clicked, this, [this] { RemoveLine(ListBox1); });
    connect(b1, &QPushButton::clicked, this, [this] { AddLine(ListBox2, Edit2); });
    connect(b2, &QPushButton::clicked, this, [this] { RemoveLine(ListBox2); });
    connect(Button2, &QPushButton::clicked, this, [this] { AddLine(ListBox3, Edit4); });
    connect(Button1, &QPushButton::clicked, this, [this] { RemoveLine(ListBox3); });
    connect(TreeView1, &QTreeWidget::itemSelectionChanged, this, &TDlg::TreeView1Change);
    connect(PageControl1, &QStackedWidget::currentChanged, this, &TDlg::PageControl1Change);
    CentreOnScreen(this);
}

int TDlg::ActivePage() const
{
    return PageControl1->currentIndex();
}

void TDlg::SetActivePage(int page)
{
    if (page >= 0 && page < PageControl1->count())
        PageControl1->setCurrentIndex(page);
}

QStringList TDlg::Lines(const QListWidget* list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines.append(list->item(i)->text());
    return lines;
}

void TDlg::SetLines(QListWidget* list, const QStringList& lines)
{
    list->clear();
    list->addItems(lines);
}

void TDlg::AddLine(QListWidget* list, const QLineEdit* entry)
{
    const QString text = entry->text();
    if (text.isEmpty())
        return;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text().compare(text, Qt::CaseInsensitive) == 0)
            return;
    list->addItem(text);
}

void TDlg::RemoveLine(QListWidget* list)
{
    const int row = list->currentRow();
    if (row >= 0 && list->currentItem() && list->currentItem()->isSelected())
        delete list->takeItem(row);
}

void TDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TDlg::FormShow()
{
    pageSync_ = false;
    if (QTreeWidgetItem* node = TreeView1->topLevelItem(ActivePage()))
        TreeView1->setCurrentItem(node);
    TreeView1->setFocus();
    pageSync_ = true;
}

void TDlg::TreeView1Change()
{
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (pageSync_ && node)
        SetActivePage(TreeView1->indexOfTopLevelItem(node));
}

void TDlg::PageControl1Change(int page)
{
    if (QTreeWidgetItem* node = TreeView1->topLevelItem(page))
        TreeView1->setCurrentItem(node);
}

QString GetVersionString(const QString& path)
{
    if (path.isEmpty() || path != QCoreApplication::applicationFilePath())
        return {};
    return QStringLiteral("%1.%2.%3 build %4")
        .arg(ORVANE_VERSION_MAJOR)
        .arg(ORVANE_VERSION_MINOR)
        .arg(ORVANE_VERSION_PATCH)
        .arg(ORVANE_VERSION_TWEAK);
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setModal(true);
    setFixedSize(298, 213);
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(8, 8, 281, 161);
    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(8, 8, 48, 48);
    icon->setScaledContents(true);
    icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    ProductName = new QLabel(panel);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->setText(QStringLiteral("Orvane"));
    ProductName->setStyleSheet(QStringLiteral("font-weight: bold; color: palette(highlight);"));
    ProductName->setCursor(Qt::PointingHandCursor);
    ProductName->move(88, 16);
    ProductName->adjustSize();
    Version = new QLabel(panel);
    Version->setObjectName(QStringLiteral("Version"));
    Version->setText(QStringLiteral("Version ") + GetVersionString(QCoreApplication::applicationFilePath()));
    Version->setStyleSheet(QStringLiteral("font-weight: bold;"));
    Version->move(88, 40);
    Version->adjustSize();
    auto* credits = new QLabel(QStringLiteral("Written by the Orvane developers"), panel);
    credits->move(8, 80);
    credits->adjustSize();
    Label1 = new QLabel(QLatin1String(kWebPage), panel);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setStyleSheet(QStringLiteral("font-weight: bold; text-decoration: underline; color: blue;"));
    Label1->setCursor(Qt::PointingHandCursor);
    Label1->move(8, 104);
    Label1->adjustSize();
    Comments = new QLabel(QStringLiteral("Use on your own risk"), panel);
    Comments->setObjectName(QStringLiteral("Comments"));
    Comments->setWordWrap(true);
    Comments->setGeometry(8, 136, 265, 20);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 180, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    // Clicks on the name and on the link open the web page.
    ProductName->installEventFilter(this);
    Label1->installEventFilter(this);
    CentreOnScreen(this);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == ProductName)
            fileops::ShellOpen(this, QLatin1String(kWebPage));
        else if (watched == Label1)
            fileops::ShellOpen(this, Label1->text());
    }
    return QDialog::eventFilter(watched, event);
}

TInputDlgBase::TInputDlgBase(const QString& caption, const QString& label, int width, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(caption);
    setModal(true);
    setFixedSize(width, 93);
    Label1 = new QLabel(label, this);
    Label1->move(8, 9);
    Label1->adjustSize();
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    // The text is taken exactly as typed: no completion from the history, so
    // Enter is OK at once.
    ComboBox1->setCompleter(nullptr);
    ComboBox1->setGeometry(8, 32, width - 11, 24);
    ComboBox1->setAccessibleName(label);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(width - 158, 59, 75, 25);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(width - 78, 59, 75, 25);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    CentreOnScreen(this);
}

void TInputDlgBase::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ComboBox1->setFocus();
}

} // namespace orvane::ui
