// The main window's state: minimising to the notification area and back,
// the context menu's tray items, and the current file's path and size.
#include "ui/TForm1.h"

#include "imaging/core/Bitmap.h"
#include "platform/Services.h"
#include "platform/TrayIcon.h"
#include "ui/PictureSurface.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>

namespace orvane::ui {

void TForm1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && !inTray_)
        // After the minimise has been carried out.
        QTimer::singleShot(0, this, &TForm1::ApplicationMinimize);
}

void TForm1::ApplicationMinimize()
{
    if (bNotTray || !isMinimized() || inTray_)
        return;
    // Where the desktop has no notification area the program stays on the
    // taskbar: it must never become unreachable.
    if (!TrayIcon1->Available())
        return;
    TrayIcon1->Show();
    inTray_ = true;
    trayMaximized_ = windowState().testFlag(Qt::WindowMaximized);
    hide(); // removes the taskbar button
}

void TForm1::Restore()
{
    m1Click();
    ForceOnTop();
    activateWindow();
}

void TForm1::m1Click()
{
    // Back as it was before the minimise: maximised or not.
    const bool maximised = inTray_ ? trayMaximized_ : windowState().testFlag(Qt::WindowMaximized);
    if (maximised)
        showMaximized();
    else
        showNormal();
    TrayIcon1->Hide();
    inTray_ = false;
}

void TForm1::PopupMenu1Popup()
{
    const bool minimised = inTray_ || isMinimized();
    m1->setVisible(minimised);
    m3->setVisible(minimised);
}

void TForm1::CopyfullpathtothispicturetoClipboardmouserightclick1Click()
{
    QGuiApplication::clipboard()->setText(FileName);
}

void TForm1::Showfullpathanddimentions1Click()
{
    const auto picture = im2->Picture();
    const int width = picture ? picture->SourceWidth() : 0;
    const int height = picture ? picture->SourceHeight() : 0;
    auto& dialogs = platform::Services::Current().dialogs;
    if (dialogs)
        dialogs->ShowInformation(QStringLiteral("File name: %1\r\nWidth: %2\r\nHeight: %3").arg(FileName).arg(width).arg(height));
}

} // namespace orvane::ui
