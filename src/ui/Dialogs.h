#pragma once
// The program's dialogs besides the main window. They are created once at
// start-up and shown modally when needed.
#include <QComboBox>
#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTreeWidget;

namespace orvane::ui {

// Preferences: the options, the lists of the scanner, the colour scheme, the
// slide-show delay and the mail text, on seven pages chosen from a tree.
class TDlg : public QDialog {
    Q_OBJECT
public:
    explicit TDlg(QWidget* parent = nullptr);

    // General
    QCheckBox *cb1 = nullptr, *cb2 = nullptr, *cb7 = nullptr, *cb8 = nullptr, *cb9 = nullptr;
    // View
    QCheckBox *cb3 = nullptr, *cb4 = nullptr, *cb5 = nullptr, *cb6 = nullptr;
    // Folders
    QListWidget* ListBox1 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QPushButton *b3 = nullptr, *b4 = nullptr;
    // File Types
    QListWidget* ListBox2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QPushButton *b1 = nullptr, *b2 = nullptr;
    QListWidget* ListBox3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QPushButton *Button2 = nullptr, *Button1 = nullptr;
    // Color scheme, Slideshow, E-Mail
    QComboBox* co1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

    QTreeWidget* TreeView1 = nullptr;
    QStackedWidget* PageControl1 = nullptr;
    QPushButton *OKBtn = nullptr, *CancelBtn = nullptr;

    int ActivePage() const;
    void SetActivePage(int page);

    // The lines of a list box, and replacing them.
    static QStringList Lines(const QListWidget* list);
    static void SetLines(QListWidget* list, const QStringList& lines);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void TreeView1Change();
    void PageControl1Change(int page);
    static void AddLine(QListWidget* list, const QLineEdit* entry);
    static void RemoveLine(QListWidget* list);

    bool pageSync_ = false;
};

// About box.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Comments = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The version text of a program file: "major.minor.release build N" from
// the version the program was built with, for the running program file;
// empty for any other file.
QString GetVersionString(const QString& path);

// A text entry with a drop-down of earlier entries (the name history).
class TInputDlgBase : public QDialog {
    Q_OBJECT
public:
    TInputDlgBase(const QString& caption, const QString& label, int width, QWidget* parent);
    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

// "Enter folder name"
class TInputDlg : public TInputDlgBase {
    Q_OBJECT
public:
    explicit TInputDlg(QWidget* parent = nullptr)
        : TInputDlgBase(QStringLiteral("Enter folder name"),
                        QStringLiteral("Selected files will be moved into specified folder"), 268, parent)
    {
    }
};

// "Enter a part of file name"
class TInputDlg2 : public TInputDlgBase {
    Q_OBJECT
public:
    explicit TInputDlg2(QWidget* parent = nullptr)
        : TInputDlgBase(QStringLiteral("Enter a part of file name"),
                        QStringLiteral("This part will be added to the current file name"), 308, parent)
    {
    }
};

} // namespace orvane::ui
