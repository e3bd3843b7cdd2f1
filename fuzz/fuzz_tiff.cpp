// Fuzzes the TIFF reader: any bytes loaded as a TIFF file.
#include "imaging/core/Warnings.h"
#include "imaging/readers/TIFFGraphic.h"

#include <exception>

using namespace orvane::imaging;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool setUp = [] {
        SetWarningHandler([](const std::string&, const std::string&) {});
        // Pictures the fuzzer's memory limit can hold.
        TBitmap::SetMaxImageBytes(size_t{64} << 20);
        return true;
    }();
    (void)setUp;
    TMemoryStream stream(data, size);
    TTIFFGraphic tiff;
    try {
        tiff.LoadFromStream(stream);
    } catch (const std::exception&) {
    }
    return 0;
}
