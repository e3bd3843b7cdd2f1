// Photoshop reader: the format check, header properties, the bitmap each
// colour mode gives, refused modes and depths, damaged and lying files,
// progress.
#include "imaging/color/ColorManager.h"
#include "imaging/readers/PNGTestFiles.h"
#include "imaging/readers/PSDGraphic.h"
#include "imaging/readers/ReaderTestSupport.h"

#include <gtest/gtest.h>

using namespace orvane::imaging;
using namespace orvane::test::readers;

namespace {

struct PsdFile {
    uint32_t width = 6;
    uint32_t height = 3;
    uint16_t channels = 3;
    uint16_t depth = 8;
    uint16_t mode = 3;
    uint16_t compression = 1;
    Bytes colorData;

    static uint8_t Sample(int c, uint32_t x, uint32_t y) { return static_cast<uint8_t>(60 * c + 9 * x + 31 * y); }

    Bytes Encode() const
    {
        Bytes out{'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
        out.resize(26);
        Put16BE(out, 12, channels);
        Put32BE(out, 14, height);
        Put32BE(out, 18, width);
        Put16BE(out, 22, depth);
        Put16BE(out, 24, mode);
        auto section = [&](const Bytes& data) {
            const size_t at = out.size();
            out.resize(at + 4);
            Put32BE(out, at, static_cast<uint32_t>(data.size()));
            out.insert(out.end(), data.begin(), data.end());
        };
        section(colorData);
        section({});
        section({});
        out.push_back(static_cast<uint8_t>(compression >> 8));
        out.push_back(static_cast<uint8_t>(compression));
        const size_t rowBytes = depth == 1 ? (width + 7) / 8 : width * depth / 8;
        std::vector<Bytes> rows;
        for (int c = 0; c < channels; ++c)
            for (uint32_t y = 0; y < height; ++y) {
                Bytes row(rowBytes);
                for (size_t i = 0; i < rowBytes; ++i)
                    row[i] = Sample(c, static_cast<uint32_t>(i), y);
                rows.push_back(row);
            }
        if (compression == 1) {
            // One literal per row (rows here stay below 128 bytes).
            for (const Bytes& row : rows) {
                out.push_back(0);
                out.push_back(static_cast<uint8_t>(row.size() + 1));
            }
            for (const Bytes& row : rows) {
                out.push_back(static_cast<uint8_t>(row.size() - 1));
                out.insert(out.end(), row.begin(), row.end());
            }
        } else {
            for (const Bytes& row : rows)
                out.insert(out.end(), row.begin(), row.end());
        }
        return out;
    }
};

TEST(PSDReader, AcceptsVersionOneFilesOnlyAndKeepsThePosition)
{
    const Bytes file = PsdFile{}.Encode();
    TMemoryStream stream(file);
    EXPECT_TRUE(TPSDGraphic::AcceptsStream(stream));
    EXPECT_EQ(stream.Position(), 0);
    Bytes large = file;
    large[5] = 2; // the large document format
    TMemoryStream largeStream(large);
    EXPECT_FALSE(TPSDGraphic::AcceptsStream(largeStream));
    TMemoryStream headerOnly(Bytes(file.begin(), file.begin() + 26));
    EXPECT_FALSE(TPSDGraphic::AcceptsStream(headerOnly));
    EXPECT_EQ(LoadError<TPSDGraphic>(large), "Cannot load image. Invalid or unexpected PSD or PDD image format.");
}

TEST(PSDReader, HeaderProperties)
{
    PsdFile file;
    file.mode = 4;
    file.channels = 5;
    file.depth = 16;
    TMemoryStream stream(file.Encode());
    TPSDGraphic reader;
    ASSERT_TRUE(reader.ReadHeader(stream, 0));
    const TImageProperties& p = reader.ImageProperties();
    EXPECT_EQ(p.Width, 6);
    EXPECT_EQ(p.Height, 3);
    EXPECT_EQ(p.ColorScheme, TColorScheme::csCMYK);
    EXPECT_EQ(p.Channels, 5);
    EXPECT_EQ(p.SamplesPerPixel, 4);
    EXPECT_EQ(p.BitsPerSample, 16);
    EXPECT_EQ(p.BitsPerPixel, 64);
    EXPECT_EQ(p.Options, ioBigEndian);
    EXPECT_EQ(p.Compression, TCompressionType::ctPackedBits);

    file.mode = 0;
    file.channels = 1;
    file.depth = 1;
    file.compression = 0;
    TMemoryStream bitmap(file.Encode());
    ASSERT_TRUE(reader.ReadHeader(bitmap, 0));
    EXPECT_EQ(reader.ImageProperties().ColorScheme, TColorScheme::csG);
    EXPECT_EQ(reader.ImageProperties().Options, ioBigEndian | ioMinIsWhite);
    EXPECT_EQ(reader.ImageProperties().Compression, TCompressionType::ctNone);
}

TEST(PSDReader, EachColourModeGivesItsBitmapFormat)
{
    struct Case {
        const char* file;
        TPixelFormat format;
        bool alpha;
    };
    for (const Case& c : {Case{"rgb8_raw.psd", TPixelFormat::pf24bit, false},
                          Case{"rgba8_packbits.psd", TPixelFormat::pf32bit, true},
                          Case{"cmyk8_alpha_raw.psd", TPixelFormat::pf24bit, false},
                          Case{"bitmap1.psd", TPixelFormat::pf1bit, false},
                          Case{"indexed8.psd", TPixelFormat::pf8bit, false},
                          Case{"gray16_raw.psd", TPixelFormat::pf8bit, false}}) {
        auto picture = Load<TPSDGraphic>(GoldenFile("psd", c.file));
        EXPECT_EQ(picture->PixelFormat(), c.format) << c.file;
        EXPECT_EQ(picture->HasAlpha(), c.alpha) << c.file;
    }
}

TEST(PSDReader, CmykShowsInkAsInkNotAsItsNegative)
{
    // Paper (no ink anywhere) is white; full black ink is black.
    PsdFile file;
    file.mode = 4;
    file.channels = 4;
    file.width = 2;
    file.height = 1;
    file.compression = 0;
    Bytes bytes = file.Encode();
    const size_t data = bytes.size() - 8;
    const uint8_t planes[8] = {255, 255, 255, 255, 255, 255, 255, 0}; // C, M, Y, K of two pixels
    std::memcpy(&bytes[data], planes, 8);
    const Bytes seen = orvane::test::png::SeenRGBA(*Load<TPSDGraphic>(bytes));
    EXPECT_EQ(Bytes(seen.begin(), seen.begin() + 3), (Bytes{255, 255, 255}));
    EXPECT_EQ(Bytes(seen.begin() + 4, seen.begin() + 7), (Bytes{0, 0, 0}));
}

TEST(PSDReader, RefusedModesDepthsAndChannelCounts)
{
    PsdFile file;
    for (uint16_t depth : {32, 9, 4}) {
        file.depth = depth;
        for (uint16_t mode : {1, 3}) {
            file.mode = mode;
            EXPECT_EQ(LoadError<TPSDGraphic>(file.Encode()),
                      "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.")
                << depth << " bits, mode " << mode;
        }
    }
    file = PsdFile{};
    file.mode = 7;
    file.channels = 2;
    EXPECT_EQ(LoadError<TPSDGraphic>(file.Encode()),
              "Sample count per pixel does not correspond to the given color scheme.");
    file = PsdFile{};
    file.mode = 5; // no such mode
    bool empty = false;
    EXPECT_EQ(LoadError<TPSDGraphic>(file.Encode(), &empty), "Color conversion failed. Could not find a proper method.");
    EXPECT_TRUE(empty);
    file = PsdFile{};
    file.depth = 1; // RGB at one bit per sample
    EXPECT_EQ(LoadError<TPSDGraphic>(file.Encode()), "Color conversion failed. Could not find a proper method.");
}

TEST(PSDReader, TruncatedAndLyingFilesEndWithAReadError)
{
    PsdFile raw;
    raw.compression = 0;
    const Bytes whole = raw.Encode();
    bool empty = false;
    EXPECT_EQ(LoadError<TPSDGraphic>(Bytes(whole.begin(), whole.end() - 1), &empty), "Stream read error");
    EXPECT_TRUE(empty);
    // A section length beyond the end of the file.
    Bytes section = whole;
    Put32BE(section, 26, 1000000);
    EXPECT_EQ(LoadError<TPSDGraphic>(section), "Stream read error");
    // 2^31 - 1 pixels wide in a file of a hundred bytes: refused before the
    // bitmap is made.
    Bytes wide = PsdFile{}.Encode();
    Put32BE(wide, 18, 0x7FFFFFFF);
    EXPECT_EQ(LoadError<TPSDGraphic>(wide, &empty), "Stream read error");
    EXPECT_TRUE(empty);
    // Tall: the row table cannot be in the file.
    Bytes tall = PsdFile{}.Encode();
    Put32BE(tall, 14, 0x7FFFFFFF);
    EXPECT_EQ(LoadError<TPSDGraphic>(tall, &empty), "Stream read error");
    EXPECT_TRUE(empty);
}

TEST(PSDReader, RowCountsThatLieGiveWrongPixelsNotACrash)
{
    Bytes bytes = PsdFile{}.Encode();
    const size_t table = 26 + 12 + 2;
    for (size_t i = 0; i < 9; ++i)
        Put16BE(bytes, table + 2 * i, i % 2 ? 0xFFFF : 0);
    auto picture = Load<TPSDGraphic>(bytes);
    EXPECT_EQ(picture->Width(), 6);
    EXPECT_EQ(picture->Height(), 3);
}

TEST(PSDReader, ShortColourModeDataLeavesTheMissingEntriesBlack)
{
    PsdFile file;
    file.mode = 2;
    file.channels = 1;
    file.colorData = Bytes(300, 200); // all 256 reds, 44 greens
    auto picture = Load<TPSDGraphic>(file.Encode());
    ASSERT_EQ(picture->Palette().size(), 256u);
    EXPECT_EQ(picture->Palette()[10], (TRGBQuad{0, 200, 200, 0}));
    EXPECT_EQ(picture->Palette()[100], (TRGBQuad{0, 0, 200, 0}));
}

TEST(PSDReader, ReportsLoadingDataThenEveryRow)
{
    const auto log = ProgressOf<TPSDGraphic>(PsdFile{}.Encode());
    EXPECT_EQ(Steps(log), (std::vector<std::string>{"Preparing...", "Loading data...", "Transfering..."}));
    EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
              (std::vector<std::string>{"1:0:", "1:33:", "1:66:", "2:100:"}));
}

} // namespace
