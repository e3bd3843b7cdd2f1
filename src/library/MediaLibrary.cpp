#include "library/MediaLibrary.h"

#include "library/FolderScanner.h"

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

    const auto pump = [this] { host_.ProcessMessages(); };
    PhotoList.clear();
    VideoList.clear();
    QStringList photos;
    ScanDir(host_.RootFolder(), QString(), FileTypes, BadFolders, photos, pump);
    PhotoList = photos;
    listBox1_.SetLines(PhotoList);
    host_.SetTabCaption(0, QStringLiteral("Photos (%1)").arg(PhotoList.size()));
    QStringList videos;
    ScanDir(host_.RootFolder(), QString(), VideoFileTypes, BadFolders, videos, pump);
    VideoList = videos;
    listBox2_.SetLines(VideoList);
    host_.SetTabCaption(1, QStringLiteral("Videos (%1)").arg(VideoList.size()));
    SetFileIndex(iFileIndex, 0);
    SetFileIndex(vFileIndex, 1);
    return true;
}

void MediaLibrary::GoSearch(const QString& text, bool caseSensitive)
{
    if (text.isEmpty()) {
        listBox1_.SetLines(PhotoList);
        listBox2_.SetLines(VideoList);
        host_.SetTabCaption(0, QStringLiteral("Photos (%1)").arg(listBox1_.Count()));
        host_.SetTabCaption(1, QStringLiteral("Videos (%1)").arg(listBox2_.Count()));
        return;
    }
    const bool exact = text.size() < 3 || caseSensitive;
    const QString needle = exact ? text : text.toLower();
    const auto filter = [&](const QStringList& entries) {
        QStringList found;
        for (const QString& entry : entries) {
            if (exact ? entry.contains(needle, Qt::CaseSensitive) : entry.toLower().contains(needle, Qt::CaseSensitive))
                found.append(entry);
        }
        return found;
    };
    listBox1_.SetLines(filter(PhotoList));
    listBox2_.SetLines(filter(VideoList));
    host_.SetTabCaption(0, QStringLiteral("Photos (found: %1)").arg(listBox1_.Count()));
    host_.SetTabCaption(1, QStringLiteral("Videos (found: %1)").arg(listBox2_.Count()));
}

void MediaLibrary::SetFileIndex(int index, int list)
{
    MediaListModel& box = list == 0 ? listBox1_ : listBox2_;
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
    MediaListModel& box = lb();
    int n = PositionOf(list);
    const int count = box.Count();
    if (count == 0)
        return;
    ShuffleHistory.append(host_.CurrentFile());
    if (host_.ShuffleOn())
        n = std::uniform_int_distribution<int>(0, count - 1)(random_);
    else
        ++n;
    if (n > count - 1)
        n = 0;
    SetFileIndex(n, list);
    host_.SetThis(FullPath(box.Line(n)), setAsWallpaper);
}

void MediaLibrary::ShortPrev()
{
    if (host_.ShuffleOn()) {
        if (ShuffleHistory.isEmpty())
            return;
        const QString last = ShuffleHistory.last();
        host_.SetThis(last, false);
        // Drop the entry shown (the history may have grown meanwhile while
        // messages were handled; remove the one taken, not a newer one).
        const qsizetype at = ShuffleHistory.lastIndexOf(last);
        if (at >= 0)
            ShuffleHistory.removeAt(at);
        return;
    }
    const int list = host_.ActivePage() == 0 ? 0 : 1;
    MediaListModel& box = lb();
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
