// Fuzzes the JPEG picture class: any bytes loaded as a .jpg file. The limits
// of the run (scripts/fuzz: 512 MB, 2 s per input) are what a hostile file
// may cost the viewer; pictures above 64 MB are refused here.
#include "imaging/readers/JPEGImage.h"

#include <exception>

using namespace orvane::imaging;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool setUp = [] {
        TBitmap::SetMaxImageBytes(size_t{64} << 20);
        return true;
    }();
    (void)setUp;
    TMemoryStream stream(data, size);
    TJPEGImage jpeg;
    try {
        jpeg.LoadFromStream(stream);
    } catch (const std::exception&) {
    }
    return 0;
}
