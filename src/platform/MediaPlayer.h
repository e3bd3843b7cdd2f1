#pragma once
// The embedded media player: the operations the viewer uses (stop, close,
// URL, play, full screen) on a widget that sits in the viewing area.
#include <QObject>
#include <QString>

class QWidget;

namespace orvane::platform {

class MediaPlayer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~MediaPlayer() override = default;

    virtual void Stop() = 0;
    virtual void Close() = 0;
    virtual void SetUrl(const QString& path) = 0;
    virtual void Play() = 0;
    virtual bool FullScreen() const = 0;
    virtual void SetFullScreen(bool value) = 0;
    // The player's own widget, created on first use with the given parent.
    virtual QWidget* Widget(QWidget* parent) = 0;

signals:
    void DoubleClicked();
};

// Qt Multimedia (GStreamer backend) with a video widget.
MediaPlayer* CreateQtMediaPlayer(QObject* parent);

} // namespace orvane::platform
