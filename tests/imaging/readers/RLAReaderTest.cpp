// Alias/Wavefront reader: the format check, header properties, channel
// types and counts it refuses, damaged and lying files, progress.
#include "imaging/color/ColorManager.h"
#include "imaging/readers/PNGTestFiles.h"
#include "imaging/readers/ReaderTestSupport.h"
#include "imaging/readers/RLAGraphic.h"

#include <gtest/gtest.h>

using namespace orvane::imaging;
using namespace orvane::test::readers;

namespace {

struct RlaFile {
    int width = 5;
    int height = 3;
    int channels = 3;
    int mattes = 0;
    std::string type = "rgb";
    std::string gamma = "2.2";
    bool bottomUp = true;
    uint16_t revision = 0xFFFE;

    // Sample of channel c at (x, y), y counted from the top of the picture.
    static uint8_t Sample(int c, int x, int y) { return static_cast<uint8_t>(40 * c + 7 * x + 50 * y); }

    Bytes Encode() const
    {
        Bytes out(740);
        const int bottom = bottomUp ? 0 : height - 1, top = bottomUp ? height - 1 : 0;
        for (size_t at : {size_t{0}, size_t{8}}) {
            Put16BE(out, at + 2, static_cast<uint16_t>(width - 1));
            Put16BE(out, at + 4, static_cast<uint16_t>(bottom));
            Put16BE(out, at + 6, static_cast<uint16_t>(top));
        }
        Put16BE(out, 20, static_cast<uint16_t>(channels));
        Put16BE(out, 22, static_cast<uint16_t>(mattes));
        Put16BE(out, 26, revision);
        std::memcpy(&out[28], gamma.data(), std::min<size_t>(gamma.size(), 16));
        std::memcpy(&out[580], type.data(), std::min<size_t>(type.size(), 32));
        Put16BE(out, 658, 8);
        const size_t table = out.size();
        out.resize(table + 4 * height);
        for (int line = 0; line < height; ++line) {
            Put32BE(out, table + 4 * line, static_cast<uint32_t>(out.size()));
            const int y = bottomUp ? height - 1 - line : line;
            for (int c = 0; c < channels + mattes; ++c) {
                // One literal per row (widths here stay below 128).
                out.push_back(0);
                out.push_back(static_cast<uint8_t>(width + 1));
                out.push_back(static_cast<uint8_t>(-width));
                for (int x = 0; x < width; ++x)
                    out.push_back(Sample(c, x, y));
            }
        }
        return out;
    }
};

TEST(RLAReader, AcceptsItsFilesOnlyAndKeepsThePosition)
{
    EXPECT_TRUE([] {
        TMemoryStream stream(RlaFile{}.Encode());
        return TRLAGraphic::AcceptsStream(stream);
    }());
    RlaFile upper;
    upper.type = "XYZ";
    RlaFile other;
    other.type = "rgba";
    RlaFile revision;
    revision.revision = 0xFFFD;
    for (const RlaFile& file : {other, revision}) {
        TMemoryStream stream(file.Encode());
        EXPECT_FALSE(TRLAGraphic::AcceptsStream(stream)) << file.type;
    }
    // Behind other bytes, from the position it is called at, which it keeps.
    Bytes bytes{1, 2, 3};
    const Bytes rla = upper.Encode();
    bytes.insert(bytes.end(), rla.begin(), rla.end());
    TMemoryStream stream(bytes);
    stream.SetPosition(3);
    EXPECT_TRUE(TRLAGraphic::AcceptsStream(stream));
    EXPECT_EQ(stream.Position(), 3);
    // A header alone (740 bytes) is not enough.
    Bytes header(rla.begin(), rla.begin() + 740);
    TMemoryStream shortStream(header);
    EXPECT_FALSE(TRLAGraphic::AcceptsStream(shortStream));
    EXPECT_EQ(shortStream.Position(), 0);
}

TEST(RLAReader, HeaderGivesSizeOrderSchemeAndGamma)
{
    RlaFile file;
    file.width = 9;
    file.height = 4;
    file.mattes = 1;
    TMemoryStream stream(file.Encode());
    TRLAGraphic reader;
    ASSERT_TRUE(reader.ReadHeader(stream, 0));
    const TImageProperties& p = reader.ImageProperties();
    EXPECT_EQ(p.Width, 9);
    EXPECT_EQ(p.Height, 4);
    EXPECT_EQ(p.ColorScheme, TColorScheme::csRGBA);
    EXPECT_EQ(p.SamplesPerPixel, 4);
    EXPECT_EQ(p.BitsPerPixel, 32);
    EXPECT_TRUE(p.BottomUp);
    EXPECT_TRUE(p.Options & ioBigEndian);
    EXPECT_EQ(p.Compression, TCompressionType::ctRLE);
    EXPECT_FLOAT_EQ(p.FileGamma, 2.2f);

    // A gamma that is no number is ignored, without an error.
    file.gamma = "linear";
    file.bottomUp = false;
    file.mattes = 0;
    const Bytes bytes = file.Encode();
    TMemoryStream other(bytes);
    ASSERT_TRUE(reader.ReadHeader(other, 0));
    EXPECT_FLOAT_EQ(reader.ImageProperties().FileGamma, 1.0f);
    EXPECT_FALSE(reader.ImageProperties().BottomUp);
    EXPECT_EQ(reader.ImageProperties().ColorScheme, TColorScheme::csRGB);
    EXPECT_EQ(LoadError<TRLAGraphic>(bytes), "(no error)");
}

TEST(RLAReader, RowsLandTopDownWhateverTheStoredOrder)
{
    for (bool bottomUp : {true, false}) {
        RlaFile file;
        file.bottomUp = bottomUp;
        auto picture = Load<TRLAGraphic>(file.Encode());
        const Bytes seen = orvane::test::png::SeenRGBA(*picture);
        for (int y = 0; y < file.height; ++y)
            for (int x = 0; x < file.width; ++x)
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(seen[(y * file.width + x) * 4 + c], RlaFile::Sample(c, x, y))
                        << "bottom up " << bottomUp << " at " << x << "," << y;
    }
}

TEST(RLAReader, XyzIsRecognisedButHasNoConversion)
{
    RlaFile file;
    file.type = "xyz";
    TMemoryStream stream(file.Encode());
    TRLAGraphic reader;
    ASSERT_TRUE(reader.ReadHeader(stream, 0));
    EXPECT_EQ(reader.ImageProperties().ColorScheme, TColorScheme::csUnknown);
    bool empty = false;
    EXPECT_EQ(LoadError<TRLAGraphic>(file.Encode(), &empty), "Color conversion failed. Could not find a proper method.");
    EXPECT_TRUE(empty);
}

TEST(RLAReader, RefusedHeadersAndChannelCounts)
{
    RlaFile unknown;
    unknown.type = "cmy";
    EXPECT_EQ(LoadError<TRLAGraphic>(unknown.Encode()), "Cannot load image. Invalid or unexpected  image format.");
    RlaFile two;
    two.channels = 2;
    EXPECT_EQ(LoadError<TRLAGraphic>(two.Encode()),
              "Sample count per pixel does not correspond to the given color scheme.");
    RlaFile many;
    many.channels = 4;
    many.mattes = 1;
    EXPECT_EQ(LoadError<TRLAGraphic>(many.Encode()),
              "Sample count per pixel does not correspond to the given color scheme.");
    EXPECT_EQ(LoadError<TRLAGraphic>(Bytes(100, 0)), "Stream read error");
}

TEST(RLAReader, LyingSizesEndBeforeAnyAllocation)
{
    // 32768 rows of 32001 pixels announced, a few hundred bytes present.
    Bytes bytes = RlaFile{}.Encode();
    Put16BE(bytes, 10, 32000);
    Put16BE(bytes, 14, 32767);
    bool empty = false;
    EXPECT_EQ(LoadError<TRLAGraphic>(bytes, &empty), "Stream read error");
    EXPECT_TRUE(empty);
    // A complete offset table, but scan lines far too short for the width.
    RlaFile file;
    file.height = 2000;
    bytes = file.Encode();
    Put16BE(bytes, 10, 32000);
    EXPECT_EQ(LoadError<TRLAGraphic>(bytes, &empty), "Stream read error");
    EXPECT_TRUE(empty);
}

TEST(RLAReader, DamagedScanLinesLeaveTheirRowsBlack)
{
    RlaFile file;
    Bytes bytes = file.Encode();
    Put32BE(bytes, 740 + 4 * 1, 0xFFFFFFF0u); // stored line 1: past the end
    Put16BE(bytes, GetBE32(&bytes[740]), 0x7FFF); // stored line 0: its first channel runs past the end
    auto picture = Load<TRLAGraphic>(bytes);
    const Bytes seen = orvane::test::png::SeenRGBA(*picture);
    // Stored line 1 is the middle row of a bottom-up file.
    for (int x = 0; x < file.width; ++x) {
        EXPECT_EQ(seen[(1 * file.width + x) * 4], 0);
        EXPECT_EQ(seen[(0 * file.width + x) * 4], RlaFile::Sample(0, x, 0));
    }
}

TEST(RLAReader, ReportsPreparingThenEveryRow)
{
    RlaFile file;
    file.height = 4;
    EXPECT_EQ(ProgressOf<TRLAGraphic>(file.Encode()),
              (std::vector<std::string>{"0:0:Preparing...", "2:100:", "0:0:Transfering...", "1:0:", "1:25:", "1:50:",
                                        "1:75:", "2:100:"}));
}

} // namespace
