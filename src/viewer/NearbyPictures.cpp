#include "viewer/NearbyPictures.h"

#include "imaging/core/Bitmap.h"
#include "imaging/core/PictureLoader.h"
#include "viewer/SlicedTask.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace orvane::viewer {

namespace {

// A slice ends at the first pause point after this long; decoders pause
// between rows, far less than 2 ms apart, so input waits at most about 8 ms.
constexpr qint64 kSliceNs = 6'000'000;
// Readers that pause between rows; any other picture is decoded ahead
// (whole, in one slice) only when its file is this small.
constexpr qint64 kUnslicedLargestBytes = 256 * 1024;

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

bool NearbyPictures::Held::Matches(const QString& wanted, const QSize& wantedArea) const
{
    if (!picture || path != wanted || area != wantedArea)
        return false;
    const QFileInfo file(path);
    return file.exists() && file.size() == fileSize && file.lastModified() == modified;
}

void NearbyPictures::DecodeAhead(const QString& path, const QSize& decodeArea)
{
    if (ahead_.path == path && ahead_.area == decodeArea && (ahead_.picture || task_))
        return;
    DropAhead();
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile() || (!PausesBetweenRows(path) && file.size() > kUnslicedLargestBytes))
        return;
    std::shared_ptr<imaging::TBitmap> picture;
    try {
        picture = imaging::TPictureLoader::Instance().CreateFor(QFile::encodeName(path).toStdString());
    } catch (...) {
        return; // not a picture the loader knows: the step itself will say so
    }
    ahead_ = {path, decodeArea, file.size(), file.lastModified(), picture};
    picture->SetDecodeCover(decodeArea.width(), decodeArea.height());
    const std::string fileName = QFile::encodeName(path).toStdString();
    task_ = std::make_unique<SlicedTask>([picture, fileName] { picture->LoadFromFile(fileName); });
    auto* task = task_.get();
    auto slice = std::make_shared<QElapsedTimer>();
    const auto pauseIfDue = [task, slice](bool mayEnd) {
        if (!slice->isValid() || slice->nsecsElapsed() < kSliceNs)
            return;
        if (mayEnd)
            task->PausePoint();
        else
            task->Yield();
        slice->start();
    };
    picture->OnSlicePoint = [pauseIfDue] { pauseIfDue(true); };
    picture->OnProgress = [pauseIfDue](imaging::TBitmap*, imaging::TProgressStage, uint8_t, bool, const imaging::TRect&,
                                       const std::string&) { pauseIfDue(false); };
    sliceClock_ = slice;
    idle_.start();
}

void NearbyPictures::RunSlice()
{
    if (!task_) {
        idle_.stop();
        return;
    }
    sliceClock_->start();
    if (task_->Resume()) {
        idle_.stop();
        const bool failed = static_cast<bool>(task_->Error());
        EndTask();
        if (failed)
            ahead_ = {};
    }
}

void NearbyPictures::EndTask()
{
    idle_.stop();
    task_.reset(); // a task still paused unwinds here
    if (ahead_.picture) {
        ahead_.picture->OnSlicePoint = nullptr;
        ahead_.picture->OnProgress = nullptr;
    }
}

bool NearbyPictures::AheadDone() const
{
    return ahead_.picture && !task_;
}

void NearbyPictures::KeepShownBefore(const QString& path, const QSize& decodeArea,
                                     std::shared_ptr<imaging::TBitmap> picture)
{
    const QFileInfo file(path);
    if (!picture || !file.isFile()) {
        before_ = {};
        return;
    }
    before_ = {path, decodeArea, file.size(), file.lastModified(), std::move(picture)};
}

std::shared_ptr<imaging::TBitmap> NearbyPictures::Take(const QString& path, const QSize& decodeArea)
{
    if (before_.Matches(path, decodeArea))
        return std::exchange(before_, {}).picture;
    if (!ahead_.Matches(path, decodeArea))
        return nullptr;
    if (task_) {
        task_->Finish();
        const bool failed = static_cast<bool>(task_->Error());
        EndTask();
        if (failed) {
            ahead_ = {};
            return nullptr;
        }
    }
    return std::exchange(ahead_, {}).picture;
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
        if (held->picture)
            bytes += held->picture->ImageSize();
    return bytes;
}

} // namespace orvane::viewer
