#include "imaging/decoders/CCITTDecoder.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace orvane::imaging {

namespace {

constexpr std::array<uint8_t, 256> MakeReverseTable()
{
    std::array<uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        int reversed = 0;
        for (int bit = 0; bit < 8; ++bit)
            if (i & (1 << bit))
                reversed |= 0x80 >> bit;
        table[static_cast<size_t>(i)] = static_cast<uint8_t>(reversed);
    }
    return table;
}

constexpr std::array<uint8_t, 256> ReverseTable = MakeReverseTable();

// Sets count bits to 1 from bit position first of row, most significant bit
// first, within the row's bytes.
void SetBits(uint8_t* row, size_t first, size_t count)
{
    size_t bit = first;
    const size_t end = first + count;
    while (bit < end && bit % 8 != 0) {
        row[bit / 8] |= static_cast<uint8_t>(0x80u >> (bit % 8));
        ++bit;
    }
    const size_t wholeBytes = (end - bit) / 8;
    std::memset(row + bit / 8, 0xFF, wholeBytes);
    bit += wholeBytes * 8;
    while (bit < end) {
        row[bit / 8] |= static_cast<uint8_t>(0x80u >> (bit % 8));
        ++bit;
    }
}

} // namespace

TCCITTDecoder::TCCITTDecoder(uint32_t options, int width, bool wordAligned, bool reverseBitOrder)
    : options_(options),
      width_(width),
      wordAligned_(wordAligned),
      reverseBitOrder_(reverseBitOrder),
      whiteTree_(TCCITTCodeTree::White()),
      blackTree_(TCCITTCodeTree::Black())
{
}

size_t TCCITTDecoder::Encode(const uint8_t*, uint8_t*, size_t)
{
    return 0;
}

void TCCITTDecoder::Start(const uint8_t* source, uint8_t* target, size_t packedSize, size_t unpackedSize)
{
    // Rows are cleared as the decoder reaches them, not all at once: a strip
    // whose data ends early costs only the rows it holds.
    rowCleared_ = false;
    sourceStart_ = source;
    source_ = source;
    sourceEnd_ = source + packedSize;
    bitsLeft_ = 0;
    bitMask_ = 0;
    rowStart_ = target;
    targetEnd_ = target + unpackedSize;
    rowBytes_ = width_ > 0 ? (static_cast<size_t>(width_) + 7) / 8 : 0;
    // Without pixels in a row nothing can be decoded.
    if (rowBytes_ == 0)
        rowStart_ = targetEnd_;
    rowPixel_ = 0;
    pixelsLeft_ = 0;
}

void TCCITTDecoder::Finish(const uint8_t*& source, uint8_t*& target) const
{
    source = source_;
    target = std::min(rowStart_, targetEnd_);
}

bool TCCITTDecoder::HasBit()
{
    if (bitsLeft_ > 0)
        return true;
    if (source_ == sourceEnd_)
        return false;
    currentByte_ = reverseBitOrder_ ? ReverseTable[*source_] : *source_;
    ++source_;
    bitMask_ = 0x80;
    bitsLeft_ = 8;
    return true;
}

int TCCITTDecoder::ReadBit()
{
    const int bit = (currentByte_ & bitMask_) != 0;
    bitMask_ >>= 1;
    --bitsLeft_;
    return bit;
}

void TCCITTDecoder::AlignInputToWord()
{
    if ((source_ - sourceStart_) % 2 != 0 && source_ < sourceEnd_)
        ++source_;
}

int32_t TCCITTDecoder::ReadRun(bool black)
{
    const TCCITTCodeTree& tree = black ? blackTree_ : whiteTree_;
    int32_t sum = 0;
    int32_t node = 0;
    for (;;) {
        const TCCITTCodeTree::Node& current = tree.At(node);
        int32_t child = TCCITTCodeTree::None;
        // A leaf ends its code without looking at the next bit: that bit may
        // belong to the next row, which starts on a fresh byte.
        if (current.child[0] != TCCITTCodeTree::None || current.child[1] != TCCITTCodeTree::None) {
            if (!HasBit())
                return sum;
            child = current.child[(currentByte_ & bitMask_) != 0];
        }
        if (child == TCCITTCodeTree::None) {
            const int32_t value = current.runLength;
            if (value < 0)
                return value;
            sum += value;
            if (value < 64)
                return sum;
            node = 0; // a make-up code: the run goes on
            continue;
        }
        ReadBit();
        node = child;
    }
}

void TCCITTDecoder::BeginRow()
{
    rowPixel_ = 0;
    pixelsLeft_ = static_cast<size_t>(width_);
}

void TCCITTDecoder::WriteRun(int32_t run, bool black)
{
    if (run <= 0)
        return;
    const size_t n = std::min(static_cast<size_t>(run), pixelsLeft_);
    if (black) {
        ClearRow();
        // The last row may be cut by the end of the output.
        const size_t rowBits = std::min(rowBytes_, static_cast<size_t>(targetEnd_ - rowStart_)) * 8;
        if (rowPixel_ < rowBits)
            SetBits(rowStart_, rowPixel_, std::min(n, rowBits - rowPixel_));
    }
    rowPixel_ += n;
    pixelsLeft_ -= n;
}

void TCCITTDecoder::ClearRow()
{
    if (rowCleared_)
        return;
    std::memset(rowStart_, 0, std::min(rowBytes_, static_cast<size_t>(targetEnd_ - rowStart_)));
    rowCleared_ = true;
}

void TCCITTDecoder::EndRow()
{
    ClearRow();
    rowCleared_ = false;
    rowStart_ += std::min(rowBytes_, static_cast<size_t>(targetEnd_ - rowStart_));
}

void TCCITTFax3Decoder::Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize)
{
    Start(source, target, packedSize, unpackedSize);
    bool endOfLineRead = false;
    while (!OutputFull()) {
        if (!endOfLineRead) {
            // Synchronise: eleven zero bits, then through the 1 that ends
            // the end-of-line code (fill bits may add more zeros).
            int zeros = 0;
            while (zeros < 11 && HasBit())
                zeros = ReadBit() ? 0 : zeros + 1;
            if (zeros < 11)
                break;
            bool found = false;
            while (HasBit())
                if (ReadBit()) {
                    found = true;
                    break;
                }
            if (!found)
                break;
        }
        endOfLineRead = false;
        if (Options() & 1) {
            if (!HasBit())
                break;
            if (ReadBit() == 0) {
                // A two-dimensionally coded row: not decoded, left white.
                EndRow();
                continue;
            }
        }
        BeginRow();
        bool black = false;
        while (!RowComplete() && HasBit()) {
            const int32_t run = ReadRun(black);
            if (run == TCCITTCodeTree::EndOfLine) {
                endOfLineRead = true;
                break;
            }
            if (run == TCCITTCodeTree::Invalid)
                break;
            WriteRun(run, black);
            black = !black;
        }
        EndRow();
        if (!HasBit())
            break;
    }
    Finish(source, target);
}

void TCCITTMHDecoder::Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize)
{
    Start(source, target, packedSize, unpackedSize);
    while (!OutputFull() && HasBit()) {
        BeginRow();
        bool black = false;
        while (!RowComplete() && HasBit()) {
            const int32_t run = ReadRun(black);
            WriteRun(run, black);
            black = !black;
        }
        EndRow();
        DropPartialByte();
        if (WordAligned())
            AlignInputToWord();
    }
    Finish(source, target);
}

} // namespace orvane::imaging
