// Damaged and hostile HEIF, AVIF and JPEG XL files, made from the golden
// files: each is refused with a message saying why, before any picture of
// the size it claims is allocated; a JPEG XL file cut short after its first
// groups shows what they hold.
#include "imaging/readers/GoldenPam.h"
#include "imaging/readers/HEIFImage.h"
#include "imaging/readers/JXLImage.h"
#include "imaging/readers/ReaderTestSupport.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

using namespace orvane::imaging;
using namespace orvane::test::readers;

namespace {

Bytes Golden(const std::string& path) { return orvane::test::ReadFileBytes(std::string(ORVANE_TEST_FILES_DIR) + "/" + path); }

Bytes FirstHalf(Bytes bytes)
{
    bytes.resize(bytes.size() / 2);
    return bytes;
}

// Deterministic noise over bytes [from, end).
Bytes Scrambled(Bytes bytes, size_t from)
{
    uint32_t state = 12345;
    for (size_t i = from; i < bytes.size(); ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<uint8_t>(state >> 16);
    }
    return bytes;
}

// Every image spatial extents box ('ispe') of the file claims width x height.
Bytes ClaimingSize(Bytes bytes, uint32_t width, uint32_t height)
{
    for (size_t at = 4; at + 16 <= bytes.size(); ++at)
        if (std::memcmp(&bytes[at], "ispe", 4) == 0) {
            Put32BE(bytes, at + 8, width);
            Put32BE(bytes, at + 12, height);
        }
    return bytes;
}

// A bare JPEG XL code stream whose size header claims width x height (each
// as the 30-bit form of its U32 field), with default metadata and then
// nothing but noise.
Bytes JxlClaiming(uint32_t width, uint32_t height)
{
    std::vector<bool> bits;
    auto put = [&](uint32_t value, int count) {
        for (int i = 0; i < count; ++i)
            bits.push_back((value >> i) & 1);
    };
    put(0, 1);              // not a multiple of 8
    put(3, 2);              // height - 1 in 30 bits
    put(height - 1, 30);
    put(0, 3);              // no fixed aspect ratio
    put(3, 2);              // width - 1 in 30 bits
    put(width - 1, 30);
    put(1, 1);              // all metadata default
    Bytes bytes{0xFF, 0x0A};
    for (size_t i = 0; i < bits.size(); i += 8) {
        uint8_t byte = 0;
        for (size_t j = 0; j < 8 && i + j < bits.size(); ++j)
            byte |= static_cast<uint8_t>(bits[i + j] << j);
        bytes.push_back(byte);
    }
    const size_t header = bytes.size();
    bytes.resize(header + 256);
    return Scrambled(bytes, header);
}

struct BadFile {
    const char* what;
    Bytes bytes;
    bool jxl;
    const char* message; // the start of the message
};

class LibraryBadInput : public ::testing::Test {
protected:
    // Claimed sizes beyond this are refused from the header.
    void SetUp() override { TBitmap::SetMaxImageBytes(size_t{256} << 20); }
    void TearDown() override { TBitmap::SetMaxImageBytes(0); }
};

TEST_F(LibraryBadInput, IsRefusedWithItsReason)
{
    const Bytes heic = Golden("heif/lossless.heic");
    const Bytes avif = Golden("avif/alpha.avif");
    const Bytes jxl = Golden("jxl/lossless.jxl");
    const BadFile files[] = {
        {"HEIC cut short", FirstHalf(heic), false, "HEIF error: Invalid input: Unexpected end of file"},
        {"AVIF cut short", FirstHalf(avif), false, "HEIF error: Invalid input: Unexpected end of file"},
        {"HEIC boxes scrambled", Scrambled(heic, 32), false, "HEIF error: "},
        {"AVIF boxes scrambled", Scrambled(avif, 32), false, "HEIF error: "},
        {"no file type box", Scrambled(heic, 0), false, "Cannot load image. Invalid or unexpected HEIF image format."},
        {"HEIC claiming 20000 x 20000", ClaimingSize(heic, 20000, 20000), false,
         "The picture is too large to be shown (20000 x 20000 pixels)"},
        {"AVIF beyond libheif's limit", ClaimingSize(avif, 65535, 65535), false, "The picture is too large to be shown"},
        {"JPEG XL cut short", FirstHalf(jxl), true, "JPEG XL error: Premature end of JPEG XL file"},
        {"JPEG XL data scrambled", Scrambled(jxl, jxl.size() / 2), true,
         "Cannot load image. Invalid or unexpected JPEG XL image format."},
        {"no JPEG XL signature", Scrambled(jxl, 0), true,
         "Cannot load image. Invalid or unexpected JPEG XL image format."},
        {"JPEG XL claiming 65535 x 65535", JxlClaiming(65535, 65535), true,
         "The picture is too large to be shown (65535 x 65535 pixels)"},
    };
    for (const BadFile& file : files) {
        const std::string message = file.jxl ? LoadError<TJXLImage>(file.bytes) : LoadError<THEIFImage>(file.bytes);
        EXPECT_TRUE(message.starts_with(file.message)) << file.what << ": " << message;
    }
}

TEST_F(LibraryBadInput, JpegXlCutShortAfterItsFirstGroupsShowsTheWholePictureRoughly)
{
    const Bytes whole = Golden("jxl/groups.jxl");
    const Pam expected = ReadPam(std::string(ORVANE_TEST_FILES_DIR) + "/jxl/groups.pam");
    Bytes cut = whole;
    cut.resize(whole.size() * 2 / 3);
    const auto picture = Load<TJXLImage>(cut);
    ASSERT_EQ(picture->Width(), expected.width);
    ASSERT_EQ(picture->Height(), expected.height);
    EXPECT_EQ(picture->WrittenRowsEnd(), expected.height);
    // Its coarse version: far nearer the picture than black would be.
    long difference = 0;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x)
            for (int c = 0; c < 3; ++c)
                difference += std::abs(Seen(*picture, x, y)[c] - expected.pixels[(size_t(y) * expected.width + x) * 3 + c]);
    EXPECT_LT(difference / (long(expected.width) * expected.height * 3), 16);
}

} // namespace
