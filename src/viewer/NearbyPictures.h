#pragma once
// The pictures next to the one shown, so that a step to them is only a
// paint: the one the next step will show, decoded ahead in slices while the
// program is idle, and the one shown before (a step back). Each is decoded
// for the size the viewing area shows it at; with the picture on screen that
// makes at most three pictures held.
#include <QDateTime>
#include <QObject>
#include <QSize>
#include <QString>
#include <QTimer>

#include <memory>

class QElapsedTimer;

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

    // Begins decoding path ahead for an area of decodeArea screen pixels,
    // in slices of a few milliseconds whenever the program is idle; the work
    // ahead before is dropped. A file whose reader cannot pause is decoded
    // ahead only when it is small.
    void DecodeAhead(const QString& path, const QSize& decodeArea);
    // Keeps the picture leaving the screen for a step back.
    void KeepShownBefore(const QString& path, const QSize& decodeArea, std::shared_ptr<imaging::TBitmap> picture);
    // The picture of path decoded for decodeArea, finished now if it was
    // still being decoded; null when neither is that picture, the file has
    // changed since (size or modification time) or its decoding failed.
    std::shared_ptr<imaging::TBitmap> Take(const QString& path, const QSize& decodeArea);
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
        QSize area;
        qint64 fileSize = -1;
        QDateTime modified;
        std::shared_ptr<imaging::TBitmap> picture;
        bool Matches(const QString& path, const QSize& area) const;
    };
    void RunSlice();
    void EndTask();

    Held ahead_;
    Held before_;
    std::unique_ptr<SlicedTask> task_;
    std::shared_ptr<QElapsedTimer> sliceClock_; // since the running slice began
    QTimer idle_;
};

} // namespace orvane::viewer
