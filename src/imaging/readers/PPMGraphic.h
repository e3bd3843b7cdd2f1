#pragma once
// Portable bitmaps, gray maps and pixel maps (pbm, pgm, ppm), in their text
// (P1-P3) and binary (P4-P6) forms.
#include "imaging/readers/ReaderGraphic.h"

namespace orvane::imaging {

class TPPMGraphic : public TReaderGraphic {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    static bool AcceptsStream(TStream& stream);
    bool ReadHeader(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;

private:
    static constexpr size_t bufferSize = 4096;

    uint8_t GetByte();
    // Skips everything up to the next digit ("#" comments to the end of
    // their line) and reads a decimal number, consuming the character after
    // it. Values beyond 32 bits read as 0xFFFFFFFF.
    uint32_t GetNumber();
    // The next "0" or "1" of a text bitmap.
    bool GetBit();
    void GetBlock(uint8_t* target, size_t count);
    // Bytes still to come: in the buffer and in the stream.
    uint64_t Available();
    [[noreturn]] static void ReadPastEnd();

    // Loading steps.
    size_t CheckRowBytes();
    void PrepareBitmap();
    // One row of each kind of file into a scan line.
    void TextBitRow(uint8_t* scan);
    void TextGrayRow(uint8_t* scan);
    void TextColourRow(uint8_t* scan);
    void BinaryRow(uint8_t* scan, size_t rowBytes, std::vector<uint8_t>& wideRow);
    // A sample of a text file as 8 bits.
    uint8_t TextSample();

    TStream* source_ = nullptr;
    uint8_t buffer_[bufferSize] = {};
    size_t bufferIndex_ = bufferSize; // bufferSize: empty
    size_t bufferFill_ = bufferSize;
    char kind_ = 0;       // '1'..'6'
    uint32_t maximum_ = 0; // largest sample value the header gives
};

} // namespace orvane::imaging
