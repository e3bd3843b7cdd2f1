#include "library/MediaLibrary.h"

#include "library/FolderScanner.h"

#include <QStringMatcher>

#include <algorithm>
#include <chrono>

namespace orvane::library {

MediaLibrary::MediaLibrary(LibraryHost& host, QObject* parent) : QObject(parent), host_(host) {}

QString MediaLibrary::FullPath(const QString& line) const
{
    return host_.RootFolder() + QLatin1Char('/') + line;
}

bool MediaLibrary::ReadDir()
{
    if (scanning_)
        return false;
    scanning_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{scanning_};

    // Pending messages are handled as the walk enters a folder, but no more
    // often than every 2 ms: a message waits no longer than that, and a walk
    // through thousands of small folders is not spent asking an empty queue
    // (that asking cost more than a tenth of the walk).
    std::chrono::steady_clock::time_point handled{};
    const auto pump = [this, &handled] {
        const auto now = std::chrono::steady_clock::now();
        if (now - handled < std::chrono::milliseconds(2))
            return;
        handled = now;
        host_.ProcessMessages();
    };
    scannedPhotos.clear();
    scannedVideos.clear();
    photoSearch_ = {};
    videoSearch_ = {};
    QStringList photos;
    ScanDir(host_.RootFolder(), QString(), photoTypes, badFolders, photos, pump);
    scannedPhotos = photos;
    photoLines_.SetLines(scannedPhotos);
    host_.SetTabCaption(0, QStringLiteral("Photos (%1)").arg(scannedPhotos.size()));
    QStringList videos;
    ScanDir(host_.RootFolder(), QString(), videoTypes, badFolders, videos, pump);
    scannedVideos = videos;
    videoLines_.SetLines(scannedVideos);
    host_.SetTabCaption(1, QStringLiteral("Videos (%1)").arg(scannedVideos.size()));
    SetFileIndex(photoIndex, 0);
    SetFileIndex(videoIndex, 1);
    return true;
}

void MediaLibrary::GoSearch(const QString& text, bool caseSensitive)
{
    if (text.isEmpty()) {
        photoLines_.SetLines(scannedPhotos);
        videoLines_.SetLines(scannedVideos);
        host_.SetTabCaption(0, QStringLiteral("Photos (%1)").arg(photoLines_.Count()));
        host_.SetTabCaption(1, QStringLiteral("Videos (%1)").arg(videoLines_.Count()));
        return;
    }
    const bool exact = text.size() < 3 || caseSensitive;
    const QString needle = exact ? text : text.toLower();
    Prepare(photoSearch_, scannedPhotos);
    Prepare(videoSearch_, scannedVideos);
    photoLines_.SetLines(Filter(photoSearch_, scannedPhotos, needle, exact));
    videoLines_.SetLines(Filter(videoSearch_, scannedVideos, needle, exact));
    host_.SetTabCaption(0, QStringLiteral("Photos (found: %1)").arg(photoLines_.Count()));
    host_.SetTabCaption(1, QStringLiteral("Videos (found: %1)").arg(videoLines_.Count()));
}

void MediaLibrary::Prepare(SearchText& text, const QStringList& entries)
{
    if (text.count == entries.size())
        return;
    text = {};
    qsizetype length = 0;
    for (const QString& entry : entries)
        length += entry.size() + 1;
    text.exact.reserve(length);
    text.starts.reserve(static_cast<size_t>(entries.size()));
    for (const QString& entry : entries) {
        text.starts.push_back(text.exact.size());
        text.exact.append(entry);
        text.exact.append(QChar(0));
    }
    text.lower = text.exact.toLower();
    text.count = entries.size();
}

QStringList MediaLibrary::Filter(const SearchText& text, const QStringList& entries, const QString& needle, bool exact)
{
    // One pass over the joined text; each hit names the entry it falls in,
    // and the search goes on at the next entry.
    QStringList found;
    const QString& haystack = exact ? text.exact : text.lower;
    if (haystack.size() != text.exact.size() || needle.contains(QChar(0))) {
        // Lower-casing changed the text's length (a few letters become two):
        // the starts do not fit the lower-cased text, so go entry by entry.
        for (const QString& entry : entries)
            if ((exact ? entry : entry.toLower()).contains(needle, Qt::CaseSensitive))
                found.append(entry);
        return found;
    }
    const QStringMatcher matcher(needle, Qt::CaseSensitive);
    qsizetype from = 0;
    while (true) {
        const qsizetype at = matcher.indexIn(haystack, from);
        if (at < 0)
            break;
        const auto next = std::upper_bound(text.starts.begin(), text.starts.end(), at);
        const size_t index = static_cast<size_t>(next - text.starts.begin()) - 1;
        found.append(entries.at(static_cast<qsizetype>(index)));
        from = next == text.starts.end() ? haystack.size() : *next;
    }
    return found;
}

void MediaLibrary::SetFileIndex(int index, int list)
{
    MediaListModel& box = list == 0 ? photoLines_ : videoLines_;
    QItemSelectionModel& selection = SelectionOf(box);
    int& position = PositionOf(list);
    const int count = box.Count();
    if (count == 0)
        return;
    if (position >= 0 && position < count)
        selection.select(box.index(position), QItemSelectionModel::Deselect);
    else if (position < 0)
        selection.clearSelection();
    if (index >= count)
        index = 0;
    position = index;
    if (index < 0)
        return;
    selection.setCurrentIndex(box.index(index), QItemSelectionModel::Select);
    host_.ProcessMessages();
}

void MediaLibrary::Next(bool setAsWallpaper)
{
    const int list = host_.ActivePage() == 0 ? 0 : 1;
    MediaListModel& box = ActiveLines();
    int n = PositionOf(list);
    const int count = box.Count();
    if (count == 0)
        return;
    shuffleHistory.append(host_.CurrentFile());
    n = NextIndex(list, box);
    upcoming_ = {};
    SetFileIndex(n, list);
    host_.SetThis(FullPath(box.Line(n)), setAsWallpaper);
}

int MediaLibrary::NextIndex(int list, const MediaListModel& box)
{
    const int count = box.Count();
    if (!host_.ShuffleOn()) {
        const int n = PositionOf(list) + 1;
        return n > count - 1 ? 0 : n;
    }
    const bool drawn = upcoming_.list == list && upcoming_.index >= 0 && upcoming_.index < count &&
                       box.Line(upcoming_.index) == upcoming_.line;
    if (!drawn) {
        const int n = std::uniform_int_distribution<int>(0, count - 1)(random_);
        upcoming_ = {list, n, box.Line(n)};
    }
    return upcoming_.index;
}

QString MediaLibrary::UpcomingPath()
{
    const int list = host_.ActivePage() == 0 ? 0 : 1;
    MediaListModel& box = ActiveLines();
    if (box.Count() == 0)
        return QString();
    return FullPath(box.Line(NextIndex(list, box)));
}

void MediaLibrary::ShortPrev()
{
    if (host_.ShuffleOn()) {
        if (shuffleHistory.isEmpty())
            return;
        const QString last = shuffleHistory.last();
        host_.SetThis(last, false);
        // Drop the entry shown (the history may have grown meanwhile while
        // messages were handled; remove the one taken, not a newer one).
        const qsizetype at = shuffleHistory.lastIndexOf(last);
        if (at >= 0)
            shuffleHistory.removeAt(at);
        return;
    }
    const int list = host_.ActivePage() == 0 ? 0 : 1;
    MediaListModel& box = ActiveLines();
    const int count = box.Count();
    int i = PositionOf(list) - 1;
    if (i < 0 || i > count - 1)
        i = count - 1;
    if (count == 0)
        return;
    host_.SetThis(FullPath(box.Line(i)), false);
    SetFileIndex(i, list);
}

void MediaLibrary::ListBoxClick(MediaListModel& list)
{
    const QModelIndex focused = SelectionOf(list).currentIndex();
    if (!focused.isValid() || focused.row() >= list.Count())
        return;
    const int line = focused.row();
    host_.SetThis(FullPath(list.Line(line)), false);
    PositionOf(list.Tag()) = line;
}

} // namespace orvane::library
