#include "library/FolderScanner.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>
#include <vector>

namespace orvane::library {

QString FileExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

namespace {

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
        std::vector<std::pair<QByteArray, unsigned char>> entries;
        while (dirent* entry = ::readdir(listing)) {
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            entries.emplace_back(QByteArray(name), entry->d_type);
        }
        ::closedir(listing);

        for (const auto& [rawName, type] : entries) {
            const QString name = QFile::decodeName(rawName);
            if (badNames_.Count() != 0 && badNames_.Contains(name))
                continue;
            const QByteArray childPath = folder + '/' + rawName;
            bool isFolder = type == DT_DIR;
            if (type == DT_LNK || type == DT_UNKNOWN) {
                struct stat info {};
                isFolder = ::stat(childPath.constData(), &info) == 0 && S_ISDIR(info.st_mode);
            }
            if (isFolder) {
                Walk(childPath, prefix + name + QLatin1Char('/'));
            } else if (extensions_.Contains(FileExtension(name))) {
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

    const NameList& extensions_;
    const NameList& badNames_;
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
