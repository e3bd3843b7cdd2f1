#pragma once
// The display step: the only way anything is shown. A picture goes to the
// picture surface, a video to the media player; the status line, the title
// and the current file follow.
#include <QSize>
#include <QString>

namespace orvane::viewer {

// What the display step needs of the main window.
class DisplayHost {
public:
    virtual ~DisplayHost() = default;
    virtual void StopPlayer() = 0;  // failures are ignored by the host
    virtual void ClosePlayer() = 0;
    virtual void HidePlayer() = 0;
    virtual void ShowPlayer() = 0;
    virtual void SetPlayerUrl(const QString& path) = 0;
    virtual void PlayPlayer() = 0;
    // Loads the picture into the picture surface; throws the reader's error.
    virtual QSize LoadPicture(const QString& path) = 0;
    virtual bool IsVideo(const QString& extension) const = 0;
    virtual QString RootFolder() const = 0;
    virtual void ChangeStatus(const QString& text) = 0;
    virtual void ProcessMessages() = 0;
    virtual void SetCurrentFile(const QString& path) = 0;
    virtual void SetCaptionAndHint(const QString& text) = 0;
    virtual void ApplyWallpaper(const QString& path) = 0;
};

// Shows one file; false when no file exists at path (then nothing but the
// player changes).
bool SetThis(DisplayHost& host, const QString& path, bool setAsWallpaper);

// The window title for a shown file: the path less the root folder and the
// separator after it, at most 999 characters, then " - Orvane".
QString TitleFor(const QString& path, const QString& rootFolder);

// The status text of a decoding progress report.
QString ProgressText(int stage, int percentDone, bool redrawNow, const QString& message);

} // namespace orvane::viewer
