#pragma once
// The two input dialogs of the file commands: a text entry with a drop-down
// of earlier entries (the name history).
#include <QDialog>

class QComboBox;

namespace orvane::ui {

class TInputDlgBase : public QDialog {
    Q_OBJECT
public:
    TInputDlgBase(const QString& caption, const QString& label, int width, QWidget* parent);

    // Shows the dialog with the history offered and an empty entry; true on
    // OK, with the text exactly as typed.
    bool Ask(const QStringList& history, QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QComboBox* nameBox_ = nullptr; // ComboBox1
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
