#pragma once
// Preferences: the options, the lists of the scanner, the colour scheme, the
// slide-show delay and the mail text, on seven pages chosen from a tree. The
// settings table says which control edits which value; loading and storing
// walk it.
#include "ui/SettingsModel.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QStackedWidget;
class QTreeWidget;
class QWidget;

namespace orvane::ui {

class TDlg : public QDialog {
    Q_OBJECT
public:
    explicit TDlg(QWidget* parent = nullptr);

    // Shows the values of the settings that have a control here.
    void Load(const Settings& settings);
    // Copies those controls back. The mail text comes back as it was stored
    // unless it was edited (the editor hands lines back with LF alone; an
    // edited text gets CR LF).
    void Store(Settings& settings) const;

    int ActivePage() const;
    void SetActivePage(int page);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreatePages();
    QWidget* AddPage();
    void CreateGeneralPage(QWidget* page);
    void CreateViewPage(QWidget* page);
    void CreateFoldersPage(QWidget* page);
    void CreateFileTypesPage(QWidget* page);
    void CreateColorSchemePage(QWidget* page);
    void CreateSlideshowPage(QWidget* page);
    void CreateMailPage(QWidget* page);
    void CreateButtons();
    void NameFields();
    void AddListColumn(QWidget* page, int left, int width, const char* label, bool buttonsRight,
                       const char* listName, const char* entryName, const char* addName, const char* removeName);
    void treeSelectionChanged();
    void pageChanged(int page);

    QTreeWidget* pageTree_ = nullptr;   // TreeView1
    QStackedWidget* pages_ = nullptr;   // PageControl1
    QString loadedMailText_;
    QString shownMailText_;
    // Until first shown, choosing a node in the tree switches no page.
    bool pageSync_ = false;
};

} // namespace orvane::ui
