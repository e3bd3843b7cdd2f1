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

const TGraphicClass& TSGIGraphic::ClassInfo()
{
    return ReaderClassInfo<TSGIGraphic>("TSGIGraphic");
}

bool TSGIGraphic::AcceptsStream(TStream& stream)
{
    TStreamPositionGuard guard(stream);
    if (stream.Remaining() <= static_cast<int64_t>(headerSize))
        return false;
    uint8_t bytes[12];
    stream.ReadBuffer(bytes, sizeof bytes);
    return SgiHeader(bytes).Valid();
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
    const TImageProperties& p = ImageProperties();
    progress.Start("Preparing...");

    const size_t width = static_cast<size_t>(p.Width);
    const size_t height = static_cast<size_t>(p.Height);
    const size_t fileChannels = std::max<size_t>(p.SamplesPerPixel, 1);
    const bool colour = p.ColorScheme != TColorScheme::csIndexed;
    // Gray pictures with extra channels (alpha, ...) show their first one.
    const size_t channels = colour ? fileChannels : 1;
    const size_t sampleBytes = p.BitsPerSample / 8u;
    const size_t rowBytes = width * sampleBytes;

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
    const bool packed = p.Compression == TCompressionType::ctRLE;
    const size_t tableEntries = height * fileChannels; // at most 65535 * 65535
    if (packed) {
        if (fileSize < headerSize || (fileSize - headerSize) / 8 < tableEntries)
            throw EReadError("Stream read error");
        rowStart_.resize(tableEntries);
        rowSize_.resize(tableEntries);
        const uint8_t* table = file + headerSize;
        for (size_t i = 0; i < tableEntries; ++i) {
            rowStart_[i] = GetBE32(table + 4 * i);
            rowSize_[i] = GetBE32(table + 4 * (tableEntries + i));
        }
    } else if ((fileSize - std::min(fileSize, headerSize)) / std::max<size_t>(rowBytes, 1) < height * channels) {
        throw EReadError("Stream read error");
    }

    TColorManager& cm = ColorManager();
    cm.SetSourceOptions(sampleBytes == 2 ? coNeedByteSwap : 0);
    cm.SetSourceColorScheme(p.ColorScheme);
    cm.SetTargetColorScheme(p.ColorScheme == TColorScheme::csRGB    ? TColorScheme::csBGR
                            : p.ColorScheme == TColorScheme::csRGBA ? TColorScheme::csBGRA
                                                                    : TColorScheme::csIndexed);
    cm.SetSourceBitsPerSample(p.BitsPerSample);
    cm.SetTargetBitsPerSample(8);
    cm.SetSourceSamplesPerPixel(static_cast<uint8_t>(channels));
    cm.SetTargetSamplesPerPixel(static_cast<uint8_t>(channels));
    SetPixelFormat(cm.PixelFormatFor());
    if (!colour)
        SetPalette(cm.MakeGrayPalette(false));
    SetSize(p.Width, p.Height);
    SetHasAlpha(channels == 4);

    if (Empty())
        return; // a picture without pixels
    progress.Step("Transfering...");
    std::vector<uint8_t> planes(rowBytes * channels);
    const uint8_t* sources[4] = {};
    for (size_t c = 0; c < channels; ++c)
        sources[c] = planes.data() + c * rowBytes;
    TSGIRLEDecoder decoder(p.BitsPerSample);
    decoder.BeginDecoding();
    for (size_t r = 0; r < height; ++r) {
        for (size_t c = 0; c < channels; ++c) {
            uint8_t* plane = planes.data() + c * rowBytes;
            const size_t index = r + c * height;
            if (packed) {
                const size_t start = std::min<size_t>(rowStart_[index], fileSize);
                const size_t size = std::min<size_t>(rowSize_[index], fileSize - start);
                const uint8_t* source = file + start;
                uint8_t* target = plane;
                decoder.Decode(source, target, size, rowBytes);
                std::memset(target, 0, rowBytes - static_cast<size_t>(target - plane)); // short rows end black
            } else {
                std::memcpy(plane, file + headerSize + index * rowBytes, rowBytes);
            }
        }
        uint8_t* scan = ScanLine(static_cast<int>(height - 1 - r));
        if (colour)
            cm.ConvertPixels(sources, channels, 0xFF, width, scan);
        else
            cm.ConvertPixels(sources[0], 0xFF, width, scan);
        progress.Row(static_cast<int64_t>(r), static_cast<int64_t>(height));
    }
    decoder.EndDecoding();
    rowStart_.clear();
    rowSize_.clear();
}

} // namespace orvane::imaging
