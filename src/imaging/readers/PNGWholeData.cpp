// PNG image data inflated in one call. The consecutive IDAT chunks are
// checked against their CRC-32 and their data is put together (read where it
// lies when one chunk holds it all, else copied into the bitmap's own pixel
// memory, which is not needed before the first row is converted); the whole
// zlib stream then inflates at once into one buffer of filtered rows, which
// are unfiltered in place, each against the row above it, and converted into
// the bitmap. Peak memory is the bitmap and the filtered rows.
//
// Anything unusual (a CRC error, damaged or short data, data beyond the
// stream's end) sends the picture back to the row by row path of
// PNGImageData.cpp, which has the final word on partial pictures and errors.
#include "imaging/readers/PNGFilters.h"
#include "imaging/readers/PNGGraphic.h"
#include "imaging/readers/PNGLayout.h"

#include "imaging/color/ColorManager.h"
#include "imaging/core/LargeBuffer.h"
#include "imaging/decoders/WholeInflate.h"

#include <zlib.h>

#include <array>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace orvane::imaging {

using png_detail::kPasses;
using png_detail::PassPixels;
using png_detail::PassRows;
using png_detail::StoredRowBytes;

size_t TPNGGraphic::FilteredBytes() const
{
    const size_t width = static_cast<size_t>(Width());
    const size_t height = static_cast<size_t>(Height());
    const size_t n = header_.bitDepth == 16 ? sourceBPP_ / 2 : sourceBPP_;
    if (header_.interlace != 1)
        return CheckedMul(StoredRowBytes(width, header_.bitDepth, n), height, png_detail::kTooLarge);
    size_t total = 0;
    for (const auto& pass : kPasses) {
        const size_t pixels = PassPixels(pass, width);
        if (pixels == 0)
            continue;
        const size_t bytes = CheckedMul(StoredRowBytes(pixels, header_.bitDepth, n), PassRows(pass, height),
                                        png_detail::kTooLarge);
        if (bytes > std::numeric_limits<size_t>::max() - total)
            throw EInvalidGraphic(png_detail::kTooLarge);
        total += bytes;
    }
    return total;
}

const uint8_t* TPNGGraphic::GatherImageData(int64_t first, size_t& packed, bool& inBitmap)
{
    packed = 0;
    inBitmap = false;
    // The chunks' sizes first, without reading their data. Each must be
    // followed by its CRC and the next chunk's header: a file that ends
    // inside the image data is the row by row path's to report.
    uint64_t total = 0;
    size_t pieces = 0;
    while (IsChunk("IDAT")) {
        const int64_t remaining = input_->Remaining();
        if (remaining < 12 || static_cast<uint64_t>(remaining) - 12 < chunkLength_)
            return nullptr;
        total += chunkLength_; // at most the stream's size
        pieces += chunkLength_ > 0;
        input_->Seek(int64_t{chunkLength_} + 4, TSeekOrigin::soCurrent);
        ReadChunkHeader();
    }
    if (pieces == 0)
        return nullptr;
    const uint8_t* memory = input_->Memory();
    const bool inPlace = pieces == 1 && memory;
    if (!inPlace && total > ImageSize())
        return nullptr;
    uint8_t* const gathered = inPlace ? nullptr : RawBits(); // left zero again or written row by row
    inBitmap = !inPlace;

    input_->SetPosition(first);
    ReadChunkHeader();
    const uint8_t* data = gathered;
    while (IsChunk("IDAT")) {
        const uint8_t* bytes;
        if (memory) {
            bytes = memory + input_->Position();
            input_->Seek(chunkLength_, TSeekOrigin::soCurrent);
        } else {
            bytes = gathered + packed;
            input_->ReadBuffer(gathered + packed, chunkLength_);
        }
        if (chunkLength_ > 0) {
            if (inPlace)
                data = bytes;
            else if (memory)
                std::memcpy(gathered + packed, bytes, chunkLength_);
            // Counted before the check: what a failed check leaves in the
            // bitmap is cleared again.
            packed += chunkLength_;
        }
        uint8_t stored[4];
        input_->ReadBuffer(stored, 4);
        if (chunkLength_ > 0)
            runningCrc_ = static_cast<uint32_t>(crc32(runningCrc_, bytes, chunkLength_));
        if (runningCrc_ != GetBE32(stored))
            return nullptr;
        ReadChunkHeader();
    }
    return data;
}

bool TPNGGraphic::DecodeWhole(TLoadingProgress& progress)
{
    // The filtered rows count against the same limit as the bitmap, before
    // anything is allocated for them.
    const size_t filtered = FilteredBytes();
    const size_t limit = TBitmap::MaxImageBytes();
    if (ImageSize() > limit || filtered > limit - ImageSize())
        return false;

    const int64_t first = input_->Position() - 8;
    size_t packed = 0;
    bool inBitmap = false;
    if (const uint8_t* source = GatherImageData(first, packed, inBitmap)) {
        TZeroedBuffer buffer;
        uint8_t* rows = buffer.Reserve(filtered);
        size_t used = 0, produced = 0;
        if (rows && TWholeInflater().Inflate(source, packed, rows, filtered, used, produced) && used == packed &&
            produced == filtered) {
            UnfilterWhole(progress, rows);
            return true;
        }
    }
    // Back to the first IDAT chunk with a black picture.
    if (inBitmap && packed > 0)
        std::memset(RawBits(), 0, packed);
    input_->SetPosition(first);
    ReadChunkHeader();
    return false;
}

namespace {

// The gamma table on the colour samples of a row of pixels of `step` bytes
// (blue, green, red and, with 4, alpha, which keeps its value).
void ApplyGammaToColours(const std::array<uint8_t, 256>& table, uint8_t* row, size_t bytes, size_t step)
{
    for (size_t i = 0; i + 2 < bytes; i += step) {
        row[i] = table[row[i]];
        row[i + 1] = table[row[i + 1]];
        row[i + 2] = table[row[i + 2]];
    }
}

} // namespace

void TPNGGraphic::UnfilterWhole(TLoadingProgress& progress, const uint8_t* filtered)
{
    const size_t width = static_cast<size_t>(Width());
    const int height = Height();
    const size_t n = header_.bitDepth == 16 ? sourceBPP_ / 2 : sourceBPP_;
    TColorManager& cm = ColorManager();
    const size_t widest = StoredRowBytes(width, header_.bitDepth, n);
    // Each row is unfiltered into one of two row buffers, against the other
    // (zeros above the first row of the picture or of a pass), and converted
    // from there while it is at hand; the filtered rows are only read.
    std::vector<uint8_t> buffers(3 * widest, 0);
    const uint8_t* const zeros = buffers.data();
    uint8_t* current = buffers.data() + widest;
    uint8_t* other = current + widest;
    const uint8_t* row = filtered;
    auto unfilter = [&](size_t rowBytes, const uint8_t*& above) {
        png_detail::UnfilterRowInto(row, above, current, rowBytes, sourceBPP_);
        row += rowBytes;
        above = current;
        std::swap(current, other);
        return above;
    };
    // The gamma of gAMA is applied to each row as it comes out of the
    // unfiltering, while the row is at hand.
    const bool gamma = (cm.TargetOptions() & coApplyGamma) != 0;
    const bool plain8 = header_.interlace != 1 && header_.bitDepth == 8;
    if (plain8 && header_.colorType == 2) {
        // 8-bit RGB: unfiltered from the filtered data straight into the
        // bitmap's BGR rows, each against the row above as unfiltered (kept
        // aside when gamma then changes the bitmap's row).
        uint8_t* line = ScanLine(0);
        const size_t lineBytes = width * 3; // the stored row less its filter byte
        std::vector<uint8_t> unfiltered(gamma ? lineBytes : 0);
        if (png_detail::UnfilterRgbRowToBgr(row, zeros, line, widest)) {
            const auto finishRow = [&](int y) {
                if (gamma) {
                    std::memcpy(unfiltered.data(), line, lineBytes);
                    ApplyGammaToColours(cm.GammaTable(), line, lineBytes, 3);
                }
                progress.Row(y, height);
            };
            finishRow(0);
            for (int y = 1; y < height; ++y) {
                row += widest;
                const uint8_t* above = gamma ? unfiltered.data() : line;
                line = ScanLine(y);
                png_detail::UnfilterRgbRowToBgr(row, above, line, widest);
                finishRow(y);
            }
            return;
        }
    }
    if (plain8 && header_.colorType == 6) {
        // 8-bit RGBA: the bitmap's BGRA rows come out of the unfiltering
        // itself.
        const uint8_t* above = zeros;
        for (int y = 0; y < height; ++y) {
            uint8_t* line = ScanLine(y);
            png_detail::UnfilterRgbaRowInto(row, above, current, line, widest);
            if (gamma)
                ApplyGammaToColours(cm.GammaTable(), line, width * 4, 4);
            row += widest;
            above = current;
            std::swap(current, other);
            progress.Row(y, height);
        }
        return;
    }
    if (header_.interlace != 1) {
        const uint8_t* above = zeros;
        for (int y = 0; y < height; ++y) {
            cm.ConvertPixels(unfilter(widest, above), 0xFF, width, ScanLine(y));
            progress.Row(y, height);
        }
        return;
    }
    for (int pass = 0; pass < 7; ++pass) {
        const auto& p = kPasses[pass];
        const size_t pixels = PassPixels(p, width);
        if (pixels == 0)
            continue;
        const size_t rowBytes = StoredRowBytes(pixels, header_.bitDepth, n);
        const uint8_t* above = zeros;
        for (int64_t y = p.startRow; y < height; y += p.rowStep) {
            cm.ConvertPixels(unfilter(rowBytes, above), p.mask, width, ScanLine(static_cast<int>(y)));
            if (pass == 6)
                progress.Row(y + 1, height);
        }
    }
}

} // namespace orvane::imaging
