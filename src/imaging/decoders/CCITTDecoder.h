#pragma once
// One-dimensional fax decoders (ITU-T T.4 modified Huffman) for TIFF
// compressions 2, 3 and 32771. Output is 1 bit per pixel, most significant bit
// first, a 1 bit being black; every row starts on a byte boundary. Decode
// writes (white, then the black runs) only the rows it reaches: the output
// beyond the returned target position is left as the caller gave it.
#include "imaging/decoders/CCITTCodeTree.h"
#include "imaging/decoders/Decoder.h"

namespace orvane::imaging {

class TCCITTDecoder : public TDecoder {
public:
    // Options are the TIFF T4Options (bit 0: rows may be two-dimensionally
    // coded, each end of line is then followed by a 1D/2D tag bit). With
    // reverse bit order each input byte is read least significant bit first.
    TCCITTDecoder(uint32_t options, int width, bool wordAligned, bool reverseBitOrder);

    size_t Encode(const uint8_t* source, uint8_t* target, size_t count) override;

    uint32_t Options() const { return options_; }
    int Width() const { return width_; }
    bool WordAligned() const { return wordAligned_; }
    bool ReverseBitOrder() const { return reverseBitOrder_; }

protected:
    // Sets up the bit reader and the output.
    void Start(const uint8_t* source, uint8_t* target, size_t packedSize, size_t unpackedSize);
    // Moves the caller's positions to where decoding ended.
    void Finish(const uint8_t*& source, uint8_t*& target) const;

    bool HasBit();
    int ReadBit(); // call only after HasBit() returned true
    // Drops the rest of the current input byte.
    void DropPartialByte() { bitsLeft_ = 0; }
    // Skips a byte of input if needed so the next byte lies at an even
    // offset from the start of the data.
    void AlignInputToWord();

    // Reads one run of the given colour: the sum of its make-up codes and its
    // terminating code, or EndOfLine / Invalid. At the end of the input the
    // sum so far.
    int32_t ReadRun(bool black);

    bool OutputFull() const { return rowStart_ >= targetEnd_; }
    void BeginRow();
    // Writes a run into the current row, cut at the pixels left in the row.
    void WriteRun(int32_t run, bool black);
    bool RowComplete() const { return pixelsLeft_ == 0; }
    void EndRow();

private:
    // Clears the current row to white once, before its first write.
    void ClearRow();

    uint32_t options_;
    int width_;
    bool wordAligned_;
    bool reverseBitOrder_;
    TCCITTCodeTree whiteTree_;
    TCCITTCodeTree blackTree_;

    // Bit reader.
    const uint8_t* sourceStart_ = nullptr;
    const uint8_t* source_ = nullptr;
    const uint8_t* sourceEnd_ = nullptr;
    uint8_t currentByte_ = 0;
    uint8_t bitMask_ = 0;
    int bitsLeft_ = 0;

    // Output.
    uint8_t* rowStart_ = nullptr;
    uint8_t* targetEnd_ = nullptr;
    size_t rowBytes_ = 0;
    size_t rowPixel_ = 0;
    size_t pixelsLeft_ = 0;
    bool rowCleared_ = false;
};

// Group 3: every row begins with an end-of-line code; a row ends when it is
// complete or at an end-of-line or invalid code. Rows coded two-dimensionally
// are left white.
class TCCITTFax3Decoder : public TCCITTDecoder {
public:
    using TCCITTDecoder::TCCITTDecoder;
    void Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize) override;
};

// Modified Huffman without end-of-line codes; every row of input starts on a
// byte boundary, with word alignment on a 16-bit boundary of the data.
class TCCITTMHDecoder : public TCCITTDecoder {
public:
    using TCCITTDecoder::TCCITTDecoder;
    void Decode(const uint8_t*& source, uint8_t*& target, size_t packedSize, size_t unpackedSize) override;
};

} // namespace orvane::imaging
