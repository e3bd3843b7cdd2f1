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

const TGraphicClass& TTargaGraphic::ClassInfo()
{
    return ReaderClassInfo<TTargaGraphic>("TTargaGraphic");
}

bool TTargaGraphic::AcceptsStream(TStream& stream)
{
    TStreamPositionGuard guard(stream);
    if (stream.Remaining() <= static_cast<int64_t>(headerSize))
        return false;
    uint8_t bytes[headerSize];
    stream.ReadBuffer(bytes, headerSize);
    const TargaHeader h(bytes);
    // The colour map entry size only means something when there is a map.
    const unsigned entry = h.colorMapEntrySize;
    return (h.imageType < 4 || (h.imageType >= 9 && h.imageType <= 11)) && h.colorMapType <= 1 &&
           (h.colorMapType == 0 || entry == 15 || entry == 16 || entry == 24 || entry == 32) &&
           KnownDepth(h.pixelDepth);
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
    RequireHeader(stream, 0, "Targa");
    const TargaHeader h(bytes);
    const TImageProperties& p = ImageProperties();
    // Only these types carry pixels we know how to read.
    const bool typeOk = h.imageType == 1 || h.imageType == 2 || h.imageType == 3 ||
                        (h.imageType >= 9 && h.imageType <= 11);
    if (!typeOk || !KnownDepth(h.pixelDepth))
        GraphicError("Cannot load image. Invalid or unexpected Targa image format.");
    progress.Start("Preparing...");

    stream.Seek(h.idLength, TSeekOrigin::soCurrent);
    std::vector<uint8_t> colorMap;
    if (h.colorMapType == 1)
        colorMap = ReadBytes(stream, size_t{h.colorMapLength} * ((h.colorMapEntrySize + 7u) / 8u));

    TColorManager& cm = ColorManager();
    cm.SetSourceColorScheme(p.ColorScheme);
    cm.SetTargetColorScheme(p.ColorScheme == TColorScheme::csG || p.ColorScheme == TColorScheme::csIndexed
                                ? p.ColorScheme
                                : TColorScheme::csBGR);
    cm.SetSourceBitsPerSample(p.BitsPerSample);
    cm.SetTargetBitsPerSample(p.BitsPerSample);
    cm.SetSourceSamplesPerPixel(p.SamplesPerPixel);
    cm.SetTargetSamplesPerPixel(p.SamplesPerPixel);
    const size_t pixelBytes = BytesPerPixel(h.pixelDepth);
    const size_t rowBytes = static_cast<size_t>(p.Width) * pixelBytes;
    const size_t height = static_cast<size_t>(p.Height);
    const size_t imageBytes = rowBytes * height; // at most 65535 * 65535 * 4
    const bool topDown = (h.descriptor & 0x20) != 0;
    const bool packed = p.Compression == TCompressionType::ctRLE;
    if (!packed && static_cast<uint64_t>(stream.Remaining()) < imageBytes)
        throw EReadError("Stream read error");

    SetPixelFormat(cm.PixelFormatFor());
    if (p.ColorScheme == TColorScheme::csG || (p.ColorScheme == TColorScheme::csIndexed && colorMap.empty()))
        SetPalette(cm.MakeGrayPalette(false));
    else if (p.ColorScheme == TColorScheme::csIndexed)
        SetPalette(ReadColorMap(h, colorMap.data()));
    SetSize(p.Width, p.Height);
    SetHasAlpha(h.pixelDepth == 32 && (h.descriptor & 0x0F) != 0);

    // Run-length packets may run on from one row into the next, so the
    // picture is expanded as one sequence of pixels (never more than it
    // holds) and then placed row by row. The buffer is not cleared first:
    // only the pixels the data really gives are touched and copied, so a
    // small file that claims a huge picture stays cheap.
    std::unique_ptr<uint8_t[]> expanded;
    std::vector<uint8_t> buffer;
    const uint8_t* pixels = nullptr;
    size_t available = imageBytes;
    if (packed) {
        std::vector<uint8_t> copy;
        const uint8_t* source = stream.Memory() ? stream.Memory() + stream.Position() : nullptr;
        const size_t remaining = static_cast<size_t>(stream.Remaining());
        if (!source) {
            copy = ReadAtMost(stream, remaining);
            source = copy.data();
        }
        const uint8_t* start = source;
        // Rows without padding are one sequence in the bitmap already:
        // expand straight into it and put the rows in order afterwards.
        const bool direct = static_cast<size_t>(BytesPerLine()) == rowBytes && !Empty();
        if (!direct) {
            expanded.reset(new (std::nothrow) uint8_t[imageBytes == 0 ? 1 : imageBytes]);
            if (!expanded)
                GraphicErrorFmt("Not enough memory for a picture of %d x %d pixels", p.Width, p.Height);
        }
        uint8_t* const first = direct ? RawBits() : expanded.get(); // marked once placed
        uint8_t* target = first;
        TTargaRLEDecoder decoder(h.pixelDepth);
        decoder.BeginDecoding();
        decoder.Decode(source, target, remaining, static_cast<size_t>(p.Width) * height);
        decoder.EndDecoding();
        available = static_cast<size_t>(target - first);
        if (copy.empty())
            stream.Seek(source - start, TSeekOrigin::soCurrent);
        if (direct) {
            PlaceExpandedRows(progress, first, available, rowBytes, topDown, pixelBytes == 2);
            return;
        }
        pixels = expanded.get();
    } else if (const uint8_t* memory = stream.Memory()) {
        pixels = memory + stream.Position();
        stream.Seek(static_cast<int64_t>(imageBytes), TSeekOrigin::soCurrent);
    } else {
        buffer = ReadBytes(stream, imageBytes);
        pixels = buffer.data();
    }

    if (Empty())
        return; // a picture without pixels
    progress.Step("Transfering...");
    for (size_t r = 0; r < height; ++r) {
        uint8_t* line = ScanLine(static_cast<int>(topDown ? r : height - 1 - r));
        const uint8_t* src = pixels + r * rowBytes;
        const size_t have = r * rowBytes < available ? std::min(rowBytes, available - r * rowBytes) : 0;
        if (have == 0)
            break; // the data ended: the rest stays black
        std::memcpy(line, src, have);
        if (pixelBytes == 2) // our 15-bit pixels keep the top bit clear
            for (size_t x = 1; x < rowBytes; x += 2)
                line[x] &= 0x7F;
        progress.Row(static_cast<int64_t>(r), static_cast<int64_t>(height));
    }
}

} // namespace orvane::imaging
