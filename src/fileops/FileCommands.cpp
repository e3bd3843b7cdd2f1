#include "fileops/FileCommands.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::fileops {

namespace {

QString FolderPart(const QString& line)
{
    const qsizetype slash = line.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : line.left(slash + 1);
}

QString NamePart(const QString& line)
{
    return line.mid(line.lastIndexOf(QLatin1Char('/')) + 1);
}

bool Exists(const QByteArray& path)
{
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0;
}

// Copies a regular file completely (data flushed) to a new file; false and
// nothing left behind when anything fails.
bool CopyNew(const QByteArray& from, const QByteArray& to)
{
    const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat info {};
    if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(in);
        return false;
    }
    const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 07777);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    char buffer[1 << 16];
    while (ok) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            ok = errno == EINTR;
            continue;
        }
        for (ssize_t done = 0; ok && done < got;) {
            const ssize_t put = ::write(out, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno != EINTR)
                ok = false;
            else if (put > 0)
                done += put;
        }
    }
    ok = ok && ::fsync(out) == 0;
    ok = (::close(out) == 0) && ok;
    ::close(in);
    if (!ok)
        ::unlink(to.constData());
    return ok;
}

} // namespace

QString TargetLine(FileCommand command, const QString& line, const QString& text)
{
    const QString folder = FolderPart(line);
    const QString name = NamePart(line);
    switch (command) {
    case FileCommand::MoveInFolder:
        return folder + text + QLatin1Char('/') + name;
    case FileCommand::RenameFolder: {
        // The parent of the file's folder: the folder part of the folder
        // without its trailing separator.
        QString parent = folder;
        if (parent.endsWith(QLatin1Char('/')))
            parent.chop(1);
        return FolderPart(parent) + text + QLatin1Char('/') + name;
    }
    case FileCommand::AddToFilename: {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        const QString extension = dot < 0 ? QString() : name.mid(dot);
        const QString base = line.left(line.size() - extension.size());
        return base + QLatin1Char(' ') + text + extension;
    }
    }
    return line;
}

bool MoveFileNoReplace(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (!Exists(source) || Exists(target))
        return false;
    // A hard link fails when the target exists, so nothing is ever replaced.
    if (::link(source.constData(), target.constData()) == 0) {
        if (::unlink(source.constData()) == 0)
            return true;
        ::unlink(target.constData()); // keep the one original
        return false;
    }
    if (errno == EXDEV) {
        // Another file system: a complete copy first, then the original goes.
        if (!CopyNew(source, target))
            return false;
        if (::unlink(source.constData()) == 0)
            return true;
        ::unlink(target.constData());
        return false;
    }
    if (errno == EPERM || errno == EOPNOTSUPP || errno == EMLINK) {
        // File systems without hard links: rename after the check above.
        if (Exists(target))
            return false;
        return ::rename(source.constData(), target.constData()) == 0;
    }
    return false;
}

void RunFileCommand(FileCommand command, const QString& root, QStringList& lines, const QList<int>& selected,
                    const QString& text, const std::function<void()>& failed)
{
    for (const int index : selected) {
        if (index < 0 || index >= lines.size())
            continue;
        const QString line = lines.at(index);
        const QString target = TargetLine(command, line, text);
        if (command != FileCommand::AddToFilename) {
            // One level of folder; failure (it exists already) is ignored.
            const QString folder = root + QLatin1Char('/') + FolderPart(target);
            ::mkdir(QFile::encodeName(folder.left(folder.size() - 1)).constData(), 0777);
        }
        if (MoveFileNoReplace(root + QLatin1Char('/') + line, root + QLatin1Char('/') + target))
            lines[index] = target;
        else if (failed)
            failed();
        if (command == FileCommand::RenameFolder) {
            // The old folder goes when it has become empty.
            QString old = FolderPart(line);
            if (old.endsWith(QLatin1Char('/')))
                old.chop(1);
            ::rmdir(QFile::encodeName(root + QLatin1Char('/') + old).constData());
        }
    }
}

bool UsableText(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() > 32)
            return true;
    return false;
}

void AddToHistory(QStringList& history, const QString& text)
{
    for (const QString& entry : history)
        if (entry.compare(text, Qt::CaseInsensitive) == 0)
            return;
    history.append(text);
}

} // namespace orvane::fileops
