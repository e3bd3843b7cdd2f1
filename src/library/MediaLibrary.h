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

    // Lists of the main window's settings.
    NameList FileTypes{QStringLiteral("jpg"), QStringLiteral("jpeg")};
    NameList VideoFileTypes{QStringLiteral("avi"), QStringLiteral("3gp")};
    NameList BadFolders{QStringLiteral("_"), QStringLiteral("...misc"), QStringLiteral("...orig"),
                        QStringLiteral("..notebook")};

    // Positions in the visible lists; -1 for none.
    int iFileIndex = -1;
    int vFileIndex = -1;

    QStringList PhotoList; // full lists of the last scan
    QStringList VideoList;
    QStringList ShuffleHistory;

    MediaListModel& ListBox1() { return listBox1_; }
    MediaListModel& ListBox2() { return listBox2_; }
    QItemSelectionModel& Selection1() { return selection1_; }
    QItemSelectionModel& Selection2() { return selection2_; }
    MediaListModel& lb() { return host_.ActivePage() == 0 ? listBox1_ : listBox2_; }
    QItemSelectionModel& SelectionOf(const MediaListModel& list) { return list.Tag() == 0 ? selection1_ : selection2_; }

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
    void ShortNext() { Next(false); }
    void ShortPrev();
    // A line of a list box was clicked (or reached with the keyboard).
    void ListBoxClick(MediaListModel& list);

    QString FullPath(const QString& line) const;
    int& PositionOf(int list) { return list == 0 ? iFileIndex : vFileIndex; }

    // Seeds the random choice of shuffle (once per run, from the clock).
    void Seed(unsigned value) { random_.seed(value); }

private:
    LibraryHost& host_;
    MediaListModel listBox1_{0};
    MediaListModel listBox2_{1};
    QItemSelectionModel selection1_{&listBox1_};
    QItemSelectionModel selection2_{&listBox2_};
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
    std::mt19937 random_{std::random_device{}()};
};

} // namespace orvane::library
