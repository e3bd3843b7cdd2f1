// PNG image data row by row: rows inflated into one of two row buffers,
// unfiltered in place and converted straight into the bitmap's scan lines.
// The path of pictures whose image data is not inflated whole
// (PNGWholeData.cpp), and of damaged data.
#include "imaging/readers/PNGFilters.h"
#include "imaging/readers/PNGLayout.h"
#include "imaging/readers/PNGGraphic.h"

#include "imaging/color/ColorManager.h"
#include "imaging/decoders/LZ77Decoder.h"

#include <zlib.h>

#include <algorithm>
#include <utility>

namespace orvane::imaging {

using png_detail::kPasses;
using png_detail::StoredRowBytes;
using png_detail::TAdam7Pass;

namespace {

const char* const kFormat = "PNG";

} // namespace

void TPNGGraphic::DecodeImage(TLoadingProgress& progress)
{
    progress.Step("Transfering...");
    if (!formatsChosen_)
        ChooseFormats();
    // Bytes per pixel at one byte per sample.
    const size_t n = header_.bitDepth == 16 ? sourceBPP_ / 2 : sourceBPP_;

    const TImageProperties& props = ImageProperties();
    // The two row buffers count against the same limit as the bitmap: a
    // 16-bit row is larger than its bitmap row.
    const size_t rowBytes = StoredRowBytes(static_cast<size_t>(props.Width), header_.bitDepth, n);
    const size_t bufferBytes = CheckedMul(rowBytes, 2, "The picture is too large to be shown");
    if (bufferBytes > TBitmap::MaxImageBytes())
        GraphicErrorFmt("The picture is too large to be shown (%d x %d pixels)", props.Width, props.Height);

    if (hasPalette_)
        SetPalette(palette_);
    SetSize(props.Width, props.Height);
    // Every pixel is written by the rows below (the interlace passes together
    // cover the whole picture), so the background colour is never seen and
    // the canvas is not filled with it first.
    // Held whole, the image data inflates in one call; else row by row.
    if (DecodeWhole(progress))
        return;
    std::vector<uint8_t> buffers(bufferBytes, 0);
    uint8_t* current = buffers.data();
    uint8_t* previous = buffers.data() + rowBytes;
    if (header_.interlace == 1)
        DecodeInterlaced(progress, current, previous);
    else
        DecodeRows(progress, current, previous);

    // Image data chunks after the end of the zlib stream.
    while (IsChunk("IDAT")) {
        ReadChunkData();
        ReadChunkHeader();
    }
}

void TPNGGraphic::DecodeRows(TLoadingProgress& progress, uint8_t*& current, uint8_t*& previous)
{
    const int width = Width();
    const int height = Height();
    const size_t n = header_.bitDepth == 16 ? sourceBPP_ / 2 : sourceBPP_;
    const size_t rowBytes = StoredRowBytes(static_cast<size_t>(width), header_.bitDepth, n);
    TColorManager& cm = ColorManager();
    for (int row = 0; row < height; ++row) {
        const bool whole = ReadRow(current, rowBytes);
        png_detail::UnfilterRow(current, previous, rowBytes, sourceBPP_);
        cm.ConvertPixels(current + 1, 0xFF, static_cast<size_t>(width), ScanLine(row));
        progress.Row(row, height);
        std::swap(current, previous);
        // The image data ended: the rows below keep the bitmap's black in
        // one step instead of being decoded one by one from nothing.
        if (!whole)
            return;
    }
}

void TPNGGraphic::DecodeInterlaced(TLoadingProgress& progress, uint8_t*& current, uint8_t*& previous)
{
    const size_t width = static_cast<size_t>(Width());
    const int height = Height();
    const size_t n = header_.bitDepth == 16 ? sourceBPP_ / 2 : sourceBPP_;
    TColorManager& cm = ColorManager();
    for (int pass = 0; pass < 7; ++pass) {
        const TAdam7Pass& p = kPasses[pass];
        if (p.startColumn >= width)
            continue;
        const size_t passPixels = (width + p.columnStep - p.startColumn - 1) / p.columnStep;
        const size_t rowBytes = StoredRowBytes(passPixels, header_.bitDepth, n);
        std::fill(previous, previous + rowBytes, 0);
        for (int row = p.startRow; row < height; row += p.rowStep) {
            const bool whole = ReadRow(current, rowBytes);
            png_detail::UnfilterRow(current, previous, rowBytes, sourceBPP_);
            cm.ConvertPixels(current + 1, p.mask, width, ScanLine(row));
            if (pass == 6)
                progress.Row(row + 1, height);
            std::swap(current, previous);
            // The image data ended: the pixels of the passes not reached
            // stay black.
            if (!whole)
                return;
        }
    }
}

// Inflates count bytes into row, taking the IDAT chunks one after another.
// False when the image data ran out first: the rest of the row is then zero.
bool TPNGGraphic::ReadRow(uint8_t* row, size_t count)
{
    const bool whole = FillRow(row, count);
    if (!whole)
        std::fill(row + (count - decoder_->AvailableOutput()), row + count, uint8_t{0});
    return whole;
}

bool TPNGGraphic::FillRow(uint8_t* row, size_t count)
{
    uint8_t* out = row;
    size_t missing = count;
    while (missing > 0) {
        while (idatSize_ == 0 && IsChunk("IDAT")) {
            currentSource_ = ReadChunkData();
            idatSize_ = chunkLength_;
            ReadChunkHeader();
        }
        int result;
        if (idatSize_ == 0) {
            // No data left to give: zlib may still hold output of data it
            // already took; take that, else stop here.
            static const uint8_t none = 0;
            const uint8_t* source = &none;
            decoder_->Decode(source, out, 0, missing);
            result = decoder_->ZLibResult();
            const size_t produced = missing - decoder_->AvailableOutput();
            if (produced == 0 && result != TLZ77Decoder::ResultStreamEnd) {
                if (result != TLZ77Decoder::ResultOk && result != Z_BUF_ERROR)
                    GraphicErrorFmt("Cannot load image. Compression error found in %s file.", kFormat);
                return false;
            }
        } else {
            const uint8_t* source = currentSource_;
            decoder_->Decode(source, out, idatSize_, missing);
            currentSource_ = source;
            idatSize_ = decoder_->AvailableInput();
            result = decoder_->ZLibResult();
        }
        missing = decoder_->AvailableOutput();
        if (result == TLZ77Decoder::ResultStreamEnd) {
            if (missing > 0 || idatSize_ > 0)
                GraphicErrorFmt("Cannot load image. Extra compressed data found in %s file.", kFormat);
            return true;
        }
        if (result != TLZ77Decoder::ResultOk)
            GraphicErrorFmt("Cannot load image. Compression error found in %s file.", kFormat);
    }
    return true;
}

} // namespace orvane::imaging
