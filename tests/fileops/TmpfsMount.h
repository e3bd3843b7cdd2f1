#pragma once
// A second file system inside a test's tree: a small tmpfs mounted on a
// folder while the object lives. Only root can mount; elsewhere Mounted() is
// false and the test skips what needs it.
#include <string>
#include <sys/mount.h>
#include <unistd.h>

namespace orvane::test {

class TmpfsMount {
public:
    TmpfsMount(const std::string& folder, const std::string& size) : folder_(folder)
    {
        const std::string options = "size=" + size;
        mounted_ = ::geteuid() == 0 && ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~TmpfsMount()
    {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool Mounted() const { return mounted_; }

private:
    std::string folder_;
    bool mounted_ = false;
};

} // namespace orvane::test
