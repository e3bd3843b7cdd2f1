#include "imaging/readers/JXLImage.h"

#include "imaging/readers/PixelOrder.h"
#include "imaging/readers/RowsProgress.h"

#include <jxl/decode.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>

namespace orvane::imaging {

namespace {

const char* const TooLarge = "The picture is too large to be shown (%d x %d pixels)";

// libjxl's working memory, counted: a file may describe frames far larger
// than the picture, so what the decoder may hold is bounded by what the
// picture needs (several times the bitmap, for its frames of floats), and
// never more than a few times the largest bitmap.
class TMemoryBudget {
public:
    TMemoryBudget() { manager_ = {this, &Allocate, &Release}; }
    const JxlMemoryManager* Manager() const { return &manager_; }

    void AllowFor(size_t bitmapBytes)
    {
        const size_t largest = TBitmap::MaxImageBytes();
        const size_t cap = largest > (SIZE_MAX - Base) / 4 ? SIZE_MAX : Base + 4 * largest;
        limit_ = bitmapBytes > (cap - Base) / 12 ? cap : Base + 12 * bitmapBytes;
    }
    bool Refused() const { return refused_; }

private:
    // Every block starts with its size, so that freeing it can count it.
    static constexpr size_t Header = 64; // keeps libjxl's blocks as aligned as malloc's
    static constexpr size_t Base = size_t{64} << 20;

    static void* Allocate(void* opaque, size_t size)
    {
        auto& budget = *static_cast<TMemoryBudget*>(opaque);
        if (size > budget.limit_ - budget.used_) {
            budget.refused_ = true;
            return nullptr;
        }
        void* block = std::malloc(size + Header);
        if (!block) {
            budget.refused_ = true;
            return nullptr;
        }
        std::memcpy(block, &size, sizeof size);
        budget.used_ += size;
        return static_cast<uint8_t*>(block) + Header;
    }
    static void Release(void* opaque, void* address)
    {
        if (!address)
            return;
        auto& budget = *static_cast<TMemoryBudget*>(opaque);
        uint8_t* block = static_cast<uint8_t*>(address) - Header;
        size_t size;
        std::memcpy(&size, block, sizeof size);
        budget.used_ -= size;
        std::free(block);
    }

    JxlMemoryManager manager_;
    size_t limit_ = Base;
    size_t used_ = 0;
    bool refused_ = false;
};

struct DecoderDeleter {
    void operator()(JxlDecoder* decoder) const { JxlDecoderDestroy(decoder); }
};

// Whether the pixels libjxl returns are plain sRGB (gray with sRGB's curve
// included), which needs no profile.
bool PlainSRGB(const JxlDecoder* decoder)
{
    JxlColorEncoding encoding{};
    if (JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &encoding) !=
        JXL_DEC_SUCCESS)
        return false;
    const bool space = encoding.color_space == JXL_COLOR_SPACE_GRAY ||
                       (encoding.color_space == JXL_COLOR_SPACE_RGB && encoding.primaries == JXL_PRIMARIES_SRGB);
    return space && encoding.white_point == JXL_WHITE_POINT_D65 &&
           encoding.transfer_function == JXL_TRANSFER_FUNCTION_SRGB;
}

std::vector<uint8_t> ColourProfileOf(const JxlDecoder* decoder)
{
    if (PlainSRGB(decoder))
        return {};
    size_t size = 0;
    if (JxlDecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) != JXL_DEC_SUCCESS ||
        size == 0)
        return {};
    std::vector<uint8_t> profile(size);
    if (JxlDecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, profile.data(), size) !=
        JXL_DEC_SUCCESS)
        return {};
    return profile;
}

// One load: the bitmap the pixels go to and how they are laid out.
class TJxlLoad {
public:
    TJxlLoad(TJXLImage& picture, TLoadingProgress& progress) : picture_(picture), progress_(progress) {}

    void Run(const uint8_t* data, size_t size);

private:
    void TakeBasicInfo();
    void SetOutput();
    bool EndOfData();
    static void OnPixels(void* opaque, size_t x, size_t y, size_t count, const void* pixels);
    [[noreturn]] void Fail() const;

    TJXLImage& picture_;
    TLoadingProgress& progress_;
    TMemoryBudget budget_;
    std::unique_ptr<JxlDecoder, DecoderDeleter> decoder_;
    JxlBasicInfo info_{};
    uint32_t channels_ = 3;
    std::optional<TRowsProgress> rows_;
    bool outputSet_ = false;
    std::exception_ptr callbackError_;
};

void TJxlLoad::Run(const uint8_t* data, size_t size)
{
    if (JxlSignatureCheck(data, size) < JXL_SIG_CODESTREAM)
        TReaderGraphic::GraphicError("Cannot load image. Invalid or unexpected JPEG XL image format.");
    decoder_.reset(JxlDecoderCreate(budget_.Manager()));
    if (!decoder_)
        TReaderGraphic::GraphicError("The picture is too large to be shown");
    JxlDecoder* decoder = decoder_.get();
    if (JxlDecoderSubscribeEvents(decoder, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE) !=
            JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(decoder, data, size) != JXL_DEC_SUCCESS)
        Fail();
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(decoder);
        if (callbackError_)
            std::rethrow_exception(callbackError_);
        switch (status) {
        case JXL_DEC_BASIC_INFO: TakeBasicInfo(); break;
        case JXL_DEC_COLOR_ENCODING: picture_.SetIccProfile(ColourProfileOf(decoder)); break;
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: SetOutput(); break;
        case JXL_DEC_FULL_IMAGE: // the first frame is the picture
        case JXL_DEC_SUCCESS:
            if (!rows_)
                Fail(); // a file without a frame
            rows_->RowsDone(picture_.Height());
            return;
        case JXL_DEC_NEED_MORE_INPUT:
            if (EndOfData())
                return;
            TReaderGraphic::GraphicError("JPEG XL error: Premature end of JPEG XL file");
        default: Fail();
        }
    }
}

void TJxlLoad::TakeBasicInfo()
{
    JxlDecoder* decoder = decoder_.get();
    if (JxlDecoderGetBasicInfo(decoder, &info_) != JXL_DEC_SUCCESS)
        Fail();
    // The size is the upright picture's: libjxl turns the frame.
    const int width = static_cast<int>(std::min<uint32_t>(info_.xsize, INT32_MAX));
    const int height = static_cast<int>(std::min<uint32_t>(info_.ysize, INT32_MAX));
    if (width == 0 || height == 0)
        TReaderGraphic::GraphicError("JPEG XL error: Empty image");
    const bool gray = info_.num_color_channels == 1;
    const bool alpha = info_.alpha_bits > 0;
    channels_ = gray && !alpha ? 1 : alpha ? 4 : 3;
    const size_t rowBytes = (PackedRowBytes(static_cast<size_t>(width), channels_ == 1 ? 8 : channels_ * 8) + 3) / 4 * 4;
    const size_t bytes = CheckedMul(rowBytes, static_cast<size_t>(height), "The picture is too large to be shown");
    if (bytes > TBitmap::MaxImageBytes())
        TReaderGraphic::GraphicErrorFmt(TooLarge, width, height);
    budget_.AllowFor(bytes);

    TImageProperties& properties = picture_.ImageProperties();
    properties.Width = width;
    properties.Height = height;
    properties.ColorScheme = gray ? (alpha ? TColorScheme::csGA : TColorScheme::csG)
                                  : (alpha ? TColorScheme::csRGBA : TColorScheme::csRGB);
    properties.BitsPerSample = static_cast<uint8_t>(std::min<uint32_t>(info_.bits_per_sample, 255));
    properties.SamplesPerPixel = static_cast<uint8_t>(info_.num_color_channels + (alpha ? 1 : 0));
    properties.HasAlpha = alpha;

    picture_.SetPixelFormat(channels_ == 1 ? TPixelFormat::pf8bit : alpha ? TPixelFormat::pf32bit
                                                                           : TPixelFormat::pf24bit);
    picture_.SetSize(width, height);
    picture_.SetHasAlpha(alpha);
    if (channels_ == 1) {
        std::vector<TRGBQuad> palette(256);
        for (int i = 0; i < 256; ++i)
            palette[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
        picture_.SetPalette(std::move(palette));
    }
}

void TJxlLoad::SetOutput()
{
    if (picture_.Empty())
        Fail(); // no basic information came first
    // Gray with alpha comes as pairs and is widened to BGRA.
    const uint32_t libraryChannels = channels_ == 4 && info_.num_color_channels == 1 ? 2 : channels_;
    const JxlPixelFormat format{libraryChannels, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    progress_.Step("Transfering...");
    rows_.emplace(picture_);
    if (JxlDecoderSetImageOutCallback(decoder_.get(), &format, &TJxlLoad::OnPixels, this) != JXL_DEC_SUCCESS)
        Fail();
    outputSet_ = true;
}

// Without a parallel runner libjxl hands over the rows of each group from
// the top down and the groups of a band from left to right, so a row whose
// last pixels came is complete.
void TJxlLoad::OnPixels(void* opaque, size_t x, size_t y, size_t count, const void* pixels)
{
    auto& load = *static_cast<TJxlLoad*>(opaque);
    if (load.callbackError_ || y >= static_cast<size_t>(load.picture_.Height()) ||
        x + count > static_cast<size_t>(load.picture_.Width()))
        return;
    const auto* source = static_cast<const uint8_t*>(pixels);
    uint8_t* row = load.picture_.ScanLine(static_cast<int>(y));
    switch (load.channels_) {
    case 1: std::memcpy(row + x, source, count); break;
    case 3: RgbToBgr(source, row + 3 * x, count); break;
    default:
        if (load.info_.num_color_channels == 1)
            GrayAlphaToBgra(source, row + 4 * x, count);
        else
            RgbaToBgra(source, row + 4 * x, count);
    }
    if (x + count == static_cast<size_t>(load.picture_.Width())) {
        try {
            load.rows_->RowsDone(static_cast<int>(y) + 1);
        } catch (...) {
            load.callbackError_ = std::current_exception();
        }
    }
}

// A file that ends early shows what its data reached, as far as libjxl can
// render it; one that ends before any pixels is an error.
bool TJxlLoad::EndOfData()
{
    if (!outputSet_ || JxlDecoderFlushImage(decoder_.get()) != JXL_DEC_SUCCESS)
        return false;
    if (callbackError_)
        std::rethrow_exception(callbackError_);
    rows_->RowsDone(picture_.Height());
    return true;
}

void TJxlLoad::Fail() const
{
    if (budget_.Refused())
        TReaderGraphic::GraphicErrorFmt(TooLarge, picture_.Width(), picture_.Height());
    TReaderGraphic::GraphicError("Cannot load image. Invalid or unexpected JPEG XL image format.");
}

} // namespace

const TGraphicClass& TJXLImage::ClassInfo()
{
    return ReaderClassInfo<TJXLImage>("TJXLImage");
}

bool TJXLImage::AcceptsStream(TStream& stream)
{
    TStreamPositionGuard guard(stream);
    uint8_t head[12];
    const size_t count = stream.Read(head, sizeof head);
    return JxlSignatureCheck(head, count) >= JXL_SIG_CODESTREAM;
}

void TJXLImage::LoadFromStream(TStream& stream)
{
    BeginLoading(stream);
    TLoadingProgress progress(*this);
    const TRestOfStream file(stream);
    progress.Start("Preparing...");
    TJxlLoad(*this, progress).Run(file.Data(), file.Size());
}

} // namespace orvane::imaging
