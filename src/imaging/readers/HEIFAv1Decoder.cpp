#include "imaging/readers/HEIFAv1Decoder.h"

#include <dav1d/dav1d.h>
#include <libheif/heif.h>
#include <libheif/heif_plugin.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace orvane::imaging {

namespace {

// Well above libheif's own decoders (around 100), so that this one is chosen.
constexpr int kPriority = 1000;
// dav1d refuses a frame over this many pixels before it allocates it; the
// reader has already checked the picture's own size against the frame limit.
constexpr unsigned kFrameSizeLimit = 1u << 28;

struct TDecoder {
    std::vector<uint8_t> data;
};

struct TContextCloser {
    void operator()(Dav1dContext* context) const { dav1d_close(&context); }
};

struct TPictureReleaser {
    void operator()(Dav1dPicture* picture) const { dav1d_picture_unref(picture); }
};

heif_error Failure(heif_error_code code, heif_suberror_code subcode, const char* message)
{
    return {code, subcode, message};
}

heif_error Ok()
{
    return {heif_error_Ok, heif_suberror_Unspecified, "Success"};
}

heif_error DecodeFailure()
{
    return Failure(heif_error_Decoder_plugin_error, heif_suberror_Unspecified, "The AV1 data could not be decoded");
}

const char* PluginName()
{
    return "dav1d, one thread";
}

int SupportsFormat(heif_compression_format format)
{
    return format == heif_compression_AV1 ? kPriority : 0;
}

heif_error NewDecoder(void** decoder)
{
    *decoder = new (std::nothrow) TDecoder;
    if (!*decoder)
        return Failure(heif_error_Memory_allocation_error, heif_suberror_Unspecified, "Out of memory");
    return Ok();
}

void FreeDecoder(void* decoder)
{
    delete static_cast<TDecoder*>(decoder);
}

heif_error PushData(void* decoder, const void* data, size_t size)
{
    auto& bytes = static_cast<TDecoder*>(decoder)->data;
    const auto* first = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), first, first + size);
    return Ok();
}

std::unique_ptr<Dav1dContext, TContextCloser> OpenDav1d()
{
    Dav1dSettings settings;
    dav1d_default_settings(&settings);
    settings.n_threads = 1;
    settings.max_frame_delay = 1;
    settings.all_layers = 0;
    settings.frame_size_limit = kFrameSizeLimit;
    Dav1dContext* context = nullptr;
    if (dav1d_open(&context, &settings) != 0)
        return nullptr;
    return std::unique_ptr<Dav1dContext, TContextCloser>(context);
}

// Sends the whole item and takes the one picture it holds. On one thread
// dav1d decodes within these calls, so a picture that has not come out once
// everything is sent never will: the rounds are bounded. The item is lent,
// not copied: the bytes outlive the context, closed before they are freed.
bool DecodeFrame(Dav1dContext* context, const std::vector<uint8_t>& bytes, Dav1dPicture& picture)
{
    Dav1dData data{};
    if (dav1d_data_wrap(&data, bytes.data(), bytes.size(), [](const uint8_t*, void*) {}, nullptr) != 0)
        return false;
    constexpr int kMostRounds = 64;
    int got = DAV1D_ERR(EAGAIN);
    for (int round = 0; round < kMostRounds && data.sz > 0 && got == DAV1D_ERR(EAGAIN); ++round) {
        const int sent = dav1d_send_data(context, &data);
        if (sent < 0 && sent != DAV1D_ERR(EAGAIN))
            break;
        got = dav1d_get_picture(context, &picture);
    }
    if (data.sz > 0)
        dav1d_data_unref(&data);
    else if (got == DAV1D_ERR(EAGAIN))
        got = dav1d_get_picture(context, &picture);
    return got == 0;
}

// The colour description the stream itself carries, for the conversion to
// RGB when the file gives none of its own.
void SetColourDescription(heif_image* image, const Dav1dSequenceHeader& header)
{
    heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
    if (!nclx)
        return;
    heif_nclx_color_profile_set_color_primaries(nclx, static_cast<uint16_t>(header.pri));
    heif_nclx_color_profile_set_transfer_characteristics(nclx, static_cast<uint16_t>(header.trc));
    heif_nclx_color_profile_set_matrix_coefficients(nclx, static_cast<uint16_t>(header.mtrx));
    nclx->full_range_flag = header.color_range != 0;
    heif_image_set_nclx_color_profile(image, nclx);
    heif_nclx_color_profile_free(nclx);
}

bool CopyPlane(heif_image* image, heif_channel channel, const uint8_t* source, ptrdiff_t sourceStride, int width,
               int height, int bits)
{
    if (heif_image_add_plane(image, channel, width, height, bits).code != heif_error_Ok)
        return false;
    int stride = 0;
    uint8_t* target = heif_image_get_plane(image, channel, &stride);
    if (!target)
        return false;
    const size_t rowBytes = static_cast<size_t>(width) * (bits > 8 ? 2 : 1);
    for (int row = 0; row < height; ++row)
        std::memcpy(target + static_cast<ptrdiff_t>(row) * stride, source + row * sourceStride, rowBytes);
    return true;
}

heif_image* ImageOf(const Dav1dPicture& picture)
{
    const Dav1dPictureParameters& p = picture.p;
    const bool gray = p.layout == DAV1D_PIXEL_LAYOUT_I400;
    const heif_chroma chroma = gray                                 ? heif_chroma_monochrome
                               : p.layout == DAV1D_PIXEL_LAYOUT_I420 ? heif_chroma_420
                               : p.layout == DAV1D_PIXEL_LAYOUT_I422 ? heif_chroma_422
                                                                     : heif_chroma_444;
    heif_image* image = nullptr;
    if (heif_image_create(p.w, p.h, gray ? heif_colorspace_monochrome : heif_colorspace_YCbCr, chroma, &image).code !=
        heif_error_Ok)
        return nullptr;
    if (picture.seq_hdr)
        SetColourDescription(image, *picture.seq_hdr);
    const int chromaWidth = p.layout == DAV1D_PIXEL_LAYOUT_I444 ? p.w : (p.w + 1) / 2;
    const int chromaHeight = p.layout == DAV1D_PIXEL_LAYOUT_I420 ? (p.h + 1) / 2 : p.h;
    bool copied = CopyPlane(image, heif_channel_Y, static_cast<const uint8_t*>(picture.data[0]), picture.stride[0],
                            p.w, p.h, p.bpc);
    if (!gray) {
        copied = copied &&
                 CopyPlane(image, heif_channel_Cb, static_cast<const uint8_t*>(picture.data[1]), picture.stride[1],
                           chromaWidth, chromaHeight, p.bpc) &&
                 CopyPlane(image, heif_channel_Cr, static_cast<const uint8_t*>(picture.data[2]), picture.stride[1],
                           chromaWidth, chromaHeight, p.bpc);
    }
    if (!copied) {
        heif_image_release(image);
        return nullptr;
    }
    return image;
}

heif_error DecodeImage(void* decoder, heif_image** out)
{
    *out = nullptr;
    const auto& bytes = static_cast<TDecoder*>(decoder)->data;
    if (bytes.empty())
        return DecodeFailure();
    const auto context = OpenDav1d();
    if (!context)
        return DecodeFailure();
    Dav1dPicture picture{};
    if (!DecodeFrame(context.get(), bytes, picture))
        return DecodeFailure();
    const std::unique_ptr<Dav1dPicture, TPictureReleaser> held(&picture);
    *out = ImageOf(picture);
    return *out ? Ok() : DecodeFailure();
}

void SetStrictDecoding(void*, int) {}

const heif_decoder_plugin kPlugin = {
    3,
    PluginName,
    nullptr,
    nullptr,
    SupportsFormat,
    NewDecoder,
    FreeDecoder,
    PushData,
    DecodeImage,
    SetStrictDecoding,
    "orvane-dav1d",
};

} // namespace

void RegisterHeifAv1Decoder()
{
    heif_register_decoder_plugin(&kPlugin);
}

} // namespace orvane::imaging
