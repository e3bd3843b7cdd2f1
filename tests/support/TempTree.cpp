#include "support/TempTree.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace orvane::test {

TempTree::TempTree()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    root_ = pattern;
}

TempTree::TempTree(const std::vector<std::string>& paths) : TempTree()
{
    for (const auto& path : paths) {
        if (!path.empty() && path.back() == '/')
            AddFolder(path);
        else
            Add(path);
    }
}

TempTree::~TempTree()
{
    std::error_code error;
    // Give back write rights first, so read-only folders made by a test go too.
    for (auto it = std::filesystem::recursive_directory_iterator(root_, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
    }
    std::filesystem::remove_all(root_, error);
}

void TempTree::AddFolder(const std::string& relative)
{
    std::filesystem::create_directories(root_ / relative);
}

void TempTree::Add(const std::string& relative, const std::string& content)
{
    const auto path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

void TempTree::Write(const std::string& relative, const std::vector<unsigned char>& bytes)
{
    const auto path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<unsigned char> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace orvane::test
