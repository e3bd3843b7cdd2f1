#include "platform/RegistryHiveFile.h"

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace orvane::platform::hive {

namespace {

// Far above any settings file; a bigger file is not read into memory.
constexpr off_t kMaxHiveBytes = 64 * 1024 * 1024;
// Another copy holds the lock only while it writes a small file.
constexpr auto kLockPatience = std::chrono::seconds(5);

std::string Native(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString ErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool MakeFolders(const std::string& path, int* error)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        *error = S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
        return *error == 0;
    }
    const std::string parent = FolderOf(path);
    if (parent != path && !MakeFolders(parent, error))
        return false;
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
        *error = errno;
        return false;
    }
    *error = 0;
    return true;
}

bool ReadWhole(const std::string& path, std::string* text, int* error)
{
    *error = 0;
    // O_NONBLOCK: a pipe put in the file's place must not stop the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = errno;
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        *error = errno;
    else if (!S_ISREG(info.st_mode))
        *error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    else if (info.st_size > kMaxHiveBytes)
        *error = EFBIG;
    if (*error != 0) {
        ::close(fd);
        return false;
    }
    text->clear();
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            *error = errno;
            ::close(fd);
            return false;
        }
        if (count == 0)
            break;
        if (text->size() + size_t(count) > size_t(kMaxHiveBytes)) {
            *error = EFBIG;
            ::close(fd);
            return false;
        }
        text->append(buffer, size_t(count));
    }
    ::close(fd);
    return true;
}

bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t count = ::write(fd, text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        done += size_t(count);
    }
    return true;
}

// The exclusive lock of one hive, held while the object lives.
class HiveLock {
public:
    explicit HiveLock(const std::string& hivePath)
    {
        fd_ = ::open((hivePath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            error_ = errno;
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
        for (;;) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
                locked_ = true;
                return;
            }
            if (errno == EINTR)
                continue;
            if (errno != EWOULDBLOCK) {
                // A file system without locks: the rename alone still keeps
                // the file whole.
                locked_ = true;
                return;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                error_ = EWOULDBLOCK;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~HiveLock()
    {
        if (fd_ >= 0)
            ::close(fd_); // releases the lock
    }
    HiveLock(const HiveLock&) = delete;
    HiveLock& operator=(const HiveLock&) = delete;

    bool Locked() const { return locked_; }
    int Error() const { return error_; }

private:
    int fd_ = -1;
    bool locked_ = false;
    int error_ = 0;
};

std::string TempPrefix(const std::string& target)
{
    return "." + BaseNameOf(target) + ".tmp-";
}

// Temporary files of writers that crashed. Only called under the lock, when
// no other writer can have one open.
void RemoveLeftovers(const std::string& target)
{
    const std::string folder = FolderOf(target);
    const std::string prefix = TempPrefix(target);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0)
            ::unlink((folder + "/" + entry->d_name).c_str());
    }
    ::closedir(dir);
}

// The file a write replaces: a hive kept elsewhere through a symbolic link
// is replaced where it lives, and the link stays.
std::string WriteTarget(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return path;
    std::string target = resolved;
    std::free(resolved);
    return target;
}

bool ReplaceFile(const std::string& target, const std::string& text, int* error)
{
    const std::string folder = FolderOf(target);
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", unsigned(QRandomGenerator::system()->generate()));
        temp = folder + "/" + TempPrefix(target) + suffix;
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        *error = errno;
        return false;
    }
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        // The new file keeps the old one's access rights (and owner, where
        // allowed).
        if (::geteuid() == 0)
            (void)::fchown(fd, old.st_uid, old.st_gid);
        (void)::fchmod(fd, old.st_mode & 07777);
    }
    bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    *error = written ? 0 : errno;
    if (::close(fd) != 0 && written) {
        written = false;
        *error = errno;
    }
    if (written && ::rename(temp.c_str(), target.c_str()) != 0) {
        written = false;
        *error = errno;
    }
    if (!written) {
        ::unlink(temp.c_str());
        return false;
    }
    // The rename itself reaches the disk with the folder.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool RenameNoReplace(const std::string& from, const std::string& to, int* error)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) {
        *error = errno;
        return false;
    }
#endif
    // File systems without renameat2: a hard link cannot replace anything
    // either.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    *error = errno;
    return false;
}

} // namespace

LoadResult LoadHiveFile(const QString& path, Hive& hive, QString* reason)
{
    std::string text;
    int error = 0;
    if (!ReadWhole(Native(path), &text, &error)) {
        if (error == ENOENT || error == ENOTDIR)
            return LoadResult::Missing;
        if (reason)
            *reason = error == EFBIG ? QStringLiteral("the file is too large") : ErrorText(error);
        return LoadResult::Unreadable;
    }
    int line = 0;
    std::string what;
    if (!hive.Parse(text, &line, &what)) {
        if (reason)
            *reason = QStringLiteral("line %1: %2").arg(line).arg(QString::fromStdString(what));
        return LoadResult::Damaged;
    }
    return LoadResult::Loaded;
}

bool CommitHiveFile(const QString& path, const QString& rootName, const std::vector<Change>& changes,
                    std::unique_ptr<Hive>* merged, QString* error)
{
    const std::string native = Native(path);
    int code = 0;
    if (!MakeFolders(FolderOf(native), &code)) {
        *error = ErrorText(code);
        return false;
    }
    HiveLock lock(native);
    if (!lock.Locked()) {
        *error = lock.Error() == EWOULDBLOCK ? QStringLiteral("the file is locked by another program")
                                             : ErrorText(lock.Error());
        return false;
    }
    auto fresh = std::make_unique<Hive>(rootName);
    QString reason;
    switch (LoadHiveFile(path, *fresh, &reason)) {
    case LoadResult::Missing:
    case LoadResult::Loaded:
        break;
    case LoadResult::Damaged:
        *error = QStringLiteral("the file is damaged (%1)").arg(reason);
        return false;
    case LoadResult::Unreadable:
        *error = reason;
        return false;
    }
    for (const Change& change : changes)
        fresh->Apply(change);
    const std::string target = WriteTarget(native);
    RemoveLeftovers(target);
    if (!ReplaceFile(target, fresh->Serialize(), &code)) {
        *error = ErrorText(code);
        return false;
    }
    *merged = std::move(fresh);
    return true;
}

QString SetAsideHiveFile(const QString& path, const QString& rootName, QString* reason)
{
    QString why;
    {
        Hive probe(rootName);
        if (LoadHiveFile(path, probe, &why) != LoadResult::Damaged)
            return {};
    }
    const std::string native = Native(path);
    // Two copies starting together: the second finds the file gone or fine.
    HiveLock lock(native);
    Hive again(rootName);
    if (LoadHiveFile(path, again, &why) != LoadResult::Damaged)
        return {};
    if (reason)
        *reason = why;

    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    int error = 0;
    for (int number = 0; number < 1000; ++number) {
        QString aside = path + QStringLiteral(".damaged-") + stamp;
        if (number > 0)
            aside += QLatin1Char('-') + QString::number(number);
        if (RenameNoReplace(native, Native(aside), &error))
            return aside;
        if (error != EEXIST)
            break;
    }
    if (reason)
        *reason = QStringLiteral("%1; the file could not be renamed: %2").arg(why, ErrorText(error));
    return {};
}

} // namespace orvane::platform::hive
