#include "imaging/readers/PCXGraphic.h"

#include "imaging/color/ColorManager.h"
#include "imaging/decoders/PCXRLEDecoder.h"

#include <algorithm>
#include <cstring>

namespace orvane::imaging {

namespace {

constexpr size_t headerSize = 128;
constexpr size_t vgaPaletteSize = 769; // marker 12 and 256 RGB triples

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

} // namespace

const TGraphicClass& TPCXGraphic::ClassInfo()
{
    return ReaderClassInfo<TPCXGraphic>("TPCXGraphic");
}

bool TPCXGraphic::AcceptsStream(TStream& stream)
{
    TStreamPositionGuard guard(stream);
    if (stream.Remaining() <= static_cast<int64_t>(headerSize))
        return false;
    uint8_t bytes[headerSize];
    stream.ReadBuffer(bytes, headerSize);
    const PcxHeader h(bytes);
    const uint8_t v = h.version;
    return (h.manufacturer == 10 || h.manufacturer == 205) && (v == 0 || v == 2 || v == 3 || v == 4 || v == 5) &&
           h.encoding <= 1 &&
           (h.bitsPerPixel == 1 || h.bitsPerPixel == 2 || h.bitsPerPixel == 4 || h.bitsPerPixel == 8) &&
           h.planes >= 1 && h.planes <= 4;
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
            GraphicError("Cannot load image. Invalid or unexpected PCX or SCR image format.");
    }
    RequireHeader(stream, 0, "PCX or SCR");
    const PcxHeader h(bytes);
    const TImageProperties& p = ImageProperties();
    progress.Start("Preparing...");

    const unsigned bits = h.bitsPerPixel;
    const unsigned planes = h.planes;
    const bool sixteenColours = planes == 4 && bits == 1;
    const bool trueColour = planes == 3 && bits == 8;
    const bool indexed = planes == 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8);
    // Other plane layouts have no bitmap format of ours.
    if (!sixteenColours && !trueColour && !indexed)
        GraphicError("Invalid color format in PCX file.");

    TColorManager& cm = ColorManager();
    cm.SetSourceColorScheme(p.ColorScheme);
    cm.SetTargetColorScheme(p.ColorScheme == TColorScheme::csIndexed ? TColorScheme::csIndexed : TColorScheme::csBGR);
    cm.SetSourceBitsPerSample(p.BitsPerSample);
    cm.SetTargetBitsPerSample(p.BitsPerPixel == 2 ? 4 : p.BitsPerSample);
    cm.SetSourceSamplesPerPixel(p.SamplesPerPixel);
    cm.SetTargetSamplesPerPixel(p.SamplesPerPixel);
    const TPixelFormat format = sixteenColours ? TPixelFormat::pf4bit : cm.PixelFormatFor();
    SetPixelFormat(format);

    // Each row holds bytesPerLine bytes per plane; they must hold the
    // picture's width.
    const size_t width = static_cast<size_t>(p.Width);
    const size_t height = static_cast<size_t>(p.Height);
    const size_t planeBytes = h.bytesPerLine;
    if (planeBytes * 8 < width * bits)
        GraphicError("Cannot load image. Invalid or unexpected PCX or SCR image format.");
    const size_t lineBytes = planeBytes * planes;

    const uint8_t* file = stream.Memory();
    std::vector<uint8_t> copy;
    const int64_t dataStart = stream.Position();
    if (!file) {
        stream.SetPosition(BasePosition());
        copy = ReadAtMost(stream, static_cast<size_t>(stream.Remaining()));
        file = copy.data();
    } else {
        file += BasePosition();
    }
    const size_t fileSize = static_cast<size_t>(stream.Size() - BasePosition());
    const size_t dataOffset = static_cast<size_t>(dataStart - BasePosition());
    size_t dataEnd = fileSize;

    // Palette.
    std::vector<TRGBQuad> palette;
    if (!trueColour) {
        if (h.version != 3 || format == TPixelFormat::pf1bit) {
            if (format == TPixelFormat::pf8bit) {
                if (fileSize >= dataOffset + vgaPaletteSize && file[fileSize - vgaPaletteSize] == 12) {
                    palette = cm.MakeColorPalette({file + fileSize - 768}, TRawPaletteFormat::pfInterlaced8Triple, 256);
                } else {
                    palette = GrayRamp(256);
                }
            } else if (format == TPixelFormat::pf4bit) {
                if (h.paletteKind == 2)
                    palette = bits == 2 ? GrayRamp(4) : GrayRamp(16);
                else
                    palette = cm.MakeColorPalette({h.palette16}, TRawPaletteFormat::pfInterlaced8Triple, 16);
                palette.resize(16);
            } else {
                palette = GrayRamp(2);
            }
        } else {
            for (const auto& c : systemPalette)
                palette.push_back(TRGBQuad{c[2], c[1], c[0], 0});
            palette.resize(format == TPixelFormat::pf8bit ? 256 : 16);
        }
        if (format == TPixelFormat::pf8bit && dataEnd >= dataOffset + vgaPaletteSize)
            dataEnd -= vgaPaletteSize;
    }
    dataEnd = std::max(dataEnd, dataOffset);
    const uint8_t* source = file + dataOffset;
    const uint8_t* sourceEnd = file + dataEnd;
    if (p.Compression != TCompressionType::ctRLE &&
        static_cast<uint64_t>(sourceEnd - source) < static_cast<uint64_t>(lineBytes) * height)
        throw EReadError("Stream read error");

    SetSize(p.Width, p.Height);
    SetPalette(std::move(palette));

    progress.Step("Transfering...");
    // Rows are expanded one at a time: each row (all its planes) is encoded
    // on its own.
    std::vector<uint8_t> line(lineBytes);
    TPCXRLEDecoder decoder;
    decoder.BeginDecoding();
    for (size_t y = 0; y < height; ++y) {
        if (p.Compression == TCompressionType::ctRLE) {
            // Once the data is used up the remaining rows stay black; this
            // also keeps a tiny file that claims a huge picture quick.
            if (source >= sourceEnd)
                break;
            uint8_t* target = line.data();
            std::fill(line.begin(), line.end(), 0);
            decoder.Decode(source, target, static_cast<size_t>(sourceEnd - source), lineBytes);
        } else {
            std::memcpy(line.data(), source, lineBytes);
            source += lineBytes;
        }
        uint8_t* scan = ScanLine(static_cast<int>(y));
        if (sixteenColours) {
            // Plane k gives bit k of each 4-bit pixel.
            std::memset(scan, 0, (width + 1) / 2);
            for (size_t x = 0; x < width; ++x) {
                const size_t byte = x >> 3;
                const unsigned shift = 7 - (x & 7);
                unsigned value = 0;
                for (unsigned k = 0; k < 4; ++k)
                    value |= ((line[k * planeBytes + byte] >> shift) & 1u) << k;
                scan[x >> 1] |= static_cast<uint8_t>((x & 1) ? value : value << 4);
            }
        } else if (trueColour) {
            cm.ConvertPixels({line.data(), line.data() + planeBytes, line.data() + 2 * planeBytes}, 0xFF, width, scan);
        } else if (bits == 2) {
            // Widened to 4 bits, the values stay palette indexes.
            std::memset(scan, 0, (width + 1) / 2);
            for (size_t x = 0; x < width; ++x) {
                const unsigned value = (line[x >> 2] >> (6 - 2 * (x & 3))) & 3u;
                scan[x >> 1] |= static_cast<uint8_t>((x & 1) ? value : value << 4);
            }
        } else {
            cm.ConvertPixels(line.data(), 0xFF, width, scan);
        }
        progress.Row(static_cast<int64_t>(y), static_cast<int64_t>(height));
    }
    decoder.EndDecoding();
    stream.SetPosition(BasePosition() + static_cast<int64_t>(source - file));
}

} // namespace orvane::imaging
