// Any bytes through the PNG reader: errors are fine, crashes, hangs and
// out-of-bounds accesses are not.
#include "imaging/readers/PNGGraphic.h"

#include <cstddef>
#include <cstdint>
#include <exception>

using namespace orvane::imaging;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Headers may claim pictures of gigabytes; keep allocations within what
    // the fuzzer allows.
    static const bool limited = [] {
        TBitmap::SetMaxImageBytes(size_t{64} << 20);
        return true;
    }();
    (void)limited;
    TPNGGraphic picture;
    TMemoryStream stream(data, size);
    try {
        picture.LoadFromStream(stream);
    } catch (const std::exception&) {
    }
    return 0;
}
