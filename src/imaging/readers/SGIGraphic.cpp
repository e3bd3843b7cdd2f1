#include "imaging/readers/SGIGraphic.h"

#include "imaging/color/ColorManager.h"
#include "imaging/decoders/SGIRLEDecoder.h"

#include <algorithm>
#include <cstring>

namespace orvane::imaging {

namespace {

constexpr size_t headerSize = 512;
const char* const formatName = "sgi, bw or rgb(a)";

struct SgiHeader {
    uint16_t magic;
    uint8_t storage, bytesPerChannel;
    uint16_t dimension, xSize, ySize, zSize;

    explicit SgiHeader(const uint8_t* p)
        : magic(GetBE16(p)), storage(p[2]), bytesPerChannel(p[3]), dimension(GetBE16(p + 4)), xSize(GetBE16(p + 6)),
          ySize(GetBE16(p + 8)), zSize(GetBE16(p + 10))
    {
    }
    bool Valid() const
    {
        return magic == 0x01DA && (bytesPerChannel == 1 || bytesPerChannel == 2) && dimension >= 1 &&
               dimension <= 3;
    }
};

} // namespace

// The channels of a picture: those stored and those shown.
struct TSGIGraphic::TChannels {
    size_t width;
    size_t height;
    size_t stored;
    // Gray pictures with extra channels (alpha, ...) show their first one.
    bool colour;
    size_t shown;
    size_t sampleBytes;
    size_t rowBytes; // of one channel

    explicit TChannels(const TImageProperties& p)
        : width(static_cast<size_t>(p.Width)), height(static_cast<size_t>(p.Height)),
          stored(std::max<size_t>(p.SamplesPerPixel, 1)), colour(p.ColorScheme != TColorScheme::csIndexed),
          shown(colour ? stored : 1), sampleBytes(p.BitsPerSample / 8u), rowBytes(width * sampleBytes)
    {
    }
};

const TGraphicClass& TSGIGraphic::ClassInfo()
{
    return ReaderClassInfo<TSGIGraphic>("TSGIGraphic");
}

bool TSGIGraphic::AcceptsStream(TStream& stream)
{
    return AcceptsLeadingBytes<12>(stream, headerSize, [](const uint8_t* bytes) { return SgiHeader(bytes).Valid(); });
}

bool TSGIGraphic::ReadHeader(TStream& stream, int imageIndex)
{
    TReaderGraphic::ReadHeader(stream, imageIndex);
    uint8_t bytes[headerSize];
    stream.ReadBuffer(bytes, headerSize);
    const SgiHeader h(bytes);
    if (!h.Valid())
        return false;
    TImageProperties& p = ImageProperties();
    p.Options = ioBigEndian;
    p.BitsPerSample = static_cast<uint8_t>(8 * h.bytesPerChannel);
    p.Width = h.xSize;
    // One-dimensional files are one row; two-dimensional ones one channel.
    p.Height = h.dimension == 1 ? 1 : h.ySize;
    p.SamplesPerPixel = static_cast<uint8_t>(h.dimension < 3 ? 1 : std::min<unsigned>(h.zSize, 255));
    p.BitsPerPixel = static_cast<uint8_t>(p.BitsPerSample * std::min<unsigned>(p.SamplesPerPixel, 4));
    p.ColorScheme = p.SamplesPerPixel == 3   ? TColorScheme::csRGB
                    : p.SamplesPerPixel == 4 ? TColorScheme::csRGBA
                                             : TColorScheme::csIndexed;
    p.HasAlpha = p.SamplesPerPixel == 4;
    p.Compression = h.storage == 1 ? TCompressionType::ctRLE : TCompressionType::ctNone;
    return true;
}

void TSGIGraphic::LoadFromStream(TStream& stream)
{
    BeginLoading(stream);
    TLoadingProgress progress(*this);
    RequireHeader(stream, 0, formatName);
    progress.Start("Preparing...");
    const TChannels channels(ImageProperties());
    const TStreamBytes file(stream, BasePosition());
    IndexRows(file, channels);
    PrepareBitmap(channels);
    if (Empty())
        return; // a picture without pixels
    progress.Step("Transfering...");
    TransferRows(file, channels, progress);
}

// Run-length files: the table of row starts and sizes after the header.
// Either way the file must be long enough for the rows the header claims
// before anything is allocated for them.
void TSGIGraphic::IndexRows(const TStreamBytes& file, const TChannels& channels)
{
    const size_t fileSize = file.Size();
    if (ImageProperties().Compression != TCompressionType::ctRLE) {
        if ((fileSize - std::min(fileSize, headerSize)) / std::max<size_t>(channels.rowBytes, 1) <
            channels.height * channels.shown)
            throw EReadError("Stream read error");
        return;
    }
    const size_t tableEntries = channels.height * channels.stored; // at most 65535 * 65535
    if (fileSize < headerSize || (fileSize - headerSize) / 8 < tableEntries)
        throw EReadError("Stream read error");
    rowStart_.resize(tableEntries);
    rowSize_.resize(tableEntries);
    const uint8_t* table = file.Data() + headerSize;
    for (size_t i = 0; i < tableEntries; ++i) {
        rowStart_[i] = GetBE32(table + 4 * i);
        rowSize_[i] = GetBE32(table + 4 * (tableEntries + i));
    }
}

void TSGIGraphic::PrepareBitmap(const TChannels& channels)
{
    const TImageProperties& p = ImageProperties();
    TColorManager& cm = ColorManager();
    cm.Configure({
        .SourceScheme = p.ColorScheme,
        .TargetScheme = p.ColorScheme == TColorScheme::csRGB    ? TColorScheme::csBGR
                        : p.ColorScheme == TColorScheme::csRGBA ? TColorScheme::csBGRA
                                                                : TColorScheme::csIndexed,
        .SourceBitsPerSample = p.BitsPerSample,
        .TargetBitsPerSample = 8,
        .SourceSamplesPerPixel = static_cast<uint8_t>(channels.shown),
        .TargetSamplesPerPixel = static_cast<uint8_t>(channels.shown),
        .SourceOptions = static_cast<TConvertOptions>(channels.sampleBytes == 2 ? coNeedByteSwap : 0),
    });
    SetPixelFormat(cm.PixelFormatFor());
    if (!channels.colour)
        SetPalette(cm.MakeGrayPalette(false));
    SetSize(p.Width, p.Height);
    SetHasAlpha(channels.shown == 4);
}

// Rows are stored bottom to top, channel after channel.
void TSGIGraphic::TransferRows(const TStreamBytes& file, const TChannels& channels, TLoadingProgress& progress)
{
    const size_t height = channels.height;
    const size_t rowBytes = channels.rowBytes;
    const size_t fileSize = file.Size();
    const bool packed = ImageProperties().Compression == TCompressionType::ctRLE;
    std::vector<uint8_t> planes(rowBytes * channels.shown);
    const uint8_t* sources[4] = {};
    for (size_t c = 0; c < channels.shown; ++c)
        sources[c] = planes.data() + c * rowBytes;
    TSGIRLEDecoder decoder(ImageProperties().BitsPerSample);
    decoder.BeginDecoding();
    for (size_t r = 0; r < height; ++r) {
        for (size_t c = 0; c < channels.shown; ++c) {
            uint8_t* plane = planes.data() + c * rowBytes;
            const size_t index = r + c * height;
            if (packed) {
                const size_t start = std::min<size_t>(rowStart_[index], fileSize);
                const uint8_t* source = file.Data() + start;
                uint8_t* target = plane;
                decoder.Decode(source, target, std::min<size_t>(rowSize_[index], fileSize - start), rowBytes);
                std::memset(target, 0, rowBytes - static_cast<size_t>(target - plane)); // short rows end black
            } else {
                std::memcpy(plane, file.Data() + headerSize + index * rowBytes, rowBytes);
            }
        }
        uint8_t* scan = ScanLine(static_cast<int>(height - 1 - r));
        if (channels.colour)
            ColorManager().ConvertPixels(sources, channels.shown, 0xFF, channels.width, scan);
        else
            ColorManager().ConvertPixels(sources[0], 0xFF, channels.width, scan);
        progress.Row(static_cast<int64_t>(r), static_cast<int64_t>(height));
    }
    decoder.EndDecoding();
    rowStart_.clear();
    rowSize_.clear();
}

} // namespace orvane::imaging
