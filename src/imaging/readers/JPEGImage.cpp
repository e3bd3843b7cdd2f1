#include "imaging/readers/JPEGImage.h"

#include "imaging/core/Orientation.h"

#include "imaging/decoders/JpegLimits.h"

#include <csetjmp>
#include <cstdlib>
#include <cstdio>
#include <cstring>

extern "C" {
#include <jpeglib.h>
#include <jerror.h>
}

namespace orvane::imaging {

namespace {

// libjpeg reports errors through a callback that must not unwind C++
// exceptions through libjpeg's C frames. The callback long-jumps back to
// DecodeJpeg, whose frame holds nothing with a destructor; the C++ caller
// then throws.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void OnJpegError(j_common_ptr info)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->escape, 1);
}

extern "C" void OnJpegMessage(j_common_ptr info, int level)
{
    // A truncated file is an error; other warnings about slightly damaged
    // data (stray bytes between markers) still give a usable picture.
    if (level == -1 && info->err->msg_code == JWRN_JPEG_EOF) {
        auto* manager = reinterpret_cast<ErrorManager*>(info->err);
        (*info->err->format_message)(info, manager->message);
        std::longjmp(manager->escape, 1);
    }
}

// The file in memory as libjpeg's input. Its end ends the decode: libjpeg is
// not fed made-up end markers to decode the rest of the picture from nothing.
struct MemorySource {
    jpeg_source_mgr pub;
};

extern "C" void OnImageInitSource(j_decompress_ptr) {}
extern "C" void OnImageTermSource(j_decompress_ptr) {}

extern "C" boolean OnImageFillInput(j_decompress_ptr info)
{
    info->err->msg_code = JWRN_JPEG_EOF;
    (*info->err->error_exit)(reinterpret_cast<j_common_ptr>(info));
    return FALSE; // not reached
}

extern "C" void OnImageSkipInput(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr& source = *info->src;
    if (static_cast<unsigned long>(count) > source.bytes_in_buffer)
        OnImageFillInput(info);
    source.next_input_byte += count;
    source.bytes_in_buffer -= static_cast<size_t>(count);
}

// What the C part hands back to the C++ part between stages.
struct DecodeState {
    jpeg_decompress_struct info;
    ErrorManager error;
    MemorySource source;
    jpeglimits::TScanLimit scans;
    bool created = false;
};

// Creates the decompressor and reads the header. Returns false on a libjpeg
// error (message in state.error.message).
bool ReadHeader(DecodeState& state, const uint8_t* data, size_t size)
{
    state.info.err = jpeg_std_error(&state.error.pub);
    state.error.pub.error_exit = OnJpegError;
    state.error.pub.emit_message = OnJpegMessage;
    state.error.message[0] = '\0';
    if (setjmp(state.error.escape))
        return false;
    jpeg_create_decompress(&state.info);
    state.created = true;
    jpeglimits::Install(state.info, state.scans, TBitmap::MaxImageBytes());
    state.source.pub.init_source = OnImageInitSource;
    state.source.pub.fill_input_buffer = OnImageFillInput;
    state.source.pub.skip_input_data = OnImageSkipInput;
    state.source.pub.resync_to_restart = jpeg_resync_to_restart;
    state.source.pub.term_source = OnImageTermSource;
    state.source.pub.next_input_byte = data;
    state.source.pub.bytes_in_buffer = size;
    state.info.src = &state.source.pub;
    // APP1 holds the EXIF block and its orientation, APP2 the colour profile
    // in pieces (at most 64 KB each).
    jpeg_save_markers(&state.info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(&state.info, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&state.info, TRUE);
    return true;
}

// The orientation of the first APP1 segment that holds EXIF data.
int OrientationOf(const jpeg_decompress_struct& info)
{
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next)
        if (marker->marker == JPEG_APP0 + 1)
            if (const int orientation = ExifOrientationOfApp1(marker->data, marker->data_length); orientation != 1)
                return orientation;
    return 1;
}

// The colour profile its APP2 pieces make up; empty without one (or with
// pieces missing).
std::vector<uint8_t> IccProfileOf(jpeg_decompress_struct& info)
{
    JOCTET* data = nullptr;
    unsigned int size = 0;
    if (!jpeg_read_icc_profile(&info, &data, &size) || !data)
        return {};
    std::vector<uint8_t> profile(data, data + size);
    std::free(data);
    return profile;
}

bool StartDecompress(DecodeState& state)
{
    if (setjmp(state.error.escape))
        return false;
    jpeg_start_decompress(&state.info);
    return true;
}

// Reads up to count scan lines into rows; returns false on error.
bool ReadRows(DecodeState& state, JSAMPROW* rows, JDIMENSION count, JDIMENSION& got)
{
    if (setjmp(state.error.escape))
        return false;
    got = jpeg_read_scanlines(&state.info, rows, count);
    return true;
}

bool FinishDecompress(DecodeState& state)
{
    if (setjmp(state.error.escape))
        return false;
    jpeg_finish_decompress(&state.info);
    return true;
}

struct DecoderGuard {
    DecodeState& state;
    ~DecoderGuard()
    {
        if (state.created)
            jpeg_destroy_decompress(&state.info);
    }
};

const char* const TooLarge = "The picture is too large to be shown (%d x %d pixels)";

[[noreturn]] void Fail(const DecodeState& state)
{
    if (jpeglimits::OutOfMemory(state.info))
        throw EInvalidGraphic(FormatText(TooLarge, static_cast<int>(state.info.image_width),
                                         static_cast<int>(state.info.image_height)));
    if (state.scans.exceeded)
        throw EInvalidGraphic(FormatText("JPEG error: More than %d scans", jpeglimits::MaxScans));
    std::string text = state.error.message[0] ? state.error.message : "Invalid JPEG image";
    throw EInvalidGraphic("JPEG error: " + text);
}

void CmykRowToBgr(const uint8_t* cmyk, uint8_t* bgr, int width, bool adobeInverted)
{
    for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!adobeInverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        // Stored inverted: 255 is no ink, so each channel is value * k / 255.
        bgr[0] = static_cast<uint8_t>((y * k + 127) / 255);
        bgr[1] = static_cast<uint8_t>((m * k + 127) / 255);
        bgr[2] = static_cast<uint8_t>((c * k + 127) / 255);
    }
}

// Colour pictures decode as blue, green, red; gray ones as gray; CMYK ones
// as CMYK converted row by row. Seen smaller than it is, a picture decodes
// at libjpeg's DCT scale: only what the viewing area shows, in a fraction
// of the time and memory.
void ChooseOutput(jpeg_decompress_struct& info, int coverWidth, int coverHeight)
{
    const bool gray = info.jpeg_color_space == JCS_GRAYSCALE;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = gray ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGR;
    info.scale_num = JpegScaleFor(info.image_width, info.image_height, coverWidth, coverHeight);
    info.scale_denom = 8;
}

// Before libjpeg allocates anything for the picture: the bitmap must be one
// this machine may hold, and the file must hold at least the data the
// claimed picture needs.
void CheckSize(const jpeg_decompress_struct& info, size_t fileSize)
{
    const size_t pixels = CheckedMul(info.image_width, info.image_height, "The picture is too large to be shown");
    if (pixels == 0)
        throw EInvalidGraphic("JPEG error: Empty image");
    const bool gray = info.out_color_space == JCS_GRAYSCALE;
    const size_t rowBytes = (static_cast<size_t>(info.image_width) * (gray ? 8 : 24) + 31) / 32 * 4;
    if (CheckedMul(rowBytes, info.image_height, "The picture is too large to be shown") > TBitmap::MaxImageBytes())
        throw EInvalidGraphic(FormatText(TooLarge, static_cast<int>(info.image_width),
                                         static_cast<int>(info.image_height)));
    if (!jpeglimits::BlocksFitData(info, fileSize))
        throw EInvalidGraphic("JPEG error: Premature end of JPEG file");
}

// The scan lines into the bitmap, with progress about every sixteenth of
// the picture: enough for the viewer to draw it in steps without slowing
// the decoder.
void TransferRows(DecodeState& state, TBitmap& bitmap, TRect& rect)
{
    jpeg_decompress_struct& info = state.info;
    const bool cmyk = info.out_color_space == JCS_CMYK;
    const int height = bitmap.Height();
    rect = {0, 0, bitmap.Width(), 1};
    std::vector<uint8_t> cmykRow(cmyk ? static_cast<size_t>(info.output_width) * 4 : 0);
    const int reportEvery = height / 16 > 0 ? height / 16 : 1;
    int nextReport = reportEvery;
    bitmap.Progress(TProgressStage::psRunning, 0, false, rect, "");
    while (static_cast<int>(info.output_scanline) < height) {
        const int row = static_cast<int>(info.output_scanline);
        JSAMPROW target[1] = {cmyk ? cmykRow.data() : bitmap.ScanLine(row)};
        JDIMENSION got = 0;
        if (!ReadRows(state, target, 1, got))
            Fail(state);
        if (got == 0)
            throw EInvalidGraphic("JPEG error: Premature end of JPEG file");
        if (cmyk)
            CmykRowToBgr(cmykRow.data(), bitmap.ScanLine(row), bitmap.Width(), info.saw_Adobe_marker);
        bitmap.SlicePoint();
        if (row + 1 >= nextReport || row + 1 == height) {
            nextReport += reportEvery;
            rect = {0, 0, bitmap.Width(), row + 1};
            bitmap.Progress(TProgressStage::psRunning, static_cast<uint8_t>((row + 1) * 100LL / height), true, rect,
                            "");
        }
    }
}

} // namespace

unsigned JpegScaleFor(unsigned width, unsigned height, int coverWidth, int coverHeight)
{
    if (coverWidth <= 0 || coverHeight <= 0 || width == 0 || height == 0)
        return 8;
    const uint64_t w = width, h = height, cw = static_cast<uint64_t>(coverWidth),
                   ch = static_cast<uint64_t>(coverHeight);
    if (w <= cw && h <= ch)
        return 8; // shown at full size or enlarged: nothing to save
    // The picture fitted into the cover with its aspect kept, rounded up so
    // that the decoded picture is never smaller than what is drawn.
    uint64_t fittedWidth, fittedHeight;
    if (w * ch >= h * cw) {
        fittedWidth = cw;
        fittedHeight = (h * cw + w - 1) / w;
    } else {
        fittedHeight = ch;
        fittedWidth = (w * ch + h - 1) / h;
    }
    for (unsigned eighths = 1; eighths < 8; ++eighths) {
        // libjpeg's scaled size: the size times the scale, rounded up.
        const uint64_t scaledWidth = (w * eighths + 7) / 8;
        const uint64_t scaledHeight = (h * eighths + 7) / 8;
        if (scaledWidth >= fittedWidth && scaledHeight >= fittedHeight)
            return eighths;
    }
    return 8;
}

const TGraphicClass& TJPEGImage::ClassInfo()
{
    return PictureClassInfo<TJPEGImage>("TJPEGImage");
}

void TJPEGImage::LoadFromStream(TStream& stream)
{
    FreeImage();
    const TStreamBytes file(stream, stream.Position());
    if (stream.Memory())
        stream.Seek(0, TSeekOrigin::soEnd);

    TRect rect{0, 0, 0, 1};
    Progress(TProgressStage::psStarting, 0, false, rect, "Preparing...");
    struct EndNotice {
        TJPEGImage* self;
        TRect* rect;
        ~EndNotice() { self->Progress(TProgressStage::psEnding, 100, false, *rect, ""); }
    } endNotice{this, &rect};

    DecodeState state{};
    DecoderGuard guard{state};
    if (file.Size() == 0)
        throw EInvalidGraphic("JPEG error: Empty input file");
    if (!ReadHeader(state, file.Data(), file.Size()))
        Fail(state);
    jpeg_decompress_struct& info = state.info;
    const int orientation = OrientationOf(info);
    // The cover is the upright picture's: the stored one covers it turned.
    if (SwapsSides(orientation))
        ChooseOutput(info, DecodeCoverHeight(), DecodeCoverWidth());
    else
        ChooseOutput(info, DecodeCoverWidth(), DecodeCoverHeight());
    CheckSize(info, file.Size());
    if (!StartDecompress(state))
        Fail(state);

    const bool gray = info.out_color_space == JCS_GRAYSCALE;
    SetPixelFormat(gray ? TPixelFormat::pf8bit : TPixelFormat::pf24bit);
    SetSize(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    SetSourceSize(static_cast<int>(info.image_width), static_cast<int>(info.image_height));
    SetOrientation(orientation);
    SetIccProfile(IccProfileOf(info));
    if (gray) {
        std::vector<TRGBQuad> palette(256);
        for (int i = 0; i < 256; ++i)
            palette[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
        SetPalette(std::move(palette));
    }
    TransferRows(state, *this, rect);
    if (!FinishDecompress(state))
        Fail(state);
}

} // namespace orvane::imaging
