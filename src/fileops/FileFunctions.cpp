#include "fileops/FileFunctions.h"

#include "fileops/RelativePaths.h"
#include "platform/Services.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::fileops {

namespace {

struct DirCloser {
    DIR* dir;
    ~DirCloser()
    {
        if (dir)
            ::closedir(dir);
    }
};

bool IsDotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

bool DeleteFile(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT;
    if (!S_ISLNK(info.st_mode) && !(info.st_mode & S_IWUSR))
        return false;
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool Exists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool IsLink(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool IsHostile(const std::string& folder, const std::string& entry)
{
    if (!StaysInsideProgramFolder(entry))
        return true;
    std::string path = entry;
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    for (size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
        if (IsLink(folder + path.substr(0, slash)))
            return true;
    return IsFolderEntry(entry) && IsLink(folder + path);
}

bool SendToRecycleBin(const QString& path)
{
    auto& trash = platform::Services::Current().trash;
    return trash && trash->MoveToTrash(path);
}

void DeleteTree(const QString& folder)
{
    const QByteArray encoded = QFile::encodeName(folder);
    {
        DirCloser listing{::opendir(encoded.constData())};
        if (listing.dir) {
            while (dirent* entry = ::readdir(listing.dir)) {
                if (IsDotEntry(entry->d_name))
                    continue;
                const QByteArray child = encoded + '/' + entry->d_name;
                struct stat info {};
                // A link to a folder is deleted as a file, never followed.
                const bool isFolder = ::lstat(child.constData(), &info) == 0 && S_ISDIR(info.st_mode);
                if (isFolder) {
                    DeleteTree(QFile::decodeName(child));
                    continue;
                }
                while (!DeleteFile(child.toStdString())) {
                    auto& dialogs = platform::Services::Current().dialogs;
                    if (!dialogs || !dialogs->AskRetryIgnore(QStringLiteral("Cannot delete ") + QFile::decodeName(child)))
                        break;
                }
            }
        }
    }
    if (::rmdir(encoded.constData()) != 0)
        throw EInOutError(QStringLiteral("Cannot remove folder %1: %2")
                              .arg(folder, QString::fromLocal8Bit(std::strerror(errno)))
                              .toStdString());
}

bool IsFolderEmpty(const QString& folder)
{
    DirCloser listing{::opendir(QFile::encodeName(folder).constData())};
    if (!listing.dir)
        return true;
    while (dirent* entry = ::readdir(listing.dir))
        if (!IsDotEntry(entry->d_name))
            return false;
    return true;
}

QString GetShellFolder(const QString& name)
{
    if (name == QLatin1String("Desktop"))
        return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (name == QLatin1String("Programs"))
        return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    if (name == QLatin1String("Personal") || name == QLatin1String("My Documents"))
        return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (name == QLatin1String("My Pictures"))
        return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (name == QLatin1String("My Video"))
        return QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    return {};
}

bool AskYesNo(const QString& text)
{
    auto& dialogs = platform::Services::Current().dialogs;
    return dialogs && dialogs->AskYesNo(text);
}

} // namespace orvane::fileops
