#include "viewer/NearbyPictures.h"

#include "imaging/core/Bitmap.h"
#include "imaging/core/PictureLoader.h"
#include "viewer/FitGeometry.h"
#include "viewer/SlicedTask.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace orvane::viewer {

namespace {

// A slice ends at the first pause point after this long; decoders pause
// between rows, far less than 2 ms apart, so input waits at most about 8 ms.
constexpr qint64 kSliceNs = 6'000'000;
// Readers that pause between rows; any other picture is decoded ahead
// (whole, in one slice) only when its file is this small.
constexpr qint64 kUnslicedLargestBytes = 256 * 1024;
// Drawing (reducing and smoothly scaling) is one piece of work that cannot
// pause: it is done ahead only for a picture this small, which takes about
// as long as one slice; a larger one is drawn by the step's paint.
constexpr qint64 kDrawnAheadLargestPixels = 1600 * 1000;

bool PausesBetweenRows(const QString& path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    for (const char* sliced : {"jpg", "jpeg", "jpe", "jfif", "png"})
        if (extension == QLatin1String(sliced))
            return true;
    return false;
}

} // namespace

NearbyPictures::NearbyPictures(QObject* parent) : QObject(parent)
{
    // A zero-interval timer fires once the queue of pending events is empty:
    // the slices run only while the program has nothing else to do.
    idle_.setInterval(0);
    connect(&idle_, &QTimer::timeout, this, &NearbyPictures::RunSlice);
}

NearbyPictures::~NearbyPictures()
{
    EndTask();
}

QSize NearbyPictures::Area::DecodeSize() const
{
    return size.isEmpty() ? size : DevicePixels(size, ratio);
}

bool NearbyPictures::Held::Matches(const QString& wanted, const Area& wantedArea) const
{
    if (!prepared.picture || path != wanted || !(area == wantedArea))
        return false;
    const QFileInfo file(path);
    return file.exists() && file.size() == fileSize && file.lastModified() == modified;
}

void NearbyPictures::DecodeAhead(const QString& path, const Area& area)
{
    if (ahead_.path == path && ahead_.area == area && ahead_.prepared.picture)
        return;
    DropAhead();
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile() || (!PausesBetweenRows(path) && file.size() > kUnslicedLargestBytes))
        return;
    const std::string fileName = QFile::encodeName(path).toStdString();
    std::shared_ptr<imaging::TBitmap> picture;
    try {
        picture = imaging::TPictureLoader::Instance().CreateFor(fileName);
    } catch (...) {
        return; // not a picture the loader knows: the step itself will say so
    }
    ahead_ = {path, area, file.size(), file.lastModified(), {picture, {}}};
    const QSize decodeArea = area.DecodeSize();
    picture->SetDecodeCover(decodeArea.width(), decodeArea.height());
    task_ = std::make_unique<SlicedTask>([picture, fileName] { picture->LoadFromFile(fileName); });
    // Between rows the decoding may also be abandoned; progress reports come
    // from destructors too, where it must not be.
    picture->OnSlicePoint = [this] { PauseIfDue(true); };
    picture->OnProgress = [this](imaging::TBitmap*, imaging::TProgressStage, uint8_t, bool, const imaging::TRect&,
                                 const std::string&) { PauseIfDue(false); };
    idle_.start();
}

void NearbyPictures::PauseIfDue(bool mayEnd)
{
    if (slice_.nsecsElapsed() < kSliceNs)
        return;
    if (mayEnd)
        task_->PausePoint();
    else
        task_->Yield();
}

void NearbyPictures::RunSlice()
{
    if (drawPending_) {
        // A slice of its own: reduced and scaled for the area as a paint
        // would, so the step only copies it to the screen.
        drawPending_ = false;
        idle_.stop();
        DisplayCache& cache = ahead_.prepared.cache;
        cache.SetPicture(ahead_.prepared.picture.get());
        cache.Finished();
        cache.Render(ahead_.area.size, nullptr, ahead_.area.ratio);
        return;
    }
    if (!task_) {
        idle_.stop();
        return;
    }
    slice_.start();
    if (task_->Resume()) {
        const bool failed = static_cast<bool>(task_->Error());
        EndTask();
        const auto& picture = ahead_.prepared.picture;
        if (failed)
            ahead_ = {};
        else if (qint64(picture->Width()) * picture->Height() <= kDrawnAheadLargestPixels) {
            drawPending_ = true;
            idle_.start();
        }
    }
}

void NearbyPictures::EndTask()
{
    idle_.stop();
    drawPending_ = false;
    // A task still paused unwinds here, its pause points still reaching it.
    if (task_)
        task_->Cancel();
    task_.reset();
    if (const auto& picture = ahead_.prepared.picture) {
        picture->OnSlicePoint = nullptr;
        picture->OnProgress = nullptr;
    }
}

bool NearbyPictures::AheadDone() const
{
    return ahead_.prepared.picture && !task_ && !drawPending_;
}

void NearbyPictures::KeepShownBefore(const QString& path, const Area& area, Prepared shown)
{
    const QFileInfo file(path);
    if (!shown.picture || !file.isFile()) {
        before_ = {};
        return;
    }
    before_ = {path, area, file.size(), file.lastModified(), std::move(shown)};
}

NearbyPictures::Prepared NearbyPictures::Take(const QString& path, const Area& area)
{
    if (before_.Matches(path, area))
        return std::exchange(before_, {}).prepared;
    if (!ahead_.Matches(path, area))
        return {};
    if (task_) {
        task_->Finish();
        const bool failed = static_cast<bool>(task_->Error());
        EndTask();
        if (failed) {
            ahead_ = {};
            return {};
        }
    }
    EndTask();
    Prepared taken = std::exchange(ahead_, {}).prepared;
    if (!taken.cache.HasPicture()) {
        taken.cache.SetPicture(taken.picture.get());
        taken.cache.Finished();
    }
    return taken;
}

void NearbyPictures::DropAhead()
{
    EndTask();
    ahead_ = {};
}

void NearbyPictures::DropAll()
{
    DropAhead();
    before_ = {};
}

size_t NearbyPictures::HeldBytes() const
{
    size_t bytes = 0;
    for (const Held* held : {&ahead_, &before_})
        if (held->prepared.picture)
            bytes += held->prepared.picture->ImageSize() + held->prepared.cache.HeldBytes();
    return bytes;
}

} // namespace orvane::viewer
