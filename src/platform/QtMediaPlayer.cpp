#include "platform/MediaPlayer.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QMouseEvent>
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
    explicit QtMediaPlayer(QObject* parent) : MediaPlayer(parent) {}

    void Stop() override
    {
        playWanted_ = false;
        if (player_)
            player_->stop();
    }
    void Close() override
    {
        if (player_)
            player_->setSource(QUrl());
    }
    void SetUrl(const QString& path) override
    {
        EnsurePlayer();
        player_->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    }
    void Play() override
    {
        EnsurePlayer();
        playWanted_ = true;
        player_->play();
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
        });
        audio_ = new QAudioOutput(this);
        player_->setAudioOutput(audio_);
        if (widget_)
            player_->setVideoOutput(widget_);
    }

    bool playWanted_ = false;
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
