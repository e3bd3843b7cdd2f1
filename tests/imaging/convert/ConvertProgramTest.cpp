#include "imaging/LittleEndianBytes.h"
#include "support/TempTree.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

using orvane::test::Put16;
using orvane::test::Put32;
using orvane::test::ReadFileBytes;
using orvane::test::RgbImage;
using orvane::test::TempTree;

namespace {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

RunResult RunConvert(const TempTree& tree, const std::string& arguments)
{
    const std::string command = std::string("'") + ORVANE_CONVERT + "' " + arguments + " >'" + tree.Path("stdout") +
                                "' 2>'" + tree.Path("stderr") + "'";
    const int status = std::system(command.c_str());
    RunResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadText(tree.Path("stdout"));
    result.err = ReadText(tree.Path("stderr"));
    return result;
}

std::string Quote(const std::string& path) { return "'" + path + "'"; }

// A PNG file decoded by libpng into 8-bit RGBA.
struct Decoded {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
};
Decoded DecodePng(const std::vector<unsigned char>& bytes)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Decoded decoded;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return decoded;
    image.format = PNG_FORMAT_RGBA;
    decoded.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, decoded.rgba.data(), 0, nullptr))
        return {};
    decoded.width = int(image.width);
    decoded.height = int(image.height);
    return decoded;
}

// A bottom-up Windows bitmap with a V5 header (masks inside) of 1 row.
std::vector<uint8_t> OneRowBmp(uint16_t bits, uint32_t compression, const std::vector<uint32_t>& masks,
                               const std::vector<uint8_t>& palette, const std::vector<uint8_t>& row, int width)
{
    std::vector<uint8_t> h;
    Put32(h, 124);
    Put32(h, uint32_t(width));
    Put32(h, 1);
    Put16(h, 1);
    Put16(h, bits);
    Put32(h, compression);
    for (int i = 0; i < 5; ++i)
        Put32(h, 0);
    for (size_t i = 0; i < 4; ++i)
        Put32(h, i < masks.size() ? masks[i] : 0);
    h.resize(124, 0);
    h.insert(h.end(), palette.begin(), palette.end());
    std::vector<uint8_t> out{'B', 'M'};
    Put32(out, uint32_t(14 + h.size() + row.size()));
    Put32(out, 0);
    Put32(out, uint32_t(14 + h.size()));
    out.insert(out.end(), h.begin(), h.end());
    out.insert(out.end(), row.begin(), row.end());
    return out;
}

TEST(ConvertProgram, WritesPngPpmAndPamOfAColourPicture)
{
    TempTree tree;
    const RgbImage image = RgbImage::Gradient(23, 11);
    tree.Write("in.bmp", orvane::test::EncodeBmp24(image));

    RunResult run = RunConvert(tree, Quote(tree.Path("in.bmp")) + " " + Quote(tree.Path("out.png")));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const Decoded png = DecodePng(ReadFileBytes(tree.Path("out.png")));
    ASSERT_EQ(png.width, 23);
    ASSERT_EQ(png.height, 11);
    for (size_t i = 0; i < image.rgb.size() / 3; ++i) {
        ASSERT_EQ(png.rgba[4 * i], image.rgb[3 * i]) << i;
        ASSERT_EQ(png.rgba[4 * i + 1], image.rgb[3 * i + 1]) << i;
        ASSERT_EQ(png.rgba[4 * i + 2], image.rgb[3 * i + 2]) << i;
        ASSERT_EQ(png.rgba[4 * i + 3], 255) << i;
    }

    run = RunConvert(tree, Quote(tree.Path("in.bmp")) + " " + Quote(tree.Path("out.PPM")));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string header = "P6\n23 11\n255\n";
    std::vector<unsigned char> expected(header.begin(), header.end());
    expected.insert(expected.end(), image.rgb.begin(), image.rgb.end());
    EXPECT_EQ(ReadFileBytes(tree.Path("out.PPM")), expected);

    run = RunConvert(tree, Quote(tree.Path("in.bmp")) + " " + Quote(tree.Path("out.pam")));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string pamHeader = "P7\nWIDTH 23\nHEIGHT 11\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n";
    expected.assign(pamHeader.begin(), pamHeader.end());
    expected.insert(expected.end(), image.rgb.begin(), image.rgb.end());
    EXPECT_EQ(ReadFileBytes(tree.Path("out.pam")), expected);
}

TEST(ConvertProgram, ExpandsIndexedFifteenBitAndAlphaPixelsExactly)
{
    TempTree tree;
    // 8-bit indexed: indexes 0, 1, 2 of a three-colour palette (B, G, R, 0).
    tree.Write("indexed.bmp", OneRowBmp(8, 0, {}, {1, 2, 3, 0, 40, 50, 60, 0, 255, 254, 253, 0}, {2, 0, 1, 0}, 3));
    RunResult run = RunConvert(tree, Quote(tree.Path("indexed.bmp")) + " " + Quote(tree.Path("indexed.ppm")));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::string bytes = ReadText(tree.Path("indexed.ppm"));
    EXPECT_EQ(bytes, std::string("P6\n3 1\n255\n\xFD\xFE\xFF\x03\x02\x01\x3C\x32\x28", 20));

    // 15 bits: channels 31, 16 and 1 become 255, 132 and 8.
    const uint32_t pixel = (31u << 10) | (16u << 5) | 1u;
    tree.Write("rgb555.bmp", OneRowBmp(16, 0, {}, {}, {uint8_t(pixel), uint8_t(pixel >> 8), 0, 0}, 1));
    run = RunConvert(tree, Quote(tree.Path("rgb555.bmp")) + " " + Quote(tree.Path("rgb555.ppm")));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadText(tree.Path("rgb555.ppm")), std::string("P6\n1 1\n255\n\xFF\x84\x08", 14));

    // 32 bits with an alpha mask: PAM keeps the alpha, PPM drops it.
    tree.Write("alpha.bmp", OneRowBmp(32, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
                                     {}, {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80}, 2));
    run = RunConvert(tree, Quote(tree.Path("alpha.bmp")) + " " + Quote(tree.Path("alpha.pam")));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadText(tree.Path("alpha.pam")),
              "P7\nWIDTH 2\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
              "\x30\x20\x10\x40\x70\x60\x50\x80");
    run = RunConvert(tree, Quote(tree.Path("alpha.bmp")) + " " + Quote(tree.Path("alpha.png")));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Decoded png = DecodePng(ReadFileBytes(tree.Path("alpha.png")));
    EXPECT_EQ(png.rgba, (std::vector<uint8_t>{0x30, 0x20, 0x10, 0x40, 0x70, 0x60, 0x50, 0x80}));
}

TEST(ConvertProgram, JpegGoesThroughTheSameLoaderAsTheViewer)
{
    TempTree tree;
    orvane::test::WriteJpeg(tree.Path("photo.JPEG"), RgbImage::Gradient(40, 30));
    const RunResult run = RunConvert(tree, Quote(tree.Path("photo.JPEG")) + " " + Quote(tree.Path("photo.png")));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Decoded png = DecodePng(ReadFileBytes(tree.Path("photo.png")));
    EXPECT_EQ(png.width, 40);
    EXPECT_EQ(png.height, 30);
}

TEST(ConvertProgram, InfoPrintsSizeAndFormat)
{
    TempTree tree;
    tree.Write("in.dib", orvane::test::EncodeBmp24(RgbImage::Gradient(7, 5)));
    const RunResult run = RunConvert(tree, "--info " + Quote(tree.Path("in.dib")));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "width: 7\nheight: 5\npixel format: 24 bits BGR\n");
}

TEST(ConvertProgram, FailuresPrintTheReadersMessageAndExitOne)
{
    TempTree tree;
    auto bmp = orvane::test::EncodeBmp24(RgbImage::Gradient(8, 8));
    bmp.resize(bmp.size() - 5);
    tree.Write("short.bmp", bmp);
    tree.Write("a.xyz", {1, 2, 3});

    RunResult run = RunConvert(tree, Quote(tree.Path("short.bmp")) + " " + Quote(tree.Path("out.png")));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Stream read error\n");
    EXPECT_FALSE(std::filesystem::exists(tree.Path("out.png")));

    run = RunConvert(tree, Quote(tree.Path("a.xyz")) + " " + Quote(tree.Path("out.png")));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "Unknown picture file extension (.xyz)\n");

    run = RunConvert(tree, Quote(tree.Path("missing.bmp")) + " " + Quote(tree.Path("out.png")));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("missing.bmp"), std::string::npos) << run.err;

    tree.Write("in.bmp", orvane::test::EncodeBmp24(RgbImage::Gradient(2, 2)));
    run = RunConvert(tree, Quote(tree.Path("in.bmp")) + " " + Quote(tree.Path("no/such/folder/out.png")));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Cannot write file"), std::string::npos) << run.err;
}

TEST(ConvertProgram, AutoOrientWritesThePictureUprightAndOtherwiseAsStored)
{
    TempTree tree;
    struct Case {
        int orientation;
        bool gray;
    };
    for (const Case c : {Case{6, false}, Case{8, true}, Case{3, false}}) {
        tree.Write("photo.jpg", orvane::test::EncodeJpeg(RgbImage::Gradient(16, 8), 95, c.gray,
                                                         orvane::test::ExifApp1(c.orientation)));
        RunResult run = RunConvert(tree, Quote(tree.Path("photo.jpg")) + " " + Quote(tree.Path("stored.pam")));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        run = RunConvert(tree, "--auto-orient " + Quote(tree.Path("photo.jpg")) + " " + Quote(tree.Path("upright.pam")));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const auto stored = ReadFileBytes(tree.Path("stored.pam"));
        const auto upright = ReadFileBytes(tree.Path("upright.pam"));
        const int depth = 3; // gray pictures are written as RGB too
        const std::string storedHeader = "P7\nWIDTH 16\nHEIGHT 8\nDEPTH " + std::to_string(depth);
        const bool quarter = c.orientation != 3;
        const std::string uprightHeader = quarter ? "P7\nWIDTH 8\nHEIGHT 16\nDEPTH " + std::to_string(depth)
                                                  : storedHeader;
        ASSERT_EQ(std::string(stored.begin(), stored.begin() + storedHeader.size()), storedHeader);
        ASSERT_EQ(std::string(upright.begin(), upright.begin() + uprightHeader.size()), uprightHeader);
        const size_t storedStart = stored.size() - 16 * 8 * depth, uprightStart = upright.size() - 16 * 8 * depth;
        for (int y = 0; y < (quarter ? 16 : 8); ++y)
            for (int x = 0; x < (quarter ? 8 : 16); ++x) {
                const int sx = c.orientation == 6 ? y : c.orientation == 8 ? 15 - y : 15 - x;
                const int sy = c.orientation == 6 ? 7 - x : c.orientation == 8 ? x : 7 - y;
                const int uprightWidth = quarter ? 8 : 16;
                for (int k = 0; k < depth; ++k)
                    ASSERT_EQ(upright[uprightStart + size_t(y * uprightWidth + x) * depth + k],
                              stored[storedStart + size_t(sy * 16 + sx) * depth + k])
                        << c.orientation << " at " << x << "," << y;
            }
    }
    const RunResult info = RunConvert(tree, "--info " + Quote(tree.Path("photo.jpg")));
    EXPECT_NE(info.out.find("orientation: 3\n"), std::string::npos) << info.out;
}

TEST(ConvertProgram, PicturesOverThePixelLimitAreNotWritten)
{
    TempTree tree;
    tree.Write("in.bmp", orvane::test::EncodeBmp24(RgbImage::Gradient(8, 8)));
    const std::string in = Quote(tree.Path("in.bmp"));
    const std::string out = Quote(tree.Path("out.png"));
    RunResult run = RunConvert(tree, "--max-pixels 63 " + in + " " + out);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "The picture has 8 x 8 pixels, more than the 63 this converter writes (--max-pixels N raises "
                       "the limit).\n");
    EXPECT_FALSE(std::filesystem::exists(tree.Path("out.png")));
    run = RunConvert(tree, "--max-pixels 64 " + in + " " + out);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::filesystem::exists(tree.Path("out.png")));
    // A file claiming 65535 x 65535 pixels is refused at once by default.
    const std::string hostile = std::string(ORVANE_TEST_FILES_DIR) + "/tiff/regress-packbits-claimed-size.tif";
    run = RunConvert(tree, Quote(hostile) + " " + Quote(tree.Path("huge.ppm")));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("65535 x 65535 pixels, more than the 268435456"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(tree.Path("huge.ppm")));
}

TEST(ConvertProgram, BadUsageExitsTwo)
{
    TempTree tree;
    tree.Write("in.bmp", orvane::test::EncodeBmp24(RgbImage::Gradient(2, 2)));
    for (const std::string& arguments :
         {std::string(), Quote(tree.Path("in.bmp")), Quote(tree.Path("in.bmp")) + " " + Quote(tree.Path("out.gif")),
          std::string("--info"), "--bogus " + Quote(tree.Path("in.bmp")), std::string("a b c"),
          "--max-pixels 0 " + Quote(tree.Path("in.bmp")) + " " + Quote(tree.Path("out.png")),
          "--max-pixels 1e6 " + Quote(tree.Path("in.bmp")) + " " + Quote(tree.Path("out.png"))}) {
        const RunResult run = RunConvert(tree, arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments;
        EXPECT_NE(run.err.find("usage: orvane-convert"), std::string::npos) << arguments;
    }
}

} // namespace

namespace {

// The whole program on the golden files of the simpler readers: the PAM it
// writes is the expected one, byte for byte.
TEST(ConvertProgram, GoldenFilesOfTheSimpleReadersConvertToTheirExpectedPam)
{
    TempTree tree;
    int converted = 0;
    for (const char* format : {"targa", "pcx", "sgi", "autodesk", "ppm", "cut"}) {
        for (const auto& item : std::filesystem::directory_iterator(std::filesystem::path(ORVANE_TEST_FILES_DIR) / format)) {
            const std::filesystem::path file = item.path();
            const std::filesystem::path expected = std::filesystem::path(file).replace_extension(".pam");
            if (file.extension() == ".pam" || file.extension() == ".pal" ||
                std::filesystem::exists(std::filesystem::path(file).replace_extension(".pal")) ||
                file.filename().string().starts_with("regress-"))
                continue; // palette files are found by the reader's own file loading only; hostile files have no golden picture
            const RunResult run = RunConvert(tree, Quote(file.string()) + " " + Quote(tree.Path("out.pam")));
            ASSERT_EQ(run.exitCode, 0) << file << ": " << run.err;
            EXPECT_EQ(ReadFileBytes(tree.Path("out.pam")), ReadFileBytes(expected.string())) << file;
            ++converted;
        }
    }
    EXPECT_GE(converted, 40);
}

// The readers through a library: HEIF (lossy, decoded as libheif's own
// program decodes it), JPEG XL with alpha, and animations, which write their
// first frame.
TEST(ConvertProgram, LibraryFormatFilesConvertToTheirReferencePam)
{
    TempTree tree;
    for (const char* file : {"heif/photo.heic", "jxl/alpha.jxl", "webp/anim.webp", "gif/anim.gif"}) {
        const std::filesystem::path input = std::filesystem::path(ORVANE_TEST_FILES_DIR) / file;
        const RunResult run = RunConvert(tree, Quote(input.string()) + " " + Quote(tree.Path("out.pam")));
        ASSERT_EQ(run.exitCode, 0) << file << ": " << run.err;
        EXPECT_EQ(ReadFileBytes(tree.Path("out.pam")),
                  ReadFileBytes(std::filesystem::path(input).replace_extension(".pam").string()))
            << file;
    }
}

TEST(ConvertProgram, InfoOfAReaderListsWhatTheHeaderSaid)
{
    TempTree tree;
    const std::string file = std::string(ORVANE_TEST_FILES_DIR) + "/targa/rgb24_rle.tga";
    const RunResult run = RunConvert(tree, "--info " + Quote(file));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "width: 140\nheight: 4\npixel format: 24 bits BGR\n"
                       "image width: 140\nimage height: 4\ncolor scheme: RGB\nbits per sample: 8\n"
                       "samples per pixel: 3\nbits per pixel: 24\ncompression: run-length\n");
}

} // namespace

TEST(ConvertProgram, ToSrgbWritesThePictureInItsColoursAndWithoutItTheStoredValues)
{
    TempTree tree;
    RgbImage red{4, 4, {}};
    for (int i = 0; i < 16; ++i)
        red.rgb.insert(red.rgb.end(), {255, 0, 0});
    tree.Write("photo.jpg", orvane::test::EncodeJpeg(red, 95, false, {}, orvane::test::SwappedRedGreenProfile()));
    for (const bool toSrgb : {false, true}) {
        const RunResult run = RunConvert(tree, std::string(toSrgb ? "--to-srgb " : "") +
                                                   Quote(tree.Path("photo.jpg")) + " " + Quote(tree.Path("out.ppm")));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const auto ppm = ReadFileBytes(tree.Path("out.ppm"));
        const uint8_t* last = &ppm[ppm.size() - 3];
        EXPECT_GT(toSrgb ? last[1] : last[0], 240) << toSrgb;
        EXPECT_LT(toSrgb ? last[0] : last[1], 15) << toSrgb;
    }
    const RunResult info = RunConvert(tree, "--info " + Quote(tree.Path("photo.jpg")));
    EXPECT_NE(info.out.find("colour profile: "), std::string::npos) << info.out;
}
