#include "fileops/FileCommands.h"

#include <QFile>

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

void RunFileCommand(FileCommand command, const QString& root, QStringList& lines, const QList<int>& selected,
                    const QString& text, const std::function<void()>& failed,
                    const std::function<void(const QString&)>& status)
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
        MoveProgress progress;
        if (status)
            progress = [&status, name = NamePart(line)](int percent) {
                status(QStringLiteral("Moving %1: %2%").arg(name).arg(percent));
            };
        if (MoveFileNoReplace(root + QLatin1Char('/') + line, root + QLatin1Char('/') + target, progress))
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
