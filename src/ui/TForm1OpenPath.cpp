// Opening a folder or a file named on the command line or dropped on the
// window: a folder becomes the root folder, walked as if chosen through
// "Select folder"; a file makes its folder the root and is shown at once,
// its line selected. The path is only ever a name: it is looked at, never
// run, and a path that cannot be opened is named in a message.
#include "ui/TForm1.h"

#include "platform/Services.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace orvane::ui {

namespace {

void CannotOpen(const QString& path, const QString& reason)
{
    platform::Services::Current().dialogs->ShowError(QStringLiteral("Cannot open \"%1\": %2").arg(path, reason));
}

// The first local file or folder among dropped URLs; empty (and the reason)
// when there is none.
QString DroppedPath(const QMimeData& data, QString* refused = nullptr)
{
    for (const QUrl& url : data.urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    if (refused && !data.urls().isEmpty())
        *refused = data.urls().first().toDisplayString();
    return QString();
}

} // namespace

std::optional<TForm1::OpenedPath> TForm1::CheckPathToOpen(const QString& path) const
{
    const QFileInfo info(path);
    if (!info.exists()) {
        CannotOpen(path, QStringLiteral("there is no such file or folder."));
        return std::nullopt;
    }
    // A fifo or a device would block or never end if read as a picture.
    if (!info.isDir() && !info.isFile()) {
        CannotOpen(path, QStringLiteral("it is neither a file nor a folder."));
        return std::nullopt;
    }
    if (!info.isReadable() || (info.isDir() && !info.isExecutable())) {
        CannotOpen(path, QStringLiteral("it cannot be read."));
        return std::nullopt;
    }
    if (info.isDir())
        return OpenedPath{QDir::cleanPath(info.absoluteFilePath()), QString()};
    return OpenedPath{QDir::cleanPath(info.absolutePath()), QDir::cleanPath(info.absoluteFilePath())};
}

void TForm1::ShowOpened(const OpenedPath& opened)
{
    if (opened.file.isEmpty()) {
        library_->Next(false);
        return;
    }
    // The file's line, on whichever list it is, becomes the current one.
    for (const int list : {0, 1}) {
        library::MediaListModel& lines = list == 0 ? library_->PhotoLines() : library_->VideoLines();
        for (int line = 0; line < lines.Count(); ++line)
            if (library_->FullPath(lines.Line(line)) == opened.file) {
                SetActiveTab(list);
                library_->SetFileIndex(line, list);
                break;
            }
    }
    SetThis(opened.file, false);
}

void TForm1::OpenPath(const QString& path)
{
    if (library_->Scanning())
        return; // a scan is filling the lists; a second one would empty them under it
    const std::optional<OpenedPath> opened = CheckPathToOpen(path);
    if (!opened)
        return;
    WalkNewRoot(opened->folder);
    ShowOpened(*opened);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    event->acceptProposedAction();
    OpenDropped(*event->mimeData());
}

void TForm1::OpenDropped(const QMimeData& data)
{
    QString refused;
    const QString path = DroppedPath(data, &refused);
    if (!path.isEmpty())
        OpenPath(path);
    else if (!refused.isEmpty())
        CannotOpen(refused, QStringLiteral("only files and folders on this computer can be opened."));
}

} // namespace orvane::ui
