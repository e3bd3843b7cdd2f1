#include "imaging/readers/TargaGraphic.h"

#include "imaging/color/ColorManager.h"
#include "imaging/decoders/TargaRLEDecoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace orvane::imaging {

namespace {

constexpr size_t headerSize = 18;
const char* const formatName = "Targa";

struct TargaHeader {
    uint8_t idLength, colorMapType, imageType;
    uint16_t colorMapStart, colorMapLength;
    uint8_t colorMapEntrySize;
    uint16_t width, height;
    uint8_t pixelDepth, descriptor;

    explicit TargaHeader(const uint8_t* p)
        : idLength(p[0]), colorMapType(p[1]), imageType(p[2]), colorMapStart(GetLE16(p + 3)),
          colorMapLength(GetLE16(p + 5)), colorMapEntrySize(p[7]), width(GetLE16(p + 12)),
          height(GetLE16(p + 14)), pixelDepth(p[16]), descriptor(p[17])
    {
    }
};

// The types that carry pixels we know how to read.
bool KnownType(unsigned type)
{
    return type == 1 || type == 2 || type == 3 || (type >= 9 && type <= 11);
}

bool KnownDepth(unsigned depth)
{
    return depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

size_t BytesPerPixel(unsigned depth)
{
    return depth == 15 ? 2 : depth / 8;
}

// The colour map: entries are stored from the header's first entry index on.
std::vector<TRGBQuad> ReadColorMap(const TargaHeader& h, const uint8_t* data)
{
    std::vector<TRGBQuad> palette(256);
    const size_t entryBytes = (h.colorMapEntrySize + 7u) / 8u;
    for (size_t i = 0; i < h.colorMapLength; ++i) {
        const size_t index = size_t{h.colorMapStart} + i;
        if (index >= palette.size())
            break;
        const uint8_t* e = data + i * entryBytes;
        TRGBQuad& q = palette[index];
        if (entryBytes >= 3) {
            q = TRGBQuad{e[0], e[1], e[2], 0};
        } else if (entryBytes == 2) {
            const unsigned v = GetLE16(e);
            auto widen = [](unsigned c) { return static_cast<uint8_t>(c << 3); };
            q = TRGBQuad{widen(v & 31), widen((v >> 5) & 31), widen((v >> 10) & 31), 0};
        } else {
            q = TRGBQuad{e[0], e[0], e[0], 0};
        }
    }
    return palette;
}

} // namespace

// The pixels as the file stores them.
struct TTargaGraphic::TLayout {
    unsigned depth;
    size_t pixelBytes;
    size_t rowBytes;
    size_t height;
    size_t imageBytes; // at most 65535 * 65535 * 4
    bool topDown;
    bool packed;
    bool alpha;        // 32-bit pixels with attribute bits
};

const TGraphicClass& TTargaGraphic::ClassInfo()
{
    return ReaderClassInfo<TTargaGraphic>("TTargaGraphic");
}

bool TTargaGraphic::AcceptsStream(TStream& stream)
{
    return AcceptsLeadingBytes<headerSize>(stream, headerSize, [](const uint8_t* bytes) {
        const TargaHeader h(bytes);
        // The colour map entry size only means something when there is a map.
        const unsigned entry = h.colorMapEntrySize;
        return (h.imageType < 4 || (h.imageType >= 9 && h.imageType <= 11)) && h.colorMapType <= 1 &&
               (h.colorMapType == 0 || entry == 15 || entry == 16 || entry == 24 || entry == 32) &&
               KnownDepth(h.pixelDepth);
    });
}

bool TTargaGraphic::ReadHeader(TStream& stream, int imageIndex)
{
    TReaderGraphic::ReadHeader(stream, imageIndex);
    uint8_t bytes[headerSize];
    stream.ReadBuffer(bytes, headerSize);
    const TargaHeader h(bytes);
    TImageProperties& p = ImageProperties();
    p.Width = h.width;
    p.Height = h.height;
    switch (h.pixelDepth) {
    case 8:
        p.ColorScheme = (h.imageType == 3 || h.imageType == 11) ? TColorScheme::csG : TColorScheme::csIndexed;
        p.BitsPerSample = 8;
        p.SamplesPerPixel = 1;
        break;
    case 15:
    case 16:
        p.ColorScheme = TColorScheme::csRGB;
        p.BitsPerSample = 5;
        p.SamplesPerPixel = 3;
        break;
    case 24:
        p.ColorScheme = TColorScheme::csRGB;
        p.BitsPerSample = 8;
        p.SamplesPerPixel = 3;
        break;
    case 32:
        p.ColorScheme = TColorScheme::csRGBA;
        p.BitsPerSample = 8;
        p.SamplesPerPixel = 4;
        p.HasAlpha = true;
        break;
    default:
        break;
    }
    p.BitsPerPixel = static_cast<uint8_t>(p.BitsPerSample * p.SamplesPerPixel);
    p.Compression = h.imageType >= 9 && h.imageType <= 11 ? TCompressionType::ctRLE : TCompressionType::ctNone;
    return true;
}

void TTargaGraphic::PlaceExpandedRows(TLoadingProgress& progress, uint8_t* bits, size_t available,
                                      size_t rowBytes, bool topDown, bool fifteenBit)
{
    const size_t height = static_cast<size_t>(Height());
    // Rows the data reached; the rest of the bitmap is still zero.
    const size_t filled = std::min(height, (available + rowBytes - 1) / rowBytes);
    progress.Step("Transfering...");
    if (!topDown) {
        // Stored bottom row first: rows go end for end. Only rows the data
        // reached move; a row moving into the untouched part leaves zeros.
        std::vector<uint8_t> row(rowBytes);
        for (size_t r = 0; r < std::min(filled, height / 2); ++r) {
            uint8_t* a = bits + r * rowBytes;
            uint8_t* b = bits + (height - 1 - r) * rowBytes;
            if (height - 1 - r < filled) {
                std::memcpy(row.data(), a, rowBytes);
                std::memcpy(a, b, rowBytes);
                std::memcpy(b, row.data(), rowBytes);
            } else {
                std::memcpy(b, a, rowBytes);
                std::memset(a, 0, rowBytes);
            }
        }
    }
    if (topDown)
        MarkRowsWritten(0, static_cast<int>(filled));
    else
        MarkRowsWritten(static_cast<int>(height - filled), static_cast<int>(height));
    for (size_t r = 0; r < height; ++r) {
        if (r * rowBytes >= available)
            break; // the data ended: the rest stays black
        if (fifteenBit) { // our 15-bit pixels keep the top bit clear
            uint8_t* line = ScanLine(static_cast<int>(topDown ? r : height - 1 - r));
            for (size_t x = 1; x < rowBytes; x += 2)
                line[x] &= 0x7F;
        }
        progress.Row(static_cast<int64_t>(r), static_cast<int64_t>(height));
    }
}

void TTargaGraphic::LoadFromStream(TStream& stream)
{
    BeginLoading(stream);
    TLoadingProgress progress(*this);
    uint8_t bytes[headerSize];
    {
        TStreamPositionGuard peek(stream);
        stream.ReadBuffer(bytes, headerSize);
    }
    RequireHeader(stream, 0, formatName);
    const TargaHeader h(bytes);
    const TImageProperties& p = ImageProperties();
    if (!KnownType(h.imageType) || !KnownDepth(h.pixelDepth))
        GraphicErrorFmt("Cannot load image. Invalid or unexpected %s image format.", formatName);
    progress.Start("Preparing...");

    stream.Seek(h.idLength, TSeekOrigin::soCurrent);
    std::vector<uint8_t> colorMapBytes;
    if (h.colorMapType == 1)
        colorMapBytes = ReadBytes(stream, size_t{h.colorMapLength} * ((h.colorMapEntrySize + 7u) / 8u));
    const size_t pixelBytes = BytesPerPixel(h.pixelDepth);
    const size_t rowBytes = static_cast<size_t>(p.Width) * pixelBytes;
    const TLayout layout{h.pixelDepth,
                         pixelBytes,
                         rowBytes,
                         static_cast<size_t>(p.Height),
                         rowBytes * static_cast<size_t>(p.Height),
                         (h.descriptor & 0x20) != 0,
                         p.Compression == TCompressionType::ctRLE,
                         h.pixelDepth == 32 && (h.descriptor & 0x0F) != 0};
    if (!layout.packed && static_cast<uint64_t>(stream.Remaining()) < layout.imageBytes)
        throw EReadError("Stream read error");
    PrepareBitmap(layout, colorMapBytes.empty() ? std::vector<TRGBQuad>{} : ReadColorMap(h, colorMapBytes.data()));

    std::unique_ptr<uint8_t[]> expanded;
    std::vector<uint8_t> buffer;
    const uint8_t* pixels = nullptr;
    size_t available = layout.imageBytes;
    if (layout.packed) {
        if (ExpandPacked(layout, expanded, available, progress))
            return;
        pixels = expanded.get();
    } else if (const uint8_t* memory = stream.Memory()) {
        pixels = memory + stream.Position();
        stream.Seek(static_cast<int64_t>(layout.imageBytes), TSeekOrigin::soCurrent);
    } else {
        buffer = ReadBytes(stream, layout.imageBytes);
        pixels = buffer.data();
    }
    if (Empty())
        return; // a picture without pixels
    TransferRows(layout, pixels, available, progress);
}

// A gray picture, or an indexed one without a colour map, shows grays.
void TTargaGraphic::PrepareBitmap(const TLayout& layout, const std::vector<TRGBQuad>& colorMap)
{
    const TImageProperties& p = ImageProperties();
    TColorManager& cm = ColorManager();
    const bool indexedFamily = p.ColorScheme == TColorScheme::csG || p.ColorScheme == TColorScheme::csIndexed;
    cm.Configure({
        .SourceScheme = p.ColorScheme,
        .TargetScheme = indexedFamily ? p.ColorScheme : TColorScheme::csBGR,
        .SourceBitsPerSample = p.BitsPerSample,
        .TargetBitsPerSample = p.BitsPerSample,
        .SourceSamplesPerPixel = p.SamplesPerPixel,
        .TargetSamplesPerPixel = p.SamplesPerPixel,
    });
    SetPixelFormat(cm.PixelFormatFor());
    if (p.ColorScheme == TColorScheme::csG || (p.ColorScheme == TColorScheme::csIndexed && colorMap.empty()))
        SetPalette(cm.MakeGrayPalette(false));
    else if (p.ColorScheme == TColorScheme::csIndexed)
        SetPalette(colorMap);
    SetSize(p.Width, p.Height);
    SetHasAlpha(layout.alpha);
}

// Run-length packets may run on from one row into the next, so the picture
// is expanded as one sequence of pixels (never more than it holds) and then
// placed row by row. The buffer is not cleared first: only the pixels the
// data really gives are touched and copied, so a small file that claims a
// huge picture stays cheap.
bool TTargaGraphic::ExpandPacked(const TLayout& layout, std::unique_ptr<uint8_t[]>& expanded, size_t& available,
                                 TLoadingProgress& progress)
{
    TStream& stream = Stream();
    const size_t remaining = static_cast<size_t>(stream.Remaining());
    const TStreamBytes data(stream, stream.Position());
    const uint8_t* source = data.Data();
    // Rows without padding are one sequence in the bitmap already: expand
    // straight into it and put the rows in order afterwards.
    const bool direct = static_cast<size_t>(BytesPerLine()) == layout.rowBytes && !Empty();
    if (!direct) {
        expanded.reset(new (std::nothrow) uint8_t[layout.imageBytes == 0 ? 1 : layout.imageBytes]);
        if (!expanded)
            GraphicErrorFmt("Not enough memory for a picture of %d x %d pixels", Width(), Height());
    }
    uint8_t* const first = direct ? RawBits() : expanded.get(); // marked once placed
    uint8_t* target = first;
    TTargaRLEDecoder decoder(layout.depth);
    decoder.BeginDecoding();
    decoder.Decode(source, target, remaining, static_cast<size_t>(Width()) * layout.height);
    decoder.EndDecoding();
    available = static_cast<size_t>(target - first);
    if (stream.Memory())
        stream.Seek(source - data.Data(), TSeekOrigin::soCurrent);
    if (!direct)
        return false;
    PlaceExpandedRows(progress, first, available, layout.rowBytes, layout.topDown, layout.pixelBytes == 2);
    return true;
}

void TTargaGraphic::TransferRows(const TLayout& layout, const uint8_t* pixels, size_t available,
                                 TLoadingProgress& progress)
{
    const size_t height = layout.height;
    const size_t rowBytes = layout.rowBytes;
    progress.Step("Transfering...");
    for (size_t r = 0; r < height; ++r) {
        uint8_t* line = ScanLine(static_cast<int>(layout.topDown ? r : height - 1 - r));
        const uint8_t* src = pixels + r * rowBytes;
        const size_t have = r * rowBytes < available ? std::min(rowBytes, available - r * rowBytes) : 0;
        if (have == 0)
            break; // the data ended: the rest stays black
        std::memcpy(line, src, have);
        if (layout.pixelBytes == 2) // our 15-bit pixels keep the top bit clear
            for (size_t x = 1; x < rowBytes; x += 2)
                line[x] &= 0x7F;
        progress.Row(static_cast<int64_t>(r), static_cast<int64_t>(height));
    }
}

} // namespace orvane::imaging
