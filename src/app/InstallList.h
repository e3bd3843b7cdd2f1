#pragma once
// The install list "install.txt" beside the program file: one entry per
// line, each a path relative to the program folder, folders ending in "/".
// Plain functions on bytes, so they can be tried on any input.
#include <string>
#include <string_view>
#include <vector>

namespace orvane::app {

// The entries in order. A line ends at CR LF, a lone CR or a lone LF; a last
// line without an end counts. Entries stand as they are (no trimming); empty
// lines name nothing and are left out.
inline std::vector<std::string> ParseInstallList(std::string_view text)
{
    std::vector<std::string> entries;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n')
            continue;
        if (i > start)
            entries.emplace_back(text.substr(start, i - start));
        if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    return entries;
}

inline bool IsFolderEntry(std::string_view entry)
{
    return !entry.empty() && entry.back() == '/';
}

// True when the entry's text names something inside the program folder:
// not absolute, no ".." part, no NUL byte (which would cut the name short
// for the system). Links on the way are checked against the disk apart.
inline bool StaysInsideProgramFolder(std::string_view entry)
{
    if (entry.empty() || entry.front() == '/' || entry.find('\0') != std::string_view::npos)
        return false;
    size_t start = 0;
    while (start <= entry.size()) {
        size_t end = entry.find('/', start);
        if (end == std::string_view::npos)
            end = entry.size();
        if (entry.substr(start, end - start) == "..")
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace orvane::app
