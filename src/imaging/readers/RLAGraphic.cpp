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

// The channels of the scan lines: how many the file stores and which planes
// they fill.
struct TRLAGraphic::TChannels {
    size_t colour;   // colour channels stored
    size_t stored;   // colour channels and the matte
    bool alpha;      // the matte is shown
    uint8_t planes;  // planes handed to the colour manager
    bool interleave; // 8-bit colour planes reach the converter interleaved
    size_t rowBytes; // of one plane

    TChannels(const TRLAHeader& h, const TImageProperties& p)
        : colour(static_cast<size_t>(h.channels)), stored(colour + (h.mattes == 1 ? 1 : 0)),
          alpha(p.ColorScheme == TColorScheme::csRGBA), planes(alpha ? 4 : 3),
          interleave(p.BitsPerSample == 8 && p.ColorScheme != TColorScheme::csUnknown),
          rowBytes(CheckedMul(static_cast<size_t>(p.Width), p.BitsPerSample / 8u, "The picture is too large to be shown"))
    {
    }
};

const TGraphicClass& TRLAGraphic::ClassInfo()
{
    return ReaderClassInfo<TRLAGraphic>("TRLAGraphic");
}

bool TRLAGraphic::AcceptsStream(TStream& stream)
{
    return AcceptsLeadingBytes<headerSize>(stream, headerSize,
                                           [](const uint8_t* bytes) { return TRLAHeader(bytes).Known(); });
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
    if (p.SamplesPerPixel > 4 || (p.ColorScheme != TColorScheme::csUnknown && h.channels < 3))
        throw EColorConversionError("Sample count per pixel does not correspond to the given color scheme.");
    const TChannels channels(h, p);
    ConfigureColors(channels);
    const TStreamBytes file(stream, BasePosition());
    CheckScanLines(file, channels);
    SetPixelFormat(ColorManager().PixelFormatFor());
    SetSize(p.Width, p.Height);
    SetHasAlpha(channels.alpha);
    progress.Step("Transfering...");
    TransferScanLines(file, channels, progress);
}

// The converter is chosen now, so that a file no converter fits ("xyz",
// odd depths) fails before anything is allocated.
void TRLAGraphic::ConfigureColors(const TChannels& channels)
{
    const TImageProperties& p = ImageProperties();
    const TColorScheme target = channels.alpha ? TColorScheme::csBGRA : TColorScheme::csBGR;
    TColorManager& cm = ColorManager();
    cm.Configure({
        .SourceScheme = channels.interleave ? target : p.ColorScheme,
        .TargetScheme = target,
        .SourceBitsPerSample = p.BitsPerSample,
        .TargetBitsPerSample = 8,
        .SourceSamplesPerPixel = channels.planes,
        .TargetSamplesPerPixel = channels.planes,
        .SourceOptions = static_cast<TConvertOptions>(p.BitsPerSample == 16 ? coNeedByteSwap : 0),
    });
    if (p.FileGamma != 1.0f)
        cm.UpdateGamma(p.FileGamma, 2.2f);
    cm.RequireConverter(channels.planes);
}

// The file must hold the table of scan line offsets and, for every scan
// line, each of its channels at best in runs of 128 bytes of two bytes
// each; a file too short for that cannot hold the picture its header claims.
void TRLAGraphic::CheckScanLines(const TStreamBytes& file, const TChannels& channels) const
{
    const size_t height = static_cast<size_t>(ImageProperties().Height);
    const size_t fileSize = file.Size();
    if ((fileSize - headerSize) / 4 < height)
        throw EReadError("Stream read error");
    const size_t leastLine = channels.stored * (2 + 2 * ((channels.rowBytes + 127) / 128));
    if ((fileSize - headerSize - 4 * height) / height < leastLine)
        throw EReadError("Stream read error");
}

void TRLAGraphic::TransferScanLines(const TStreamBytes& file, const TChannels& channels, TLoadingProgress& progress)
{
    const TImageProperties& p = ImageProperties();
    const size_t height = static_cast<size_t>(p.Height);
    const size_t rowBytes = channels.rowBytes;
    const uint8_t* data = file.Data();
    const size_t fileSize = file.Size();
    const uint8_t* offsets = data + headerSize;
    std::vector<uint8_t> planes(rowBytes * channels.planes);
    const uint8_t* sources[4] = {};
    for (size_t c = 0; c < channels.planes; ++c)
        sources[c] = planes.data() + c * rowBytes;
    TPlanarRows converter(ColorManager(), channels.planes, static_cast<size_t>(p.Width), channels.interleave);
    TRLADecoder decoder;
    decoder.BeginDecoding();
    for (size_t line = 0; line < height; ++line) {
        std::fill(planes.begin(), planes.end(), uint8_t{0});
        size_t position = std::min<size_t>(GetBE32(offsets + 4 * line), fileSize);
        // Colour channels first, then the mattes; channels past the third
        // colour one are skipped by their lengths.
        for (size_t c = 0; c < channels.stored && fileSize - position >= 2; ++c) {
            const size_t length = std::min<size_t>(GetBE16(data + position), fileSize - position - 2);
            const uint8_t* source = data + position + 2;
            position += 2 + length;
            const size_t plane = c >= channels.colour ? 3 : c; // 3: the matte
            if (plane >= channels.planes || (c < channels.colour && c >= 3))
                continue;
            uint8_t* target = planes.data() + plane * rowBytes;
            decoder.Decode(source, target, length, rowBytes);
        }
        converter.Convert(sources, ScanLine(static_cast<int>(p.BottomUp ? height - 1 - line : line)));
        progress.Row(static_cast<int64_t>(line), static_cast<int64_t>(height));
    }
    decoder.EndDecoding();
}

} // namespace orvane::imaging
