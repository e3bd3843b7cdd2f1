#pragma once
// The item on display: one picture or one video at a time, in explicit states
// the window draws. A picture is decoded straight into what the picture
// surface paints (at the size it is seen, where the format can), its rows
// shown as they arrive when the decoding takes long enough to be watched; a
// video plays in the media player.
#include "viewer/DisplayCache.h"
#include "viewer/NearbyPictures.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSize>
#include <QString>
#include <QTimer>

#include <memory>

namespace orvane::imaging {
class TBitmap;
}
namespace orvane::platform {
class MediaPlayer;
}

namespace orvane::viewer {

class ItemDisplay : public QObject {
    Q_OBJECT
public:
    enum class State {
        Empty,   // nothing shown yet
        Loading, // a picture decodes; the one before stays until it shows
        Picture, // a picture is shown
        Video,   // the player plays a video
        Failed,  // the last picture could not be read; the one before stays
    };

    explicit ItemDisplay(platform::MediaPlayer& player, QObject* parent = nullptr);
    ~ItemDisplay() override;

    // The display's part of showing a file: the player stops and lets go of
    // its file, then a video plays or a picture is decoded. False when no
    // file is at path (then only the player changed). A picture that cannot
    // be read raises its reader's error; the picture shown before stays.
    bool Show(const QString& path, bool isVideo);
    State CurrentState() const { return state_; }
    // The status line for the item shown: the path with the picture's size
    // in its file, or the video's path; empty when the player failed.
    QString StatusText() const { return statusText_; }

    // The picture on the surface (the previous one while another loads) and
    // its size in its file, as it stands upright.
    std::shared_ptr<const imaging::TBitmap> Picture() const { return picture_; }
    QSize PictureSize() const;

    // What the surface paints: the picture fitted into area, and where.
    const QImage& Render(const QSize& area, QRect* target, qreal devicePixelRatio = 1.0)
    {
        return cache_.Render(area, target, devicePixelRatio);
    }
    bool HasPicture() const { return cache_.HasPicture(); }
    int ReductionFactor() const { return cache_.ReductionFactor(); }

    // The size of the picture surface, and the screen pixels per surface
    // pixel: pictures are decoded for the screen's pixels. A picture decoded
    // reduced is decoded again, quietly, once the area has grown past it and
    // stays so.
    void SetArea(const QSize& area, qreal devicePixelRatio = 1.0);

    // The picture the next step will show, decoded ahead while the program
    // is idle (none: empty); dropped when what comes next changes.
    void DecodeAhead(const QString& path);
    void DropAhead();
    const NearbyPictures& Nearby() const { return nearby_; }

signals:
    void StateChanged(State state);
    // A decoding progress report, as the status line shows it.
    void Progress(const QString& text);
    // The surface should paint again: at once (rows arrived) or when it may.
    void RedrawNeeded(bool now);

private:
    void SetState(State state);
    void ShowVideo(const QString& path);
    void LoadPicture(const QString& path);
    // Decodes the file, showing its rows as they come; on failure the
    // picture before stays on screen and the error goes on.
    void Decode(const QString& path, const std::shared_ptr<imaging::TBitmap>& previous);
    void ShowPicture(std::shared_ptr<imaging::TBitmap> picture);
    void PictureShown(const QString& path);
    void RowsDecoded(int rows, bool redrawNow);
    bool WouldBeEnlarged() const;
    void Refine();
    void StartAnimation();
    void ShowNextFrame();

    platform::MediaPlayer& player_;
    State state_ = State::Empty;
    QString statusText_;
    std::shared_ptr<imaging::TBitmap> picture_;
    QString picturePath_; // the file of the picture shown, once loaded
    DisplayCache cache_;
    NearbyPictures::Area area_;        // the surface's
    NearbyPictures::Area pictureArea_; // the area the picture shown was made for
    NearbyPictures nearby_;
    QTimer refineTimer_;
    // An animated picture shows its frames in turn, each for its delay,
    // until it has played as often as the file says.
    QTimer frameTimer_;
    int playsDone_ = 0;
    // A picture decoded within a blink appears once, whole; after that its
    // rows are shown as they arrive, at most about 30 times a second.
    static constexpr int kFirstPartialFrameMs = 120;
    static constexpr int kPartialFrameIntervalMs = 33;
    QElapsedTimer sinceHandedOver_;
    QElapsedTimer sinceRedraw_;
};

// The window title for a shown file: the path less the root folder and the
// separator after it, at most 999 characters, then " - Orvane".
QString TitleFor(const QString& path, const QString& rootFolder);

// The status text of a decoding progress report.
QString ProgressText(int stage, int percentDone, bool redrawNow, const QString& message);

} // namespace orvane::viewer
