#pragma once
// What the walk benchmarks share: a photo tree made once under /tmp, and a
// library host that pumps messages the way the main window does.
#include "library/MediaLibrary.h"

#include <QCoreApplication>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace orvane::bench {

// tops top folders of subs folders each (the top folder itself counts as
// its first), perFolder empty files in every folder: 80% pictures, 5%
// videos, the rest other files. A marker file says the tree is complete.
inline void EnsureWalkTree(const std::string& root, int tops, int subs, int perFolder)
{
    if (std::filesystem::exists(root + "/.complete"))
        return;
    std::filesystem::remove_all(root);
    int files = 0;
    for (int top = 0; top < tops; ++top) {
        for (int sub = 0; sub < subs; ++sub) {
            const std::string folder =
                root + "/year" + std::to_string(top) + (sub == 0 ? std::string() : "/event" + std::to_string(sub));
            std::filesystem::create_directories(folder);
            for (int i = 0; i < perFolder; ++i, ++files) {
                const char* ext = (files % 20) < 16 ? ".jpg" : (files % 20) == 16 ? ".avi" : ".txt";
                const std::string path = folder + "/IMG_" + std::to_string(files) + ext;
                const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
                if (fd >= 0)
                    ::close(fd);
            }
        }
    }
    std::ofstream(root + "/.complete");
}

class ScanHost : public library::LibraryHost {
public:
    explicit ScanHost(std::string root) : root_(std::move(root)) {}
    int ActivePage() const override { return 0; }
    bool ShuffleOn() const override { return false; }
    QString RootFolder() const override { return QString::fromStdString(root_); }
    QString CurrentFile() const override { return {}; }
    bool SetThis(const QString&, bool) override { return true; }
    void ProcessMessages() override { QCoreApplication::processEvents(); }
    void SetTabCaption(int, const QString&) override {}

private:
    std::string root_;
};

} // namespace orvane::bench
