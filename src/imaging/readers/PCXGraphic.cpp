#include "imaging/readers/PCXGraphic.h"

#include "imaging/color/ColorManager.h"
#include "imaging/decoders/PCXRLEDecoder.h"

#include <algorithm>
#include <cstring>

namespace orvane::imaging {

namespace {

constexpr size_t headerSize = 128;
constexpr size_t vgaPaletteSize = 769; // marker 12 and 256 RGB triples
const char* const formatName = "PCX or SCR";

struct PcxHeader {
    uint8_t manufacturer, version, encoding, bitsPerPixel;
    uint16_t xMin, yMin, xMax, yMax, hRes, vRes;
    const uint8_t* palette16;
    uint8_t planes;
    uint16_t bytesPerLine, paletteKind;

    explicit PcxHeader(const uint8_t* p)
        : manufacturer(p[0]), version(p[1]), encoding(p[2]), bitsPerPixel(p[3]), xMin(GetLE16(p + 4)),
          yMin(GetLE16(p + 6)), xMax(GetLE16(p + 8)), yMax(GetLE16(p + 10)), hRes(GetLE16(p + 12)),
          vRes(GetLE16(p + 14)), palette16(p + 16), planes(p[65]), bytesPerLine(GetLE16(p + 66)),
          paletteKind(GetLE16(p + 68))
    {
    }
};

// The 16 colours of the display when the file has no palette (version 3).
const uint8_t systemPalette[16][3] = {
    {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

std::vector<TRGBQuad> GrayRamp(size_t entries)
{
    std::vector<TRGBQuad> palette(entries);
    for (size_t i = 0; i < entries; ++i) {
        const auto v = static_cast<uint8_t>(i * 255 / (entries - 1));
        palette[i] = TRGBQuad{v, v, v, 0};
    }
    return palette;
}

// The plane layouts the bitmap can hold.
enum class TPlaneLayout {
    plIndexed,        // one plane of 1, 4 or 8 bits: the colour manager's
    plTwoBit,         // one plane of 2 bits, widened to 4-bit indexes
    plSixteenColours, // four 1-bit planes, plane k gives bit k of the index
    plTrueColour,     // three 8-bit planes: red, green, blue
};

bool ChooseLayout(unsigned planes, unsigned bits, TPlaneLayout& layout)
{
    if (planes == 4 && bits == 1)
        layout = TPlaneLayout::plSixteenColours;
    else if (planes == 3 && bits == 8)
        layout = TPlaneLayout::plTrueColour;
    else if (planes == 1 && bits == 2)
        layout = TPlaneLayout::plTwoBit;
    else if (planes == 1 && (bits == 1 || bits == 4 || bits == 8))
        layout = TPlaneLayout::plIndexed;
    else
        return false;
    return true;
}

void SixteenColourRow(const uint8_t* line, size_t planeBytes, size_t width, uint8_t* scan)
{
    std::memset(scan, 0, (width + 1) / 2);
    for (size_t x = 0; x < width; ++x) {
        const size_t byte = x >> 3;
        const unsigned shift = 7 - (x & 7);
        unsigned value = 0;
        for (unsigned k = 0; k < 4; ++k)
            value |= ((line[k * planeBytes + byte] >> shift) & 1u) << k;
        scan[x >> 1] |= static_cast<uint8_t>((x & 1) ? value : value << 4);
    }
}

// Widened to 4 bits, the values stay palette indexes.
void TwoBitRow(const uint8_t* line, size_t width, uint8_t* scan)
{
    std::memset(scan, 0, (width + 1) / 2);
    for (size_t x = 0; x < width; ++x) {
        const unsigned value = (line[x >> 2] >> (6 - 2 * (x & 3))) & 3u;
        scan[x >> 1] |= static_cast<uint8_t>((x & 1) ? value : value << 4);
    }
}

// The palette of an indexed picture: for 8 bits the VGA palette at the end
// of the file (a gray ramp without one), for 2 and 4 bits the header's 16
// colours (or grays), black and white for 1 bit. Version 3 files have no
// palette and show the display's 16 colours.
std::vector<TRGBQuad> IndexedPalette(const TColorManager& cm, const PcxHeader& h, TPixelFormat format,
                                     const TStreamBytes& file, size_t dataOffset)
{
    std::vector<TRGBQuad> palette;
    if (h.version == 3 && format != TPixelFormat::pf1bit) {
        for (const auto& c : systemPalette)
            palette.push_back(TRGBQuad{c[2], c[1], c[0], 0});
        palette.resize(format == TPixelFormat::pf8bit ? 256 : 16);
        return palette;
    }
    const uint8_t* bytes = file.Data();
    const size_t size = file.Size();
    if (format == TPixelFormat::pf8bit) {
        if (size >= dataOffset + vgaPaletteSize && bytes[size - vgaPaletteSize] == 12)
            return cm.MakeColorPalette({bytes + size - 768}, TRawPaletteFormat::pfInterlaced8Triple, 256);
        return GrayRamp(256);
    }
    if (format == TPixelFormat::pf4bit) {
        if (h.paletteKind == 2)
            palette = h.bitsPerPixel == 2 ? GrayRamp(4) : GrayRamp(16);
        else
            palette = cm.MakeColorPalette({h.palette16}, TRawPaletteFormat::pfInterlaced8Triple, 16);
        palette.resize(16);
        return palette;
    }
    return GrayRamp(2);
}

} // namespace

// How the rows of the file become scan lines.
struct TPCXGraphic::TLayout {
    TPlaneLayout planes;
    size_t planeBytes; // bytes of one plane of a row
    size_t lineBytes;  // bytes of a row, all its planes
};

const TGraphicClass& TPCXGraphic::ClassInfo()
{
    return ReaderClassInfo<TPCXGraphic>("TPCXGraphic");
}

bool TPCXGraphic::AcceptsStream(TStream& stream)
{
    return AcceptsLeadingBytes<headerSize>(stream, headerSize, [](const uint8_t* bytes) {
        const PcxHeader h(bytes);
        const uint8_t v = h.version;
        return (h.manufacturer == 10 || h.manufacturer == 205) && (v == 0 || v == 2 || v == 3 || v == 4 || v == 5) &&
               h.encoding <= 1 &&
               (h.bitsPerPixel == 1 || h.bitsPerPixel == 2 || h.bitsPerPixel == 4 || h.bitsPerPixel == 8) &&
               h.planes >= 1 && h.planes <= 4;
    });
}

bool TPCXGraphic::ReadHeader(TStream& stream, int imageIndex)
{
    TReaderGraphic::ReadHeader(stream, imageIndex);
    uint8_t bytes[headerSize];
    stream.ReadBuffer(bytes, headerSize);
    const PcxHeader h(bytes);
    if (h.manufacturer != 10 && h.manufacturer != 205)
        return false;
    // A window whose end lies before its start describes no picture.
    if (h.xMax < h.xMin || h.yMax < h.yMin)
        return false;
    TImageProperties& p = ImageProperties();
    p.Version = h.version;
    p.Width = h.xMax - h.xMin + 1;
    p.Height = h.yMax - h.yMin + 1;
    p.SamplesPerPixel = h.planes;
    p.BitsPerSample = h.bitsPerPixel;
    p.BitsPerPixel = static_cast<uint8_t>(h.planes * h.bitsPerPixel);
    p.ColorScheme = h.planes * h.bitsPerPixel > 8 ? TColorScheme::csRGB : TColorScheme::csIndexed;
    p.Compression = h.encoding == 1 ? TCompressionType::ctRLE : TCompressionType::ctNone;
    p.XResolution = h.hRes;
    p.YResolution = h.vRes;
    return true;
}

void TPCXGraphic::LoadFromStream(TStream& stream)
{
    BeginLoading(stream);
    TLoadingProgress progress(*this);
    uint8_t bytes[headerSize];
    {
        TStreamPositionGuard peek(stream);
        if (stream.Read(bytes, headerSize) != headerSize)
            GraphicErrorFmt("Cannot load image. Invalid or unexpected %s image format.", formatName);
    }
    RequireHeader(stream, 0, formatName);
    const PcxHeader h(bytes);
    const TImageProperties& p = ImageProperties();
    progress.Start("Preparing...");

    // Other plane layouts have no bitmap format of ours.
    TLayout layout{};
    if (!ChooseLayout(h.planes, h.bitsPerPixel, layout.planes))
        GraphicError("Invalid color format in PCX file.");
    TColorManager& cm = ColorManager();
    cm.Configure({
        .SourceScheme = p.ColorScheme,
        .TargetScheme = p.ColorScheme == TColorScheme::csIndexed ? TColorScheme::csIndexed : TColorScheme::csBGR,
        .SourceBitsPerSample = p.BitsPerSample,
        .TargetBitsPerSample = static_cast<uint8_t>(p.BitsPerPixel == 2 ? 4 : p.BitsPerSample),
        .SourceSamplesPerPixel = p.SamplesPerPixel,
        .TargetSamplesPerPixel = p.SamplesPerPixel,
    });
    const TPixelFormat format =
        layout.planes == TPlaneLayout::plSixteenColours ? TPixelFormat::pf4bit : cm.PixelFormatFor();
    SetPixelFormat(format);

    // Each row holds bytesPerLine bytes per plane; they must hold the
    // picture's width.
    layout.planeBytes = h.bytesPerLine;
    layout.lineBytes = layout.planeBytes * h.planes;
    if (layout.planeBytes * 8 < static_cast<size_t>(p.Width) * h.bitsPerPixel)
        GraphicErrorFmt("Cannot load image. Invalid or unexpected %s image format.", formatName);

    const size_t dataOffset = static_cast<size_t>(stream.Position() - BasePosition());
    const TStreamBytes file(stream, BasePosition());
    std::vector<TRGBQuad> palette;
    size_t dataEnd = file.Size();
    if (layout.planes != TPlaneLayout::plTrueColour) {
        palette = IndexedPalette(cm, h, format, file, dataOffset);
        if (format == TPixelFormat::pf8bit && dataEnd >= dataOffset + vgaPaletteSize)
            dataEnd -= vgaPaletteSize;
    }
    dataEnd = std::max(dataEnd, dataOffset);
    const uint8_t* source = file.Data() + dataOffset;
    const uint8_t* sourceEnd = file.Data() + dataEnd;
    if (p.Compression != TCompressionType::ctRLE &&
        static_cast<uint64_t>(sourceEnd - source) < static_cast<uint64_t>(layout.lineBytes) * p.Height)
        throw EReadError("Stream read error");

    SetSize(p.Width, p.Height);
    SetPalette(std::move(palette));
    progress.Step("Transfering...");
    TransferRows(layout, source, sourceEnd, progress);
    stream.SetPosition(BasePosition() + static_cast<int64_t>(source - file.Data()));
}

// Rows are expanded one at a time: each row (all its planes) is encoded on
// its own.
void TPCXGraphic::TransferRows(const TLayout& layout, const uint8_t*& source, const uint8_t* end,
                               TLoadingProgress& progress)
{
    const TImageProperties& p = ImageProperties();
    const size_t width = static_cast<size_t>(p.Width);
    const size_t height = static_cast<size_t>(p.Height);
    const bool packed = p.Compression == TCompressionType::ctRLE;
    std::vector<uint8_t> line(layout.lineBytes);
    TPCXRLEDecoder decoder;
    decoder.BeginDecoding();
    for (size_t y = 0; y < height; ++y) {
        if (packed) {
            // Once the data is used up the remaining rows stay black; this
            // also keeps a tiny file that claims a huge picture quick.
            if (source >= end)
                break;
            uint8_t* target = line.data();
            std::fill(line.begin(), line.end(), 0);
            decoder.Decode(source, target, static_cast<size_t>(end - source), layout.lineBytes);
        } else {
            std::memcpy(line.data(), source, layout.lineBytes);
            source += layout.lineBytes;
        }
        uint8_t* scan = ScanLine(static_cast<int>(y));
        switch (layout.planes) {
        case TPlaneLayout::plSixteenColours:
            SixteenColourRow(line.data(), layout.planeBytes, width, scan);
            break;
        case TPlaneLayout::plTrueColour:
            ColorManager().ConvertPixels(
                {line.data(), line.data() + layout.planeBytes, line.data() + 2 * layout.planeBytes}, 0xFF, width, scan);
            break;
        case TPlaneLayout::plTwoBit:
            TwoBitRow(line.data(), width, scan);
            break;
        case TPlaneLayout::plIndexed:
            ColorManager().ConvertPixels(line.data(), 0xFF, width, scan);
            break;
        }
        progress.Row(static_cast<int64_t>(y), static_cast<int64_t>(height));
    }
    decoder.EndDecoding();
}

} // namespace orvane::imaging
