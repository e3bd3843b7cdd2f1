// The main window's side of the display step: the picture surface, the media
// player, the status line and the title.
#include "ui/TForm1.h"

#include "imaging/core/PictureLoader.h"
#include "platform/MediaPlayer.h"
#include "platform/Services.h"
#include "ui/PictureSurface.h"
#include "viewer/FitGeometry.h"
#include "viewer/ItemDisplay.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <QStatusBar>
#include <QTabWidget>

namespace orvane::ui {

bool TForm1::SetThis(const QString& path, bool setAsWallpaper)
{
    return viewer::SetThis(*this, path, setAsWallpaper);
}

void TForm1::StopPlayer()
{
    WMP->Stop();
}

void TForm1::ClosePlayer()
{
    WMP->Close();
}

void TForm1::HidePlayer()
{
    WMPWidget->hide();
}

void TForm1::ShowPlayer()
{
    WMPWidget->show();
    WMPWidget->raise();
}

void TForm1::SetPlayerUrl(const QString& path)
{
    WMP->SetUrl(path);
}

void TForm1::PlayPlayer()
{
    WMP->Play();
}

bool TForm1::IsVideo(const QString& extension) const
{
    return library_->VideoFileTypes.Contains(extension);
}

void TForm1::SetCaptionAndHint(const QString& text)
{
    setWindowTitle(text);
    pnIm->setToolTip(text);
    im2->setToolTip(text);
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

QSize TForm1::LoadPicture(const QString& path)
{
    const std::string fileName = QFile::encodeName(path).toStdString();
    std::shared_ptr<imaging::TBitmap> picture = imaging::TPictureLoader::Instance().CreateFor(fileName);
    picture->OnProgress = [this](imaging::TBitmap*, imaging::TProgressStage stage, uint8_t percent, bool redraw,
                                 const imaging::TRect& rect, const std::string& message) {
        im2Progress(static_cast<int>(stage), percent, redraw, rect.Bottom, QString::fromStdString(message));
    };
    // The previous picture stays on screen until the new one has loaded; a
    // picture that fails to load never replaces it.
    std::shared_ptr<imaging::TBitmap> previous = im2->Picture();
    // Decoded no larger than the viewing area shows it (where the format
    // can); the sizes reported are the file's own.
    picture->SetDecodeCover(im2->width(), im2->height());
    im2->SetPicture(picture);
    try {
        picture->LoadFromFile(fileName);
    } catch (...) {
        picture->OnProgress = nullptr;
        im2->SetPicture(previous);
        if (previous)
            im2->DecodingFinished();
        throw;
    }
    picture->OnProgress = nullptr;
    im2->DecodingFinished();
    shownPicturePath_ = path;
    return QSize(picture->SourceWidth(), picture->SourceHeight());
}

bool TForm1::ShownPictureWouldBeEnlarged() const
{
    const auto picture = im2->Picture();
    if (!picture || !picture->Reduced() || shownPicturePath_.isEmpty())
        return false;
    const QRect fitted = viewer::FitCentered(QSize(picture->SourceWidth(), picture->SourceHeight()), im2->size());
    return fitted.width() > picture->Width() || fitted.height() > picture->Height();
}

void TForm1::RefinePictureLater()
{
    // The area grew past what was decoded (full screen, a wider column):
    // decode again at the larger scale once the resizing has settled.
    if (ShownPictureWouldBeEnlarged())
        refineTimer_.start();
}

void TForm1::RefinePicture()
{
    if (!ShownPictureWouldBeEnlarged() || !QFile::exists(shownPicturePath_))
        return;
    // Quietly: the status line and the title stay as the display step left
    // them, and a failure keeps the picture on screen.
    try {
        const std::string fileName = QFile::encodeName(shownPicturePath_).toStdString();
        std::shared_ptr<imaging::TBitmap> sharper = imaging::TPictureLoader::Instance().CreateFor(fileName);
        sharper->SetDecodeCover(im2->width(), im2->height());
        sharper->LoadFromFile(fileName);
        im2->SetPicture(sharper);
        im2->DecodingFinished();
    } catch (...) {
    }
}

void TForm1::im2Progress(int stage, int percentDone, bool redrawNow, int rowsDone, const QString& message)
{
    ChangeStatus(viewer::ProgressText(stage, percentDone, redrawNow, message));
    if (stage == 1)
        im2->RowsDecoded(rowsDone, redrawNow);
}

void TForm1::SwitchFullScreen()
{
    if (!fullScreen_) {
        MainMenu1->hide();
        savedWindowBounds_ = FrameBounds();
        savedMaximized_ = isMaximized();
        savedViewBounds_ = pnIm->geometry();
        pnLeft->hide();
        pnRight->hide();
        ToolBar1->hide();
        StatusBar1->hide();
        WMPWidget->hide();
        fullScreen_ = true;
        // The primary screen, set here and not left to the window manager:
        // right with any window manager and with none. The viewing area and
        // the buttons follow each resize that arrives (FormResize).
        showFullScreen();
        if (QScreen* screen = QGuiApplication::primaryScreen())
            setGeometry(screen->geometry());
        QPalette black = pnIm->palette();
        black.setColor(QPalette::Window, Qt::black);
        pnIm->setPalette(black);
        for (QWidget* b : {static_cast<QWidget*>(b1), static_cast<QWidget*>(b2), static_cast<QWidget*>(b3)})
            b->setVisible(!bHide);
        LayoutFullScreen();
        StayNormal();
        return;
    }
    Timer4->stop();
    fullScreen_ = false;
    // A window maximised before full screen comes back maximised, without the
    // saved bounds; any other gets its old frame back.
    if (savedMaximized_) {
        showMaximized();
    } else {
        showNormal();
        SetFrameBounds(savedWindowBounds_);
    }
    WMPWidget->hide();
    pnIm->setGeometry(savedViewBounds_);
    im2->setGeometry(0, 0, savedViewBounds_.width(), savedViewBounds_.height());
    pnIm->setPalette(palette()); // the window's colour again
    RelocateButtons();
    ToolBar1->show();
    pnLeft->show();
    pnRight->setVisible(!PageControl1->isHidden());
    StatusBar1->show();
    if (!PageControl1->isHidden() || bNormal) {
        MainMenu1->show();
    } else {
        StayOnTop();
    }
    library_->SetFileIndex(library_->iFileIndex, 0);
    library_->SetFileIndex(library_->vFileIndex, 1);
}

void TForm1::SlideShow()
{
    SwitchFullScreen();
    b1->hide();
    b2->hide();
    b3->hide();
    if (ssDelay > 0) {
        Timer4->setInterval(ssDelay);
        Timer4->start();
    }
}

} // namespace orvane::ui
