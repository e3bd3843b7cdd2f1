// PNG reader: signature and header, the chunk loop and the ancillary chunks
// it understands. The image data itself is in PNGImageData.cpp.
#include "imaging/readers/PNGGraphic.h"

#include "imaging/core/Orientation.h"

#include "imaging/color/ColorManager.h"
#include "imaging/color/SrgbConversion.h"
#include "imaging/decoders/LZ77Decoder.h"

#include <zlib.h>

#include <climits>
#include <cstring>

namespace orvane::imaging {

namespace {

const uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
const char* const kFormat = "PNG";

// A deflated colour profile, inflated; empty when the data is damaged or the
// profile larger than any real one (4 MB).
std::vector<uint8_t> InflatedProfile(const uint8_t* data, size_t size)
{
    constexpr size_t kLargest = 4u << 20;
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return {};
    std::vector<uint8_t> profile(std::min<size_t>(kLargest, std::max<size_t>(size * 4, 4096)));
    stream.next_in = const_cast<uint8_t*>(data);
    stream.avail_in = static_cast<uInt>(std::min<size_t>(size, UINT_MAX));
    int status = Z_OK;
    while (status == Z_OK) {
        if (stream.total_out == profile.size()) {
            if (profile.size() == kLargest)
                break;
            profile.resize(std::min(kLargest, profile.size() * 2));
        }
        stream.next_out = profile.data() + stream.total_out;
        stream.avail_out = static_cast<uInt>(profile.size() - stream.total_out);
        status = inflate(&stream, Z_NO_FLUSH);
    }
    profile.resize(status == Z_STREAM_END ? stream.total_out : 0);
    inflateEnd(&stream);
    return profile;
}

// Chunk types compare without regard to letter case (bit 5 of each byte).
bool SameType(const uint8_t* a, const char* b)
{
    for (int i = 0; i < 4; ++i)
        if ((a[i] & ~0x20) != (static_cast<uint8_t>(b[i]) & ~0x20))
            return false;
    return true;
}

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b)
{
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}

[[noreturn]] void InvalidFormat()
{
    GraphicErrorFmt("Cannot load image. Invalid or unexpected %s image format.", kFormat);
}

} // namespace

TPNGGraphic::TPNGGraphic() = default;

TPNGGraphic::~TPNGGraphic() = default;

const TGraphicClass& TPNGGraphic::ClassInfo()
{
    return ReaderClassInfo<TPNGGraphic>("TPNGGraphic");
}

bool TPNGGraphic::AcceptsStream(TStream& stream)
{
    return AcceptsLeadingBytes<8>(stream, 8,
                                  [](const uint8_t* bytes) { return std::memcmp(bytes, kSignature, 8) == 0; });
}

// --- Chunk primitives

void TPNGGraphic::ReadChunkHeader()
{
    uint8_t bytes[8];
    input_->ReadBuffer(bytes, 8);
    chunkLength_ = GetBE32(bytes);
    std::memcpy(chunkType_, bytes + 4, 4);
    runningCrc_ = static_cast<uint32_t>(crc32(0, chunkType_, 4));
}

// A chunk claiming more bytes than the file holds is a broken file: refused
// before anything is allocated or read for it.
const uint8_t* TPNGGraphic::ReadChunkData()
{
    const int64_t remaining = input_->Remaining();
    if (remaining < 4 || static_cast<uint64_t>(remaining) - 4 < chunkLength_)
        InvalidFormat();
    const uint8_t* data;
    if (const uint8_t* memory = input_->Memory()) {
        // The stream is in memory already: use its bytes where they are.
        data = memory + input_->Position();
        input_->Seek(chunkLength_, TSeekOrigin::soCurrent);
    } else {
        if (raw_.size() < chunkLength_)
            raw_.resize(chunkLength_);
        input_->ReadBuffer(raw_.data(), chunkLength_);
        data = raw_.data();
    }
    uint8_t stored[4];
    input_->ReadBuffer(stored, 4);
    // (zlib's crc32 answers its initial value for a null buffer, so empty
    // chunks are not passed to it.)
    if (chunkLength_ > 0)
        runningCrc_ = static_cast<uint32_t>(crc32(runningCrc_, data, chunkLength_));
    if (runningCrc_ != GetBE32(stored))
        GraphicErrorFmt("Cannot load image. CRC error found in %s file.", kFormat);
    return data;
}

void TPNGGraphic::SkipChunk()
{
    const int64_t remaining = input_->Remaining();
    if (remaining < 4 || static_cast<uint64_t>(remaining) - 4 < chunkLength_)
        InvalidFormat();
    input_->Seek(int64_t{chunkLength_} + 4, TSeekOrigin::soCurrent);
}

bool TPNGGraphic::IsChunk(const char* type) const
{
    return SameType(chunkType_, type);
}

// --- Header

bool TPNGGraphic::ReadHeader(TStream& stream, int imageIndex)
{
    TReaderGraphic::ReadHeader(stream, imageIndex);
    input_ = &stream;
    TImageProperties& props = ImageProperties();

    uint8_t signature[8];
    if (stream.Read(signature, 8) != 8 || std::memcmp(signature, kSignature, 8) != 0)
        return false;
    ReadChunkHeader();
    if (!IsChunk("IHDR"))
        return false;
    props.Options |= ioBigEndian;
    const uint8_t* data = ReadChunkData();
    if (chunkLength_ < 13)
        return false;
    const uint32_t width = GetBE32(data);
    const uint32_t height = GetBE32(data + 4);
    // Sizes beyond 2^31 - 1 are not PNG sizes.
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX)
        return false;

    props.Width = static_cast<int32_t>(width);
    props.Height = static_cast<int32_t>(height);
    props.Compression = data[10] == 0 ? TCompressionType::ctLZ77 : TCompressionType::ctUnknown;
    props.BitsPerSample = data[8];
    props.SamplesPerPixel = 1;
    switch (data[9]) {
    case 0:
        props.ColorScheme = TColorScheme::csG;
        break;
    case 2:
        props.ColorScheme = TColorScheme::csRGB;
        props.SamplesPerPixel = 3;
        break;
    case 3:
        props.ColorScheme = TColorScheme::csIndexed;
        break;
    case 4:
        props.ColorScheme = TColorScheme::csGA;
        break;
    case 6:
        props.ColorScheme = TColorScheme::csRGBA;
        props.SamplesPerPixel = 4;
        break;
    default:
        props.ColorScheme = TColorScheme::csUnknown;
        break;
    }
    props.BitsPerPixel = static_cast<uint8_t>(props.SamplesPerPixel * props.BitsPerSample);
    props.FilterMode = data[11];
    props.Interlaced = data[12] != 0;
    props.HasAlpha = props.ColorScheme == TColorScheme::csGA || props.ColorScheme == TColorScheme::csRGBA ||
                     props.ColorScheme == TColorScheme::csBGRA;

    // The file gamma comes from a gAMA chunk, if one comes before IEND. Every
    // step reads at least a chunk header, so the scan ends at the file's end.
    for (;;) {
        ReadChunkHeader();
        if (IsChunk("gAMA")) {
            const uint8_t* gamma = ReadChunkData();
            if (chunkLength_ >= 4)
                props.FileGamma = static_cast<float>(GetBE32(gamma) / 100000.0);
            return true;
        }
        SkipChunk();
        if (IsChunk("IEND"))
            return true;
    }
}

// --- Loading

void TPNGGraphic::LoadFromStream(TStream& stream)
{
    BeginLoading(stream);
    input_ = &stream;
    decoder_.reset();
    formatsChosen_ = false;
    imageDecoded_ = false;
    hasPalette_ = false;
    palette_.clear();
    TLoadingProgress progress(*this);
    try {
        RequireHeader(stream, 0, kFormat);
        stream.SetPosition(BasePosition() + 8);
        // Width only: no pixels yet, but the progress rectangle spans the image.
        SetSize(ImageProperties().Width, 0);
        progress.Start("Preparing...");
        ResetLoadState();
        ReadImageHeader();
        ReadChunks(progress);
    } catch (...) {
        EndLoading(true);
        throw;
    }
    EndLoading(false);
}

// Nothing of an earlier load carries over: its gamma would otherwise tint
// this picture.
void TPNGGraphic::ResetLoadState()
{
    backgroundColor_ = 0xFFFFFF;
    transparentColor_ = NoTransparentColor;
    ColorManager().SetSourceOptions(coNeedByteSwap);
    ColorManager().SetTargetOptions(0);
    ColorManager().UpdateGamma(1.0f, 2.2f);
}

// The IHDR chunk again, into the header of this load, and the decoder of
// the image data.
void TPNGGraphic::ReadImageHeader()
{
    ReadChunkHeader();
    const uint8_t* data = ReadChunkData();
    if (chunkLength_ < 13)
        InvalidFormat();
    header_.width = GetBE32(data);
    header_.height = GetBE32(data + 4);
    header_.bitDepth = data[8];
    header_.colorType = data[9];
    header_.compression = data[10];
    header_.filter = data[11];
    header_.interlace = data[12];

    if (ImageProperties().Compression != TCompressionType::ctLZ77)
        GraphicErrorFmt("Cannot load image. %s not supported for %s files.", "The compression scheme is", kFormat);
    decoder_ = std::make_unique<TLZ77Decoder>(TLZ77Decoder::PartialFlush, false);
    decoder_->BeginDecoding();
    idatSize_ = 0;
    currentSource_ = nullptr;
}

// The chunks up to IEND: the image data decoded where it starts, the
// ancillary chunks this reader knows read, unknown ones skipped unless they
// are critical.
void TPNGGraphic::ReadChunks(TLoadingProgress& progress)
{
    for (;;) {
        ReadChunkHeader();
        if (IsChunk("IDAT")) {
            DecodeImage(progress);
            imageDecoded_ = true;
            // The chunk after the image data is current: skipped below.
        } else if (IsChunk("PLTE")) {
            ReadPalette();
            continue;
        } else if (IsChunk("gAMA")) {
            ReadGamma();
            continue;
        } else if (IsChunk("bKGD")) {
            ReadBackground();
            continue;
        } else if (IsChunk("tRNS")) {
            ReadTransparency();
            continue;
        } else if (IsChunk("eXIf")) {
            ReadExif();
            continue;
        } else if (IsChunk("iCCP")) {
            ReadIccProfile();
            continue;
        }
        SkipChunk();
        if (IsChunk("IEND")) {
            // A file without image data is broken, not an empty picture.
            if (!imageDecoded_)
                InvalidFormat();
            return;
        }
        if ((chunkType_[0] & 0x20) == 0)
            GraphicError("Cannot load PNG image. Unexpected but critical chunk detected.");
    }
}

void TPNGGraphic::EndLoading(bool failed)
{
    std::unique_ptr<TLZ77Decoder> decoder = std::move(decoder_);
    raw_.clear();
    raw_.shrink_to_fit();
    currentSource_ = nullptr;
    idatSize_ = 0;
    if (!decoder)
        return;
    if (!failed) {
        decoder->EndDecoding();
        return;
    }
    // The error on its way is the one the user sees.
    try {
        decoder->EndDecoding();
    } catch (...) {
    }
}

// --- Chunks of the loop

void TPNGGraphic::ReadPalette()
{
    if (chunkLength_ % 3 != 0)
        GraphicErrorFmt("Cannot load image. Palette in %s file is invalid.", kFormat);
    const uint8_t* data = ReadChunkData();
    if (header_.colorType != 3)
        return;
    if (!formatsChosen_)
        ChooseFormats();
    // Bitmap palettes hold at most 256 colours.
    const size_t count = std::min<size_t>(chunkLength_ / 3, 256);
    palette_ = ColorManager().MakeColorPalette({data}, TRawPaletteFormat::pfInterlaced8Triple, count);
    hasPalette_ = true;
}

void TPNGGraphic::ReadGamma()
{
    const uint8_t* data = ReadChunkData();
    // A colour profile governs the colours; its curves hold the gamma.
    if (chunkLength_ < 4 || !IccProfile().empty())
        return;
    TColorManager& cm = ColorManager();
    cm.UpdateGamma(static_cast<float>(GetBE32(data) / 100000.0), 2.2f);
    // Most photo tools write 1/2.2, which this display gamma undoes exactly:
    // applying it would change no value and cost every row the general path.
    if (cm.GammaChangesValues())
        cm.SetTargetOptions(cm.TargetOptions() | coApplyGamma);
    ImageProperties().Options |= ioUseGamma;
}

// eXIf: the EXIF block, of which the orientation is used.
void TPNGGraphic::ReadExif()
{
    const uint8_t* data = ReadChunkData();
    SetOrientation(ExifOrientation(data, chunkLength_));
}

// iCCP: a name, a zero byte, the compression method (0) and the profile
// deflated. A usable profile governs the colours instead of gAMA, which is
// then not applied (its gamma is in the profile's curves); a damaged or
// unusable one is ignored and gAMA applies as before.
void TPNGGraphic::ReadIccProfile()
{
    const uint8_t* data = ReadChunkData();
    const uint8_t* nameEnd = static_cast<const uint8_t*>(std::memchr(data, 0, std::min<size_t>(chunkLength_, 80)));
    if (!nameEnd || nameEnd + 2 > data + chunkLength_ || nameEnd[1] != 0)
        return;
    std::vector<uint8_t> profile = InflatedProfile(nameEnd + 2, static_cast<size_t>(data + chunkLength_ - nameEnd - 2));
    if (profile.empty() || !UsableProfile(profile))
        return;
    TColorManager& cm = ColorManager();
    cm.SetTargetOptions(static_cast<TConvertOptions>(cm.TargetOptions() & ~coApplyGamma));
    ImageProperties().Options &= ~ioUseGamma;
    SetIccProfile(std::move(profile));
}

void TPNGGraphic::ReadBackground()
{
    const uint8_t* data = ReadChunkData();
    const unsigned depth = header_.bitDepth;
    // Gray and true-colour values are 16 bits wide whatever the depth.
    auto scaled = [depth](uint32_t value) -> uint32_t {
        if (depth == 16)
            return value * 255 / 65535;
        return value & 0xFF;
    };
    switch (header_.colorType) {
    case 0:
    case 4: {
        if (chunkLength_ < 2)
            return;
        uint32_t v = GetBE16(data);
        v = depth == 2 ? v * 15 / 3 : scaled(v);
        backgroundColor_ = Rgb(v, v, v);
        break;
    }
    case 2:
    case 6:
        if (chunkLength_ < 6)
            return;
        backgroundColor_ = Rgb(scaled(GetBE16(data)), scaled(GetBE16(data + 2)), scaled(GetBE16(data + 4)));
        break;
    default:
        if (chunkLength_ < 1)
            return;
        backgroundColor_ = data[0];
        break;
    }
}

void TPNGGraphic::ReadTransparency()
{
    const uint8_t* data = ReadChunkData();
    const unsigned depth = header_.bitDepth;
    auto scaled = [depth](uint32_t value) -> uint32_t {
        if (depth == 16)
            return value * 255 / 65535;
        return value & 0xFF;
    };
    if (header_.colorType == 0) {
        if (chunkLength_ < 2)
            return;
        uint32_t v = GetBE16(data);
        v = depth == 2 ? v * 15 / 3 : scaled(v);
        transparentColor_ = Rgb(v, v, v);
    } else if (header_.colorType == 2) {
        if (chunkLength_ < 6)
            return;
        transparentColor_ = Rgb(scaled(GetBE16(data)), scaled(GetBE16(data + 2)), scaled(GetBE16(data + 4)));
    }
}

// Source and target formats by colour type and depth; once per load.
void TPNGGraphic::ChooseFormats()
{
    TColorManager& cm = ColorManager();
    const uint8_t depth = header_.bitDepth;
    auto invalid = [] { GraphicErrorFmt("Invalid color format in %s file.", kFormat); };
    TColorScheme source, target;
    uint8_t sourceSamples = 1, targetSamples = 1, targetBits = 8;
    bool grayPalette = false;
    switch (header_.colorType) {
    case 0:
        if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16)
            invalid();
        source = target = TColorScheme::csG;
        targetBits = depth == 2 ? 4 : depth == 16 ? 8 : depth;
        sourceBPP_ = (depth + 7) / 8;
        grayPalette = true;
        break;
    case 2:
        if (depth != 8 && depth != 16)
            invalid();
        source = TColorScheme::csRGB;
        target = TColorScheme::csBGR;
        sourceSamples = targetSamples = 3;
        sourceBPP_ = depth * 3 / 8;
        break;
    case 3:
        if (depth != 1 && depth != 2 && depth != 4 && depth != 8)
            invalid();
        source = target = TColorScheme::csIndexed;
        targetBits = depth == 2 ? 4 : depth;
        sourceBPP_ = 1;
        break;
    case 4:
        if (depth != 8 && depth != 16)
            invalid();
        source = TColorScheme::csGA;
        target = TColorScheme::csIndexed;
        sourceBPP_ = depth * 2 / 8;
        grayPalette = true;
        break;
    case 6:
        if (depth != 8 && depth != 16)
            invalid();
        source = TColorScheme::csRGBA;
        target = TColorScheme::csBGRA;
        sourceSamples = targetSamples = 4;
        sourceBPP_ = depth * 4 / 8;
        break;
    default:
        invalid();
        return;
    }
    cm.SetSourceColorScheme(source);
    cm.SetTargetColorScheme(target);
    cm.SetSourceBitsPerSample(depth);
    cm.SetTargetBitsPerSample(targetBits);
    cm.SetSourceSamplesPerPixel(sourceSamples);
    cm.SetTargetSamplesPerPixel(targetSamples);
    SetPixelFormat(cm.PixelFormatFor(true));
    if (grayPalette)
        SetPalette(cm.MakeGrayPalette(false));
    SetHasAlpha(header_.colorType == 6);
    formatsChosen_ = true;
}

} // namespace orvane::imaging
