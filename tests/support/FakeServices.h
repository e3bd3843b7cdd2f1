#pragma once
// Stand-ins for the platform layers that would touch the user's desktop:
// message boxes answer from a script and remember what they showed, the
// shell and the desktop icons remember what they were asked, and the media
// player records its calls.
#include "platform/MediaPlayer.h"
#include "platform/Services.h"
#include "platform/TrayIcon.h"

#include <QStringList>
#include <QWidget>

#include <deque>
#include <optional>

namespace orvane::test {

class FakeDialogs : public platform::Dialogs {
public:
    QStringList errors;
    QStringList informations;
    QStringList warnings;
    QStringList questions;      // AskYesNo texts
    QStringList retryPrompts;   // AskRetryIgnore texts
    std::deque<bool> yesNoAnswers;     // empty: No
    std::deque<bool> retryAnswers;     // empty: Ignore
    std::deque<std::optional<QString>> folderAnswers; // empty: Cancel
    QStringList folderTitles;
    QStringList folderInitials;

    void ShowError(const QString& text) override { errors << text; }
    void ShowInformation(const QString& text) override { informations << text; }
    void ShowWarning(const QString& caption, const QString& text) override { warnings << caption + ": " + text; }
    bool AskYesNo(const QString& text) override
    {
        questions << text;
        return Take(yesNoAnswers, false);
    }
    bool AskRetryIgnore(const QString& text) override
    {
        retryPrompts << text;
        return Take(retryAnswers, false);
    }
    std::optional<QString> BrowseForFolder(const QString& title, const QString& initialFolder) override
    {
        folderTitles << title;
        folderInitials << initialFolder;
        if (folderAnswers.empty())
            return std::nullopt;
        auto answer = folderAnswers.front();
        folderAnswers.pop_front();
        return answer;
    }

private:
    template <typename T>
    static T Take(std::deque<T>& queue, T otherwise)
    {
        if (queue.empty())
            return otherwise;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};

class FakeShell : public platform::Shell {
public:
    QStringList opened;
    void Open(const QString& pathOrAddress, const QString&) override { opened << pathOrAddress; }
};

class FakeWallpaper : public platform::Wallpaper {
public:
    QStringList set;
    bool unavailable = false;
    void SetWallpaper(const QString& path) override
    {
        if (unavailable)
            throw std::runtime_error("The desktop background cannot be set: this desktop offers no way to change it.");
        set << path;
    }
};

class FakeTrayIcon : public platform::TrayIcon {
public:
    using platform::TrayIcon::TrayIcon;
    bool available = true;
    bool visible = false;
    QMenu* menu = nullptr;
    bool Available() const override { return available; }
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    bool Visible() const override { return visible; }
    void SetContextMenu(QMenu* m) override { menu = m; }
};

// A screen whose pointer the test places; the picture of any rectangle is
// its coordinates' pattern, so tests can tell which area was taken.
class FakeScreen : public platform::Screen {
public:
    std::optional<QPoint> pointer;
    QSize size{1280, 800};
    QRect lastGrab;
    std::optional<QPoint> CursorPos() const override { return pointer; }
    QSize PrimarySize() const override { return size; }
    QImage Grab(const QRect& area) const override
    {
        const_cast<FakeScreen*>(this)->lastGrab = area;
        QImage picture(area.size(), QImage::Format_RGB32);
        for (int y = 0; y < area.height(); ++y)
            for (int x = 0; x < area.width(); ++x)
                picture.setPixel(x, y, qRgb((area.x() + x) & 0xFF, (area.y() + y) & 0xFF, 100));
        return picture;
    }
};

// A desktop with an icon setting like Xfce's style: "0" hides the icons.
class FakeDesktopIcons : public platform::DesktopIcons {
public:
    QString setting = QStringLiteral("2");
    QStringList writes; // every value written, in order
    bool HasSetting() const override { return true; }
    QString ReadSetting() override { return setting; }
    void WriteSetting(const QString& value) override
    {
        setting = value;
        writes << value;
    }
    QString HiddenValue() const override { return QStringLiteral("0"); }
    QString ShownValue() const override { return QStringLiteral("2"); }
};

class FakeMediaPlayer : public platform::MediaPlayer {
public:
    using platform::MediaPlayer::MediaPlayer;
    QStringList calls; // "stop", "close", "url <path>", "play", "fullscreen <0|1>"
    bool fullScreen = false;
    bool failOnPlay = false;

    void Stop() override { calls << QStringLiteral("stop"); }
    void Close() override { calls << QStringLiteral("close"); }
    void SetUrl(const QString& path) override { calls << QStringLiteral("url ") + path; }
    void Play() override
    {
        calls << QStringLiteral("play");
        if (failOnPlay)
            throw std::runtime_error("no codec");
    }
    bool FullScreen() const override { return fullScreen; }
    void SetFullScreen(bool value) override
    {
        fullScreen = value;
        calls << QStringLiteral("fullscreen %1").arg(value ? 1 : 0);
    }
    QWidget* Widget(QWidget* parent) override
    {
        if (!widget)
            widget = new QWidget(parent);
        return widget;
    }
    QWidget* widget = nullptr;
};

// Installs fresh stand-ins (and the real trash, which tests point at their
// own temporary home); returns them for inspection.
struct FakeServices {
    FakeDialogs* dialogs;
    FakeShell* shell;
    FakeDesktopIcons* icons;
    FakeWallpaper* wallpaper;
    FakeScreen* screen;
    FakeMediaPlayer* lastPlayer = nullptr;
    FakeTrayIcon* lastTray = nullptr;
};
FakeServices& InstallFakeServices();

} // namespace orvane::test
