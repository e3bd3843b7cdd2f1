// Fuzzes the settings-file parser (registry export text): any bytes as the
// text of a hive file. What parses must write out as text that parses again
// to the same text, so values kept byte for byte survive a save.
#include "platform/RegistryHive.h"

#include <string>
#include <string_view>
#include <vector>

using namespace orvane::platform::hive;

// Qt Core is built without frame pointers, so ASan's fast unwinder reads
// garbage beyond the first frame inside Qt and records a new "stack" for
// nearly every allocation; its stack store then grows without end (about
// 8 KB a run, past 512 MB within a minute) though the heap stays flat. Two
// frames, the allocator and its caller, are always real.
extern "C" const char* __asan_default_options()
{
    return "malloc_context_size=2";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Hive hive(QStringLiteral("HKEY_CURRENT_USER"));
    int line = 0;
    std::string error;
    if (!hive.Parse(text, &line, &error))
        return 0;
    const std::string written = hive.Serialize();
    Hive again(QStringLiteral("HKEY_CURRENT_USER"));
    if (!again.Parse(written, &line, &error) || again.Serialize() != written)
        __builtin_trap();
    // The readings of every value, as the settings store takes them.
    std::vector<const Key*> keys{&hive.Root()};
    while (!keys.empty()) {
        const Key* key = keys.back();
        keys.pop_back();
        for (const Value& value : key->Values()) {
            if (value.kind == ValueKind::String)
                (void)StringFromData(value.data);
            else if (value.kind == ValueKind::Dword)
                (void)DwordFromData(value.data);
        }
        for (const auto& child : key->Keys())
            keys.push_back(child.get());
    }
    return 0;
}
