#include "imaging/readers/PSPGraphic.h"

#include "imaging/color/ColorManager.h"
#include "imaging/decoders/LZ77Decoder.h"
#include "imaging/decoders/PSPRLEDecoder.h"
#include "imaging/readers/PlanarRows.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace orvane::imaging {

namespace {

constexpr size_t fileHeaderSize = 36;
const char* const formatName = "PSP";
const char* const signature = "Paint Shop Pro Image File";

enum TPSPBlockId : uint16_t {
    pbImageAttributes = 0,
    pbColorPalette = 2,
    pbLayerStart = 3,
    pbLayer = 4,
};

// zlib's "no progress possible": the channel's data ended early.
constexpr int zlibBufferError = -5;

bool ValidSignature(const uint8_t* p)
{
    return strncasecmp(reinterpret_cast<const char*>(p), signature, std::strlen(signature)) == 0 &&
           GetLE16(p + 32) >= 3;
}

// Reads count bytes when they lie before limit.
bool ReadWithin(TStream& stream, int64_t limit, void* bytes, size_t count)
{
    if (limit - stream.Position() < static_cast<int64_t>(count))
        return false;
    stream.ReadBuffer(bytes, count);
    return true;
}

bool SkipWithin(TStream& stream, int64_t limit, size_t count)
{
    if (limit - stream.Position() < static_cast<int64_t>(count))
        return false;
    stream.Seek(static_cast<int64_t>(count), TSeekOrigin::soCurrent);
    return true;
}

// A block header: marker, identifier, in version 3 the initial length, and
// the total length. False at the end of the data or when the marker is not
// one. The block is cut at limit.
bool ReadBlock(TStream& stream, uint32_t version, int64_t limit, TPSPGraphic::TBlock& block)
{
    uint8_t h[14];
    const size_t size = version == 3 ? 14 : 10;
    if (!ReadWithin(stream, limit, h, size) || h[0] != '~')
        return false;
    block.id = GetLE16(h + 4);
    const uint32_t total = GetLE32(h + size - 4);
    block.start = stream.Position();
    block.end = std::min<int64_t>(block.start + total, limit);
    return true;
}

} // namespace

const TGraphicClass& TPSPGraphic::ClassInfo()
{
    return ReaderClassInfo<TPSPGraphic>("TPSPGraphic");
}

bool TPSPGraphic::AcceptsStream(TStream& stream)
{
    return AcceptsLeadingBytes<fileHeaderSize>(stream, fileHeaderSize, ValidSignature);
}

bool TPSPGraphic::ReadHeader(TStream& stream, int imageIndex)
{
    TReaderGraphic::ReadHeader(stream, imageIndex);
    uint8_t h[fileHeaderSize];
    stream.ReadBuffer(h, fileHeaderSize);
    if (!ValidSignature(h))
        return false;
    TImageProperties& p = ImageProperties();
    p.Version = GetLE16(h + 32);

    const int64_t size = stream.Size();
    TBlock block;
    while (ReadBlock(stream, p.Version, size, block)) {
        if (block.id != pbImageAttributes) {
            stream.SetPosition(block.end);
            continue;
        }
        // Versions after 3 start the block with the length of its chunk.
        if (p.Version > 3 && !SkipWithin(stream, block.end, 4))
            return false;
        uint8_t a[28];
        if (!ReadWithin(stream, block.end, a, sizeof a))
            return false;
        const auto width = static_cast<int32_t>(GetLE32(a));
        const auto height = static_cast<int32_t>(GetLE32(a + 4));
        if (width <= 0 || height <= 0)
            return false;
        const uint64_t resolutionBits = uint64_t{GetLE32(a + 8)} | (uint64_t{GetLE32(a + 12)} << 32);
        double resolution;
        std::memcpy(&resolution, &resolutionBits, sizeof resolution);
        const uint8_t unit = a[16];
        const uint16_t compression = GetLE16(a + 17);
        const uint16_t depth = GetLE16(a + 19);
        const bool gray = a[27] != 0;

        p.Width = width;
        p.Height = height;
        if (depth == 24) {
            p.ColorScheme = TColorScheme::csRGB;
            p.SamplesPerPixel = 3;
            p.BitsPerSample = 8;
        } else {
            p.ColorScheme = gray ? TColorScheme::csG : TColorScheme::csIndexed;
            p.SamplesPerPixel = 1;
            p.BitsPerSample = static_cast<uint8_t>(std::min<unsigned>(depth, 255));
        }
        p.BitsPerPixel = static_cast<uint8_t>(std::min<unsigned>(unsigned{p.BitsPerSample} * p.SamplesPerPixel, 255));
        switch (compression) {
        case 0: p.Compression = TCompressionType::ctNone; break;
        case 1: p.Compression = TCompressionType::ctRLE; break;
        case 2: p.Compression = TCompressionType::ctLZ77; break;
        case 3: p.Compression = TCompressionType::ctJPEG; break;
        default: p.Compression = TCompressionType::ctUnknown; break;
        }
        const double dpi = unit == 2 ? resolution * 2.54 : resolution;
        // A resolution a float cannot hold means nothing; keep 0.
        p.XResolution = p.YResolution = (dpi > 0 && dpi < 1e9) ? static_cast<float>(dpi) : 0.0f;
        return true;
    }
    return false;
}

void TPSPGraphic::LoadFromStream(TStream& stream)
{
    BeginLoading(stream);
    for (TPlane& plane : planes_)
        plane = TPlane{};
    alpha_ = false;
    pixelsFound_ = false;
    TLoadingProgress progress(*this);
    RequireHeader(stream, 0, formatName);
    const TImageProperties& p = ImageProperties();
    progress.Start("Preparing...");

    const size_t width = static_cast<size_t>(p.Width);
    switch (p.BitsPerSample) {
    case 1: rowSize_ = width / 8 + (width % 8 != 0); break;
    case 4: rowSize_ = width / 2 + 1; break;
    case 8: rowSize_ = width; break;
    default: GraphicErrorFmt("Invalid color format in %s file.", formatName);
    }

    ConfigureColors();
    SetSize(p.Width, p.Height);

    const int64_t size = stream.Size();
    stream.SetPosition(BasePosition() + static_cast<int64_t>(fileHeaderSize));
    TBlock block;
    while (ReadBlock(stream, p.Version, size, block)) {
        if (block.id == pbColorPalette) {
            ReadPalette(block);
        } else if (block.id == pbLayerStart) {
            TBlock layer;
            while (ReadBlock(stream, p.Version, block.end, layer)) {
                progress.Step("Loading data...");
                if (layer.id == pbLayer && !pixelsFound_)
                    pixelsFound_ = ReadLayer(layer);
                stream.SetPosition(layer.end);
            }
        }
        stream.SetPosition(block.end);
    }
    // Planes no channel filled stay empty, as does the bitmap.
    if (std::any_of(std::begin(planes_), std::end(planes_), [](const TPlane& plane) { return !plane.bytes.empty(); }))
        TransferRows(progress);
    for (TPlane& plane : planes_)
        plane = TPlane{};
}

// Colour planes reach the colour manager interleaved, in the bitmap's own
// order; gray and indexed pictures show a gray palette until the file's
// palette block replaces it.
void TPSPGraphic::ConfigureColors()
{
    const TImageProperties& p = ImageProperties();
    const bool colour = p.ColorScheme == TColorScheme::csRGB;
    TColorManager& cm = ColorManager();
    cm.Configure(TConversion::Unchanged(colour ? TColorScheme::csBGR : p.ColorScheme, p.BitsPerSample,
                                        p.SamplesPerPixel));
    SetPixelFormat(cm.PixelFormatFor());
    if (!colour)
        SetPalette(cm.MakeGrayPalette(false));
}

void TPSPGraphic::ReadPalette(const TBlock& block)
{
    TStream& stream = Stream();
    const TImageProperties& p = ImageProperties();
    if (p.ColorScheme == TColorScheme::csRGB)
        return;
    if (p.Version > 3 && !SkipWithin(stream, block.end, 4))
        return;
    uint8_t countBytes[4];
    if (!ReadWithin(stream, block.end, countBytes, 4))
        return;
    const size_t entries = size_t{1} << p.BitsPerSample;
    const size_t count =
        std::min<size_t>({GetLE32(countBytes), entries, static_cast<size_t>(block.end - stream.Position()) / 4});
    std::vector<uint8_t> quads(count * 4);
    stream.ReadBuffer(quads.data(), quads.size());
    std::vector<TRGBQuad> palette =
        ColorManager().MakeColorPalette({quads.data()}, TRawPaletteFormat::pfInterlaced8Quad, count);
    palette.resize(entries); // indexes the file leaves out show black
    SetPalette(std::move(palette));
}

bool TPSPGraphic::ReadLayer(const TBlock& layer)
{
    TStream& stream = Stream();
    const TImageProperties& p = ImageProperties();
    const int64_t limit = layer.end;
    uint8_t info[115];
    uint8_t counts[4];
    if (p.Version == 3) {
        // A 256-byte name, the layer information, the bitmap and channel counts.
        if (!SkipWithin(stream, limit, 256) || !ReadWithin(stream, limit, info, sizeof info) || info[0] != 0 ||
            !ReadWithin(stream, limit, counts, sizeof counts))
            return false;
    } else {
        const int64_t chunkStart = stream.Position();
        uint8_t chunk[6];
        if (!ReadWithin(stream, limit, chunk, sizeof chunk) || !SkipWithin(stream, limit, GetLE16(chunk + 4)) ||
            !ReadWithin(stream, limit, info, sizeof info) || info[0] > 1)
            return false;
        stream.SetPosition(std::min<int64_t>(chunkStart + GetLE32(chunk), limit));
        // The bitmap information chunk: its length, then the counts.
        const int64_t bitmapStart = stream.Position();
        uint8_t length[4];
        if (!ReadWithin(stream, limit, length, sizeof length))
            return false;
        if (!ReadWithin(stream, limit, counts, sizeof counts))
            return false;
        if (GetLE32(length) >= 8)
            stream.SetPosition(std::min<int64_t>(bitmapStart + GetLE32(length), limit));
    }
    const uint16_t channels = GetLE16(counts + 2);

    TColorManager& cm = ColorManager();
    if (p.ColorScheme == TColorScheme::csRGB && channels > 3) {
        alpha_ = true;
        cm.SetTargetColorScheme(TColorScheme::csBGRA);
        cm.SetTargetSamplesPerPixel(4);
        cm.SetSourceColorScheme(TColorScheme::csBGRA);
        cm.SetSourceSamplesPerPixel(4);
        SetPixelFormat(cm.PixelFormatFor());
        SetHasAlpha(true);
    }
    TBlock channel;
    for (unsigned i = 0; i < channels && ReadBlock(stream, p.Version, limit, channel); ++i) {
        ReadChannel(channel, alpha_);
        stream.SetPosition(channel.end);
    }
    return true;
}

void TPSPGraphic::ReadChannel(const TBlock& channel, bool alpha)
{
    TStream& stream = Stream();
    const TImageProperties& p = ImageProperties();
    const int64_t limit = channel.end;
    const int64_t chunkStart = stream.Position();
    uint32_t chunkLength = 0;
    if (p.Version > 3) {
        uint8_t bytes[4];
        if (!ReadWithin(stream, limit, bytes, 4))
            return;
        chunkLength = GetLE32(bytes);
    }
    uint8_t fields[12];
    if (!ReadWithin(stream, limit, fields, sizeof fields))
        return;
    if (chunkLength >= 16)
        stream.SetPosition(std::min<int64_t>(chunkStart + chunkLength, limit));
    const uint32_t packedSize = GetLE32(fields);
    const uint32_t unpackedSize = GetLE32(fields + 4);

    // A plane is filled once; later channels of the same kind are ignored.
    const int index = PlaneOf(GetLE16(fields + 10), alpha);
    if (index < 0 || !planes_[index].bytes.empty())
        return;
    const size_t stride = ChannelStride(unpackedSize);
    const size_t planeSize = CheckChannelData(packedSize, stride);
    TPlane& plane = planes_[index];
    plane.stride = stride;
    plane.bytes.assign(planeSize, 0);
    std::vector<uint8_t> holder;
    UnpackChannel(ChannelData(packedSize, holder), packedSize, plane);
}

int TPSPGraphic::PlaneOf(uint16_t channelType, bool alpha) const
{
    if (ImageProperties().ColorScheme != TColorScheme::csRGB)
        return channelType == 0 ? 0 : -1;
    if (channelType >= 1 && channelType <= 3)
        return channelType - 1;
    return channelType == 0 && alpha ? 3 : -1;
}

// Rows are as long as the channel's own size says when it names one that
// can hold a row (some files pad rows to 4 bytes, others pack 4-bit rows
// tightly); otherwise as long as the depth gives.
size_t TPSPGraphic::ChannelStride(uint32_t unpackedSize) const
{
    const TImageProperties& p = ImageProperties();
    const size_t height = static_cast<size_t>(p.Height);
    const size_t minimum = PackedRowBytes(static_cast<size_t>(p.Width), p.BitsPerSample);
    if (unpackedSize % height == 0 && unpackedSize / height >= minimum && unpackedSize / height <= minimum + 3)
        return unpackedSize / height;
    return rowSize_;
}

// The channel's data must be able to fill its plane of stride-byte rows: no
// more than 127 bytes come from every two run-length bytes, about 1032 from
// every deflated byte. Anything else is a file that lacks its pixels.
size_t TPSPGraphic::CheckChannelData(uint32_t packedSize, size_t stride) const
{
    const TCompressionType compression = ImageProperties().Compression;
    const bool known = compression == TCompressionType::ctNone || compression == TCompressionType::ctRLE ||
                       compression == TCompressionType::ctLZ77;
    if (!known)
        GraphicErrorFmt("Cannot load image. Invalid or unexpected %s image format.", formatName);
    const size_t planeSize =
        CheckedMul(stride, static_cast<size_t>(ImageProperties().Height), "The picture is too large to be shown");
    size_t most = packedSize;
    switch (compression) {
    case TCompressionType::ctNone:
        break;
    case TCompressionType::ctRLE:
        most = (size_t{packedSize} / 2 + 1) * 127;
        break;
    case TCompressionType::ctLZ77:
        most = (size_t{packedSize} + 1) * 1032;
        break;
    default:
        break;
    }
    if (planeSize > most)
        throw EReadError("Stream read error");
    return planeSize;
}

const uint8_t* TPSPGraphic::ChannelData(uint32_t packedSize, std::vector<uint8_t>& holder)
{
    TStream& stream = Stream();
    const uint8_t* memory = stream.Memory();
    if (!memory) {
        holder = ReadBytes(stream, packedSize);
        return holder.data();
    }
    if (stream.Remaining() < static_cast<int64_t>(packedSize))
        throw EReadError("Stream read error");
    return memory + stream.Position();
}

void TPSPGraphic::UnpackChannel(const uint8_t* data, uint32_t packedSize, TPlane& plane) const
{
    uint8_t* target = plane.bytes.data();
    const size_t planeSize = plane.bytes.size();
    switch (ImageProperties().Compression) {
    case TCompressionType::ctNone:
        std::memcpy(target, data, std::min<size_t>(packedSize, planeSize));
        break;
    case TCompressionType::ctRLE: {
        TPSPRLEDecoder decoder;
        decoder.BeginDecoding();
        decoder.Decode(data, target, packedSize, planeSize);
        decoder.EndDecoding();
        break;
    }
    case TCompressionType::ctLZ77: {
        // Each channel is one whole zlib stream, decoded by a decoder of its
        // own in a single call, so starting it afresh (automatic reset)
        // changes nothing but lets the decoder inflate it in one piece.
        TLZ77Decoder decoder(TLZ77Decoder::Finish, true);
        decoder.BeginDecoding();
        decoder.Decode(data, target, packedSize, planeSize);
        // Damaged data is an error; data that merely ends early leaves the
        // rest of the plane empty.
        const int result = decoder.ZLibResult();
        decoder.EndDecoding();
        if (result < 0 && result != zlibBufferError)
            throw EDecoderError("LZ77 decompression error.");
        break;
    }
    default:
        break;
    }
}

void TPSPGraphic::TransferRows(TLoadingProgress& progress)
{
    const TImageProperties& p = ImageProperties();
    progress.Step("Transfering...");
    const size_t width = static_cast<size_t>(p.Width);
    const size_t height = static_cast<size_t>(p.Height);
    const size_t count = p.ColorScheme == TColorScheme::csRGB ? (alpha_ ? 4 : 3) : 1;
    // Channels the layer does not have are empty.
    std::vector<uint8_t> empty(std::max(rowSize_, PackedRowBytes(width, p.BitsPerSample)));
    TPlanarRows converter(ColorManager(), count, width, count > 1);
    const uint8_t* sources[4] = {};
    for (size_t row = 0; row < height; ++row) {
        for (size_t c = 0; c < count; ++c)
            sources[c] = planes_[c].bytes.empty() ? empty.data() : planes_[c].bytes.data() + row * planes_[c].stride;
        converter.Convert(sources, ScanLine(static_cast<int>(row)));
        progress.Row(static_cast<int64_t>(row), static_cast<int64_t>(height));
    }
}

} // namespace orvane::imaging
