// Feeds arbitrary bytes to the Windows bitmap reader: it must end with a picture or
// one of its errors, never crash, hang or touch memory it does not own.
#include "imaging/readers/WindowsBitmap.h"

#include <cstddef>
#include <cstdint>
#include <exception>

using namespace orvane::imaging;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Small pictures only, so that the fuzzer spends its time on parsing.
    static const bool limited = (TBitmap::SetMaxImageBytes(size_t{64} << 20), true);
    (void)limited;
    TMemoryStream stream(data, size);
    TWindowsBitmap picture;
    try {
        picture.LoadFromStream(stream);
    } catch (const std::exception&) {
    }
    return 0;
}
