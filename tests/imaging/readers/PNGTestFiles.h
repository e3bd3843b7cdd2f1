#pragma once
// A small PNG writer for the reader's tests (zlib for the image data, CRC-32
// per chunk), a reference decoder on libpng, and what a user sees of a
// decoded bitmap, as 8-bit RGBA.
#include "imaging/core/Bitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::test::png {

using Bytes = std::vector<uint8_t>;

// Samples of a picture as stored: rows top to bottom, samples per pixel by
// colour type, each below 2^depth.
struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t depth = 8;
    uint8_t colorType = 2;
    std::vector<uint16_t> samples;
    Bytes palette; // PLTE data (RGB triples) for colour type 3
    bool hasGamma = false;
    uint32_t gamma = 0; // gAMA value (gamma * 100000)

    int Channels() const;
    uint16_t At(uint32_t x, uint32_t y, int channel) const
    {
        return samples[(static_cast<size_t>(y) * width + x) * Channels() + channel];
    }
};

// Samples from a smooth pattern with some noise, deterministic per seed.
Image MakeImage(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType, uint32_t seed = 1);

// Filter type per stored row: a fixed type (0..4) or -1 to cycle through all five.
struct EncodeOptions {
    bool interlace = false;
    int filter = -1;
    int idatChunks = 1; // the zlib stream split over this many IDAT chunks
};

Bytes IHDR(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType, uint8_t interlace,
           uint8_t compression = 0, uint8_t filter = 0);
Bytes BE32(uint32_t value);

// The filtered rows of the picture (Adam7 passes one after another when
// interlaced), each led by its filter-type byte, before compression.
Bytes ScanlineData(const Image& image, const EncodeOptions& options);
Bytes Zlib(const Bytes& data);

class Writer {
public:
    Writer(); // starts with the signature
    Writer& Chunk(const std::string& type, const Bytes& data);
    Writer& ChunkWithCrc(const std::string& type, const Bytes& data, uint32_t crc);
    static uint32_t Crc(const std::string& type, const Bytes& data);
    Bytes bytes;
};

// signature, IHDR, gAMA when set, PLTE when given, IDAT, IEND.
Bytes Encode(const Image& image, const EncodeOptions& options = {});

// The colours a user should see for the picture: gray levels and colours
// at 8 bits (16-bit samples as value * 255 / 65535), through the gamma of
// gAMA when the image has one, alpha where the bitmap keeps it (RGBA
// pictures) and 255 elsewhere.
Bytes ExpectedRGBA(const Image& image);

// What the bitmap shows, as 8-bit RGBA (255 alpha unless 32 bits with alpha).
Bytes SeenRGBA(const orvane::imaging::TBitmap& bitmap);

// libpng's decode of a file into stored samples (no transformations but
// unpacking), with its PLTE and gAMA. False when libpng refuses the file.
bool DecodeWithLibpng(const Bytes& file, Image& image, std::string& error);

Bytes ReadFile(const std::string& path);

// Offset of the first chunk of the given type in a file, or 0.
size_t FindChunk(const Bytes& file, const char* type);

} // namespace orvane::test::png
