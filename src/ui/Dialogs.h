#pragma once
// The program's dialogs besides the main window. They are created once at
// start-up and shown modally when needed.
#include <QComboBox>
#include <QDialog>

namespace orvane::ui {

// Preferences.
class TDlg : public QDialog {
    Q_OBJECT
public:
    explicit TDlg(QWidget* parent = nullptr);
};

// About box.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

// A text entry with a drop-down of earlier entries.
class TInputDlgBase : public QDialog {
    Q_OBJECT
public:
    TInputDlgBase(const QString& caption, QWidget* parent);
    QComboBox* ComboBox1 = nullptr;
};

// "Enter folder name"
class TInputDlg : public TInputDlgBase {
    Q_OBJECT
public:
    explicit TInputDlg(QWidget* parent = nullptr) : TInputDlgBase(QStringLiteral("Enter folder name"), parent) {}
};

// "Enter a part of file name"
class TInputDlg2 : public TInputDlgBase {
    Q_OBJECT
public:
    explicit TInputDlg2(QWidget* parent = nullptr)
        : TInputDlgBase(QStringLiteral("Enter a part of file name"), parent)
    {
    }
};

} // namespace orvane::ui
