#include "imaging/readers/HEIFImage.h"

#include "imaging/readers/HEIFAv1Decoder.h"
#include "imaging/readers/NclxProfile.h"
#include "imaging/readers/PixelOrder.h"
#include "imaging/readers/RowsProgress.h"

#include <libheif/heif.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string_view>

namespace orvane::imaging {

namespace {

const char* const FormatName = "HEIF";

// libheif looks for its decoder plug-ins once; they stay for the program's
// life.
void InitializeLibrary()
{
    static const bool initialized = [] {
        heif_init(nullptr);
        RegisterHeifAv1Decoder();
        return true;
    }();
    (void)initialized;
}

struct ContextDeleter {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageDeleter {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};
struct NclxDeleter {
    void operator()(heif_color_profile_nclx* nclx) const { heif_nclx_color_profile_free(nclx); }
};

void Check(const heif_error& error)
{
    if (error.code == heif_error_Ok)
        return;
    if (error.code == heif_error_Memory_allocation_error)
        TReaderGraphic::GraphicError("The picture is too large to be shown");
    TReaderGraphic::GraphicErrorFmt("HEIF error: %s", error.message && *error.message ? error.message
                                                                                     : "Invalid HEIF image");
}

// Before libheif decodes anything: the bitmap must be one this machine may
// hold (libheif's own picture is of the same size).
void CheckSize(int width, int height, bool alpha)
{
    if (width <= 0 || height <= 0)
        TReaderGraphic::GraphicError("HEIF error: Empty image");
    const size_t rowBytes = PackedRowBytes(static_cast<size_t>(width), alpha ? 32 : 24);
    const size_t bytes = CheckedMul((rowBytes + 3) / 4 * 4, static_cast<size_t>(height),
                                    "The picture is too large to be shown");
    if (bytes > TBitmap::MaxImageBytes())
        TReaderGraphic::GraphicErrorFmt("The picture is too large to be shown (%d x %d pixels)", width, height);
}

// libheif makes its pictures as large as the coded streams say, whatever the
// file's boxes claim (a damaged file made it decode 28009 x 26161 pixels for
// a 48 x 32 picture). It is told that none of them may reach past the
// primary image's sides by more than a coding block, nor be so large that a
// square of that side could not be held; libheif refuses a side equal to
// the limit, so the limit is one more.
int DecodedSideLimit(const heif_image_handle* handle)
{
    const int side = std::max({heif_image_handle_get_width(handle), heif_image_handle_get_height(handle),
                               heif_image_handle_get_ispe_width(handle), heif_image_handle_get_ispe_height(handle)});
    const double largest = std::sqrt(static_cast<double>(TBitmap::MaxImageBytes()) / 4);
    return static_cast<int>(std::min<double>({double(side) + 64, largest, double(INT32_MAX - 1)})) + 1;
}

// An ICC profile given in the file, else one made from its colour
// description when that is not plainly sRGB.
std::vector<uint8_t> ColourProfileOf(const heif_image_handle* handle)
{
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
        std::vector<uint8_t> profile(heif_image_handle_get_raw_color_profile_size(handle));
        if (!profile.empty() && heif_image_handle_get_raw_color_profile(handle, profile.data()).code == heif_error_Ok)
            return profile;
        return {};
    }
    heif_color_profile_nclx* raw = nullptr;
    const heif_error error = heif_image_handle_get_nclx_color_profile(handle, &raw);
    // libheif hands out the description even when it refuses its primaries.
    const std::unique_ptr<heif_color_profile_nclx, NclxDeleter> nclx(raw);
    if (error.code != heif_error_Ok || !nclx)
        return {};
    const TChromaticities primaries{nclx->color_primary_red_x,   nclx->color_primary_red_y,
                                    nclx->color_primary_green_x, nclx->color_primary_green_y,
                                    nclx->color_primary_blue_x,  nclx->color_primary_blue_y,
                                    nclx->color_primary_white_x, nclx->color_primary_white_y};
    return NclxIccProfile(nclx->color_primaries, primaries, nclx->transfer_characteristics);
}

// Alpha stored multiplied into the colours is divided out again.
void Unpremultiply(uint8_t* bgra, int width)
{
    for (int x = 0; x < width; ++x, bgra += 4) {
        const unsigned alpha = bgra[3];
        if (alpha == 255)
            continue;
        for (int c = 0; c < 3; ++c)
            bgra[c] = alpha == 0 ? 0 : static_cast<uint8_t>(std::min(255u, (bgra[c] * 255u + alpha / 2) / alpha));
    }
}

// The decoded picture's pixels: one interleaved plane, or red, green, blue
// (and alpha) planes.
struct TDecodedPlanes {
    int width = 0;
    int height = 0;
    bool alpha = false;
    const uint8_t* plane[4] = {};
    int stride[4] = {};
    int count = 0;

    const uint8_t* Row(int index, int y) const
    {
        return plane[index] + static_cast<size_t>(y) * static_cast<size_t>(stride[index]);
    }

    void ToRow(int y, uint8_t* target) const
    {
        const auto pixels = static_cast<size_t>(width);
        if (count == 1) {
            if (alpha)
                RgbaToBgra(Row(0, y), target, pixels);
            else
                RgbToBgr(Row(0, y), target, pixels);
        } else if (alpha) {
            PlanesToBgra(Row(0, y), Row(1, y), Row(2, y), Row(3, y), target, pixels);
        } else {
            PlanesToBgr(Row(0, y), Row(1, y), Row(2, y), target, pixels);
        }
    }
};

TDecodedPlanes PlanesOf(const heif_image* image, bool planar, bool alpha)
{
    TDecodedPlanes planes;
    planes.alpha = alpha;
    const heif_channel interleaved[] = {heif_channel_interleaved};
    const heif_channel separate[] = {heif_channel_R, heif_channel_G, heif_channel_B, heif_channel_Alpha};
    const heif_channel* channels = planar ? separate : interleaved;
    planes.count = planar ? (alpha ? 4 : 3) : 1;
    planes.width = heif_image_get_width(image, channels[0]);
    planes.height = heif_image_get_height(image, channels[0]);
    for (int i = 0; i < planes.count; ++i) {
        planes.plane[i] = heif_image_get_plane_readonly(image, channels[i], &planes.stride[i]);
        if (!planes.plane[i] || heif_image_get_bits_per_pixel_range(image, channels[i]) != 8 ||
            heif_image_get_width(image, channels[i]) != planes.width ||
            heif_image_get_height(image, channels[i]) != planes.height)
            GraphicErrorFmt("Cannot load image. Invalid or unexpected %s image format.", FormatName);
    }
    if (planes.width <= 0 || planes.height <= 0)
        GraphicErrorFmt("Cannot load image. Invalid or unexpected %s image format.", FormatName);
    return planes;
}

} // namespace

const TGraphicClass& THEIFImage::ClassInfo()
{
    return ReaderClassInfo<THEIFImage>("THEIFImage");
}

bool THEIFImage::AcceptsStream(TStream& stream)
{
    TStreamPositionGuard guard(stream);
    uint8_t head[64];
    const size_t count = stream.Read(head, sizeof head);
    if (count < 12 || std::string_view(reinterpret_cast<const char*>(head + 4), 4) != "ftyp")
        return false;
    return heif_check_filetype(head, static_cast<int>(count)) == heif_filetype_yes_supported;
}

void THEIFImage::LoadFromStream(TStream& stream)
{
    BeginLoading(stream);
    TLoadingProgress progress(*this);
    const TRestOfStream file(stream);
    progress.Start("Preparing...");
    if (file.Size() < 12 || std::string_view(reinterpret_cast<const char*>(file.Data() + 4), 4) != "ftyp")
        GraphicErrorFmt("Cannot load image. Invalid or unexpected %s image format.", FormatName);

    InitializeLibrary();
    const std::unique_ptr<heif_context, ContextDeleter> context(heif_context_alloc());
    if (!context)
        GraphicError("The picture is too large to be shown");
    Check(heif_context_read_from_memory_without_copy(context.get(), file.Data(), file.Size(), nullptr));
    heif_image_handle* rawHandle = nullptr;
    Check(heif_context_get_primary_image_handle(context.get(), &rawHandle));
    const std::unique_ptr<heif_image_handle, HandleDeleter> handle(rawHandle);

    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    CheckSize(heif_image_handle_get_width(handle.get()), heif_image_handle_get_height(handle.get()), alpha);
    heif_context_set_maximum_image_size_limit(context.get(), DecodedSideLimit(handle.get()));
    TImageProperties& properties = ImageProperties();
    properties.Width = heif_image_handle_get_width(handle.get());
    properties.Height = heif_image_handle_get_height(handle.get());
    properties.ColorScheme = alpha ? TColorScheme::csRGBA : TColorScheme::csRGB;
    properties.BitsPerSample = static_cast<uint8_t>(std::max(0, heif_image_handle_get_luma_bits_per_pixel(handle.get())));
    properties.SamplesPerPixel = alpha ? 4 : 3;
    properties.HasAlpha = alpha;

    // 8-bit pictures come as separate red, green and blue planes: libheif
    // makes them in one pass, where interleaving them would cost it a second
    // pass over the picture; the rows are interleaved here on their way into
    // the bitmap anyway. Deeper ones come interleaved, made 8-bit by libheif.
    const bool planar = heif_image_handle_get_luma_bits_per_pixel(handle.get()) == 8;
    const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
    options->convert_hdr_to_8bit = 1;
    heif_image* rawImage = nullptr;
    const heif_chroma chroma = planar  ? heif_chroma_444
                               : alpha ? heif_chroma_interleaved_RGBA
                                       : heif_chroma_interleaved_RGB;
    Check(heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB, chroma, options.get()));
    const std::unique_ptr<heif_image, ImageDeleter> image(rawImage);
    const TDecodedPlanes planes = PlanesOf(image.get(), planar, alpha);

    SetPixelFormat(alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
    SetSize(planes.width, planes.height);
    SetHasAlpha(alpha);
    SetIccProfile(ColourProfileOf(handle.get()));
    const bool premultiplied = alpha && heif_image_is_premultiplied_alpha(image.get());

    progress.Step("Transfering...");
    TRowsProgress rows(*this);
    for (int y = 0; y < planes.height; ++y) {
        uint8_t* target = ScanLine(y);
        planes.ToRow(y, target);
        if (premultiplied)
            Unpremultiply(target, planes.width);
        rows.RowsDone(y + 1);
    }
}

} // namespace orvane::imaging
