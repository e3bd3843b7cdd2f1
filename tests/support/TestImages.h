#pragma once
// Writers of real picture files for tests.
#include <cstdint>
#include <string>
#include <vector>

namespace orvane::test {

// An RGB picture, rows top to bottom, 3 bytes per pixel.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    static RgbImage Gradient(int width, int height);
};

// A baseline JPEG file (quality 95) of the picture; gray when gray is true.
// A JPEG file; app1, when given, is written as an APP1 segment, icc as the
// colour profile (APP2).
std::vector<uint8_t> EncodeJpeg(const RgbImage& image, int quality = 95, bool gray = false,
                                const std::vector<uint8_t>& app1 = {}, const std::vector<uint8_t>& icc = {});
void WriteJpeg(const std::string& path, const RgbImage& image, int quality = 95, bool gray = false,
               const std::vector<uint8_t>& app1 = {}, const std::vector<uint8_t>& icc = {});
// An EXIF block (TIFF structure) whose first directory holds one entry: the
// orientation tag with the value given.
std::vector<uint8_t> ExifBlock(int orientation, bool bigEndian = false);
// The same as an APP1 segment's data ("Exif\0\0" first).
std::vector<uint8_t> ExifApp1(int orientation, bool bigEndian = false);

// An RGB colour profile that shows what is stored as red as green and the
// reverse: converted by it, pure red becomes pure green.
std::vector<uint8_t> SwappedRedGreenProfile();

// An uncompressed 24-bit bottom-up Windows bitmap of the picture.
std::vector<uint8_t> EncodeBmp24(const RgbImage& image);

} // namespace orvane::test
