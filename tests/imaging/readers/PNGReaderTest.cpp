// The PNG reader on files written by the test's own writer: every colour
// type and depth, every filter, interlaced or not, and broken files.
#include "PNGTestFiles.h"

#include "imaging/readers/PNGGraphic.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cmath>

using namespace orvane::imaging;
namespace png = orvane::test::png;
using png::Bytes;

namespace {

void Load(TPNGGraphic& picture, const Bytes& file)
{
    TMemoryStream stream(file.data(), file.size());
    picture.LoadFromStream(stream);
}

// The message of the error loading raises, or "(loaded)".
std::string LoadError(const Bytes& file)
{
    TPNGGraphic picture;
    try {
        Load(picture, file);
    } catch (const EInvalidGraphic& e) {
        return e.what();
    } catch (const EReadError& e) {
        return std::string("read error: ") + e.what();
    }
    return "(loaded)";
}

void ExpectPicture(const Bytes& file, const png::Image& image)
{
    TPNGGraphic picture;
    ASSERT_NO_THROW(Load(picture, file));
    ASSERT_EQ(picture.Width(), static_cast<int>(image.width));
    ASSERT_EQ(picture.Height(), static_cast<int>(image.height));
    EXPECT_EQ(png::SeenRGBA(picture), png::ExpectedRGBA(image));
}

// A file made of the given chunks after a valid IHDR of an 8-bit gray image.
struct TGrayFile {
    png::Image image = png::MakeImage(6, 5, 8, 0);
    png::Writer writer;
    TGrayFile() { writer.Chunk("IHDR", png::IHDR(image.width, image.height, 8, 0, 0)); }
    Bytes Data() const { return png::Zlib(png::ScanlineData(image, {})); }
};

const char* const kInvalid = "Cannot load image. Invalid or unexpected PNG image format.";
const char* const kCrc = "Cannot load image. CRC error found in PNG file.";
const char* const kCritical = "Cannot load PNG image. Unexpected but critical chunk detected.";
const char* const kColor = "Invalid color format in PNG file.";
const char* const kExtra = "Cannot load image. Extra compressed data found in PNG file.";
const char* const kCompression = "Cannot load image. Compression error found in PNG file.";

} // namespace

TEST(PNGReader, EveryColourTypeAndDepthDecodes)
{
    struct Case {
        uint8_t colorType, depth;
        TPixelFormat format;
    };
    const Case cases[] = {
        {0, 1, TPixelFormat::pf1bit},  {0, 2, TPixelFormat::pf4bit},  {0, 4, TPixelFormat::pf4bit},
        {0, 8, TPixelFormat::pf8bit},  {0, 16, TPixelFormat::pf8bit}, {2, 8, TPixelFormat::pf24bit},
        {2, 16, TPixelFormat::pf24bit}, {3, 1, TPixelFormat::pf1bit}, {3, 2, TPixelFormat::pf4bit},
        {3, 4, TPixelFormat::pf4bit},  {3, 8, TPixelFormat::pf8bit},  {4, 8, TPixelFormat::pf8bit},
        {4, 16, TPixelFormat::pf8bit}, {6, 8, TPixelFormat::pf32bit}, {6, 16, TPixelFormat::pf32bit},
    };
    for (const Case& c : cases) {
        for (bool interlace : {false, true}) {
            SCOPED_TRACE(testing::Message() << "colour type " << int(c.colorType) << ", depth " << int(c.depth)
                                            << (interlace ? ", interlaced" : ""));
            const png::Image image = png::MakeImage(21, 13, c.depth, c.colorType, c.depth + c.colorType);
            const Bytes file = png::Encode(image, {.interlace = interlace});
            ExpectPicture(file, image);
            TPNGGraphic picture;
            Load(picture, file);
            EXPECT_EQ(picture.PixelFormat(), c.format);
            EXPECT_EQ(picture.HasAlpha(), c.colorType == 6);
        }
    }
}

TEST(PNGReader, EachFilterOnEachPixelSize)
{
    // Pixel sizes 1 (1-bit gray, 8-bit indexed), 2 (gray + alpha), 3, 4, 6 and 8 bytes.
    const std::pair<uint8_t, uint8_t> kinds[] = {{0, 1}, {3, 8}, {4, 8}, {2, 8}, {6, 8}, {2, 16}, {6, 16}};
    for (const auto& [colorType, depth] : kinds)
        for (int filter = 0; filter <= 4; ++filter)
            for (bool interlace : {false, true}) {
                SCOPED_TRACE(testing::Message() << "colour type " << int(colorType) << ", depth " << int(depth)
                                                << ", filter " << filter << (interlace ? ", interlaced" : ""));
                const png::Image image = png::MakeImage(17, 9, depth, colorType, filter + 3);
                ExpectPicture(png::Encode(image, {.interlace = interlace, .filter = filter}), image);
            }
}

TEST(PNGReader, InterlacedPicturesOfEverySmallSize)
{
    // Sizes below 8 leave passes empty; width 1 skips the passes that start
    // in columns 4, 2 and 1.
    for (uint32_t width = 1; width <= 10; ++width)
        for (uint32_t height : {1u, 2u, 5u, 9u}) {
            SCOPED_TRACE(testing::Message() << width << " x " << height);
            const png::Image image = png::MakeImage(width, height, 8, 2, width * 31 + height);
            ExpectPicture(png::Encode(image, {.interlace = true}), image);
            const png::Image bits = png::MakeImage(width, height, 2, 3, width + height);
            ExpectPicture(png::Encode(bits, {.interlace = true}), bits);
        }
}

TEST(PNGReader, UnknownFilterTypeLeavesTheRowAsStored)
{
    // One 4-pixel gray row stored with filter type 7.
    png::Writer w;
    w.Chunk("IHDR", png::IHDR(4, 1, 8, 0, 0));
    w.Chunk("IDAT", png::Zlib({7, 10, 20, 30, 40}));
    w.Chunk("IEND", {});
    TPNGGraphic picture;
    Load(picture, w.bytes);
    const uint8_t* row = picture.ScanLine(0);
    EXPECT_EQ(Bytes(row, row + 4), (Bytes{10, 20, 30, 40}));
}

TEST(PNGReader, ImageDataSplitOverManyChunks)
{
    const png::Image image = png::MakeImage(40, 30, 8, 6, 9);
    ExpectPicture(png::Encode(image, {.idatChunks = 13}), image);
    ExpectPicture(png::Encode(image, {.interlace = true, .idatChunks = 29}), image);

    // Empty IDAT chunks and a lower-case "idat" are image data too.
    const Bytes data = png::Zlib(png::ScanlineData(image, {}));
    png::Writer w;
    w.Chunk("IHDR", png::IHDR(40, 30, 8, 6, 0));
    w.Chunk("IDAT", {});
    w.Chunk("idat", Bytes(data.begin(), data.begin() + 100));
    w.Chunk("IDAT", {});
    w.Chunk("IDAT", Bytes(data.begin() + 100, data.end()));
    w.Chunk("IEND", {});
    ExpectPicture(w.bytes, image);
}

TEST(PNGReader, AncillaryChunksAreSkippedCriticalOnesStopLoading)
{
    TGrayFile f;
    f.writer.ChunkWithCrc("tEXt", {'a', 0, 'b'}, 12345); // wrong CRC, never checked
    f.writer.Chunk("IDAT", f.Data());
    f.writer.Chunk("zzZz", {1, 2, 3});
    f.writer.Chunk("IEND", {});
    ExpectPicture(f.writer.bytes, f.image);

    TGrayFile before;
    before.writer.Chunk("ABCD", {1});
    before.writer.Chunk("IDAT", before.Data());
    before.writer.Chunk("IEND", {});
    EXPECT_EQ(LoadError(before.writer.bytes), kCritical);

    TGrayFile after;
    after.writer.Chunk("IDAT", after.Data());
    after.writer.Chunk("ABCD", {});
    after.writer.Chunk("IEND", {});
    EXPECT_EQ(LoadError(after.writer.bytes), kCritical);
}

TEST(PNGReader, CrcErrorsInEveryChunkThatIsRead)
{
    const png::Image image = png::MakeImage(5, 4, 4, 3, 2);
    const Bytes data = png::Zlib(png::ScanlineData(image, {}));
    const Bytes ihdr = png::IHDR(5, 4, 4, 3, 0);
    for (const char* broken : {"IHDR", "PLTE", "gAMA", "bKGD", "tRNS", "IDAT"}) {
        SCOPED_TRACE(broken);
        png::Writer w;
        auto chunk = [&](const char* type, const Bytes& bytes) {
            if (std::string(type) == broken)
                w.ChunkWithCrc(type, bytes, png::Writer::Crc(type, bytes) ^ 1);
            else
                w.Chunk(type, bytes);
        };
        chunk("IHDR", ihdr);
        chunk("gAMA", png::BE32(45455));
        chunk("PLTE", image.palette);
        chunk("bKGD", {1});
        chunk("tRNS", {255, 0});
        chunk("IDAT", data);
        w.Chunk("IEND", {});
        EXPECT_EQ(LoadError(w.bytes), kCrc);
    }
}

TEST(PNGReader, TruncatedFilesRaiseAnErrorAtEveryLength)
{
    const png::Image image = png::MakeImage(12, 10, 8, 2, 4);
    const Bytes file = png::Encode(image);
    const size_t idat = png::FindChunk(file, "IDAT");
    for (size_t length = 0; length < file.size(); ++length) {
        const Bytes cut(file.begin(), file.begin() + length);
        const std::string error = LoadError(cut);
        EXPECT_NE(error, "(loaded)") << length;
        if (length > idat + 8 && length < file.size() - 12) {
            EXPECT_EQ(error, kInvalid) << "cut inside the image data at " << length;
        }
    }
    // The signature alone: the stream ends where the header should start.
    EXPECT_EQ(LoadError(Bytes(file.begin(), file.begin() + 8)), "read error: Stream read error");
    EXPECT_EQ(LoadError(Bytes(file.begin(), file.begin() + 5)), kInvalid);
}
