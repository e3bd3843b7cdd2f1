#include "imaging/readers/WebPImage.h"

#include "imaging/core/Orientation.h"
#include "imaging/readers/WebPAnimation.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstring>

namespace orvane::imaging {

namespace {

const char* const FormatName = "WebP";

// What libwebp's status says, for the user.
const char* StatusText(VP8StatusCode status)
{
    switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY: return "Not enough memory";
    case VP8_STATUS_INVALID_PARAM: return "Invalid parameter";
    case VP8_STATUS_BITSTREAM_ERROR: return "The picture data is damaged";
    case VP8_STATUS_UNSUPPORTED_FEATURE: return "Unsupported feature";
    case VP8_STATUS_NOT_ENOUGH_DATA: return "Premature end of WebP file";
    default: return "Invalid WebP image";
    }
}

[[noreturn]] void Fail(VP8StatusCode status)
{
    throw EInvalidGraphic(std::string("WebP error: ") + StatusText(status));
}

// The header's features; false when the bytes are no WebP file.
bool ReadFeatures(const uint8_t* data, size_t size, WebPBitstreamFeatures& features)
{
    return WebPGetFeatures(data, size, &features) == VP8_STATUS_OK && features.width > 0 && features.height > 0;
}

void DescribeFeatures(const WebPBitstreamFeatures& features, TImageProperties& properties)
{
    properties.Width = static_cast<uint32_t>(features.width);
    properties.Height = static_cast<uint32_t>(features.height);
    properties.HasAlpha = features.has_alpha;
    properties.ColorScheme = features.has_alpha ? TColorScheme::csBGRA : TColorScheme::csBGR;
    properties.BitsPerSample = 8;
    properties.SamplesPerPixel = features.has_alpha ? 4 : 3;
    properties.BitsPerPixel = features.has_alpha ? 32 : 24;
}

// The payload of the first chunk of the kind, empty without one.
std::vector<uint8_t> ChunkPayload(const WebPDemuxer* demuxer, const char* fourcc)
{
    std::vector<uint8_t> payload;
    WebPChunkIterator chunk;
    if (demuxer && WebPDemuxGetChunk(demuxer, fourcc, 1, &chunk)) {
        payload.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
        WebPDemuxReleaseChunkIterator(&chunk);
    }
    return payload;
}

// The EXIF chunk holds a TIFF-structured block, which some writers put
// behind the "Exif\0\0" of a JPEG APP1 segment.
int OrientationOfExif(const std::vector<uint8_t>& exif)
{
    static const uint8_t app1[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (exif.size() >= 6 && std::memcmp(exif.data(), app1, 6) == 0)
        return ExifOrientationOfApp1(exif.data(), exif.size());
    return ExifOrientation(exif.data(), exif.size());
}

void AttachMetadata(TBitmap& bitmap, const WebPDemuxer* demuxer)
{
    bitmap.SetOrientation(OrientationOfExif(ChunkPayload(demuxer, "EXIF")));
    bitmap.SetIccProfile(ChunkPayload(demuxer, "ICCP"));
}

struct DemuxerDeleter {
    void operator()(WebPDemuxer* demuxer) const { WebPDemuxDelete(demuxer); }
};
struct DecoderDeleter {
    void operator()(WebPIDecoder* decoder) const { WebPIDelete(decoder); }
};

} // namespace

const TGraphicClass& TWebPImage::ClassInfo()
{
    return ReaderClassInfo<TWebPImage>("TWebPImage");
}

bool TWebPImage::AcceptsStream(TStream& stream)
{
    return AcceptsLeadingBytes<12>(stream, 12, [](const uint8_t* head) {
        return std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WEBP", 4) == 0;
    });
}

bool TWebPImage::ReadHeader(TStream& stream, int imageIndex)
{
    TReaderGraphic::ReadHeader(stream, imageIndex);
    const TStreamBytes file(stream, stream.Position());
    WebPBitstreamFeatures features;
    if (!ReadFeatures(file.Data(), file.Size(), features))
        return false;
    DescribeFeatures(features, ImageProperties());
    if (features.has_animation) {
        const WebPData data{file.Data(), file.Size()};
        WebPDemuxState state;
        const std::unique_ptr<WebPDemuxer, DemuxerDeleter> demuxer(WebPDemuxPartial(&data, &state));
        if (demuxer)
            ImageProperties().ImageCount =
                static_cast<uint16_t>(std::min<uint32_t>(WebPDemuxGetI(demuxer.get(), WEBP_FF_FRAME_COUNT), 0xFFFF));
    }
    return true;
}

void TWebPImage::LoadFromStream(TStream& stream)
{
    BeginAnimatedLoading(stream);
    TLoadingProgress progress(*this);
    const TStreamBytes file(stream, BasePosition());
    if (stream.Memory())
        stream.Seek(0, TSeekOrigin::soEnd);
    WebPBitstreamFeatures features;
    if (!ReadFeatures(file.Data(), file.Size(), features))
        GraphicErrorFmt("Cannot load image. Invalid or unexpected %s image format.", FormatName);
    DescribeFeatures(features, ImageProperties());
    progress.Start("Preparing...");
    SetPixelFormat(features.has_alpha || features.has_animation ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
    SetSize(features.width, features.height);
    // The canvas of an animation is see-through where no frame has drawn.
    SetHasAlpha(features.has_alpha || features.has_animation);
    progress.Step("Transfering...");
    if (features.has_animation)
        DecodeAnimation(file.Data(), file.Size(), progress);
    else
        DecodeStill(file.Data(), file.Size(), progress);
}

void TWebPImage::ReportRows(TLoadingProgress& progress, int from, int to)
{
    ProgressRect() = TRect{0, from, Width(), to};
    progress.Row(to, Height());
}

// The data is handed to libwebp's incremental decoder in sixteen growing
// parts, so that the rows decoded so far are shown while the rest follows.
// A file cut short shows the rows its data holds.
void TWebPImage::DecodeStill(const uint8_t* data, size_t size, TLoadingProgress& progress)
{
    const WebPData whole{data, size};
    WebPDemuxState state;
    const std::unique_ptr<WebPDemuxer, DemuxerDeleter> demuxer(WebPDemuxPartial(&whole, &state));
    AttachMetadata(*this, demuxer.get());

    WebPDecBuffer output;
    if (!WebPInitDecBuffer(&output))
        Fail(VP8_STATUS_INVALID_PARAM);
    output.colorspace = HasAlpha() ? MODE_BGRA : MODE_BGR;
    output.is_external_memory = 1;
    output.u.RGBA.rgba = RawBits();
    output.u.RGBA.stride = BytesPerLine();
    output.u.RGBA.size = ImageSize();
    const std::unique_ptr<WebPIDecoder, DecoderDeleter> decoder(WebPINewDecoder(&output));
    if (!decoder)
        Fail(VP8_STATUS_OUT_OF_MEMORY);

    const size_t part = std::max<size_t>(size / 16, 4096);
    VP8StatusCode status = VP8_STATUS_SUSPENDED;
    int rowsDone = 0;
    for (size_t given = 0; given < size && status == VP8_STATUS_SUSPENDED;) {
        given = std::min(size, given + part);
        status = WebPIUpdate(decoder.get(), data, given);
        int lastRow = 0;
        if (WebPIDecGetRGB(decoder.get(), &lastRow, nullptr, nullptr, nullptr) && lastRow > rowsDone) {
            MarkRowsWritten(rowsDone, lastRow);
            ReportRows(progress, rowsDone, lastRow);
            rowsDone = lastRow;
        }
    }
    if (status != VP8_STATUS_OK && status != VP8_STATUS_SUSPENDED)
        Fail(status);
    if (rowsDone == 0)
        Fail(VP8_STATUS_NOT_ENOUGH_DATA);
}

// The animation keeps its own copy of the file: it decodes from it as long
// as it plays, after the stream is gone.
void TWebPImage::DecodeAnimation(const uint8_t* data, size_t size, TLoadingProgress& progress)
{
    auto animation = std::make_unique<TWebPAnimation>(std::vector<uint8_t>(data, data + size), *this);
    AttachMetadata(*this, animation->Demuxer());
    animation->NextFrame();
    ReportRows(progress, 0, Height());
    ImageProperties().ImageCount = static_cast<uint16_t>(std::min(animation->FrameCount(), 0xFFFF));
    if (animation->FrameCount() > 1)
        SetAnimation(std::move(animation));
}

} // namespace orvane::imaging
