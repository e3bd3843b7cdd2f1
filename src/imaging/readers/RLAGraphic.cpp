#include "imaging/readers/RLAGraphic.h"

#include "imaging/color/ColorManager.h"
#include "imaging/decoders/RLADecoder.h"
#include "imaging/readers/PlanarRows.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <cstdlib>

namespace orvane::imaging {

namespace {

constexpr size_t headerSize = 740;
// The format has no name of its own in messages.
const char* const formatName = "";

struct TRLAHeader {
    int16_t activeLeft, activeRight, activeBottom, activeTop;
    int16_t channels, mattes;
    uint16_t revision;
    char gamma[17] = {};
    char channelType[33] = {};
    uint16_t channelBits;

    explicit TRLAHeader(const uint8_t* p)
        : activeLeft(static_cast<int16_t>(GetBE16(p + 8))), activeRight(static_cast<int16_t>(GetBE16(p + 10))),
          activeBottom(static_cast<int16_t>(GetBE16(p + 12))), activeTop(static_cast<int16_t>(GetBE16(p + 14))),
          channels(static_cast<int16_t>(GetBE16(p + 20))), mattes(static_cast<int16_t>(GetBE16(p + 22))),
          revision(GetBE16(p + 26)), channelBits(GetBE16(p + 658))
    {
        std::memcpy(gamma, p + 28, 16);
        std::memcpy(channelType, p + 580, 32);
    }

    bool IsType(const char* name) const { return strcasecmp(channelType, name) == 0; }
    bool Known() const { return revision == 0xFFFE && (IsType("rgb") || IsType("xyz")); }
};

// The gamma text as a number; 0 when it is not one.
float ParseGamma(const char* text)
{
    const char* begin = text;
    const char* end = text + std::strlen(text);
    while (begin < end && (*begin == ' ' || *begin == '\t'))
        ++begin;
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t'))
        --end;
    float value = 0;
    const auto result = std::from_chars(begin, end, value);
    if (result.ec != std::errc() || result.ptr != end || !(value > 0) || value > 1e6f)
        return 0;
    return value;
}

} // namespace

const TGraphicClass& TRLAGraphic::ClassInfo()
{
    return ReaderClassInfo<TRLAGraphic>("TRLAGraphic");
}

bool TRLAGraphic::AcceptsStream(TStream& stream)
{
    TStreamPositionGuard guard(stream);
    if (stream.Remaining() <= static_cast<int64_t>(headerSize))
        return false;
    uint8_t bytes[headerSize];
    stream.ReadBuffer(bytes, headerSize);
    return TRLAHeader(bytes).Known();
}

bool TRLAGraphic::ReadHeader(TStream& stream, int imageIndex)
{
    TReaderGraphic::ReadHeader(stream, imageIndex);
    uint8_t bytes[headerSize];
    stream.ReadBuffer(bytes, headerSize);
    const TRLAHeader h(bytes);
    if (!h.Known())
        return false;
    const int width = h.activeRight - h.activeLeft + 1;
    const int height = std::abs(h.activeBottom - h.activeTop) + 1;
    if (width <= 0 || h.channels < 0 || h.mattes < 0)
        return false;

    TImageProperties& p = ImageProperties();
    p.Options = ioBigEndian;
    const bool matte = h.mattes == 1;
    p.SamplesPerPixel = static_cast<uint8_t>(std::min(h.channels + (matte ? 1 : 0), 255));
    p.BitsPerSample = static_cast<uint8_t>(std::min<unsigned>(h.channelBits, 255));
    p.BitsPerPixel = static_cast<uint8_t>(std::min<unsigned>(unsigned{p.BitsPerSample} * p.SamplesPerPixel, 255));
    if (h.IsType("rgb")) {
        p.ColorScheme = matte ? TColorScheme::csRGBA : TColorScheme::csRGB;
        p.HasAlpha = matte;
    }
    if (const float gamma = ParseGamma(h.gamma); gamma > 0)
        p.FileGamma = gamma;
    p.Compression = TCompressionType::ctRLE;
    p.Width = width;
    p.Height = height;
    p.BottomUp = h.activeBottom < h.activeTop;
    return true;
}

void TRLAGraphic::LoadFromStream(TStream& stream)
{
    BeginLoading(stream);
    TLoadingProgress progress(*this);
    RequireHeader(stream, 0, formatName);
    const TImageProperties& p = ImageProperties();
    progress.Start("Preparing...");

    // The header again, for the channel counts the properties fold together.
    stream.SetPosition(BasePosition());
    uint8_t headerBytes[headerSize];
    stream.ReadBuffer(headerBytes, headerSize);
    const TRLAHeader h(headerBytes);
    const size_t colourChannels = static_cast<size_t>(h.channels);
    const bool matte = h.mattes == 1;

    TColorManager& cm = ColorManager();
    const bool alpha = p.ColorScheme == TColorScheme::csRGBA;
    const uint8_t planeCount = alpha ? 4 : 3;
    if (p.SamplesPerPixel > 4 || (p.ColorScheme != TColorScheme::csUnknown && colourChannels < 3))
        throw EColorConversionError("Sample count per pixel does not correspond to the given color scheme.");
    cm.SetSourceOptions(p.BitsPerSample == 16 ? coNeedByteSwap : 0);
    cm.SetTargetOptions(0);
    // 8-bit colour planes reach the colour manager interleaved, in the
    // bitmap's own order.
    const bool interleave = p.BitsPerSample == 8 && p.ColorScheme != TColorScheme::csUnknown;
    cm.SetSourceColorScheme(!interleave ? p.ColorScheme : alpha ? TColorScheme::csBGRA : TColorScheme::csBGR);
    cm.SetTargetColorScheme(alpha ? TColorScheme::csBGRA : TColorScheme::csBGR);
    cm.SetSourceBitsPerSample(p.BitsPerSample);
    cm.SetTargetBitsPerSample(8);
    cm.SetSourceSamplesPerPixel(planeCount);
    cm.SetTargetSamplesPerPixel(planeCount);
    if (p.FileGamma != 1.0f)
        cm.UpdateGamma(p.FileGamma, 2.2f);
    // Choose the converter now, so that a file no converter fits ("xyz",
    // odd depths) fails before anything is allocated.
    {
        const uint8_t none = 0;
        const uint8_t* probe[4] = {&none, &none, &none, &none};
        cm.ConvertPixels(probe, planeCount, 0xFF, 0, nullptr);
    }

    const size_t width = static_cast<size_t>(p.Width);
    const size_t height = static_cast<size_t>(p.Height);
    const size_t rowBytes = CheckedMul(width, p.BitsPerSample / 8u, "The picture is too large to be shown");

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
    if ((fileSize - headerSize) / 4 < height)
        throw EReadError("Stream read error");
    // Every scan line stores each of its channels, at best in runs of 128
    // bytes of two bytes each; a file too short for that cannot hold the
    // picture its header claims.
    const size_t stored = colourChannels + (matte ? 1 : 0);
    const size_t leastLine = stored * (2 + 2 * ((rowBytes + 127) / 128));
    if ((fileSize - headerSize - 4 * height) / height < leastLine)
        throw EReadError("Stream read error");
    const uint8_t* offsets = file + headerSize;

    SetPixelFormat(cm.PixelFormatFor());
    SetSize(p.Width, p.Height);
    SetHasAlpha(alpha);

    progress.Step("Transfering...");
    std::vector<uint8_t> planes(rowBytes * planeCount);
    const uint8_t* sources[4] = {};
    for (size_t c = 0; c < planeCount; ++c)
        sources[c] = planes.data() + c * rowBytes;
    const uint8_t* order[4] = {sources[2], sources[1], sources[0], sources[3]};
    std::vector<uint8_t> interleaved(interleave ? width * planeCount : 0);
    TRLADecoder decoder;
    decoder.BeginDecoding();
    for (size_t line = 0; line < height; ++line) {
        std::fill(planes.begin(), planes.end(), uint8_t{0});
        size_t position = std::min<size_t>(GetBE32(offsets + 4 * line), fileSize);
        // Colour channels first, then the mattes; channels past the third
        // colour one are skipped by their lengths.
        for (size_t c = 0; c < stored && fileSize - position >= 2; ++c) {
            const size_t length = std::min<size_t>(GetBE16(file + position), fileSize - position - 2);
            const uint8_t* source = file + position + 2;
            position += 2 + length;
            size_t plane = c;
            if (c >= colourChannels)
                plane = 3; // the matte
            else if (c >= 3)
                continue;
            if (plane >= planeCount)
                continue;
            uint8_t* target = planes.data() + plane * rowBytes;
            decoder.Decode(source, target, length, rowBytes);
        }
        const size_t row = p.BottomUp ? height - 1 - line : line;
        if (interleave) {
            InterleavePlanes(order, planeCount, width, interleaved.data());
            cm.ConvertPixels(interleaved.data(), 0xFF, width, ScanLine(static_cast<int>(row)));
        } else {
            cm.ConvertPixels(sources, planeCount, 0xFF, width, ScanLine(static_cast<int>(row)));
        }
        progress.Row(static_cast<int64_t>(line), static_cast<int64_t>(height));
    }
    decoder.EndDecoding();
}

} // namespace orvane::imaging
