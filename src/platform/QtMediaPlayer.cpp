#include "platform/MediaPlayer.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QVideoWidget>

namespace orvane::platform {

namespace {

class VideoSurface : public QVideoWidget {
public:
    explicit VideoSurface(MediaPlayer* owner, QWidget* parent) : QVideoWidget(parent), owner_(owner) {}

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        event->accept();
        emit owner_->DoubleClicked();
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        // Escape leaves the player's own full screen.
        if (event->key() == Qt::Key_Escape && isFullScreen()) {
            setFullScreen(false);
            event->accept();
            return;
        }
        QVideoWidget::keyPressEvent(event);
    }

private:
    MediaPlayer* owner_;
};

class QtMediaPlayer : public MediaPlayer {
public:
    explicit QtMediaPlayer(QObject* parent) : MediaPlayer(parent)
    {
        stallCheck_.setSingleShot(true);
        connect(&stallCheck_, &QTimer::timeout, this, &QtMediaPlayer::CheckStarted);
    }

    void Stop() override
    {
        playWanted_ = false;
        stallCheck_.stop();
        if (player_)
            player_->stop();
    }
    void Close() override
    {
        stallCheck_.stop();
        source_.clear();
        if (player_)
            player_->setSource(QUrl());
    }
    void SetUrl(const QString& path) override
    {
        EnsurePlayer();
        source_ = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
        reopenings_ = 0;
        player_->setSource(source_);
    }
    void Play() override
    {
        EnsurePlayer();
        playWanted_ = true;
        player_->play();
        stallCheck_.start(kStallWait);
    }
    bool FullScreen() const override { return widget_ && widget_->isFullScreen(); }
    void SetFullScreen(bool value) override
    {
        if (widget_)
            widget_->setFullScreen(value);
    }
    QWidget* Widget(QWidget* parent) override
    {
        if (!widget_) {
            widget_ = new VideoSurface(this, parent);
            widget_->setAspectRatioMode(Qt::KeepAspectRatio);
            if (player_)
                player_->setVideoOutput(widget_);
        }
        return widget_;
    }

private:
    static constexpr int kStallWait = 2000; // ms
    static constexpr int kMostReopenings = 3;

    // GStreamer can let a file's stream start before the video output is
    // linked to it, or swap the output while the file opens: the stream then
    // stops on its first frame, reported invalid or just not moving. Such a
    // play opens the file again (a few times at most, for a file that cannot
    // play at all).
    void CheckStarted()
    {
        if (!playWanted_ || !player_ || source_.isEmpty())
            return;
        const auto status = player_->mediaStatus();
        if (status == QMediaPlayer::LoadingMedia || status == QMediaPlayer::StalledMedia ||
            status == QMediaPlayer::BufferingMedia) {
            stallCheck_.start(kStallWait); // still opening: look again later
            return;
        }
        const bool opened = status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia;
        const bool stuck = status == QMediaPlayer::InvalidMedia || (opened && player_->position() == 0);
        if (!stuck || reopenings_ >= kMostReopenings)
            return;
        ++reopenings_;
        player_->setSource(QUrl());
        player_->setSource(source_);
        player_->play();
        stallCheck_.start(kStallWait);
    }

    void EnsurePlayer()
    {
        if (player_)
            return;
        player_ = new QMediaPlayer(this);
        // A play asked for while the file was still being opened can be left
        // on its first frame: once the file is open, playing is asked again.
        connect(player_, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
            if (playWanted_ && (status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia))
                player_->play();
            if (playWanted_ && status == QMediaPlayer::InvalidMedia)
                stallCheck_.start(0);
        });
        audio_ = new QAudioOutput(this);
        player_->setAudioOutput(audio_);
        if (widget_)
            player_->setVideoOutput(widget_);
    }

    bool playWanted_ = false;
    QUrl source_;
    int reopenings_ = 0;
    QTimer stallCheck_;
    QMediaPlayer* player_ = nullptr;
    QAudioOutput* audio_ = nullptr;
    VideoSurface* widget_ = nullptr;
};

} // namespace

MediaPlayer* CreateQtMediaPlayer(QObject* parent)
{
    return new QtMediaPlayer(parent);
}

} // namespace orvane::platform
