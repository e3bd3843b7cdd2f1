#pragma once
// Reader of the first image of a Tagged Image File Format file (TIFF 6.0
// layout, both byte orders): parses the header and the image file directory
// into the image properties, picks a stream decoder by the compression tag and
// converts the image strip by strip into the bitmap. Tiled images load as an
// empty bitmap. Its format name in messages is "TIF/TIFF".
#include "imaging/readers/ReaderGraphic.h"
#include "imaging/readers/TIFFDirectory.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace orvane::imaging {

class TDecoder;
class TZeroedBuffer;
struct TConversion;

class TTIFFGraphic : public TReaderGraphic {
public:
    TTIFFGraphic();
    ~TTIFFGraphic() override;

    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    // More than 8 bytes left, "II" or "MM", version 42 and a first directory
    // offset inside the rest of the stream. The position is kept.
    static bool AcceptsStream(TStream& stream);
    // Image 0 is the first directory; higher indexes follow the chain of
    // next-directory offsets.
    bool ReadHeader(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;

    // The directory read last, sorted by tag.
    const TTIFFDirectory& Directory() const { return directory_; }
    const std::vector<uint16_t>& ColorMap() const { return colorMap_; }
    const std::vector<float>& YCbCrCoefficients() const { return yCbCrCoefficients_; }
    uint32_t YCbCrPositioning() const { return yCbCrPositioning_; }

private:
    // Steps of ReadHeader.
    bool ReadDirectory(TStream& stream, int imageIndex);
    void ReadSampleLayout();
    void ReadYCbCrFields();

    // Configures the colour manager and the bitmap for the image read by
    // ReadHeader.
    void PrepareBitmap();
    TConversion ChooseConversion(bool planar) const;
    bool PrepareYCbCr(bool planar);
    void ChooseRowLayout(bool planar, bool indexedFamily, TColorScheme source);
    void MakePalette();
    std::unique_ptr<TDecoder> CreateDecoder();
    void TransferStrips(TDecoder* decoder, TLoadingProgress& progress);
    // The bytes of a strip at its offset: a view into the stream's memory or
    // a copy in holder. Data beyond the stream is the reader's error.
    const uint8_t* StripData(uint32_t offset, size_t count, std::vector<uint8_t>& holder);
    // Decoded bytes of strip `index` (stripSize bytes, groups of groupBytes):
    // groups comes in as the strip's group count and goes out as the count
    // its data decoded to.
    const uint8_t* LoadStrip(TDecoder* decoder, size_t index, size_t stripSize, size_t groupBytes,
                             std::vector<uint8_t>& holder, TZeroedBuffer& unpacked, size_t& groups);
    // Bytes of the file that strips hold, each counted once however many
    // strips share it.
    uint64_t DistinctStripBytes();
    void UndoPredictor(uint8_t* row, size_t stride) const;
    void ConvertRow(const uint8_t* const* rows, TLoadingProgress& progress);
    void ConvertGroups(const uint8_t* const* data, size_t groups, size_t groupBytes, std::vector<uint8_t>& expanded,
                       TLoadingProgress& progress);

    TTIFFDirectory directory_;
    std::vector<uint16_t> colorMap_;
    std::vector<float> yCbCrCoefficients_{0.299f, 0.587f, 0.114f};
    uint32_t yCbCrPositioning_ = 1;

    // Per load.
    std::vector<uint32_t> stripOffsets_;
    std::vector<uint32_t> stripByteCounts_;
    size_t rowLength_ = 0;        // bytes per decoded row (of one plane)
    unsigned planes_ = 1;         // planes handed to the colour manager
    unsigned planesInFile_ = 1;   // planes stored (separate planes only)
    bool applyPredictor_ = false;
    bool blockedYCbCr_ = false;   // subsampled YCbCr stored in blocks
};

} // namespace orvane::imaging
