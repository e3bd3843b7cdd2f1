// The main window's side of the display step: what the item display shows
// goes to the viewing area, the status line and the title; full screen and
// the slide show.
#include "ui/TForm1.h"

#include "library/FolderScanner.h"
#include "platform/MediaPlayer.h"
#include "platform/Services.h"
#include "platform/Wallpaper.h"
#include "ui/PictureSurface.h"
#include "viewer/ItemDisplay.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

namespace orvane::ui {

bool TForm1::IsVideo(const QString& path) const
{
    return library_->videoTypes.Contains(library::FileExtension(QFileInfo(path).fileName()).toLower());
}

bool TForm1::SetThis(const QString& path, bool setAsWallpaper)
{
    if (!display_->Show(path, IsVideo(path)))
        return false;
    if (const QString status = display_->StatusText(); !status.isEmpty())
        ChangeStatus(status);
    ProcessMessages();
    currentFile_ = path;
    SetCaptionAndHint(viewer::TitleFor(path, rootFolder_));
    if (setAsWallpaper)
        ApplyWallpaper(path);
    ScheduleDecodeAhead();
    return true;
}

void TForm1::ScheduleDecodeAhead()
{
    // Once the handler running now is done (a click sets the list position
    // after showing the line), so the next step is known.
    if (decodeAheadScheduled_)
        return;
    decodeAheadScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        decodeAheadScheduled_ = false;
        DecodeUpcomingAhead();
    });
}

void TForm1::DecodeUpcomingAhead()
{
    if (library_->Scanning())
        return; // the scan's end asks again
    if (ActiveTab() != 0) {
        display_->DecodeAhead(QString()); // videos are opened when shown
        return;
    }
    // A step under way has moved the list position but not yet shown its
    // item (this runs when it lets pending messages be handled): what comes
    // after it is known once it has, and its end asks again.
    const library::MediaListModel& lines = library_->PhotoLines();
    const int position = library_->photoIndex;
    if (position >= 0 && position < lines.Count() && library_->FullPath(lines.Line(position)) != currentFile_)
        return;
    const QString upcoming = library_->UpcomingPath();
    display_->DecodeAhead(IsVideo(upcoming) ? QString() : upcoming);
}

void TForm1::displayStateChanged()
{
    using State = viewer::ItemDisplay::State;
    switch (display_->CurrentState()) {
    case State::Video:
        playerWidget_->show();
        playerWidget_->raise();
        break;
    case State::Loading:
        playerWidget_->hide();
        break;
    default:
        break;
    }
}

void TForm1::decodingProgress(const QString& text)
{
    ChangeStatus(text);
}

void TForm1::SetCaptionAndHint(const QString& text)
{
    setWindowTitle(text);
    viewingArea_->setToolTip(text);
    pictureSurface_->setToolTip(text);
}

void TForm1::ApplyWallpaper(const QString& path)
{
    // The file is handed over where it lies; a desktop without a way to set
    // its background raises an error the general handler shows.
    auto& wallpaper = platform::Services::Current().wallpaper;
    if (!wallpaper)
        throw std::runtime_error(platform::kNoWallpaperBackend);
    wallpaper->SetWallpaper(path);
}

void TForm1::PlaceViewingArea(const QRect& bounds)
{
    viewingArea_->setGeometry(bounds);
    pictureSurface_->setGeometry(0, 0, bounds.width(), bounds.height());
    display_->SetArea(bounds.size(), pictureSurface_->devicePixelRatioF());
}

void TForm1::SwitchFullScreen()
{
    if (!fullScreen_) {
        menuBar()->hide();
        savedWindowBounds_ = FrameBounds();
        savedMaximized_ = isMaximized();
        savedViewBounds_ = viewingArea_->geometry();
        leftColumn_->hide();
        fileListColumn_->hide();
        toolBar_->hide();
        statusBar_->hide();
        playerWidget_->hide();
        fullScreen_ = true;
        // The primary screen, set here and not left to the window manager:
        // right with any window manager and with none. The viewing area and
        // the buttons follow each resize that arrives (FormResize).
        showFullScreen();
        if (QScreen* screen = QGuiApplication::primaryScreen())
            setGeometry(screen->geometry());
        QPalette black = viewingArea_->palette();
        black.setColor(QPalette::Window, Qt::black);
        viewingArea_->setPalette(black);
        for (QPushButton* button : {previousButton_, backgroundButton_, nextButton_})
            button->setVisible(!options_.hideFullScreenButtons);
        LayoutFullScreen();
        StayNormal();
        return;
    }
    slideShowTimer_->stop();
    fullScreen_ = false;
    // A window maximised before full screen comes back maximised, without the
    // saved bounds; any other gets its old frame back.
    if (savedMaximized_) {
        showMaximized();
    } else {
        showNormal();
        SetFrameBounds(savedWindowBounds_);
    }
    playerWidget_->hide();
    PlaceViewingArea(savedViewBounds_);
    viewingArea_->setPalette(palette()); // the window's colour again
    RelocateButtons();
    toolBar_->show();
    leftColumn_->show();
    fileListColumn_->setVisible(!fileTabs_->isHidden());
    statusBar_->show();
    if (!fileTabs_->isHidden() || options_.noAlwaysOnTop)
        menuBar()->show();
    else
        StayOnTop();
    library_->SetFileIndex(library_->photoIndex, 0);
    library_->SetFileIndex(library_->videoIndex, 1);
}

void TForm1::SlideShow()
{
    SwitchFullScreen();
    for (QPushButton* button : {previousButton_, backgroundButton_, nextButton_})
        button->hide();
    if (options_.slideShowDelay > 0) {
        slideShowTimer_->setInterval(options_.slideShowDelay);
        slideShowTimer_->start();
    }
}

} // namespace orvane::ui
