#include "library/FolderScanner.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace orvane::library {

QString FileExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

namespace {

bool IsAscii(const char* text, size_t length)
{
    // Eight bytes at a time: a name is ASCII when no byte has its top bit.
    size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        uint64_t word;
        std::memcpy(&word, text + i, 8);
        if (word & 0x8080808080808080ull)
            return false;
    }
    for (; i < length; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    return true;
}

// ASCII bytes widened to UTF-16, sixteen at a time where SSE2 is there.
void WidenAscii(const char* in, size_t length, char16_t* out)
{
    size_t i = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= length; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(bytes, zero));
    }
#endif
    for (; i < length; ++i)
        out[i] = static_cast<unsigned char>(in[i]);
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// A name list prepared for fast look-ups of ASCII names: its ASCII items
// lower-cased. Names with other characters take the full Unicode path.
class FastNames {
public:
    explicit FastNames(const NameList& list) : list_(list)
    {
        for (const QString& item : list.Items()) {
            const QByteArray utf8 = item.toUtf8();
            if (IsAscii(utf8.constData(), static_cast<size_t>(utf8.size()))) {
                std::string lower(utf8.constData(), static_cast<size_t>(utf8.size()));
                for (char& c : lower)
                    c = AsciiLower(c);
                ascii_.push_back(std::move(lower));
            } else {
                hasOther_ = true;
            }
        }
    }

    bool Empty() const { return list_.Count() == 0; }

    // name is ASCII here.
    bool ContainsAscii(const char* name, size_t length) const
    {
        for (const std::string& item : ascii_) {
            if (item.size() != length)
                continue;
            size_t i = 0;
            while (i < length && AsciiLower(name[i]) == item[i])
                ++i;
            if (i == length)
                return true;
        }
        // Unicode case folding can map non-ASCII items onto ASCII names
        // (the Kelvin sign folds to k).
        return hasOther_ && list_.Contains(QString::fromLatin1(name, static_cast<qsizetype>(length)));
    }

    bool Contains(const QString& name) const { return list_.Contains(name); }

private:
    const NameList& list_;
    std::vector<std::string> ascii_;
    bool hasOther_ = false;
};

// Folders along the walked path keep their descriptors open so that each
// sub-folder opens relative to its parent (no path lookup from the root for
// every folder); below this depth a folder is closed as soon as it is listed
// and its sub-folders open by full path, so deep trees never run out of
// descriptors.
constexpr size_t kHeldDepth = 128;

class Walker {
public:
    Walker(const NameList& extensions, const NameList& badNames, QStringList& output, const std::function<void()>& pump)
        : extensions_(extensions), badNames_(badNames), output_(output), pump_(pump), listing_(kListingBytes)
    {
    }

    void WalkRoot(const QByteArray& folder, const QString& prefix)
    {
        const int fd = ::open(folder.isEmpty() ? "/" : folder.constData(), kOpenFolder);
        if (fd >= 0)
            Walk(fd, folder, prefix);
    }

private:
    static constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;
    static constexpr size_t kListingBytes = 64 * 1024;

    // Lists the folder open as fd (which it closes), then walks its
    // sub-folders. folder is its full path, used only where a sub-folder
    // cannot be opened relative to it.
    void Walk(int fd, const QByteArray& folder, const QString& prefix)
    {
        if (pump_)
            pump_();
        struct stat self {};
        if (::fstat(fd, &self) != 0 || OnPath(self)) {
            ::close(fd);
            return;
        }
        path_.emplace_back(self.st_dev, self.st_ino);
        // Read the whole folder first. The names of every folder on the
        // current path share one buffer (NUL-separated) and one entry table,
        // used as stacks: a folder's names are dropped again when it is
        // done, so a walk allocates per folder only while it reaches new
        // depths.
        const size_t namesBegin = names_.size();
        const size_t entriesBegin = entries_.size();
        ReadEntries(fd);
        if (path_.size() >= kHeldDepth) {
            ::close(fd);
            fd = -1;
        }
        const size_t entriesEnd = entries_.size();

        // Indexes, not iterators or pointers: walking a sub-folder appends
        // to both stacks and may move them.
        for (size_t i = entriesBegin; i < entriesEnd; ++i) {
            const Entry entry = entries_[i];
            const char* raw = names_.data() + entry.offset;
            const size_t length = entry.length;
            const bool ascii = IsAscii(raw, length);
            QString name; // decoded only when needed
            if (!badNames_.Empty()) {
                if (ascii ? badNames_.ContainsAscii(raw, length) : badNames_.Contains(name = QFile::decodeName(raw)))
                    continue;
            }
            const unsigned char type = entry.type;
            if (type == DT_DIR || type == DT_LNK || type == DT_UNKNOWN) {
                // Links and unknown types are followed by opening them as
                // folders: anything else fails with ENOTDIR, before a FIFO
                // or device is ever opened.
                const QByteArray childPath = folder + '/' + QByteArray::fromRawData(raw, static_cast<qsizetype>(length));
                const int child = fd >= 0 ? ::openat(fd, raw, kOpenFolder) : ::open(childPath.constData(), kOpenFolder);
                if (child >= 0) {
                    if (name.isNull())
                        name = QFile::decodeName(raw);
                    Walk(child, childPath, prefix + name + QLatin1Char('/'));
                    continue;
                }
                // A folder that cannot be listed adds nothing.
                if (type == DT_DIR || (errno != ENOTDIR && IsFolder(fd, raw, childPath)))
                    continue;
            }
            if (ascii) {
                const char* dot = static_cast<const char*>(::memrchr(raw, '.', length));
                const char* extension = dot ? dot + 1 : raw + length;
                if (extensions_.ContainsAscii(extension, static_cast<size_t>(raw + length - extension)))
                    output_.append(AsciiEntry(prefix, raw, length));
            } else {
                if (name.isNull())
                    name = QFile::decodeName(raw);
                if (extensions_.Contains(FileExtension(name)))
                    output_.append(prefix + name);
            }
        }
        if (fd >= 0)
            ::close(fd);
        names_.resize(namesBegin);
        entries_.resize(entriesBegin);
        path_.pop_back();
    }

    // Appends the folder's entries (without "." and "..") to the stacks,
    // reading the directory records straight into one buffer shared by the
    // whole walk.
    void ReadEntries(int fd)
    {
        for (;;) {
            const ssize_t got = ::getdents64(fd, listing_.data(), listing_.size());
            if (got <= 0)
                return; // the end, or a folder that stops listing: keep what came
            for (ssize_t at = 0; at < got;) {
                const auto* record = reinterpret_cast<const struct dirent64*>(listing_.data() + at);
                at += record->d_reclen;
                const char* name = record->d_name;
                if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                    continue;
                const size_t length = std::strlen(name);
                entries_.push_back({names_.size(), static_cast<uint32_t>(length), record->d_type});
                names_.append(name, length + 1);
            }
        }
    }

    static bool IsFolder(int fd, const char* name, const QByteArray& path)
    {
        struct stat info {};
        return ::fstatat(fd >= 0 ? fd : AT_FDCWD, fd >= 0 ? name : path.constData(), &info, 0) == 0 &&
               S_ISDIR(info.st_mode);
    }

    bool OnPath(const struct stat& info) const
    {
        for (const auto& [device, inode] : path_)
            if (device == info.st_dev && inode == info.st_ino)
                return true;
        return false;
    }

    // prefix + an ASCII name, built in place: the entry is the only
    // allocation a found file costs.
    static QString AsciiEntry(const QString& prefix, const char* name, size_t length)
    {
        QString entry(prefix.size() + static_cast<qsizetype>(length), Qt::Uninitialized);
        QChar* out = entry.data();
        std::memcpy(out, prefix.constData(), static_cast<size_t>(prefix.size()) * sizeof(QChar));
        WidenAscii(name, length, reinterpret_cast<char16_t*>(out + prefix.size()));
        return entry;
    }

    struct Entry {
        size_t offset;
        uint32_t length;
        unsigned char type;
    };

    FastNames extensions_;
    FastNames badNames_;
    std::string names_;
    std::vector<Entry> entries_;
    QStringList& output_;
    const std::function<void()>& pump_;
    std::vector<std::pair<dev_t, ino_t>> path_;
    std::vector<char> listing_;
};

} // namespace

void ScanDir(const QString& root, const QString& prefix, const NameList& extensions, const NameList& badNames,
             QStringList& output, const std::function<void()>& pump)
{
    QByteArray folder = QFile::encodeName(root);
    while (folder.endsWith('/'))
        folder.chop(1);
    QString relative = prefix;
    if (!relative.isEmpty()) {
        if (!relative.endsWith(QLatin1Char('/')))
            relative.append(QLatin1Char('/'));
        folder += '/' + QFile::encodeName(relative.left(relative.size() - 1));
    }
    Walker(extensions, badNames, output, pump).WalkRoot(folder, relative);
}

} // namespace orvane::library
