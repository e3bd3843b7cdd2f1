#include "imaging/readers/AutodeskGraphic.h"

#include "imaging/color/ColorManager.h"

#include <algorithm>
#include <cstring>

namespace orvane::imaging {

namespace {

constexpr size_t headerSize = 32;
constexpr size_t paletteSize = 256 * 3;

} // namespace

const TGraphicClass& TAutodeskGraphic::ClassInfo()
{
    return ReaderClassInfo<TAutodeskGraphic>("TAutodeskGraphic");
}

bool TAutodeskGraphic::AcceptsStream(TStream& stream)
{
    return AcceptsLeadingBytes<headerSize>(
        stream, headerSize, [](const uint8_t* h) { return GetLE16(h) == 0x9119 && h[10] == 8 && h[11] == 0; });
}

bool TAutodeskGraphic::ReadHeader(TStream& stream, int imageIndex)
{
    TReaderGraphic::ReadHeader(stream, imageIndex);
    uint8_t h[headerSize];
    stream.ReadBuffer(h, headerSize);
    // Only 8-bit uncompressed pictures exist in this format; anything else in
    // those two bytes is not a picture this reader can show.
    if (GetLE16(h) != 0x9119 || h[10] != 8 || h[11] != 0)
        return false;
    TImageProperties& p = ImageProperties();
    p.Width = GetLE16(h + 2);
    p.Height = GetLE16(h + 4);
    p.ColorScheme = TColorScheme::csIndexed;
    p.BitsPerSample = 8;
    p.SamplesPerPixel = 1;
    p.BitsPerPixel = 8;
    p.Compression = TCompressionType::ctNone;
    return true;
}

void TAutodeskGraphic::LoadFromStream(TStream& stream)
{
    BeginLoading(stream);
    TLoadingProgress progress(*this);
    RequireHeader(stream, 0, "Autodesk");
    const TImageProperties& p = ImageProperties();
    progress.Start("Preparing...");

    const size_t width = static_cast<size_t>(p.Width);
    const size_t height = static_cast<size_t>(p.Height);
    if (static_cast<uint64_t>(stream.Remaining()) < paletteSize + width * height)
        throw EReadError("Stream read error");
    uint8_t colours[paletteSize];
    stream.ReadBuffer(colours, paletteSize);
    // Six bits per value: times 4 gives 0..252; larger values are out of
    // range and shown at full strength.
    for (uint8_t& v : colours)
        v = static_cast<uint8_t>(std::min(v * 4, 255));

    TColorManager& cm = ColorManager();
    cm.Configure(TConversion::Unchanged(TColorScheme::csIndexed, 8, 1));
    SetPixelFormat(TPixelFormat::pf8bit);
    SetPalette(cm.MakeColorPalette({colours}, TRawPaletteFormat::pfInterlaced8Triple, 256));
    SetSize(p.Width, p.Height);

    if (Empty())
        return; // a picture without pixels
    progress.Step("Transfering...");
    for (size_t y = 0; y < height; ++y) {
        stream.ReadBuffer(ScanLine(static_cast<int>(y)), width);
        progress.Row(static_cast<int64_t>(y), static_cast<int64_t>(height));
    }
}

} // namespace orvane::imaging
