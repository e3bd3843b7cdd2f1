#include "imaging/readers/EPSGraphic.h"

#include <cstring>

namespace orvane::imaging {

namespace {

constexpr size_t headerSize = 30;
const uint8_t magic[4] = {0xC5, 0xD0, 0xD3, 0xC6};

} // namespace

const TGraphicClass& TEPSGraphic::ClassInfo()
{
    return ReaderClassInfo<TEPSGraphic>("TEPSGraphic");
}

bool TEPSGraphic::AcceptsStream(TStream& stream)
{
    return AcceptsLeadingBytes<headerSize>(stream, headerSize, [](const uint8_t* h) {
        return std::memcmp(h, magic, 4) == 0 && GetLE32(h + 20) >= headerSize && GetLE32(h + 24) > 0;
    });
}

void TEPSGraphic::LoadFromStream(TStream& stream)
{
    FreeImage();
    const int64_t start = stream.Position();
    uint8_t h[headerSize];
    if (stream.Read(h, headerSize) != headerSize || std::memcmp(h, magic, 4) != 0)
        GraphicErrorFmt("Cannot load image. Invalid or unexpected %s image format.", "EPS");
    // The preview is read where it lies; the TIFF reader takes that place
    // as its base position.
    stream.SetPosition(start + GetLE32(h + 20));
    TTIFFGraphic::LoadFromStream(stream);
}

} // namespace orvane::imaging
