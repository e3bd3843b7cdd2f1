#pragma once
// Paths relative to a folder as the install list names them, folders ending
// in "/". Plain functions on bytes, so they can be tried on any input.
#include <string_view>

namespace orvane::fileops {

inline bool IsFolderEntry(std::string_view entry)
{
    return !entry.empty() && entry.back() == '/';
}

// True when the entry's text names something inside the program folder:
// not absolute, no ".." part, no NUL byte (which would cut the name short
// for the system). Links on the way are checked against the disk apart
// (IsHostile).
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

} // namespace orvane::fileops
