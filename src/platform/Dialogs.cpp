#include "platform/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>

namespace orvane::platform {

namespace {

QWidget* OwnerWindow()
{
    if (QWidget* active = QApplication::activeWindow())
        return active;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows)
        if (window->isVisible() && window->inherits("QMainWindow"))
            return window;
    return nullptr;
}

QMessageBox::StandardButton Ask(QMessageBox::Icon icon, const QString& caption, const QString& text,
                                QMessageBox::StandardButtons buttons, QMessageBox::StandardButton escape)
{
    QMessageBox box(icon, caption, text, buttons, OwnerWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.setEscapeButton(escape);
    const int result = box.exec();
    return static_cast<QMessageBox::StandardButton>(result);
}

} // namespace

void QtDialogs::ShowError(const QString& text)
{
    Ask(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtDialogs::ShowInformation(const QString& text)
{
    Ask(QMessageBox::Information, QApplication::applicationName(), text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtDialogs::ShowWarning(const QString& caption, const QString& text)
{
    Ask(QMessageBox::Warning, caption, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtDialogs::ShowErrorBox(const QString& caption, const QString& text)
{
    Ask(QMessageBox::Critical, caption, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtDialogs::AskYesNo(const QString& text)
{
    return Ask(QMessageBox::Question, QApplication::applicationName(), text, QMessageBox::Yes | QMessageBox::No,
               QMessageBox::No) == QMessageBox::Yes;
}

bool QtDialogs::AskRetryIgnore(const QString& text)
{
    return Ask(QMessageBox::Warning, QApplication::applicationName(), text, QMessageBox::Retry | QMessageBox::Ignore,
               QMessageBox::Ignore) == QMessageBox::Retry;
}

std::optional<QString> QtDialogs::BrowseForFolder(const QString& title, const QString& initialFolder)
{
    QFileDialog dialog(OwnerWindow(), title, initialFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (!initialFolder.isEmpty())
        dialog.selectFile(initialFolder);
    // Centred on the primary screen, wherever the main window stands.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        dialog.adjustSize();
        const QRect area = screen->geometry();
        dialog.move(area.x() + (area.width() - dialog.width()) / 2, area.y() + (area.height() - dialog.height()) / 2);
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.first();
}

} // namespace orvane::platform
