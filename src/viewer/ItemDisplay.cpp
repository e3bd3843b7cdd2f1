#include "viewer/ItemDisplay.h"

#include "imaging/core/Animation.h"
#include "imaging/core/Bitmap.h"
#include "imaging/core/Orientation.h"
#include "imaging/core/PictureLoader.h"
#include "platform/MediaPlayer.h"
#include "viewer/FitGeometry.h"

#include <QFile>
#include <QFileInfo>

#include <exception>

namespace orvane::viewer {

namespace {

// How long the area must stay larger before the picture is decoded again.
constexpr int kRefineDelayMs = 150;

std::string LocalName(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

QString TitleFor(const QString& path, const QString& rootFolder)
{
    return path.mid(rootFolder.size() + 1).left(999) + QStringLiteral(" - Orvane");
}

QString ProgressText(int stage, int percentDone, bool redrawNow, const QString& message)
{
    const char* stageText = stage == 0 ? "Starting" : stage == 1 ? "Running" : "Ending";
    QString text = QString::fromLatin1(stageText) + QStringLiteral(" percent done: ") + QString::number(percentDone);
    if (redrawNow)
        text += QStringLiteral(" (Redrawing)");
    return text + QLatin1Char(' ') + message;
}

ItemDisplay::ItemDisplay(platform::MediaPlayer& player, QObject* parent) : QObject(parent), player_(player)
{
    refineTimer_.setSingleShot(true);
    refineTimer_.setInterval(kRefineDelayMs);
    connect(&refineTimer_, &QTimer::timeout, this, &ItemDisplay::Refine);
    frameTimer_.setSingleShot(true);
    connect(&frameTimer_, &QTimer::timeout, this, &ItemDisplay::ShowNextFrame);
}

ItemDisplay::~ItemDisplay() = default;

bool ItemDisplay::Show(const QString& path, bool isVideo)
{
    frameTimer_.stop();
    // Player failures never stop the step.
    try {
        player_.Stop();
        player_.Close();
    } catch (const std::exception&) {
    }
    const QFileInfo file(path);
    if (path.isEmpty() || !file.exists() || file.isDir())
        return false;
    if (isVideo)
        ShowVideo(path);
    else
        LoadPicture(path);
    return true;
}

void ItemDisplay::SetState(State state)
{
    state_ = state;
    emit StateChanged(state);
}

void ItemDisplay::ShowVideo(const QString& path)
{
    statusText_.clear();
    try {
        SetState(State::Video);
        player_.SetUrl(path);
        player_.Play();
        statusText_ = path;
    } catch (const std::exception&) {
    }
}

void ItemDisplay::LoadPicture(const QString& path)
{
    // What is on screen now, as drawn, kept for a step back once another
    // picture shows.
    NearbyPictures::Prepared before{picture_, cache_};
    const QString beforePath = picturePath_;
    const NearbyPictures::Area beforeArea = pictureArea_;
    SetState(State::Loading);
    if (NearbyPictures::Prepared ready = nearby_.Take(path, area_); ready.picture) {
        // Decoded ahead, or the picture shown before: only a paint.
        picture_ = std::move(ready.picture);
        cache_ = std::move(ready.cache);
    } else {
        Decode(path, before.picture);
    }
    PictureShown(path);
    if (beforePath != path)
        nearby_.KeepShownBefore(beforePath, beforeArea, std::move(before));
}

void ItemDisplay::Decode(const QString& path, const std::shared_ptr<imaging::TBitmap>& previous)
{
    std::shared_ptr<imaging::TBitmap> picture;
    try {
        const std::string fileName = LocalName(path);
        picture = imaging::TPictureLoader::Instance().CreateFor(fileName);
        picture->OnProgress = [this](imaging::TBitmap*, imaging::TProgressStage stage, uint8_t percent,
                                     bool redraw, const imaging::TRect& rect, const std::string& message) {
            emit Progress(ProgressText(static_cast<int>(stage), percent, redraw, QString::fromStdString(message)));
            if (stage == imaging::TProgressStage::psRunning)
                RowsDecoded(rect.Bottom, redraw);
        };
        picture->OnPixelsMoved = [this] { cache_.PixelsMoved(); };
        // Decoded no larger than the area shows it (where the format can);
        // the sizes reported are the file's own.
        const QSize cover = area_.DecodeSize();
        picture->SetDecodeCover(cover.width(), cover.height());
        ShowPicture(picture);
        picture->LoadFromFile(fileName);
    } catch (...) {
        if (picture) {
            picture->OnProgress = nullptr;
            picture->OnPixelsMoved = nullptr;
        }
        // The picture before stays on screen.
        if (picture_ != previous) {
            ShowPicture(previous);
            if (previous)
                cache_.Finished();
        }
        SetState(State::Failed);
        throw;
    }
    picture->OnProgress = nullptr;
    picture->OnPixelsMoved = nullptr;
    cache_.Finished();
}

void ItemDisplay::PictureShown(const QString& path)
{
    emit RedrawNeeded(false);
    picturePath_ = path;
    pictureArea_ = area_;
    const QSize size = PictureSize();
    statusText_ = QStringLiteral("%1  (%2x%3)").arg(path).arg(size.width()).arg(size.height());
    SetState(State::Picture);
    StartAnimation();
}

void ItemDisplay::DecodeAhead(const QString& path)
{
    if (path.isEmpty())
        nearby_.DropAhead();
    else
        nearby_.DecodeAhead(path, area_);
}

void ItemDisplay::DropAhead()
{
    nearby_.DropAhead();
}

void ItemDisplay::StartAnimation()
{
    imaging::TAnimation* animation = picture_ ? picture_->Animation() : nullptr;
    if (!animation || animation->FrameCount() < 2)
        return;
    playsDone_ = 0;
    frameTimer_.start(animation->FrameDelay());
}

void ItemDisplay::ShowNextFrame()
{
    imaging::TAnimation* animation = picture_ ? picture_->Animation() : nullptr;
    if (!animation || state_ != State::Picture)
        return;
    const bool lastFrame = animation->FrameIndex() == animation->FrameCount() - 1;
    if (lastFrame && animation->LoopCount() > 0 && ++playsDone_ >= animation->LoopCount())
        return; // played out: the last frame stays
    try {
        animation->NextFrame();
    } catch (const std::exception&) {
        return; // a damaged frame ends the animation on the frame before
    }
    // The frame was composed in the picture's own memory: shown afresh.
    cache_.SetPicture(picture_.get());
    cache_.Finished();
    emit RedrawNeeded(false);
    frameTimer_.start(animation->FrameDelay());
}

void ItemDisplay::ShowPicture(std::shared_ptr<imaging::TBitmap> picture)
{
    picture_ = std::move(picture);
    cache_.SetPicture(picture_.get());
    sinceHandedOver_.start();
    sinceRedraw_.invalidate();
    emit RedrawNeeded(false);
}

QSize ItemDisplay::PictureSize() const
{
    if (!picture_)
        return QSize();
    const QSize stored(picture_->SourceWidth(), picture_->SourceHeight());
    return imaging::SwapsSides(picture_->Orientation()) ? stored.transposed() : stored;
}

void ItemDisplay::RowsDecoded(int rows, bool redrawNow)
{
    cache_.RowsAvailable(rows);
    if (!redrawNow)
        return;
    if (sinceHandedOver_.isValid() && sinceHandedOver_.elapsed() < kFirstPartialFrameMs)
        return;
    if (sinceRedraw_.isValid() && sinceRedraw_.elapsed() < kPartialFrameIntervalMs)
        return;
    sinceRedraw_.start();
    emit RedrawNeeded(true);
}

void ItemDisplay::SetArea(const QSize& area, qreal devicePixelRatio)
{
    const NearbyPictures::Area changed{area, devicePixelRatio};
    if (!(changed == area_)) {
        // Decoded and drawn for another size: what comes next is done again.
        const QString ahead = nearby_.AheadPath();
        nearby_.DropAll();
        area_ = changed;
        if (!ahead.isEmpty())
            nearby_.DecodeAhead(ahead, area_);
    }
    // The area grew past what was decoded (full screen, a wider column):
    // decode again at the larger scale once the resizing has settled.
    if (WouldBeEnlarged())
        refineTimer_.start();
}

bool ItemDisplay::WouldBeEnlarged() const
{
    if (!picture_ || !picture_->Reduced() || picturePath_.isEmpty() || state_ == State::Loading)
        return false;
    const QRect fitted = FitCentered(PictureSize(), area_.DecodeSize());
    QSize decoded(picture_->Width(), picture_->Height());
    if (imaging::SwapsSides(picture_->Orientation()))
        decoded.transpose();
    return fitted.width() > decoded.width() || fitted.height() > decoded.height();
}

void ItemDisplay::Refine()
{
    if (!WouldBeEnlarged() || !QFile::exists(picturePath_))
        return;
    // Quietly: the status line and the title stay as the display step left
    // them, and a failure keeps the picture on screen.
    try {
        const std::string fileName = LocalName(picturePath_);
        std::shared_ptr<imaging::TBitmap> sharper = imaging::TPictureLoader::Instance().CreateFor(fileName);
        const QSize cover = area_.DecodeSize();
        sharper->SetDecodeCover(cover.width(), cover.height());
        sharper->LoadFromFile(fileName);
        ShowPicture(sharper);
        cache_.Finished();
        emit RedrawNeeded(false);
    } catch (...) {
    }
}

} // namespace orvane::viewer
