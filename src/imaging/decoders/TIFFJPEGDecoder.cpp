#include "imaging/decoders/TIFFJPEGDecoder.h"

#include "imaging/core/Bitmap.h"
#include "imaging/decoders/JpegLimits.h"
#include "imaging/core/Warnings.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <string>

extern "C" {
#include <jpeglib.h>
#include <jerror.h>
}

namespace orvane::imaging {

namespace {

const char* const WarningCaption = "Warning";
const char* const UnexpectedEnd = "JPEG decompression error. Unexpected end of input.";

// Shows a warning from inside a libjpeg callback: nothing may unwind through
// libjpeg's C frames.
void WarnSafely(const char* text) noexcept
{
    try {
        ShowWarning(WarningCaption, text);
    } catch (...) {
    }
}

} // namespace

// libjpeg reports fatal errors through a callback that long-jumps back to the
// guarded call below; those frames hold nothing with a destructor, and the C++
// side throws afterwards.
struct TTIFFJPEGDecoder::State {
    jpeg_decompress_struct info{};
    struct Errors {
        jpeg_error_mgr pub;
        std::jmp_buf escape;
        char message[JMSG_LENGTH_MAX];
    } errors{};
    struct Source {
        jpeg_source_mgr pub;
        bool warned; // the end-of-input warning is shown once per strip
        bool ended;  // the strip's data ended: decoding stopped there
    } source{};
    jpeglimits::TScanLimit scans{};
    bool created = false;
};

namespace {

using State = TTIFFJPEGDecoder::State;

extern "C" void OnError(j_common_ptr info)
{
    auto* errors = reinterpret_cast<State::Errors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->escape, 1);
}

extern "C" void OnOutputMessage(j_common_ptr info)
{
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    WarnSafely(text);
}

extern "C" void OnInitSource(j_decompress_ptr) {}
extern "C" void OnTermSource(j_decompress_ptr) {}

void Warn(State::Source& source)
{
    if (!source.warned) {
        source.warned = true;
        WarnSafely(UnexpectedEnd);
    }
}

// The strip's data ended: the warning, then out of libjpeg through its error
// exit. The rows read so far are kept; the rest of the strip is not decoded
// from made-up data.
void EndOfInput(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<State::Source*>(info->src);
    Warn(*source);
    source->ended = true;
    info->err->msg_code = JWRN_JPEG_EOF;
    (*info->err->error_exit)(reinterpret_cast<j_common_ptr>(info));
}

extern "C" boolean OnFillInputBuffer(j_decompress_ptr info)
{
    EndOfInput(info);
    return FALSE; // not reached
}

extern "C" void OnSkipInputData(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr& source = *info->src;
    if (static_cast<unsigned long>(count) > source.bytes_in_buffer)
        EndOfInput(info);
    source.next_input_byte += count;
    source.bytes_in_buffer -= static_cast<size_t>(count);
}

void PointSource(State& state, const uint8_t* data, size_t size)
{
    state.source.pub.next_input_byte = data;
    state.source.pub.bytes_in_buffer = size;
    state.source.warned = false;
    state.source.ended = false;
}

// The guarded libjpeg calls: each returns false after a libjpeg error, whose
// text is then in state.errors.message.

bool Create(State& state)
{
    state.info.err = jpeg_std_error(&state.errors.pub);
    state.errors.pub.error_exit = OnError;
    state.errors.pub.output_message = OnOutputMessage;
    state.errors.message[0] = '\0';
    if (setjmp(state.errors.escape))
        return false;
    jpeg_create_decompress(&state.info);
    state.created = true;
    jpeglimits::Install(state.info, state.scans, TBitmap::MaxImageBytes());
    state.source.pub.init_source = OnInitSource;
    state.source.pub.fill_input_buffer = OnFillInputBuffer;
    state.source.pub.skip_input_data = OnSkipInputData;
    state.source.pub.resync_to_restart = jpeg_resync_to_restart;
    state.source.pub.term_source = OnTermSource;
    state.info.src = &state.source.pub;
    PointSource(state, nullptr, 0);
    return true;
}

bool ReadHeader(State& state, bool requireImage, int& result)
{
    if (setjmp(state.errors.escape))
        return false;
    result = jpeg_read_header(&state.info, requireImage ? TRUE : FALSE);
    return true;
}

bool Abort(State& state)
{
    if (setjmp(state.errors.escape))
        return false;
    jpeg_abort_decompress(&state.info);
    return true;
}

bool Start(State& state)
{
    if (setjmp(state.errors.escape))
        return false;
    jpeg_start_decompress(&state.info);
    return true;
}

bool ReadRow(State& state, uint8_t* row, JDIMENSION& got)
{
    if (setjmp(state.errors.escape))
        return false;
    JSAMPROW rows[1] = {row};
    got = jpeg_read_scanlines(&state.info, rows, 1);
    return true;
}

bool FinishOrAbort(State& state)
{
    if (setjmp(state.errors.escape))
        return false;
    // Finishing with rows left unread is an error in libjpeg; those rows are
    // simply not wanted.
    if (state.info.output_scanline >= state.info.output_height)
        jpeg_finish_decompress(&state.info);
    else
        jpeg_abort_decompress(&state.info);
    return true;
}

[[noreturn]] void Fail(const State& state)
{
    if (jpeglimits::OutOfMemory(state.info))
        throw EDecoderError(FormatText("The picture is too large to be shown (%d x %d pixels)",
                                       static_cast<int>(state.info.image_width),
                                       static_cast<int>(state.info.image_height)));
    if (state.scans.exceeded)
        throw EDecoderError(FormatText("JPEG error: More than %d scans", jpeglimits::MaxScans));
    throw EDecoderError(state.errors.message[0] ? state.errors.message : "JPEG decompression error.");
}

// The strip's frame must be the strip the image expects: its width, the
// rows still to come (at most a strip's rows), the components of one pixel
// (or of one plane), the precision and the sampling.
void CheckStripFrame(const jpeg_decompress_struct& info, const TImageProperties& image, int headerResult,
                     int hSampling, int vSampling)
{
    const uint32_t height = image.Height > 0 ? static_cast<uint32_t>(image.Height) : 0;
    uint32_t expectedRows = height > image.CurrentRow ? height - image.CurrentRow : 0;
    if (!image.RowsPerStrip.empty())
        expectedRows = std::min(expectedRows, image.RowsPerStrip[0]);
    if (headerResult != JPEG_HEADER_OK || static_cast<int64_t>(info.image_width) != image.Width ||
        info.image_height != expectedRows)
        throw EDecoderError("Improper JPEG strip/tile size.");

    // Files without a planar configuration tag store samples interleaved.
    const bool separatePlanes = image.PlanarConfig == 2;
    if (info.num_components != (separatePlanes ? 1 : image.SamplesPerPixel))
        throw EDecoderError("Improper JPEG component count.");
    if (info.data_precision != image.BitsPerSample)
        throw EDecoderError("Improper JPEG data precision.");
    for (int i = 0; i < info.num_components; ++i) {
        const jpeg_component_info& component = info.comp_info[i];
        const bool subsampled = i == 0 && !separatePlanes;
        const int h = subsampled ? hSampling : 1;
        const int v = subsampled ? vSampling : 1;
        if (component.h_samp_factor != h || component.v_samp_factor != v)
            throw EDecoderError("Improper JPEG sampling factors.");
    }
}

// Whole rows of rowLength bytes, as many as fit and libjpeg gives; false
// when libjpeg stopped with an error (produced then holds the rows read).
bool ReadRows(State& state, uint8_t* target, size_t rowLength, size_t unpackedSize, size_t& produced)
{
    jpeg_decompress_struct& info = state.info;
    produced = 0;
    while (produced + rowLength <= unpackedSize && info.output_scanline < info.output_height) {
        JDIMENSION got = 0;
        if (!ReadRow(state, target + produced, got))
            return false;
        if (got == 0)
            break;
        produced += rowLength;
    }
    return true;
}

} // namespace

TTIFFJPEGDecoder::TTIFFJPEGDecoder(TImageProperties* properties) : properties_(properties) {}

TTIFFJPEGDecoder::~TTIFFJPEGDecoder()
{
    if (state_ && state_->created)
        jpeg_destroy_decompress(&state_->info);
}

void TTIFFJPEGDecoder::BeginDecoding()
{
    EndDecoding();
    state_ = std::make_unique<State>();
    if (!Create(*state_))
        Fail(*state_);

    const std::vector<uint8_t>& sampling = properties_->YCbCrSubSampling;
    hSampling_ = sampling.size() > 0 ? sampling[0] : 1;
    vSampling_ = sampling.size() > 1 ? sampling[1] : 1;

    tables_ = properties_->JPEGTables;
    if (!tables_.empty()) {
        PointSource(*state_, tables_.data(), tables_.size());
        int result = 0;
        if (!ReadHeader(*state_, false, result))
            Fail(*state_);
        if (result != JPEG_HEADER_TABLES_ONLY)
            throw EDecoderError("Bogus JPEG tables field.");
    }
    PointSource(*state_, nullptr, 0);
}

void TTIFFJPEGDecoder::Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize)
{
    if (!state_)
        BeginDecoding();
    State& state = *state_;
    jpeg_decompress_struct& info = state.info;
    if (!Abort(state))
        Fail(state);
    PointSource(state, source, packedSize);
    // A strip whose data ends early keeps the rows decoded before its end;
    // the rest stays as the caller's buffer holds it. Other libjpeg errors
    // fail the strip.
    const auto stopped = [&] {
        Abort(state);
        source += packedSize;
    };
    const auto failedOrEnded = [&] {
        if (!state.source.ended)
            Fail(state);
        stopped();
    };
    int result = 0;
    if (!ReadHeader(state, true, result))
        return failedOrEnded();
    const TImageProperties& image = *properties_;
    CheckStripFrame(info, image, result, hSampling_, vSampling_);
    if (image.ColorScheme == TColorScheme::csYCbCr)
        info.jpeg_color_space = JCS_YCbCr;
    if (info.num_components == 3)
        info.out_color_space = JCS_EXT_BGR;
    // A strip claiming more blocks than its data can hold has ended early.
    if (!jpeglimits::BlocksFitData(info, packedSize)) {
        Warn(state.source);
        return stopped();
    }
    if (!Start(state))
        return failedOrEnded();

    const size_t rowLength = image.BytesPerLine;
    if (rowLength == 0 || unpackedSize % rowLength != 0)
        throw EDecoderError("Fractional JPEG scanline unsupported.");
    if (static_cast<size_t>(info.output_width) * static_cast<size_t>(info.output_components) > rowLength)
        throw EDecoderError("Improper JPEG component count.");
    size_t produced = 0;
    if (!ReadRows(state, target, rowLength, unpackedSize, produced)) {
        if (!state.source.ended)
            Fail(state);
        target += produced;
        return stopped();
    }
    if (!FinishOrAbort(state)) {
        if (!state.source.ended)
            Fail(state);
        Abort(state);
    }
    // What libjpeg left unread of the strip.
    source = state.source.ended ? source + packedSize : state.source.pub.next_input_byte;
    target += produced;
}

void TTIFFJPEGDecoder::EndDecoding()
{
    if (state_ && state_->created)
        jpeg_destroy_decompress(&state_->info);
    state_.reset();
}

size_t TTIFFJPEGDecoder::Encode(const uint8_t*, uint8_t*, size_t)
{
    return 0;
}

} // namespace orvane::imaging
