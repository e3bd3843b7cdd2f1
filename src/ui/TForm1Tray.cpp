// The main window's state: minimising to the notification area and back, the
// topmost state, the context menu's tray entries, and the current file's
// path on the clipboard and its size.
#include "ui/TForm1.h"

#include "platform/Services.h"
#include "platform/TrayIcon.h"
#include "viewer/ItemDisplay.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

namespace orvane::ui {

void TForm1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && !inTray_)
        // After the minimise has been carried out.
        QTimer::singleShot(0, this, &TForm1::minimizeToTray);
}

void TForm1::minimizeToTray()
{
    if (options_.noTray || !isMinimized() || inTray_)
        return;
    // Where the desktop has no notification area the program stays on the
    // taskbar: it must never become unreachable.
    if (!trayIcon_->Available())
        return;
    trayIcon_->Show();
    inTray_ = true;
    trayMaximized_ = windowState().testFlag(Qt::WindowMaximized);
    hide(); // removes the taskbar button
}

void TForm1::restoreFromTray()
{
    restoreFromMenu();
    ForceOnTop();
    activateWindow();
}

void TForm1::restoreFromMenu()
{
    // Back as it was before the minimise: maximised or not.
    const bool maximised = inTray_ ? trayMaximized_ : windowState().testFlag(Qt::WindowMaximized);
    if (maximised)
        showMaximized();
    else
        showNormal();
    trayIcon_->Hide();
    inTray_ = false;
}

void TForm1::contextMenuOpening()
{
    const bool minimised = inTray_ || isMinimized();
    contextRestore_->setVisible(minimised);
    contextExit_->setVisible(minimised);
}

void TForm1::StayOnTop()
{
    if (!options_.noAlwaysOnTop)
        ForceOnTop();
}

void TForm1::ForceOnTop()
{
    SetTopmost(true);
}

void TForm1::StayNormal()
{
    SetTopmost(false);
}

void TForm1::SetTopmost(bool topmost)
{
    if (static_cast<bool>(windowFlags() & Qt::WindowStaysOnTopHint) == topmost)
        return;
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, topmost);
    // Setting a widget's flags re-creates its native window (it flickers and
    // the window manager may place it anew). The widget only records them;
    // the native window changes its stacking state in place, neither moved
    // nor resized.
    overrideWindowFlags(flags);
    if (QWindow* native = windowHandle())
        native->setFlags(flags);
}

void TForm1::copyPathToClipboard()
{
    QGuiApplication::clipboard()->setText(currentFile_);
}

void TForm1::showPathAndSize()
{
    const QSize size = display_->PictureSize();
    if (auto& dialogs = platform::Services::Current().dialogs)
        dialogs->ShowInformation(QStringLiteral("File name: %1\r\nWidth: %2\r\nHeight: %3")
                                     .arg(currentFile_)
                                     .arg(std::max(0, size.width()))
                                     .arg(std::max(0, size.height())));
}

} // namespace orvane::ui
