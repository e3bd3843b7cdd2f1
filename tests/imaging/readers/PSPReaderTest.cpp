// Paint Shop Pro reader: the format check, the general image attributes of
// version 3 and later files, refused depths and compressions, damaged and
// lying files, progress. Cases start from the golden files and change them.
#include "imaging/readers/PNGTestFiles.h"
#include "imaging/readers/ReaderTestSupport.h"
#include "imaging/readers/PSPGraphic.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace orvane::imaging;
using namespace orvane::test::readers;

namespace {

// Offsets of the general image attributes in the golden files: after the
// 36-byte file header, a block header (10 bytes from version 4 on, 14 in
// version 3) and, from version 4 on, the 4-byte chunk length.
constexpr size_t attributes = 50;
constexpr size_t widthAt = attributes, heightAt = attributes + 4, unitAt = attributes + 16;
constexpr size_t compressionAt = attributes + 17, depthAt = attributes + 19;

Bytes Rgb() { return GoldenFile("psp", "v5_rgb_rle.psp"); }

// Start of the first block with the given identifier.
size_t FindBlock(const Bytes& file, uint16_t id)
{
    const uint8_t marker[6] = {'~', 'B', 'K', 0, static_cast<uint8_t>(id), static_cast<uint8_t>(id >> 8)};
    return static_cast<size_t>(std::search(file.begin(), file.end(), marker, marker + 6) - file.begin());
}

TEST(PSPReader, AcceptsItsSignatureInAnyCaseFromVersionThree)
{
    Bytes file = Rgb();
    TMemoryStream stream(file);
    EXPECT_TRUE(TPSPGraphic::AcceptsStream(stream));
    EXPECT_EQ(stream.Position(), 0);
    Bytes lower = file;
    std::transform(lower.begin(), lower.begin() + 25, lower.begin(), [](uint8_t c) { return std::tolower(c); });
    TMemoryStream lowerStream(lower);
    EXPECT_TRUE(TPSPGraphic::AcceptsStream(lowerStream));
    Bytes old = file;
    old[32] = 2;
    TMemoryStream oldStream(old);
    EXPECT_FALSE(TPSPGraphic::AcceptsStream(oldStream));
    TMemoryStream headerOnly(Bytes(file.begin(), file.begin() + 36));
    EXPECT_FALSE(TPSPGraphic::AcceptsStream(headerOnly));
    EXPECT_EQ(LoadError<TPSPGraphic>(old), "Cannot load image. Invalid or unexpected PSP image format.");
    // A signature without an attributes block.
    EXPECT_EQ(LoadError<TPSPGraphic>(Bytes(file.begin(), file.begin() + 40)),
              "Cannot load image. Invalid or unexpected PSP image format.");
}

TEST(PSPReader, AttributesOfVersionThreeAndLaterFiles)
{
    for (const char* name : {"v3_rgb_rle.psp", "v5_rgb_rle.psp"}) {
        Bytes file = GoldenFile("psp", name);
        TMemoryStream stream(file);
        TPSPGraphic reader;
        ASSERT_TRUE(reader.ReadHeader(stream, 0)) << name;
        const TImageProperties& p = reader.ImageProperties();
        EXPECT_EQ(p.Version, name[1] - '0');
        EXPECT_EQ(p.Width, 23);
        EXPECT_EQ(p.Height, 14);
        EXPECT_EQ(p.ColorScheme, TColorScheme::csRGB);
        EXPECT_EQ(p.SamplesPerPixel, 3);
        EXPECT_EQ(p.BitsPerSample, 8);
        EXPECT_EQ(p.Compression, TCompressionType::ctRLE);
        EXPECT_FLOAT_EQ(p.XResolution, 72.0f);
        // Resolution per centimetre becomes dots per inch.
        file[unitAt] = 2;
        TMemoryStream metric(file);
        ASSERT_TRUE(reader.ReadHeader(metric, 0));
        EXPECT_FLOAT_EQ(reader.ImageProperties().YResolution, 72.0f * 2.54f);
    }
    TMemoryStream gray(GoldenFile("psp", "v5_gray8_rle.psp"));
    TPSPGraphic reader;
    ASSERT_TRUE(reader.ReadHeader(gray, 0));
    EXPECT_EQ(reader.ImageProperties().ColorScheme, TColorScheme::csG);
    TMemoryStream indexed(GoldenFile("psp", "v5_indexed4_even_rle.psp"));
    ASSERT_TRUE(reader.ReadHeader(indexed, 0));
    EXPECT_EQ(reader.ImageProperties().ColorScheme, TColorScheme::csIndexed);
    EXPECT_EQ(reader.ImageProperties().BitsPerSample, 4);
}

TEST(PSPReader, RefusedDepthsAndCompressions)
{
    Bytes deep = Rgb();
    Put16LE(deep, depthAt, 48);
    EXPECT_EQ(LoadError<TPSPGraphic>(deep), "Invalid color format in PSP file.");
    Put16LE(deep, depthAt, 2);
    EXPECT_EQ(LoadError<TPSPGraphic>(deep), "Invalid color format in PSP file.");
    Bytes jpeg = Rgb();
    Put16LE(jpeg, compressionAt, 3);
    EXPECT_EQ(LoadError<TPSPGraphic>(jpeg), "Cannot load image. Invalid or unexpected PSP image format.");
}

TEST(PSPReader, DamagedAndLyingFiles)
{
    // A size far beyond what the channels hold.
    Bytes large = Rgb();
    Put32LE(large, widthAt, 3000);
    Put32LE(large, heightAt, 3000);
    EXPECT_EQ(LoadError<TPSPGraphic>(large), "Stream read error");
    // Channel data cut off.
    const Bytes whole = Rgb();
    EXPECT_EQ(LoadError<TPSPGraphic>(Bytes(whole.begin(), whole.end() - 300)), "Stream read error");
    // Deflate data with an invalid block type.
    Bytes deflated = GoldenFile("psp", "v5_rgb_deflate.psp");
    const uint8_t zlibHeader[2] = {0x78, 0xDA};
    const auto at = std::search(deflated.begin(), deflated.end(), zlibHeader, zlibHeader + 2);
    ASSERT_NE(at, deflated.end());
    at[2] = 0xFF;
    EXPECT_EQ(LoadError<TPSPGraphic>(deflated), "LZ77 decompression error.");
    // The first layer (the vector one) claims to run far past the end: it
    // covers the layers after it, which are not read.
    Bytes lengths = Rgb();
    Put32LE(lengths, FindBlock(lengths, 4) + 6, 0xFFFFFFF0u);
    auto picture = Load<TPSPGraphic>(lengths);
    EXPECT_EQ(picture->Width(), 23);
    const Bytes seen = orvane::test::png::SeenRGBA(*picture);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 0), 23 * 14 * 3);
}

TEST(PSPReader, AFileWithoutLayersGivesAnEmptyPictureOfItsSize)
{
    const Bytes whole = Rgb();
    const Bytes noLayers(whole.begin(), whole.begin() + FindBlock(whole, 3));
    auto picture = Load<TPSPGraphic>(noLayers);
    EXPECT_EQ(picture->Width(), 23);
    EXPECT_EQ(picture->Height(), 14);
    const Bytes seen = orvane::test::png::SeenRGBA(*picture);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 0), 23 * 14 * 3); // black, opaque
}

TEST(PSPReader, AnnouncesEveryLayerThenTransfers)
{
    // Three layers: a vector layer, the raster layer, one more raster layer.
    const auto log = ProgressOf<TPSPGraphic>(Rgb());
    EXPECT_EQ(Steps(log), (std::vector<std::string>{"Preparing...", "Loading data...", "Loading data...",
                                                    "Loading data...", "Transfering..."}));
    EXPECT_EQ(log[log.size() - 2], "1:92:"); // row 13 of 14
}

} // namespace
