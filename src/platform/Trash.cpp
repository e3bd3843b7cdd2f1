#include "platform/Trash.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::platform {

namespace {

bool MakeFolders(const std::string& path, mode_t mode)
{
    std::string partial;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t slash = path.find('/', start);
        const size_t end = slash == std::string::npos ? path.size() : slash;
        partial = path.substr(0, end);
        if (!partial.empty() && ::mkdir(partial.c_str(), mode) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRealFolder(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The trash folder for a file on the given device, with files/ and info/
// present; empty when there is none to use.
bool HomeExists()
{
    const char* home = std::getenv("HOME");
    struct stat homeInfo {};
    return home && *home && ::stat(home, &homeInfo) == 0 && S_ISDIR(homeInfo.st_mode);
}

std::string TrashFolderFor(dev_t device, std::string& topDir)
{
    topDir.clear();
    const char* home = std::getenv("HOME");
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    std::string data = dataHome && *dataHome && dataHome[0] == '/' ? dataHome : std::string(home) + "/.local/share";
    // The home trash serves files on the device the trash folder lives on.
    if (MakeFolders(data, 0700)) {
        struct stat dataInfo {};
        if (::stat(data.c_str(), &dataInfo) == 0 && dataInfo.st_dev == device) {
            const std::string trash = data + "/Trash";
            if (MakeFolders(trash + "/files", 0700) && MakeFolders(trash + "/info", 0700))
                return trash;
            return {};
        }
    }
    return {};
}

// The top folder of the mount holding path (walking up while the device stays).
std::string MountTop(const std::string& path, dev_t device)
{
    std::string current = path;
    while (true) {
        const size_t slash = current.find_last_of('/');
        if (slash == std::string::npos)
            return "/";
        std::string parent = slash == 0 ? "/" : current.substr(0, slash);
        struct stat info {};
        if (::stat(parent.c_str(), &info) != 0 || info.st_dev != device)
            return current;
        if (parent == "/")
            return parent;
        current = parent;
    }
}

std::string TopDirTrash(const std::string& top)
{
    const std::string uid = std::to_string(::getuid());
    const std::string shared = (top == "/" ? "" : top) + "/.Trash";
    struct stat info {};
    if (::lstat(shared.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX)) {
        const std::string own = shared + "/" + uid;
        if (MakeFolders(own + "/files", 0700) && MakeFolders(own + "/info", 0700) && IsRealFolder(own))
            return own;
    }
    const std::string own = (top == "/" ? "" : top) + "/.Trash-" + uid;
    if (MakeFolders(own + "/files", 0700) && MakeFolders(own + "/info", 0700) && IsRealFolder(own))
        return own;
    return {};
}

} // namespace

bool FreedesktopTrash::MoveToTrash(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const std::string source = QFile::encodeName(absolute).toStdString();
    struct stat info {};
    if (::lstat(source.c_str(), &info) != 0)
        return false;
    // Without a home there is no trash of the user's: never fall back to a
    // trash at the file system root.
    if (!HomeExists())
        return false;

    std::string top;
    std::string trash = TrashFolderFor(info.st_dev, top);
    std::string infoPath; // what the info file records
    if (trash.empty()) {
        top = MountTop(source, info.st_dev);
        trash = TopDirTrash(top);
        if (trash.empty())
            return false;
        // Paths in a mount's own trash are relative to the mount's top.
        infoPath = top == "/" ? source.substr(1) : source.substr(top.size() + 1);
    } else {
        infoPath = source;
    }

    const std::string name = source.substr(source.find_last_of('/') + 1);
    QByteArray encoded = QUrl::toPercentEncoding(QString::fromStdString(infoPath), "/");
    const QString date = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    const std::string content = "[Trash Info]\nPath=" + encoded.toStdString() + "\nDeletionDate=" +
                                date.toStdString() + "\n";

    for (int attempt = 1; attempt < 10000; ++attempt) {
        const std::string trashName = attempt == 1 ? name : name + "." + std::to_string(attempt);
        const std::string infoFile = trash + "/info/" + trashName + ".trashinfo";
        // Reserve the name by creating its info file exclusively.
        const int fd = ::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const bool written = ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
        const bool closed = ::close(fd) == 0;
        const std::string target = trash + "/files/" + trashName;
        struct stat existing {};
        if (written && closed && ::lstat(target.c_str(), &existing) != 0 && ::rename(source.c_str(), target.c_str()) == 0)
            return true;
        ::unlink(infoFile.c_str());
        if (!written || !closed)
            return false;
        if (::lstat(target.c_str(), &existing) == 0)
            continue; // a stray file without info holds the name
        return false; // the move itself failed: the file stays where it is
    }
    return false;
}

} // namespace orvane::platform
