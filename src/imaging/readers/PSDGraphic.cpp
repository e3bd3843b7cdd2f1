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

} // namespace

const TGraphicClass& TPSDGraphic::ClassInfo()
{
    return ReaderClassInfo<TPSDGraphic>("TPSDGraphic");
}

bool TPSDGraphic::AcceptsStream(TStream& stream)
{
    TStreamPositionGuard guard(stream);
    if (stream.Remaining() <= static_cast<int64_t>(headerSize))
        return false;
    uint8_t bytes[6];
    stream.ReadBuffer(bytes, sizeof bytes);
    return ValidSignature(bytes);
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
    switch (mode) {
    case pmBitmap:
        p.ColorScheme = TColorScheme::csG;
        p.Options |= ioMinIsWhite;
        break;
    case pmGrayscale:
    case pmDuotone:
        p.ColorScheme = TColorScheme::csG;
        break;
    case pmIndexed:
        p.ColorScheme = TColorScheme::csIndexed;
        break;
    case pmRGB:
    case pmMultichannel:
        p.ColorScheme = channels == 3 ? TColorScheme::csRGB : TColorScheme::csRGBA;
        break;
    case pmCMYK:
        p.ColorScheme = TColorScheme::csCMYK;
        break;
    case pmLab:
        p.ColorScheme = TColorScheme::csCIELab;
        break;
    default:
        p.ColorScheme = TColorScheme::csUnknown;
        break;
    }
    p.HasAlpha = p.ColorScheme == TColorScheme::csRGBA;
    p.Compression = sections.compression == 1 ? TCompressionType::ctPackedBits : TCompressionType::ctNone;
    return true;
}

void TPSDGraphic::LoadFromStream(TStream& stream)
{
    BeginLoading(stream);
    TLoadingProgress progress(*this);
    RequireHeader(stream, 0, formatName);
    const TImageProperties& p = ImageProperties();
    progress.Start("Preparing...");
    TPSDSections sections;
    ReadSections(stream, BasePosition(), sections);

    // Gray and indexed pictures show their first channel; further ones
    // (alpha, spot colours) are not drawn.
    const TColorScheme scheme = p.ColorScheme;
    const size_t planes = PlanesOf(scheme);
    if (p.Channels < planes)
        throw EColorConversionError("Sample count per pixel does not correspond to the given color scheme.");

    // Photoshop writes 1, 8, 16 and 32 bits per sample; the bitmap holds the
    // first three (16 reduced to 8), and other depths would not fit its rows.
    if (p.BitsPerSample != 1 && p.BitsPerSample != 8 && p.BitsPerSample != 16)
        throw EColorConversionError("Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.");

    TColorManager& cm = ColorManager();
    TConvertOptions sourceOptions = coNeedByteSwap;
    TColorScheme target = TColorScheme::csBGR;
    uint8_t targetSamples = 3;
    switch (scheme) {
    case TColorScheme::csIndexed:
    case TColorScheme::csG:
        target = scheme;
        targetSamples = 1;
        break;
    case TColorScheme::csRGBA:
        target = TColorScheme::csBGRA;
        targetSamples = 4;
        break;
    case TColorScheme::csCIELab:
        sourceOptions |= coLabByteRange | coLabChromaOffset;
        break;
    default:
        break;
    }
    cm.SetSourceOptions(sourceOptions);
    cm.SetTargetOptions(0);
    cm.SetSourceBitsPerSample(p.BitsPerSample);
    cm.SetTargetBitsPerSample(p.BitsPerSample == 16 ? 8 : p.BitsPerSample);
    // 8-bit colour planes reach the colour manager interleaved, in the
    // bitmap's own order.
    const bool interleave =
        p.BitsPerSample == 8 && (scheme == TColorScheme::csRGB || scheme == TColorScheme::csRGBA);
    cm.SetSourceColorScheme(!interleave ? scheme : planes == 4 ? TColorScheme::csBGRA : TColorScheme::csBGR);
    cm.SetTargetColorScheme(target);
    cm.SetSourceSamplesPerPixel(static_cast<uint8_t>(planes));
    cm.SetTargetSamplesPerPixel(targetSamples);
    // Choose the converter before anything is allocated, so pictures no
    // converter fits fail at once.
    {
        const uint8_t none = 0;
        const uint8_t* probe[4] = {&none, &none, &none, &none};
        cm.ConvertPixels(probe, planes, 0xFF, 0, nullptr);
    }
    const TPixelFormat format = cm.PixelFormatFor();
    if (format == TPixelFormat::pfCustom)
        throw EColorConversionError("Color conversion failed. Could not find a proper method.");

    const uint8_t* file = stream.Memory();
    std::vector<uint8_t> copy;
    if (!file) {
        stream.SetPosition(BasePosition());
        copy = ReadAtMost(stream, static_cast<size_t>(stream.Remaining()));
        file = copy.data();
    } else {
        file += BasePosition();
    }
    const size_t fileSize = static_cast<size_t>(stream.Size() - BasePosition());

    const size_t width = static_cast<size_t>(p.Width);
    const size_t height = static_cast<size_t>(p.Height);
    const size_t rowBytes = PackedRowBytes(width, p.BitsPerSample);
    const bool packed = p.Compression == TCompressionType::ctPackedBits;
    const size_t dataSize = fileSize - sections.imageData;
    const uint8_t* data = file + sections.imageData;

    // Where every row of the channels we show begins; PackBits rows follow a
    // table of their byte counts for every row of every channel.
    std::vector<size_t> rowStart;
    std::vector<uint16_t> rowSize;
    progress.Step("Loading data...");
    if (packed) {
        const size_t entries = size_t{p.Channels} * height; // channels < 256, height < 2^31
        if (dataSize / 2 < entries)
            throw EReadError("Stream read error");
        const size_t used = planes * height;
        // PackBits writes at most 128 bytes for every two it reads; a file
        // too short for the rows its header claims cannot hold the picture.
        if ((dataSize - 2 * entries) / used / 2 < (rowBytes + 127) / 128)
            throw EReadError("Stream read error");
        rowStart.resize(used);
        rowSize.resize(used);
        size_t position = 2 * entries;
        for (size_t i = 0; i < used; ++i) {
            rowSize[i] = GetBE16(data + 2 * i);
            rowStart[i] = std::min(position, dataSize);
            position += rowSize[i];
        }
    } else if (dataSize / planes / rowBytes < height) {
        throw EReadError("Stream read error");
    }

    SetPixelFormat(format);
    if (scheme == TColorScheme::csIndexed) {
        // 256 reds, 256 greens, 256 blues; entries the file leaves out are black.
        std::vector<uint8_t> table(768);
        std::memcpy(table.data(), file + sections.colorData, std::min<size_t>(sections.colorDataLength, 768));
        SetPalette(cm.MakeColorPalette({table.data()}, TRawPaletteFormat::pfPlane8Triple, 256));
    } else if (scheme == TColorScheme::csG) {
        SetPalette(cm.MakeGrayPalette((p.Options & ioMinIsWhite) != 0));
    }
    SetSize(p.Width, p.Height);
    SetHasAlpha(target == TColorScheme::csBGRA);

    progress.Step("Transfering...");
    // Photoshop stores CMYK as the amount of paper left (0 is full ink), the
    // inverse of what the CMYK conversion takes.
    const bool invert = scheme == TColorScheme::csCMYK;
    const bool copyRows = packed || invert;
    std::vector<uint8_t> rows(copyRows ? rowBytes * planes : 0);
    std::vector<uint8_t> interleaved(interleave ? width * planes : 0);
    const uint8_t* sources[4] = {};
    TPackbitsRLEDecoder decoder;
    decoder.BeginDecoding();
    for (size_t r = 0; r < height; ++r) {
        for (size_t c = 0; c < planes; ++c) {
            uint8_t* row = copyRows ? rows.data() + c * rowBytes : nullptr;
            if (packed) {
                const size_t index = c * height + r;
                const size_t start = rowStart[index];
                const size_t count = std::min<size_t>(rowSize[index], dataSize - start);
                const uint8_t* source = data + start;
                uint8_t* target = row;
                decoder.Decode(source, target, count, rowBytes);
                std::memset(target, 0, static_cast<size_t>(row + rowBytes - target));
                sources[c] = row;
            } else {
                const uint8_t* stored = data + (c * height + r) * rowBytes;
                if (copyRows) {
                    std::memcpy(row, stored, rowBytes);
                    sources[c] = row;
                } else {
                    sources[c] = stored;
                }
            }
            if (invert)
                for (size_t i = 0; i < rowBytes; ++i)
                    row[i] = static_cast<uint8_t>(~row[i]);
        }
        if (interleave) {
            const uint8_t* order[4] = {sources[2], sources[1], sources[0], sources[3]};
            InterleavePlanes(order, planes, width, interleaved.data());
            cm.ConvertPixels(interleaved.data(), 0xFF, width, ScanLine(static_cast<int>(r)));
        } else {
            cm.ConvertPixels(sources, planes, 0xFF, width, ScanLine(static_cast<int>(r)));
        }
        progress.Row(static_cast<int64_t>(r), static_cast<int64_t>(height));
    }
    decoder.EndDecoding();
}

} // namespace orvane::imaging
