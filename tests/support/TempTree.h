#pragma once
// A temporary folder, removed with everything in it when the object goes.
// Build trees from a list of relative paths: names ending in "/" are folders,
// others are files (with any parent folders created).
#include <filesystem>
#include <string>
#include <vector>

namespace orvane::test {

class TempTree {
public:
    TempTree();
    explicit TempTree(const std::vector<std::string>& paths);
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    std::string RootText() const { return root_.string(); }
    std::string Path(const std::string& relative) const { return (root_ / relative).string(); }

    void Add(const std::string& relative, const std::string& content = "x");
    void AddFolder(const std::string& relative);
    void Write(const std::string& relative, const std::vector<unsigned char>& bytes);

private:
    std::filesystem::path root_;
};

std::vector<unsigned char> ReadFileBytes(const std::string& path);

} // namespace orvane::test
