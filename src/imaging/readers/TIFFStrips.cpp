// Strip by strip transfer of a TIFF image into the bitmap.
#include "imaging/color/ColorManager.h"
#include "imaging/core/LargeBuffer.h"
#include "imaging/decoders/Decoder.h"
#include "imaging/readers/TIFFGraphic.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace orvane::imaging {

namespace {

const char* const TooLarge = "The picture is too large to be shown";

[[noreturn]] void InvalidFile()
{
    TReaderGraphic::GraphicErrorFmt("Cannot load image. Invalid or unexpected %s image format.", "TIF/TIFF");
}

// Expands one row of subsampled YCbCr blocks (h x v luma samples, Cb, Cr per
// block) into v rows of interleaved Y, Cb, Cr pixels.
void ExpandYCbCrBlocks(const uint8_t* blocks, size_t width, unsigned h, unsigned v, uint8_t* rows)
{
    const size_t blockBytes = size_t{h} * v + 2;
    const size_t blockCount = (width + h - 1) / h;
    for (size_t b = 0; b < blockCount; ++b) {
        const uint8_t* block = blocks + b * blockBytes;
        const uint8_t cb = block[h * v], cr = block[h * v + 1];
        for (unsigned y = 0; y < v; ++y) {
            uint8_t* row = rows + y * width * 3;
            for (unsigned x = 0; x < h; ++x) {
                const size_t column = b * h + x;
                if (column >= width)
                    break;
                uint8_t* pixel = row + column * 3;
                pixel[0] = block[y * h + x];
                pixel[1] = cb;
                pixel[2] = cr;
            }
        }
    }
}

// Horizontal differencing undone for 8-bit samples with the running sums in
// registers (the same result as the shared routine, several times faster).
void UndoDifferencing8x1(uint8_t* row, size_t samples)
{
    uint8_t a = row[0];
    for (size_t i = 1; i < samples; ++i)
        row[i] = a = static_cast<uint8_t>(a + row[i]);
}

void UndoDifferencing8x3(uint8_t* row, size_t samples)
{
    uint8_t a = row[0], b = row[1], c = row[2];
    for (size_t i = 3; i + 3 <= samples; i += 3) {
        row[i] = a = static_cast<uint8_t>(a + row[i]);
        row[i + 1] = b = static_cast<uint8_t>(b + row[i + 1]);
        row[i + 2] = c = static_cast<uint8_t>(c + row[i + 2]);
    }
}

void UndoDifferencing8x4(uint8_t* row, size_t samples)
{
    uint8_t a = row[0], b = row[1], c = row[2], d = row[3];
    for (size_t i = 4; i + 4 <= samples; i += 4) {
        row[i] = a = static_cast<uint8_t>(a + row[i]);
        row[i + 1] = b = static_cast<uint8_t>(b + row[i + 1]);
        row[i + 2] = c = static_cast<uint8_t>(c + row[i + 2]);
        row[i + 3] = d = static_cast<uint8_t>(d + row[i + 3]);
    }
}

} // namespace

const uint8_t* TTIFFGraphic::StripData(uint32_t offset, size_t count, std::vector<uint8_t>& holder)
{
    TStream& stream = Stream();
    const int64_t start = BasePosition() + offset;
    const int64_t size = stream.Size();
    if (start > size || count > static_cast<uint64_t>(size - start))
        InvalidFile();
    if (const uint8_t* memory = stream.Memory())
        return memory + start;
    holder.resize(count);
    stream.SetPosition(start);
    stream.ReadBuffer(holder.data(), count);
    return holder.data();
}

void TTIFFGraphic::UndoPredictor(uint8_t* row, size_t stride) const
{
    const TImageProperties& p = ImageProperties();
    const size_t samples = static_cast<size_t>(p.Width) * stride;
    if (p.BitsPerSample == 8) {
        if (samples < stride)
            return;
        switch (stride) {
        case 1: UndoDifferencing8x1(row, samples); break;
        case 3: UndoDifferencing8x3(row, samples); break;
        case 4: UndoDifferencing8x4(row, samples); break;
        default: UndoHorizontalDifferencing(row, samples, stride); break;
        }
        return;
    }
    // 16-bit samples add up as 16-bit values, in the file's byte order.
    const bool big = (p.Options & ioBigEndian) != 0;
    auto get = [&](size_t i) { return big ? GetBE16(row + 2 * i) : GetLE16(row + 2 * i); };
    for (size_t i = stride; i < samples; ++i) {
        const uint16_t value = static_cast<uint16_t>(get(i) + get(i - stride));
        row[2 * i + (big ? 0 : 1)] = static_cast<uint8_t>(value >> 8);
        row[2 * i + (big ? 1 : 0)] = static_cast<uint8_t>(value);
    }
}

void TTIFFGraphic::ConvertRow(const uint8_t* const* rows, TLoadingProgress& progress)
{
    TImageProperties& p = ImageProperties();
    uint8_t* target = ScanLine(static_cast<int>(p.CurrentRow));
    if (planes_ == 1)
        ColorManager().ConvertPixels(rows[0], 0xFF, static_cast<size_t>(Width()), target);
    else
        ColorManager().ConvertPixels(rows, planes_, 0xFF, static_cast<size_t>(Width()), target);
    ++p.CurrentRow;
    progress.Row(p.CurrentRow, p.Height);
}

const uint8_t* TTIFFGraphic::LoadStrip(TDecoder* decoder, size_t index, size_t stripSize, size_t groupBytes,
                                       std::vector<uint8_t>& holder, TZeroedBuffer& unpacked, size_t& groups)
{
    if (!decoder)
        return StripData(stripOffsets_[index], stripSize, holder);

    const int64_t start = BasePosition() + stripOffsets_[index];
    // Without a byte count a strip may run to the end of the file.
    size_t count = 0;
    if (index < stripByteCounts_.size())
        count = stripByteCounts_[index];
    else if (start <= Stream().Size())
        count = static_cast<size_t>(Stream().Size() - start);
    const uint8_t* packed = StripData(stripOffsets_[index], count, holder);
    uint8_t* const buffer = unpacked.Reserve(stripSize);
    if (!buffer)
        GraphicErrorFmt("Not enough memory for a picture of %d x %d pixels", ImageProperties().Width,
                        ImageProperties().Height);
    uint8_t* target = buffer;
    decoder->Decode(packed, target, count, stripSize);
    // Only the row groups the data reached are taken; what the data did not
    // fill of the last one stays black, not the previous strip's.
    const size_t produced = static_cast<size_t>(target - buffer);
    groups = std::min(groups, (produced + groupBytes - 1) / groupBytes);
    std::fill(target, buffer + groups * groupBytes, uint8_t{0});
    if (applyPredictor_)
        for (size_t g = 0; g < groups; ++g)
            UndoPredictor(buffer + g * groupBytes, planes_ > 1 || planesInFile_ > 1 ? 1 : ImageProperties().SamplesPerPixel);
    return buffer;
}

uint64_t TTIFFGraphic::DistinctStripBytes()
{
    const uint64_t size = static_cast<uint64_t>(Stream().Size());
    std::vector<std::pair<uint64_t, uint64_t>> ranges;
    ranges.reserve(stripOffsets_.size());
    for (size_t i = 0; i < stripOffsets_.size(); ++i) {
        const uint64_t start = static_cast<uint64_t>(BasePosition()) + stripOffsets_[i];
        if (start >= size)
            continue;
        const uint64_t count = i < stripByteCounts_.size() ? stripByteCounts_[i] : size - start;
        ranges.emplace_back(start, std::min(size, start + count));
    }
    std::sort(ranges.begin(), ranges.end());
    uint64_t total = 0, reached = 0;
    for (const auto& [start, end] : ranges) {
        const uint64_t from = std::max(start, reached);
        if (end > from)
            total += end - from;
        reached = std::max(reached, end);
    }
    return total;
}

// The first groups of a decoded strip into the bitmap, plane by plane;
// subsampled YCbCr blocks are expanded to their rows first.
void TTIFFGraphic::ConvertGroups(const uint8_t* const* data, size_t groups, size_t groupBytes,
                                 std::vector<uint8_t>& expanded, TLoadingProgress& progress)
{
    TImageProperties& p = ImageProperties();
    const uint32_t height = static_cast<uint32_t>(p.Height);
    const size_t width = static_cast<size_t>(p.Width);
    std::array<const uint8_t*, 4> rowsOf{};
    for (size_t g = 0; g < groups && p.CurrentRow < height; ++g) {
        for (unsigned plane = 0; plane < planes_; ++plane)
            rowsOf[plane] = data[plane] + g * groupBytes;
        if (!blockedYCbCr_) {
            ConvertRow(rowsOf.data(), progress);
            continue;
        }
        const unsigned h = p.YCbCrSubSampling[0], v = p.YCbCrSubSampling[1];
        ExpandYCbCrBlocks(rowsOf[0], width, h, v, expanded.data());
        for (unsigned y = 0; y < v && p.CurrentRow < height; ++y) {
            const uint8_t* row = expanded.data() + y * width * 3;
            ConvertRow(&row, progress);
        }
    }
}

void TTIFFGraphic::TransferStrips(TDecoder* decoder, TLoadingProgress& progress)
{
    TImageProperties& p = ImageProperties();
    const uint32_t height = static_cast<uint32_t>(p.Height);
    const size_t width = static_cast<size_t>(p.Width);
    p.CurrentRow = 0;
    p.StripCount = static_cast<uint32_t>(stripOffsets_.size());
    // With separate planes the strips of plane s follow those of plane s - 1.
    const size_t stripsPerPlane = p.StripCount / planesInFile_;

    // A strip is a series of row groups: single rows, or for subsampled
    // YCbCr rows of blocks covering v image rows.
    const unsigned h = blockedYCbCr_ ? p.YCbCrSubSampling[0] : 1;
    const unsigned v = blockedYCbCr_ ? p.YCbCrSubSampling[1] : 1;
    const size_t groupBytes = blockedYCbCr_ ? CheckedMul((width + h - 1) / h, size_t{h} * v + 2, TooLarge) : rowLength_;
    if (groupBytes == 0)
        return;
    std::vector<uint8_t> expanded(blockedYCbCr_ ? CheckedMul(width * 3, v, TooLarge) : 0);

    // Strips may share their data, so a small file could decode the same
    // bytes again for every strip of a huge picture. What all strips decode
    // together stays within what the distinct strip data can expand to
    // (deflate's largest ratio) plus a little: beyond that the rest stays
    // black.
    const uint64_t budget = (uint64_t{48} << 20) + DistinctStripBytes() * 1032;
    uint64_t decodedTotal = 0;
    std::array<std::vector<uint8_t>, 4> holders;
    std::array<TZeroedBuffer, 4> buffers;
    std::array<const uint8_t*, 4> data{};
    for (size_t strip = 0; strip < stripsPerPlane && p.CurrentRow < height && decodedTotal <= budget; ++strip) {
        p.CurrentStrip = static_cast<uint32_t>(strip);
        const uint32_t rowsPerStrip = p.RowsPerStrip[std::min<size_t>(strip, p.RowsPerStrip.size() - 1)];
        // The last strip holds only the rows the image still needs.
        const uint32_t rows = std::min(rowsPerStrip, height - p.CurrentRow);
        if (rows == 0)
            continue;
        const size_t groups = (rows + v - 1) / v;
        const size_t stripSize = CheckedMul(groups, groupBytes, TooLarge);
        if (stripSize > TBitmap::MaxImageBytes())
            GraphicErrorFmt("%s (%d x %d pixels)", TooLarge, p.Width, p.Height);
        // Compressed strips give the groups their data decodes to: the
        // fullest plane counts, the others are black beyond their data.
        size_t decoded = 0;
        std::array<size_t, 4> got{};
        for (unsigned plane = 0; plane < planes_; ++plane) {
            got[plane] = groups;
            data[plane] = LoadStrip(decoder, plane * stripsPerPlane + strip, stripSize, groupBytes, holders[plane],
                                    buffers[plane], got[plane]);
            decoded = std::max(decoded, got[plane]);
        }
        if (decoder)
            for (unsigned plane = 0; plane < planes_; ++plane)
                std::fill(buffers[plane].Data() + got[plane] * groupBytes, buffers[plane].Data() + decoded * groupBytes,
                          uint8_t{0});

        decodedTotal += static_cast<uint64_t>(decoded) * groupBytes * planes_;
        const uint32_t stripEnd = p.CurrentRow + rows;
        ConvertGroups(data.data(), decoded, groupBytes, expanded, progress);
        if (p.CurrentRow < stripEnd) {
            // The strip's data ended early: its remaining rows keep the
            // bitmap's black in one step instead of being converted one by one.
            p.CurrentRow = std::min(stripEnd, height);
            progress.Row(p.CurrentRow, p.Height);
        }
    }
}

} // namespace orvane::imaging
