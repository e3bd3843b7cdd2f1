#include "imaging/readers/PSDGraphic.h"

#include "imaging/color/ColorManager.h"
#include "imaging/decoders/PackbitsRLEDecoder.h"
#include "imaging/readers/PlanarRows.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace orvane::imaging {

namespace {

constexpr size_t headerSize = 26;
const char* const formatName = "PSD or PDD";

enum TPSDMode : uint16_t {
    pmBitmap = 0,
    pmGrayscale = 1,
    pmIndexed = 2,
    pmRGB = 3,
    pmCMYK = 4,
    pmMultichannel = 7,
    pmDuotone = 8,
    pmLab = 9,
};

bool ValidSignature(const uint8_t* p)
{
    return std::memcmp(p, "8BPS", 4) == 0 && GetBE16(p + 4) == 1;
}

// Where the parts after the header lie, relative to the base position.
struct TPSDSections {
    size_t colorData = 0;
    size_t colorDataLength = 0;
    size_t imageData = 0; // after the compression word
    uint16_t compression = 0;
};

// Walks the three length-prefixed sections. False when they run past the
// end of the file.
bool ReadSections(TStream& stream, int64_t base, TPSDSections& sections)
{
    const int64_t size = stream.Size() - base;
    int64_t position = headerSize;
    int64_t lengths[3];
    for (int i = 0; i < 3; ++i) {
        if (size - position < 4)
            return false;
        uint8_t bytes[4];
        stream.SetPosition(base + position);
        stream.ReadBuffer(bytes, 4);
        lengths[i] = GetBE32(bytes);
        if (i == 0)
            sections.colorData = static_cast<size_t>(position + 4);
        position += 4;
        if (size - position < lengths[i])
            return false;
        position += lengths[i];
    }
    if (size - position < 2)
        return false;
    uint8_t bytes[2];
    stream.SetPosition(base + position);
    stream.ReadBuffer(bytes, 2);
    sections.colorDataLength = static_cast<size_t>(lengths[0]);
    sections.compression = GetBE16(bytes);
    sections.imageData = static_cast<size_t>(position + 2);
    return true;
}

// Channels the colour manager reads for a scheme.
size_t PlanesOf(TColorScheme scheme)
{
    switch (scheme) {
    case TColorScheme::csIndexed:
    case TColorScheme::csG:
        return 1;
    case TColorScheme::csRGBA:
    case TColorScheme::csCMYK:
        return 4;
    default:
        return 3;
    }
}

// Photoshop writes 1, 8, 16 and 32 bits per sample; the bitmap holds the
// first three (16 reduced to 8), and other depths would not fit its rows.
bool ShownDepth(unsigned bits)
{
    return bits == 1 || bits == 8 || bits == 16;
}

// What the colour manager turns a scheme's planes into.
TColorScheme TargetOf(TColorScheme scheme)
{
    switch (scheme) {
    case TColorScheme::csIndexed:
    case TColorScheme::csG:
        return scheme;
    case TColorScheme::csRGBA:
        return TColorScheme::csBGRA;
    default:
        return TColorScheme::csBGR;
    }
}

uint8_t SamplesOf(TColorScheme target)
{
    return target == TColorScheme::csBGRA ? 4 : target == TColorScheme::csBGR ? 3 : 1;
}

TColorScheme SchemeOfMode(uint16_t mode, uint16_t channels, uint8_t& options)
{
    switch (mode) {
    case pmBitmap:
        options |= ioMinIsWhite;
        return TColorScheme::csG;
    case pmGrayscale:
    case pmDuotone:
        return TColorScheme::csG;
    case pmIndexed:
        return TColorScheme::csIndexed;
    case pmRGB:
    case pmMultichannel:
        return channels == 3 ? TColorScheme::csRGB : TColorScheme::csRGBA;
    case pmCMYK:
        return TColorScheme::csCMYK;
    case pmLab:
        return TColorScheme::csCIELab;
    default:
        return TColorScheme::csUnknown;
    }
}

} // namespace

// How the channels of the merged picture become bitmap rows.
struct TPSDGraphic::TLayout {
    TColorScheme scheme;
    size_t planes;   // channels read for each row
    TColorScheme target;
    bool interleave; // 8-bit colour planes reach the converter interleaved
    TPixelFormat format;
};

// Where every row of the channels shown begins in the image data.
struct TPSDGraphic::TRowIndex {
    const uint8_t* data;
    size_t dataSize;
    size_t rowBytes;
    bool packed;
    // PackBits rows, channel after channel: their starts and byte counts.
    std::vector<size_t> start;
    std::vector<uint16_t> size;
};

const TGraphicClass& TPSDGraphic::ClassInfo()
{
    return ReaderClassInfo<TPSDGraphic>("TPSDGraphic");
}

bool TPSDGraphic::AcceptsStream(TStream& stream)
{
    return AcceptsLeadingBytes<6>(stream, headerSize, ValidSignature);
}

bool TPSDGraphic::ReadHeader(TStream& stream, int imageIndex)
{
    TReaderGraphic::ReadHeader(stream, imageIndex);
    const int64_t base = stream.Position();
    uint8_t h[headerSize];
    stream.ReadBuffer(h, headerSize);
    if (!ValidSignature(h))
        return false;
    const uint16_t channels = GetBE16(h + 12);
    const uint32_t height = GetBE32(h + 14);
    const uint32_t width = GetBE32(h + 18);
    const uint16_t depth = GetBE16(h + 22);
    const uint16_t mode = GetBE16(h + 24);
    if (channels == 0 || width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX)
        return false;
    TPSDSections sections;
    if (!ReadSections(stream, base, sections))
        throw EReadError("Stream read error");

    TImageProperties& p = ImageProperties();
    p.Options = ioBigEndian;
    p.Width = static_cast<int32_t>(width);
    p.Height = static_cast<int32_t>(height);
    p.BitsPerSample = static_cast<uint8_t>(std::min<unsigned>(depth, 255));
    p.Channels = static_cast<uint8_t>(std::min<unsigned>(channels, 255));
    p.SamplesPerPixel = static_cast<uint8_t>(std::min<unsigned>(channels, 4));
    p.BitsPerPixel = static_cast<uint8_t>(std::min<unsigned>(unsigned{p.BitsPerSample} * p.SamplesPerPixel, 255));
    p.ColorScheme = SchemeOfMode(mode, channels, p.Options);
    p.HasAlpha = p.ColorScheme == TColorScheme::csRGBA;
    p.Compression = sections.compression == 1 ? TCompressionType::ctPackedBits : TCompressionType::ctNone;
    return true;
}

void TPSDGraphic::LoadFromStream(TStream& stream)
{
    BeginLoading(stream);
    TLoadingProgress progress(*this);
    RequireHeader(stream, 0, formatName);
    progress.Start("Preparing...");
    TPSDSections sections;
    ReadSections(stream, BasePosition(), sections);
    const TLayout layout = ChooseLayout();
    const TStreamBytes file(stream, BasePosition());
    progress.Step("Loading data...");
    const TRowIndex rows = IndexRows(file, sections.imageData, layout);
    PrepareBitmap(file, sections.colorData, sections.colorDataLength, layout);
    progress.Step("Transfering...");
    TransferRows(rows, layout, progress);
}

// Checks the channels and the depth and configures the colour manager; the
// converter is chosen before anything is allocated, so pictures no
// converter fits fail at once. Gray and indexed pictures show their first
// channel; further ones (alpha, spot colours) are not drawn.
TPSDGraphic::TLayout TPSDGraphic::ChooseLayout()
{
    const TImageProperties& p = ImageProperties();
    const TColorScheme scheme = p.ColorScheme;
    const size_t planes = PlanesOf(scheme);
    if (p.Channels < planes)
        throw EColorConversionError("Sample count per pixel does not correspond to the given color scheme.");
    if (!ShownDepth(p.BitsPerSample))
        throw EColorConversionError("Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.");

    const TColorScheme target = TargetOf(scheme);
    const bool interleave =
        p.BitsPerSample == 8 && (scheme == TColorScheme::csRGB || scheme == TColorScheme::csRGBA);
    TColorManager& cm = ColorManager();
    cm.Configure({
        .SourceScheme = !interleave ? scheme : planes == 4 ? TColorScheme::csBGRA : TColorScheme::csBGR,
        .TargetScheme = target,
        .SourceBitsPerSample = p.BitsPerSample,
        .TargetBitsPerSample = static_cast<uint8_t>(p.BitsPerSample == 16 ? 8 : p.BitsPerSample),
        .SourceSamplesPerPixel = static_cast<uint8_t>(planes),
        .TargetSamplesPerPixel = SamplesOf(target),
        .SourceOptions = static_cast<TConvertOptions>(
            coNeedByteSwap | (scheme == TColorScheme::csCIELab ? coLabByteRange | coLabChromaOffset : 0)),
    });
    cm.RequireConverter(planes);
    const TPixelFormat format = cm.PixelFormatFor();
    if (format == TPixelFormat::pfCustom)
        throw EColorConversionError("Color conversion failed. Could not find a proper method.");
    return {scheme, planes, target, interleave, format};
}

// Checks that the image data can hold the rows the header claims, before
// any allocation; PackBits rows follow a table of their byte counts for
// every row of every channel.
TPSDGraphic::TRowIndex TPSDGraphic::IndexRows(const TStreamBytes& file, size_t imageData, const TLayout& layout) const
{
    const TImageProperties& p = ImageProperties();
    const size_t height = static_cast<size_t>(p.Height);
    TRowIndex rows{file.Data() + imageData, file.Size() - imageData,
                   PackedRowBytes(static_cast<size_t>(p.Width), p.BitsPerSample),
                   p.Compression == TCompressionType::ctPackedBits, {}, {}};
    if (!rows.packed) {
        if (rows.dataSize / layout.planes / rows.rowBytes < height)
            throw EReadError("Stream read error");
        return rows;
    }
    const size_t entries = size_t{p.Channels} * height; // channels < 256, height < 2^31
    if (rows.dataSize / 2 < entries)
        throw EReadError("Stream read error");
    const size_t used = layout.planes * height;
    // PackBits writes at most 128 bytes for every two it reads; a file too
    // short for the rows its header claims cannot hold the picture.
    if ((rows.dataSize - 2 * entries) / used / 2 < (rows.rowBytes + 127) / 128)
        throw EReadError("Stream read error");
    rows.start.resize(used);
    rows.size.resize(used);
    size_t position = 2 * entries;
    for (size_t i = 0; i < used; ++i) {
        rows.size[i] = GetBE16(rows.data + 2 * i);
        rows.start[i] = std::min(position, rows.dataSize);
        position += rows.size[i];
    }
    return rows;
}

void TPSDGraphic::PrepareBitmap(const TStreamBytes& file, size_t colorData, size_t colorDataLength,
                                const TLayout& layout)
{
    const TImageProperties& p = ImageProperties();
    SetPixelFormat(layout.format);
    if (layout.scheme == TColorScheme::csIndexed) {
        // 256 reds, 256 greens, 256 blues; entries the file leaves out are black.
        std::vector<uint8_t> table(768);
        std::memcpy(table.data(), file.Data() + colorData, std::min<size_t>(colorDataLength, 768));
        SetPalette(ColorManager().MakeColorPalette({table.data()}, TRawPaletteFormat::pfPlane8Triple, 256));
    } else if (layout.scheme == TColorScheme::csG) {
        SetPalette(ColorManager().MakeGrayPalette((p.Options & ioMinIsWhite) != 0));
    }
    SetSize(p.Width, p.Height);
    SetHasAlpha(layout.target == TColorScheme::csBGRA);
}

void TPSDGraphic::TransferRows(const TRowIndex& rows, const TLayout& layout, TLoadingProgress& progress)
{
    const size_t width = static_cast<size_t>(ImageProperties().Width);
    const size_t height = static_cast<size_t>(ImageProperties().Height);
    const size_t rowBytes = rows.rowBytes;
    // Photoshop stores CMYK as the amount of paper left (0 is full ink), the
    // inverse of what the CMYK conversion takes.
    const bool invert = layout.scheme == TColorScheme::csCMYK;
    const bool copyRows = rows.packed || invert;
    std::vector<uint8_t> buffer(copyRows ? rowBytes * layout.planes : 0);
    const uint8_t* sources[4] = {};
    TPlanarRows converter(ColorManager(), layout.planes, width, layout.interleave);
    TPackbitsRLEDecoder decoder;
    decoder.BeginDecoding();
    for (size_t r = 0; r < height; ++r) {
        for (size_t c = 0; c < layout.planes; ++c) {
            const size_t index = c * height + r;
            uint8_t* row = copyRows ? buffer.data() + c * rowBytes : nullptr;
            if (rows.packed) {
                const size_t start = rows.start[index];
                const uint8_t* source = rows.data + start;
                uint8_t* target = row;
                decoder.Decode(source, target, std::min<size_t>(rows.size[index], rows.dataSize - start), rowBytes);
                std::memset(target, 0, static_cast<size_t>(row + rowBytes - target));
                sources[c] = row;
            } else if (copyRows) {
                std::memcpy(row, rows.data + index * rowBytes, rowBytes);
                sources[c] = row;
            } else {
                sources[c] = rows.data + index * rowBytes;
            }
            if (invert)
                for (size_t i = 0; i < rowBytes; ++i)
                    row[i] = static_cast<uint8_t>(~row[i]);
        }
        converter.Convert(sources, ScanLine(static_cast<int>(r)));
        progress.Row(static_cast<int64_t>(r), static_cast<int64_t>(height));
    }
    decoder.EndDecoding();
}

} // namespace orvane::imaging
