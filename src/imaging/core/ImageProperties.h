#pragma once
// What a picture file's header says, as the readers fill it in, and the
// enumerations shared by the readers, the colour manager and the decoders.
#include <cstdint>
#include <vector>

namespace orvane::imaging {

enum class TColorScheme : uint8_t {
    csUnknown = 0,
    csIndexed = 1,
    csG = 2,
    csGA = 3,
    csRGB = 4,
    csRGBA = 5,
    csBGR = 6,
    csBGRA = 7,
    csCMY = 8,
    csCMYK = 9,
    csCIELab = 10,
    csYCbCr = 11,
    csPhotoYCC = 12,
};

enum class TCompressionType : uint8_t {
    ctUnknown = 0,
    ctNone = 1,
    ctRLE = 2,
    ctPackedBits = 3,
    ctLZW = 4,
    ctFax3 = 5,
    ctFaxRLE = 6,
    ctFax4 = 7,
    ctFaxRLEW = 8,
    ctLZ77 = 9,
    ctJPEG = 10,
    ctOJPEG = 11,
    ctThunderscan = 12,
    ctNext = 13,
    ctIT8CTPAD = 14,
    ctIT8LW = 15,
    ctIT8MP = 16,
    ctIT8BL = 17,
    ctPixarFilm = 18,
    ctPixarLog = 19,
    ctDCS = 20,
    ctJBIG = 21,
    ctPCDHuffmann = 22,
};

// Bits of TImageProperties::Options.
enum TImageOption : uint8_t {
    ioTiled = 1,
    ioBigEndian = 2,
    ioMinIsWhite = 4,
    ioReversed = 8,
    ioUseGamma = 16,
};

struct TImageProperties {
    uint32_t Version = 0;
    uint8_t Options = 0; // TImageOption bits
    int32_t Width = 0;
    int32_t Height = 0;
    TColorScheme ColorScheme = TColorScheme::csUnknown;
    uint8_t BitsPerSample = 0;
    uint8_t SamplesPerPixel = 0;
    uint8_t BitsPerPixel = 0;
    TCompressionType Compression = TCompressionType::ctUnknown;
    float FileGamma = 1.0f;
    float XResolution = 0;
    float YResolution = 0;
    bool Interlaced = false;
    bool HasAlpha = false;
    // TIFF
    uint32_t FirstIFD = 0;
    uint32_t PlanarConfig = 0;
    uint32_t CurrentRow = 0; // rows done while loading
    uint32_t TileWidth = 0;
    uint32_t TileLength = 0;
    uint32_t BytesPerLine = 0; // row length: (bits per pixel * width + 7) / 8
    std::vector<uint32_t> RowsPerStrip;
    std::vector<uint8_t> YCbCrSubSampling; // horizontal, vertical
    std::vector<uint8_t> JPEGTables;
    uint32_t CurrentStrip = 0;
    uint32_t StripCount = 0;
    uint32_t Predictor = 0;
    // Photo-CD
    bool Overview = false;
    uint8_t Rotate = 0;
    uint16_t ImageCount = 0;
    // Alias/Wavefront
    bool BottomUp = false;
    // Photoshop
    uint8_t Channels = 0;
    // PNG
    uint8_t FilterMode = 0;

    // Clears every field (freeing the arrays); the file gamma becomes 1.0.
    void Clear() { *this = TImageProperties{}; }
};

} // namespace orvane::imaging
