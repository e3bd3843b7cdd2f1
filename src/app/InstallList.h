#pragma once
// The install list "install.txt" beside the program file: one entry per
// line, each a path relative to the program folder, folders ending in "/".
// Plain functions on bytes, so they can be tried on any input.
#include "fileops/RelativePaths.h"

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

// The entries' own rules live with the file functions that act on them.
using fileops::IsFolderEntry;
using fileops::StaysInsideProgramFolder;

} // namespace orvane::app
