// Feeds arbitrary bytes to the install list reader: it must give entries
// without line ends, keep every byte that is not a line end, and never let
// an absolute or climbing entry pass as one inside the program folder.
#include "app/InstallList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace orvane::app;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    size_t kept = 0;
    for (const std::string& entry : ParseInstallList(text)) {
        if (entry.empty() || entry.find_first_of("\r\n") != std::string::npos)
            std::abort();
        kept += entry.size();
        if (StaysInsideProgramFolder(entry)) {
            if (entry.front() == '/' || entry == ".." || entry.rfind("../", 0) == 0 ||
                entry.find("/../") != std::string::npos ||
                (entry.size() >= 3 && entry.compare(entry.size() - 3, 3, "/..") == 0))
                std::abort();
        }
        (void)IsFolderEntry(entry);
    }
    size_t lineEnds = 0;
    for (char c : text)
        lineEnds += c == '\r' || c == '\n';
    if (kept + lineEnds != size)
        std::abort();
    return 0;
}
