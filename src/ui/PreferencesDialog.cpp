#include "ui/PreferencesDialog.h"

#include "fileops/StringFunctions.h"
#include "ui/DialogPlacement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>

namespace orvane::ui {

namespace {

constexpr int kWidth = 535;
constexpr int kHeight = 373;
constexpr int kTreeWidth = 137;
constexpr int kButtonStrip = 36;

const char* const kPageNames[] = {"General", "View", "Folders", "File Types", "Color scheme", "Slideshow", "E-Mail"};

void AddCheckBox(QWidget* page, const char* name, const char* caption, int top)
{
    auto* box = new QCheckBox(QLatin1String(caption), page);
    box->setObjectName(QLatin1String(name));
    box->move(8, top);
    box->adjustSize();
}

void AddLabel(QWidget* page, const char* caption, int left, int top)
{
    auto* label = new QLabel(QLatin1String(caption), page);
    label->move(left, top);
    label->adjustSize();
}

QStringList Lines(const QListWidget* list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines.append(list->item(i)->text());
    return lines;
}

// "Add": the entry's text as typed, unless empty or listed already in any
// letter case. The entry keeps its text.
void AddLine(QListWidget* list, const QLineEdit* entry)
{
    const QString text = entry->text();
    if (text.isEmpty())
        return;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text().compare(text, Qt::CaseInsensitive) == 0)
            return;
    list->addItem(text);
}

// "Remove": the selected line, if any.
void RemoveLine(QListWidget* list)
{
    const int row = list->currentRow();
    if (row >= 0 && list->currentItem() && list->currentItem()->isSelected())
        delete list->takeItem(row);
}

} // namespace

TDlg::TDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Dlg"));
    setWindowTitle(QStringLiteral("Preferences"));
    setModal(true);
    setFixedSize(kWidth, kHeight);
    CreatePages();
    CreateButtons();
    NameFields();
    connect(pageTree_, &QTreeWidget::itemSelectionChanged, this, &TDlg::treeSelectionChanged);
    connect(pages_, &QStackedWidget::currentChanged, this, &TDlg::pageChanged);
    CentreOnScreen(this);
}

void TDlg::CreatePages()
{
    pageTree_ = new QTreeWidget(this);
    pageTree_->setObjectName(QStringLiteral("TreeView1"));
    pageTree_->setHeaderHidden(true);
    pageTree_->setRootIsDecorated(false);
    pageTree_->setGeometry(0, 0, kTreeWidth, kHeight - kButtonStrip);
    pages_ = new QStackedWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    pages_->setGeometry(kTreeWidth + 5, 5, kWidth - kTreeWidth - 10, kHeight - kButtonStrip - 10);
    for (const char* name : kPageNames)
        pageTree_->addTopLevelItem(new QTreeWidgetItem(QStringList{QLatin1String(name)}));
    // The pages in the tree's order.
    CreateGeneralPage(AddPage());
    CreateViewPage(AddPage());
    CreateFoldersPage(AddPage());
    CreateFileTypesPage(AddPage());
    CreateColorSchemePage(AddPage());
    CreateSlideshowPage(AddPage());
    CreateMailPage(AddPage());
}

QWidget* TDlg::AddPage()
{
    auto* page = new QWidget;
    pages_->addWidget(page);
    return page;
}

void TDlg::CreateGeneralPage(QWidget* page)
{
    AddCheckBox(page, "cb1", "Do not use always on top", 8);
    AddCheckBox(page, "cb2", "Hide buttons in fullscreen mode", 32);
    AddCheckBox(page, "cb7", "Do not minimize to system tray", 56);
    AddCheckBox(page, "cb8", "Case-sensitive search", 80);
    AddCheckBox(page, "cb9", "Do not use magnifier", 104);
}

void TDlg::CreateViewPage(QWidget* page)
{
    AddCheckBox(page, "cb3", "Search", 8);
    AddCheckBox(page, "cb4", "E-Mail", 32);
    AddCheckBox(page, "cb5", "Magnifier", 56);
    AddCheckBox(page, "cb6", "Desktop background", 80);
}

void TDlg::CreateFoldersPage(QWidget* page)
{
    AddListColumn(page, 8, 121, "Folders with _bad_ photos", true, "ListBox1", "Edit3", "b3", "b4");
}

void TDlg::CreateFileTypesPage(QWidget* page)
{
    AddListColumn(page, 8, 137, "Image File types", false, "ListBox2", "Edit2", "b1", "b2");
    AddListColumn(page, 160, 137, "Video File types", false, "ListBox3", "Edit4", "Button2", "Button1");
}

void TDlg::CreateColorSchemePage(QWidget* page)
{
    AddLabel(page, "Color scheme", 8, 12);
    auto* scheme = new QComboBox(page);
    scheme->setObjectName(QStringLiteral("co1"));
    scheme->addItems({QStringLiteral("Default"), QStringLiteral("White"), QStringLiteral("Silver")});
    scheme->setGeometry(104, 8, 145, 24);
}

void TDlg::CreateSlideshowPage(QWidget* page)
{
    AddLabel(page, "Slideshow delay, ms", 8, 12);
    auto* delay = new QLineEdit(page);
    delay->setObjectName(QStringLiteral("Edit1"));
    delay->setGeometry(140, 8, 121, 24);
}

void TDlg::CreateMailPage(QWidget* page)
{
    AddLabel(page, "Defaul e-mail message", 8, 8);
    auto* text = new QPlainTextEdit(page);
    text->setObjectName(QStringLiteral("Memo1"));
    text->setGeometry(8, 28, 233, 201);
}

// A list page column: label, list, entry field, "Add" and "Remove" (right
// of the list, or under the entry field).
void TDlg::AddListColumn(QWidget* page, int left, int width, const char* label, bool buttonsRight,
                         const char* listName, const char* entryName, const char* addName, const char* removeName)
{
    AddLabel(page, label, left, 8);
    auto* list = new QListWidget(page);
    list->setObjectName(QLatin1String(listName));
    list->setGeometry(left, 28, width, 97);
    auto* entry = new QLineEdit(page);
    entry->setObjectName(QLatin1String(entryName));
    entry->setGeometry(left, 132, width, 24);
    auto* add = new QPushButton(QStringLiteral("Add"), page);
    add->setObjectName(QLatin1String(addName));
    auto* remove = new QPushButton(QStringLiteral("Remove"), page);
    remove->setObjectName(QLatin1String(removeName));
    if (buttonsRight) {
        add->setGeometry(left + width + 8, 28, 75, 25);
        remove->setGeometry(left + width + 8, 60, 75, 25);
    } else {
        add->setGeometry(left, 164, 66, 25);
        remove->setGeometry(left + width - 66, 164, 66, 25);
    }
    connect(add, &QPushButton::clicked, this, [list, entry] { AddLine(list, entry); });
    connect(remove, &QPushButton::clicked, this, [list] { RemoveLine(list); });
}

void TDlg::CreateButtons()
{
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setGeometry(211, kHeight - kButtonStrip + 2, 75, 25);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    cancel->setGeometry(299, kHeight - kButtonStrip + 2, 75, 25);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TDlg::NameFields()
{
    // Names for assistive tools: each field is named by its caption.
    const std::pair<const char*, const char*> names[] = {
        {"ListBox1", "Folders with _bad_ photos"}, {"Edit3", "New folder name"},
        {"ListBox2", "Image File types"},          {"Edit2", "New image file type"},
        {"ListBox3", "Video File types"},          {"Edit4", "New video file type"},
        {"co1", "Color scheme"},                   {"Edit1", "Slideshow delay, ms"},
        {"Memo1", "Defaul e-mail message"},        {"TreeView1", "Pages"},
    };
    for (const auto& [name, caption] : names)
        findChild<QWidget*>(QLatin1String(name))->setAccessibleName(QLatin1String(caption));
}

void TDlg::Load(const Settings& settings)
{
    for (const StoredSetting& value : StoredSettings()) {
        if (!value.control)
            continue;
        QWidget* control = findChild<QWidget*>(QLatin1String(value.control));
        std::visit(
            [&](auto member) {
                const auto& field = settings.*member;
                using Field = std::decay_t<decltype(field)>;
                if constexpr (std::is_same_v<Field, bool>) {
                    static_cast<QCheckBox*>(control)->setChecked(field);
                } else if constexpr (std::is_same_v<Field, QStringList>) {
                    auto* list = static_cast<QListWidget*>(control);
                    list->clear();
                    list->addItems(field);
                } else if constexpr (std::is_same_v<Field, QString>) {
                    static_cast<QPlainTextEdit*>(control)->setPlainText(field);
                } else if (auto* choice = qobject_cast<QComboBox*>(control)) {
                    choice->setCurrentIndex(field >= 0 && field < choice->count() ? field : -1);
                } else if (auto* entry = qobject_cast<QLineEdit*>(control)) {
                    entry->setText(fileops::IntToText(field));
                } else {
                    SetActivePage(field);
                }
            },
            value.field);
    }
    loadedMailText_ = settings.mailText;
    shownMailText_ = findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText();
}

void TDlg::Store(Settings& settings) const
{
    for (const StoredSetting& value : StoredSettings()) {
        if (!value.control)
            continue;
        const QWidget* control = findChild<QWidget*>(QLatin1String(value.control));
        std::visit(
            [&](auto member) {
                auto& field = settings.*member;
                using Field = std::decay_t<decltype(field)>;
                if constexpr (std::is_same_v<Field, bool>) {
                    field = static_cast<const QCheckBox*>(control)->isChecked();
                } else if constexpr (std::is_same_v<Field, QStringList>) {
                    field = Lines(static_cast<const QListWidget*>(control));
                } else if constexpr (std::is_same_v<Field, QString>) {
                    const QString edited = static_cast<const QPlainTextEdit*>(control)->toPlainText();
                    field = edited == shownMailText_ ? loadedMailText_
                                                     : QString(edited).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
                } else if (auto* choice = qobject_cast<const QComboBox*>(control)) {
                    field = choice->currentIndex();
                } else if (auto* entry = qobject_cast<const QLineEdit*>(control)) {
                    field = static_cast<int>(fileops::ParseLooseInteger(entry->text()));
                } else {
                    field = ActivePage();
                }
            },
            value.field);
    }
}

int TDlg::ActivePage() const
{
    return pages_->currentIndex();
}

void TDlg::SetActivePage(int page)
{
    if (page >= 0 && page < pages_->count())
        pages_->setCurrentIndex(page);
}

void TDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The tree shows the page the dialog opens on; from now on choosing a
    // node switches the page.
    pageSync_ = false;
    if (QTreeWidgetItem* node = pageTree_->topLevelItem(ActivePage()))
        pageTree_->setCurrentItem(node);
    pageTree_->setFocus();
    pageSync_ = true;
}

void TDlg::treeSelectionChanged()
{
    QTreeWidgetItem* node = pageTree_->currentItem();
    if (pageSync_ && node)
        SetActivePage(pageTree_->indexOfTopLevelItem(node));
}

void TDlg::pageChanged(int page)
{
    if (QTreeWidgetItem* node = pageTree_->topLevelItem(page))
        pageTree_->setCurrentItem(node);
}

} // namespace orvane::ui
