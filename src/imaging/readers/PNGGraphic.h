#pragma once
// Reader of Portable Network Graphics files: walks the chunks, checks each
// chunk it reads against its CRC-32, inflates the image data (in one call
// when the picture and its filtered data fit in memory together, else row by
// row), undoes the row filters, de-interlaces Adam7 and converts every row
// into the bitmap's scan line.
#include "imaging/readers/ReaderGraphic.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace orvane::imaging {

class TLZ77Decoder;

class TPNGGraphic : public TReaderGraphic {
public:
    TPNGGraphic();
    ~TPNGGraphic() override;

    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    // More than 8 bytes left and the next 8 are the PNG signature. The
    // stream's position is kept.
    static bool AcceptsStream(TStream& stream);
    // The image index is ignored: a PNG file holds one image.
    bool ReadHeader(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;

    // Colours as 0x00BBGGRR (red in the low byte).
    static constexpr uint32_t NoTransparentColor = 0x1FFFFFFF;
    uint32_t BackgroundColor() const { return backgroundColor_; }
    uint32_t TransparentColor() const { return transparentColor_; }
    bool Transparent() const { return transparentColor_ != NoTransparentColor; }

private:
    // Chunk primitives.
    void ReadChunkHeader();
    const uint8_t* ReadChunkData();
    void SkipChunk();
    bool IsChunk(const char* type) const;

    // Loading steps.
    void ResetLoadState();
    void ReadImageHeader();
    void ReadChunks(TLoadingProgress& progress);

    void ChooseFormats();
    void ReadPalette();
    void ReadGamma();
    void ReadBackground();
    void ReadExif();
    void ReadIccProfile();
    void ReadTransparency();
    void DecodeImage(TLoadingProgress& progress);
    // The image data inflated in one call and unfiltered from there. False,
    // with the stream back at the first IDAT chunk and the bitmap still
    // black, when the picture takes the row by row path instead: too large
    // to hold its filtered data, or data that does not decode cleanly (the
    // row by row path then gives the partial picture or the error).
    bool DecodeWhole(TLoadingProgress& progress);
    size_t FilteredBytes() const;
    // Collects the consecutive IDAT chunks' data where it can be inflated at
    // once; nullptr when it cannot (see DecodeWhole). packed is the number of
    // bytes collected, inBitmap whether they were put into the bitmap's
    // memory (also when it fails, so that they can be cleared).
    const uint8_t* GatherImageData(int64_t first, size_t& packed, bool& inBitmap);
    void UnfilterWhole(TLoadingProgress& progress, const uint8_t* filtered);
    void DecodeInterlaced(TLoadingProgress& progress, uint8_t*& current, uint8_t*& previous);
    void DecodeRows(TLoadingProgress& progress, uint8_t*& current, uint8_t*& previous);
    // Inflates one stored row; false when the image data ended before it was
    // full (the rest of the row is then zero).
    bool ReadRow(uint8_t* row, size_t count);
    bool FillRow(uint8_t* row, size_t count);
    void EndLoading(bool failed);

    // IHDR fields of the image being loaded.
    struct THeader {
        uint32_t width = 0;
        uint32_t height = 0;
        uint8_t bitDepth = 0;
        uint8_t colorType = 0;
        uint8_t compression = 0;
        uint8_t filter = 0;
        uint8_t interlace = 0;
    };

    TStream* input_ = nullptr;
    std::unique_ptr<TLZ77Decoder> decoder_;
    size_t idatSize_ = 0;          // bytes of the current IDAT data not yet inflated
    std::vector<uint8_t> raw_;     // data of the chunk read last (streams not in memory)
    const uint8_t* currentSource_ = nullptr;
    uint32_t chunkLength_ = 0;
    uint8_t chunkType_[4] = {};
    uint32_t runningCrc_ = 0;
    size_t sourceBPP_ = 1;         // bytes per complete stored pixel, at least 1
    std::vector<TRGBQuad> palette_;
    bool hasPalette_ = false;
    bool formatsChosen_ = false;
    bool imageDecoded_ = false;
    uint32_t backgroundColor_ = 0xFFFFFF;
    uint32_t transparentColor_ = NoTransparentColor;
    THeader header_;
};

} // namespace orvane::imaging
