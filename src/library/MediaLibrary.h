#pragma once
// The two media lists as the rest of the program sees them: the full lists of
// the last scan, the visible lists (list box lines), the positions in them,
// stepping forward and back in order or at random, and the shuffle history.
#include "library/MediaListModel.h"
#include "library/NameList.h"

#include <QItemSelectionModel>
#include <QObject>
#include <QStringList>

#include <functional>
#include <random>
#include <vector>

namespace orvane::library {

// What the lists need of the main window.
class LibraryHost {
public:
    virtual ~LibraryHost() = default;
    virtual int ActivePage() const = 0;   // tab shown: 0 photos, else videos
    virtual bool ShuffleOn() const = 0;   // "Shuffle (Random selection)"
    virtual QString RootFolder() const = 0;
    virtual QString CurrentFile() const = 0;
    virtual bool SetThis(const QString& path, bool setAsWallpaper) = 0;
    virtual void ProcessMessages() = 0;
    virtual void SetTabCaption(int tab, const QString& caption) = 0;
};

class MediaLibrary : public QObject {
    Q_OBJECT
public:
    explicit MediaLibrary(LibraryHost& host, QObject* parent = nullptr);

    // The extensions of photos and videos, and the names of folders with bad
    // photos, as the settings give them (empty until they do).
    NameList photoTypes;
    NameList videoTypes;
    NameList badFolders;

    // Positions in the visible lists; -1 for none.
    int photoIndex = -1;
    int videoIndex = -1;

    QStringList scannedPhotos; // full lists of the last scan
    QStringList scannedVideos;
    QStringList shuffleHistory;

    MediaListModel& PhotoLines() { return photoLines_; }
    MediaListModel& VideoLines() { return videoLines_; }
    QItemSelectionModel& PhotoSelection() { return photoSelection_; }
    QItemSelectionModel& VideoSelection() { return videoSelection_; }
    // The lines of the active tab (lb), on which the commands work.
    MediaListModel& ActiveLines() { return host_.ActivePage() == 0 ? photoLines_ : videoLines_; }
    QItemSelectionModel& SelectionOf(const MediaListModel& list) { return list.Tag() == 0 ? photoSelection_ : videoSelection_; }

    // Empties both full lists, walks the root folder for photos then videos,
    // fills the list boxes and tab captions and selects the stored positions.
    // A scan asked for while one runs is refused (returns false), so the
    // lists being filled are never emptied under the running walk.
    bool ReadDir();
    bool Scanning() const { return scanning_; }

    // Narrows both list boxes to the entries of the full lists that contain
    // the text: exact letter case for texts under three characters or when
    // caseSensitive, otherwise both lower-cased. An empty text restores the
    // full lists. Positions and the item on display do not change.
    void GoSearch(const QString& text, bool caseSensitive);

    void SetFileIndex(int index, int list);
    void Next(bool setAsWallpaper);
    // The full path of what Next would show now; empty with an empty list.
    // With shuffle on, the random pick is drawn now and Next takes it (as
    // long as the list still holds that line there): just as random, and
    // known ahead.
    QString UpcomingPath();
    void ShortNext() { Next(false); }
    void ShortPrev();
    // A line of a list box was clicked (or reached with the keyboard).
    void ListBoxClick(MediaListModel& list);

    QString FullPath(const QString& line) const;
    int& PositionOf(int list) { return list == 0 ? photoIndex : videoIndex; }

    // Seeds the random choice of shuffle (once per run, from the clock).
    void Seed(unsigned value) { random_.seed(value); }

private:
    LibraryHost& host_;
    MediaListModel photoLines_{0};
    MediaListModel videoLines_{1};
    QItemSelectionModel photoSelection_{&photoLines_};
    QItemSelectionModel videoSelection_{&videoLines_};
    bool scanning_ = false;
    // A full list prepared for searching: its entries joined into one text
    // (NUL between them, which no file name holds), as typed and
    // lower-cased, with where each entry starts. Made by the first search
    // after a scan.
    struct SearchText {
        QString exact;
        QString lower;
        std::vector<qsizetype> starts;
        qsizetype count = -1;
    };
    static void Prepare(SearchText& text, const QStringList& entries);
    static QStringList Filter(const SearchText& text, const QStringList& entries, const QString& needle, bool exact);
    SearchText photoSearch_;
    SearchText videoSearch_;
    // The random pick drawn ahead for the next shuffle step.
    struct UpcomingPick {
        int list = -1;
        int index = -1;
        QString line;
    };
    UpcomingPick upcoming_;
    int NextIndex(int list, const MediaListModel& box);
    std::mt19937 random_{std::random_device{}()};
};

} // namespace orvane::library
