#include "viewer/ItemDisplay.h"

#include "library/FolderScanner.h"

#include <QFileInfo>

#include <exception>

namespace orvane::viewer {

QString TitleFor(const QString& path, const QString& rootFolder)
{
    return path.mid(rootFolder.size() + 1).left(999) + QStringLiteral(" - Orvane");
}

QString ProgressText(int stage, int percentDone, bool redrawNow, const QString& message)
{
    const char* stageText = stage == 0 ? "Starting" : stage == 1 ? "Running" : "Ending";
    QString text = QString::fromLatin1(stageText) + QStringLiteral(" percent done: ") + QString::number(percentDone);
    if (redrawNow)
        text += QStringLiteral(" (Redrawing)");
    return text + QLatin1Char(' ') + message;
}

bool SetThis(DisplayHost& host, const QString& path, bool setAsWallpaper)
{
    host.StopPlayer();
    host.ClosePlayer();
    const QFileInfo file(path);
    if (path.isEmpty() || !file.exists() || file.isDir())
        return false;
    const QString extension = library::FileExtension(file.fileName()).toLower();
    if (!host.IsVideo(extension)) {
        host.HidePlayer();
        const QSize size = host.LoadPicture(path);
        host.ChangeStatus(QStringLiteral("%1  (%2x%3)").arg(path).arg(size.width()).arg(size.height()));
    } else {
        // Player failures are swallowed: the rest of the step still runs.
        try {
            host.ShowPlayer();
            host.SetPlayerUrl(path);
            host.PlayPlayer();
            host.ChangeStatus(path);
        } catch (const std::exception&) {
        }
    }
    host.ProcessMessages();
    host.SetCurrentFile(path);
    host.SetCaptionAndHint(TitleFor(path, host.RootFolder()));
    if (setAsWallpaper)
        host.ApplyWallpaper(path);
    return true;
}

} // namespace orvane::viewer
