#pragma once
// The About box: the program's name and version, the web page, the note.
#include <QDialog>

class QLabel;

namespace orvane::ui {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* productName_ = nullptr; // ProductName
    QLabel* webPage_ = nullptr;     // Label1
};

// The version text of a program file: "major.minor.release build N" from
// the version the program was built with, for the running program file;
// empty for any other file.
QString GetVersionString(const QString& path);

} // namespace orvane::ui
