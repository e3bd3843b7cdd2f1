#pragma once
// The pictures next to the one shown, so that a step to them is only a
// paint: the one the next step will show, decoded ahead in slices while the
// program is idle, and the one shown before (a step back). Each is decoded
// for the size the viewing area shows it at; with the picture on screen that
// makes at most three pictures held.
#include "viewer/DisplayCache.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QSize>
#include <QString>
#include <QTimer>

#include <memory>

namespace orvane::imaging {
class TBitmap;
}

namespace orvane::viewer {

class SlicedTask;

class NearbyPictures : public QObject {
    Q_OBJECT
public:
    explicit NearbyPictures(QObject* parent = nullptr);
    ~NearbyPictures() override;

    // Where a picture is shown: the viewing area's size and its screen
    // pixels per area pixel; decoded for area times ratio.
    struct Area {
        QSize size;
        qreal ratio = 1.0;
        QSize DecodeSize() const;
        bool operator==(const Area&) const = default;
    };
    // A picture at hand: decoded, and drawn for its area once the program
    // was idle long enough (the cache then paints it at once).
    struct Prepared {
        std::shared_ptr<imaging::TBitmap> picture;
        DisplayCache cache;
    };

    // Begins decoding path ahead for the area, in slices of a few
    // milliseconds whenever the program is idle, then draws it for the area;
    // the work ahead before is dropped. A file whose reader cannot pause is
    // decoded ahead only when it is small.
    void DecodeAhead(const QString& path, const Area& area);
    // Keeps the picture leaving the screen for a step back, as it was drawn.
    void KeepShownBefore(const QString& path, const Area& area, Prepared shown);
    // The picture of path for the area, its decoding finished now if it was
    // still under way; no picture when neither is that picture, the file has
    // changed since (size or modification time) or its decoding failed.
    Prepared Take(const QString& path, const Area& area);
    // Drops the work ahead (what comes next has changed).
    void DropAhead();
    // Drops both (the viewing area changed size).
    void DropAll();

    QString AheadPath() const { return ahead_.path; }
    bool AheadDone() const;
    // The pixel memory held, the picture on screen not counted.
    size_t HeldBytes() const;

private:
    struct Held {
        QString path;
        Area area;
        qint64 fileSize = -1;
        QDateTime modified;
        Prepared prepared;
        bool Matches(const QString& path, const Area& area) const;
    };
    void RunSlice();
    void PauseIfDue(bool mayEnd);
    void EndTask();

    Held ahead_;
    Held before_;
    std::unique_ptr<SlicedTask> task_;
    bool drawPending_ = false; // decoded ahead, not drawn yet
    QElapsedTimer slice_; // since the running slice began
    QTimer idle_;
};

} // namespace orvane::viewer
