#include "fileops/FileMove.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace orvane::fileops {

namespace {

enum class Outcome { Done, Exists, CrossDevice, Failed };

// The file system has no links at all, or refuses this one (protected links,
// too many links): a rename is then the only way.
bool LinksUnavailable(int error)
{
    return error == ENOSYS || error == EPERM || error == EOPNOTSUPP || error == EMLINK;
}

// Claims the new name by creating it exclusively, then renames the file onto
// that empty claim. Nobody else's file can be replaced: the name was ours.
Outcome RenameAfterClaim(const char* from, const char* to)
{
    const int claim = ::open(to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (claim < 0)
        return errno == EEXIST ? Outcome::Exists : Outcome::Failed;
    ::close(claim);
    if (::rename(from, to) == 0)
        return Outcome::Done;
    const int error = errno;
    ::unlink(to);
    return error == EXDEV ? Outcome::CrossDevice : Outcome::Failed;
}

Outcome LinkThenUnlink(const char* from, const char* to)
{
    // link() fails when the target exists, and links a symbolic link itself.
    if (::link(from, to) == 0) {
        if (::unlink(from) == 0)
            return Outcome::Done;
        ::unlink(to); // keep the one original
        return Outcome::Failed;
    }
    if (errno == EEXIST)
        return Outcome::Exists;
    if (errno == EXDEV)
        return Outcome::CrossDevice;
    if (LinksUnavailable(errno))
        return RenameAfterClaim(from, to);
    return Outcome::Failed;
}

Outcome MoveWithin(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return Outcome::Done;
    if (errno == EEXIST)
        return Outcome::Exists;
    if (errno == EXDEV)
        return Outcome::CrossDevice;
    if (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)
        return LinkThenUnlink(from, to);
    return Outcome::Failed;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL; // some file systems cannot sync folders
    ::close(fd);
    return ok;
}

// Extended attributes the target refuses (another namespace, no support) are
// left behind; the data is what must arrive.
void CopyAttributes(int in, int out)
{
    ssize_t size = ::flistxattr(in, nullptr, 0);
    if (size <= 0)
        return;
    std::vector<char> names(static_cast<size_t>(size));
    size = ::flistxattr(in, names.data(), names.size());
    if (size <= 0)
        return;
    std::vector<char> value;
    for (size_t at = 0; at < static_cast<size_t>(size);) {
        const char* name = names.data() + at;
        at += std::char_traits<char>::length(name) + 1;
        const ssize_t length = ::fgetxattr(in, name, nullptr, 0);
        if (length < 0)
            continue;
        value.resize(static_cast<size_t>(length));
        const ssize_t got = ::fgetxattr(in, name, value.data(), value.size());
        if (got >= 0)
            ::fsetxattr(out, name, value.data(), static_cast<size_t>(got), 0);
    }
}

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

// Copies the regular file `in` (described by info) into the new file `out`.
bool CopyData(int in, int out, const struct stat& info, const MoveProgress& progress)
{
    std::vector<char> buffer(kMoveChunkBytes);
    const auto total = static_cast<unsigned long long>(info.st_size);
    const bool report = progress && total > kMoveChunkBytes;
    unsigned long long done = 0;
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (!WriteAll(out, buffer.data(), static_cast<size_t>(got)))
            return false;
        done += static_cast<unsigned long long>(got);
        if (report)
            progress(static_cast<int>(std::min<unsigned long long>(done, total) * 100 / total));
    }
}

// A name in the target folder that nothing else uses; the copy is made there
// and gets its real name only when it is complete.
int CreateTemporary(const std::string& folder, std::string& name)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "/.orvane-move-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool CopyFileAcross(const std::string& from, const std::string& to, const struct stat& info,
                    const MoveProgress& progress)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat opened {};
    if (::fstat(in, &opened) != 0 || opened.st_ino != info.st_ino || opened.st_dev != info.st_dev) {
        ::close(in); // replaced meanwhile: not the file the user chose
        return false;
    }
    const std::string folder = FolderOf(to);
    std::string temporary;
    const int out = CreateTemporary(folder, temporary);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = CopyData(in, out, opened, progress);
    if (ok) {
        // Where the target keeps them: permissions, attributes, times.
        ::fchmod(out, opened.st_mode & 07777);
        CopyAttributes(in, out);
        const struct timespec times[2] = {opened.st_atim, opened.st_mtim};
        ::futimens(out, times);
        ok = ::fsync(out) == 0;
    }
    ok = ::close(out) == 0 && ok;
    ::close(in);
    if (ok)
        ok = MoveWithin(temporary.c_str(), to.c_str()) == Outcome::Done;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

bool MoveAcross(const std::string& from, const std::string& to, const MoveProgress& progress)
{
    struct stat info {};
    if (::lstat(from.c_str(), &info) != 0)
        return false;
    if (S_ISLNK(info.st_mode)) {
        // The link itself moves: a new link with the same text.
        std::vector<char> text(static_cast<size_t>(info.st_size > 0 ? info.st_size : 4095) + 1);
        const ssize_t length = ::readlink(from.c_str(), text.data(), text.size());
        if (length < 0 || static_cast<size_t>(length) >= text.size())
            return false;
        text[static_cast<size_t>(length)] = '\0';
        if (::symlink(text.data(), to.c_str()) != 0) // fails when the name exists
            return false;
        SyncFolder(FolderOf(to));
    } else if (!S_ISREG(info.st_mode) || !CopyFileAcross(from, to, info, progress)) {
        return false;
    }
    if (::unlink(from.c_str()) == 0)
        return true;
    ::unlink(to.c_str()); // the original stays: the copy goes
    return false;
}

} // namespace

bool MoveWithinFileSystem(const QString& from, const QString& to, MoveWithinStrategy first)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    switch (first) {
    case MoveWithinStrategy::NoReplaceRename: return MoveWithin(source.constData(), target.constData()) == Outcome::Done;
    case MoveWithinStrategy::LinkThenUnlink: return LinkThenUnlink(source.constData(), target.constData()) == Outcome::Done;
    case MoveWithinStrategy::ClaimThenRename: return RenameAfterClaim(source.constData(), target.constData()) == Outcome::Done;
    }
    return false;
}

bool MoveFileNoReplace(const QString& from, const QString& to, const MoveProgress& progress)
{
    const std::string source = QFile::encodeName(from).toStdString();
    const std::string target = QFile::encodeName(to).toStdString();
    struct stat info {};
    if (::lstat(source.c_str(), &info) != 0 || ::lstat(target.c_str(), &info) == 0)
        return false;
    switch (MoveWithin(source.c_str(), target.c_str())) {
    case Outcome::Done: return true;
    case Outcome::CrossDevice: return MoveAcross(source, target, progress);
    case Outcome::Exists:
    case Outcome::Failed: return false;
    }
    return false;
}

} // namespace orvane::fileops
