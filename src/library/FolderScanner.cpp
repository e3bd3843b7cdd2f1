#include "library/FolderScanner.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    for (size_t i = 0; i < length; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    return true;
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

class Walker {
public:
    Walker(const NameList& extensions, const NameList& badNames, QStringList& output, const std::function<void()>& pump)
        : extensions_(extensions), badNames_(badNames), output_(output), pump_(pump)
    {
    }

    void Walk(const QByteArray& folder, const QString& prefix)
    {
        if (pump_)
            pump_();
        DIR* listing = ::opendir(folder.isEmpty() ? "/" : folder.constData());
        if (!listing)
            return;
        struct stat self {};
        if (::fstat(::dirfd(listing), &self) != 0 || OnPath(self)) {
            ::closedir(listing);
            return;
        }
        path_.emplace_back(self.st_dev, self.st_ino);
        // Read the whole folder first: sub-folders are walked while this one
        // would otherwise stay open, and deep trees would run out of handles.
        // Names go into one buffer, separated by NUL.
        std::string names;
        std::vector<std::pair<size_t, unsigned char>> entries;
        while (dirent* entry = ::readdir(listing)) {
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            entries.emplace_back(names.size(), entry->d_type);
            names.append(name);
            names.push_back('\0');
        }
        ::closedir(listing);

        for (const auto& [offset, type] : entries) {
            const char* raw = names.data() + offset;
            const size_t length = std::strlen(raw);
            const bool ascii = IsAscii(raw, length);
            QString name; // decoded only when needed
            if (!badNames_.Empty()) {
                if (ascii ? badNames_.ContainsAscii(raw, length) : badNames_.Contains(name = QFile::decodeName(raw)))
                    continue;
            }
            bool isFolder = type == DT_DIR;
            QByteArray childPath;
            if (type == DT_DIR || type == DT_LNK || type == DT_UNKNOWN) {
                childPath = folder + '/' + QByteArray::fromRawData(raw, static_cast<qsizetype>(length));
                if (type != DT_DIR) {
                    struct stat info {};
                    isFolder = ::stat(childPath.constData(), &info) == 0 && S_ISDIR(info.st_mode);
                }
            }
            if (isFolder) {
                if (name.isNull())
                    name = QFile::decodeName(raw);
                Walk(childPath, prefix + name + QLatin1Char('/'));
                continue;
            }
            bool matches;
            if (ascii) {
                const char* dot = static_cast<const char*>(::memrchr(raw, '.', length));
                const char* extension = dot ? dot + 1 : raw + length;
                matches = extensions_.ContainsAscii(extension, static_cast<size_t>(raw + length - extension));
            } else {
                if (name.isNull())
                    name = QFile::decodeName(raw);
                matches = extensions_.Contains(FileExtension(name));
            }
            if (matches) {
                if (name.isNull())
                    name = QString::fromLatin1(raw, static_cast<qsizetype>(length));
                output_.append(prefix + name);
            }
        }
        path_.pop_back();
    }

private:
    bool OnPath(const struct stat& info) const
    {
        for (const auto& [device, inode] : path_)
            if (device == info.st_dev && inode == info.st_ino)
                return true;
        return false;
    }

    FastNames extensions_;
    FastNames badNames_;
    QStringList& output_;
    const std::function<void()>& pump_;
    std::vector<std::pair<dev_t, ino_t>> path_;
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
    Walker(extensions, badNames, output, pump).Walk(folder, relative);
}

} // namespace orvane::library
