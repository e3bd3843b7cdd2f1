#include "TIFFBuilder.h"
#include "TIFFTestSupport.h"

#include "imaging/color/ColorManager.h"
#include "imaging/decoders/Decoder.h"
#include "support/TestImages.h"

#include <zlib.h>

using namespace orvane::imaging;
using namespace orvane::test;
using Bytes = std::vector<uint8_t>;

namespace {

const char* const InvalidFormat = "Cannot load image. Invalid or unexpected TIF/TIFF image format.";
const char* const CompressionRefused = "Cannot load image. The compression scheme is not supported for TIF/TIFF files.";

// A 3 x 2 gray picture, rows 10 20 30 / 40 50 60.
TiffBuilder GrayImage(bool big = false)
{
    TiffBuilder b(big);
    b.Image(3, 2, 8, 1, 1).Short(278, {1}).Strip({10, 20, 30}).Strip({40, 50, 60});
    return b;
}

Bytes Gray8Row(const TBitmap& bitmap, int row)
{
    return Bytes(bitmap.ScanLine(row), bitmap.ScanLine(row) + bitmap.Width());
}

// A stream that cannot hand out its memory, so the reader copies strips.
class PlainStream : public TStream {
public:
    explicit PlainStream(Bytes bytes) : inner_(std::move(bytes)) {}
    size_t Read(void* buffer, size_t count) override
    {
        const size_t n = inner_.Read(buffer, count);
        position_ = inner_.Position();
        return n;
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override
    {
        position_ = inner_.Seek(offset, origin);
        return position_;
    }
    int64_t Size() const override { return inner_.Size(); }

private:
    TMemoryStream inner_;
};

} // namespace

TEST(TIFFReader, BothByteOrdersDecodeTheSameStripsWithAndWithoutMemory)
{
    for (bool big : {false, true}) {
        SCOPED_TRACE(big ? "MM" : "II");
        const Bytes file = GrayImage(big).Build();
        TMemoryStream memory(file);
        TTIFFGraphic a;
        ASSERT_EQ(LoadError(a, memory), "");
        PlainStream plain(file);
        TTIFFGraphic b;
        ASSERT_EQ(LoadError(b, plain), "");
        for (TTIFFGraphic* tiff : {&a, &b}) {
            ASSERT_EQ(tiff->PixelFormat(), TPixelFormat::pf8bit);
            EXPECT_EQ(Gray8Row(*tiff, 0), (Bytes{10, 20, 30}));
            EXPECT_EQ(Gray8Row(*tiff, 1), (Bytes{40, 50, 60}));
            EXPECT_EQ(tiff->ImageProperties().StripCount, 2u);
        }
    }
}

TEST(TIFFReader, MissingRowsPerStripMeansOneStripOfAllRows)
{
    TiffBuilder b;
    b.Image(2, 3, 8, 1, 1).Strip({1, 2, 3, 4, 5, 6});
    TMemoryStream stream(b.Build());
    TTIFFGraphic tiff;
    ASSERT_EQ(LoadError(tiff, stream), "");
    EXPECT_EQ(tiff.ImageProperties().RowsPerStrip, std::vector<uint32_t>{3});
    EXPECT_EQ(Gray8Row(tiff, 2), (Bytes{5, 6}));
}

TEST(TIFFReader, ResolutionInCentimetresIsConvertedToInches)
{
    TiffBuilder b = GrayImage();
    b.Rational(282, 100, 1).Rational(283, 300, 2).Short(296, {3});
    TMemoryStream stream(b.Build());
    TTIFFGraphic tiff;
    ASSERT_TRUE(tiff.ReadHeader(stream, 0));
    EXPECT_FLOAT_EQ(tiff.ImageProperties().XResolution, 254.0f);
    EXPECT_FLOAT_EQ(tiff.ImageProperties().YResolution, 381.0f);

    // Inches stay; a zero denominator falls back to the default 0.
    TiffBuilder inches = GrayImage();
    inches.Rational(282, 72, 1).Rational(283, 5, 0);
    TMemoryStream second(inches.Build());
    ASSERT_TRUE(tiff.ReadHeader(second, 0));
    EXPECT_FLOAT_EQ(tiff.ImageProperties().XResolution, 72.0f);
    EXPECT_FLOAT_EQ(tiff.ImageProperties().YResolution, 0.0f);
}

TEST(TIFFReader, HeaderFillsThePropertiesFromTheTags)
{
    TiffBuilder b(true);
    b.Image(5, 4, 8, 4, 2, 32773)
        .Short(266, {2})
        .Short(284, {1})
        .Short(317, {2})
        .Short(338, {2})
        .Long(278, {3, 1});
    TMemoryStream stream(b.Build());
    TTIFFGraphic tiff;
    ASSERT_TRUE(tiff.ReadHeader(stream, 0));
    const TImageProperties& p = tiff.ImageProperties();
    EXPECT_EQ(p.Width, 5);
    EXPECT_EQ(p.Height, 4);
    EXPECT_EQ(p.ColorScheme, TColorScheme::csRGBA);
    EXPECT_EQ(p.BitsPerPixel, 32);
    EXPECT_EQ(p.Compression, TCompressionType::ctPackedBits);
    EXPECT_TRUE(p.HasAlpha);
    EXPECT_EQ(p.Options, ioBigEndian | ioReversed);
    EXPECT_EQ(p.PlanarConfig, 1u);
    EXPECT_EQ(p.Predictor, 2u);
    EXPECT_EQ(p.RowsPerStrip, (std::vector<uint32_t>{3, 1}));
    EXPECT_FLOAT_EQ(p.FileGamma, 1.0f);

    // Photometric 0 is gray with 0 as white; 6 takes the YCbCr defaults.
    TiffBuilder white;
    white.Image(1, 1, 8, 1, 0);
    TMemoryStream whiteStream(white.Build());
    ASSERT_TRUE(tiff.ReadHeader(whiteStream, 0));
    EXPECT_EQ(tiff.ImageProperties().ColorScheme, TColorScheme::csG);
    EXPECT_EQ(tiff.ImageProperties().Options, ioMinIsWhite);
    TiffBuilder ycbcr;
    ycbcr.Image(1, 1, 8, 3, 6);
    TMemoryStream ycbcrStream(ycbcr.Build());
    ASSERT_TRUE(tiff.ReadHeader(ycbcrStream, 0));
    EXPECT_EQ(tiff.ImageProperties().YCbCrSubSampling, (std::vector<uint8_t>{2, 2}));
    EXPECT_EQ(tiff.YCbCrPositioning(), 1u);
    EXPECT_EQ(tiff.YCbCrCoefficients(), (std::vector<float>{0.299f, 0.587f, 0.114f}));
}

TEST(TIFFReader, SingleValueAccessFollowsTheCountAndTypeRules)
{
    for (bool big : {false, true}) {
        SCOPED_TRACE(big ? "MM" : "II");
        TiffBuilder b(big);
        b.Image(3, 2, 8, 1, 1)
            .Short(300, {0x1234, 0x5678})     // two values in the entry: the raw field
            .Raw(301, 1, 1, {0xAB})           // BYTE
            .Raw(302, 5, 1, Bytes(8, 0))      // RATIONAL: not a single integer value
            .Long(303, {7, 8, 9});            // an offset
        TMemoryStream stream(b.Build());
        TTIFFGraphic tiff;
        ASSERT_TRUE(tiff.ReadHeader(stream, 0));
        const TTIFFDirectory& d = tiff.Directory();
        EXPECT_EQ(d.Value(300, 0), 0x56781234u);
        EXPECT_EQ(d.Value(301, 0), 0xABu);
        EXPECT_EQ(d.Value(302, 99), 99u);
        EXPECT_EQ(d.Value(999, 42), 42u);
        EXPECT_EQ(d.Array(300), (std::vector<uint32_t>{0x1234, 0x5678}));
        EXPECT_EQ(d.Array(303), (std::vector<uint32_t>{7, 8, 9}));
        EXPECT_EQ(d.ByteArray(303), (Bytes{7, 8, 9}));
        // Entries come out sorted by tag.
        EXPECT_TRUE(std::is_sorted(d.Entries().begin(), d.Entries().end(),
                                   [](const TIFDEntry& x, const TIFDEntry& y) { return x.Tag < y.Tag; }));
    }
}

TEST(TIFFReader, ColourImagesGetTheirBitmapFormats)
{
    // Photometric 2 with 3 samples: RGB into 24 bits; with 4: RGBA into 32.
    TiffBuilder rgb;
    rgb.Image(2, 1, 8, 3, 2).Strip({1, 2, 3, 4, 5, 6});
    TMemoryStream rgbStream(rgb.Build());
    TTIFFGraphic a;
    ASSERT_EQ(LoadError(a, rgbStream), "");
    EXPECT_EQ(a.ImageProperties().ColorScheme, TColorScheme::csRGB);
    EXPECT_EQ(a.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(Bytes(a.ScanLine(0), a.ScanLine(0) + 6), (Bytes{3, 2, 1, 6, 5, 4}));

    TiffBuilder rgba;
    rgba.Image(2, 1, 8, 4, 2).Strip({1, 2, 3, 4, 5, 6, 7, 8});
    TMemoryStream rgbaStream(rgba.Build());
    TTIFFGraphic b;
    ASSERT_EQ(LoadError(b, rgbaStream), "");
    EXPECT_EQ(b.ImageProperties().ColorScheme, TColorScheme::csRGBA);
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf32bit);
    EXPECT_TRUE(b.HasAlpha());
    EXPECT_EQ(Bytes(b.ScanLine(0), b.ScanLine(0) + 8), (Bytes{3, 2, 1, 4, 7, 6, 5, 8}));
}

TEST(TIFFReader, DepthsBetweenTheBitmapsAreHeldInTheNextLargerPixels)
{
    // 12-bit gray: values 4095, 0 and 2048, most significant bits first.
    TiffBuilder twelve;
    twelve.Image(3, 1, 12, 1, 1).Strip({0xFF, 0xF0, 0x00, 0x80, 0x00});
    TMemoryStream twelveStream(twelve.Build());
    TTIFFGraphic a;
    ASSERT_EQ(LoadError(a, twelveStream), "");
    ASSERT_EQ(a.PixelFormat(), TPixelFormat::pf8bit);
    const Bytes row = Gray8Row(a, 0);
    EXPECT_EQ(row[0], 255);
    EXPECT_EQ(row[1], 0);
    EXPECT_NEAR(row[2], 127, 1);

    // 3-bit gray in 4-bit pixels: 7 and 0 spread to 15 and 0.
    TiffBuilder three;
    three.Image(2, 1, 3, 1, 1).Strip({0xE0});
    TMemoryStream threeStream(three.Build());
    TTIFFGraphic b;
    ASSERT_EQ(LoadError(b, threeStream), "");
    ASSERT_EQ(b.PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(b.ScanLine(0)[0], 0xF0);
}

TEST(TIFFReader, PredictorIsUndoneOnlyForCompressedStrips)
{
    // Uncompressed: the differences are the pixels.
    TiffBuilder plain;
    plain.Image(4, 1, 8, 1, 1).Short(317, {2}).Strip({10, 1, 1, 1});
    TMemoryStream plainStream(plain.Build());
    TTIFFGraphic a;
    ASSERT_EQ(LoadError(a, plainStream), "");
    EXPECT_EQ(Gray8Row(a, 0), (Bytes{10, 1, 1, 1}));

    // PackBits: a literal of the same four bytes, summed up.
    TiffBuilder packed;
    packed.Image(4, 1, 8, 1, 1, 32773).Short(317, {2}).Strip({0x03, 10, 1, 1, 1});
    TMemoryStream packedStream(packed.Build());
    TTIFFGraphic b;
    ASSERT_EQ(LoadError(b, packedStream), "");
    EXPECT_EQ(Gray8Row(b, 0), (Bytes{10, 11, 12, 13}));
}

TEST(TIFFReader, DeflateStripsAreIndependentStreams)
{
    auto deflate = [](const Bytes& data) {
        uLongf size = compressBound(data.size());
        Bytes out(size);
        compress(out.data(), &size, data.data(), data.size());
        out.resize(size);
        return out;
    };
    TiffBuilder b;
    b.Image(3, 2, 8, 1, 1, 8).Short(278, {1}).Strip(deflate({1, 2, 3})).Strip(deflate({4, 5, 6}));
    TMemoryStream stream(b.Build());
    TTIFFGraphic tiff;
    ASSERT_EQ(LoadError(tiff, stream), "");
    EXPECT_EQ(Gray8Row(tiff, 0), (Bytes{1, 2, 3}));
    EXPECT_EQ(Gray8Row(tiff, 1), (Bytes{4, 5, 6}));

    // Without byte counts a compressed strip runs to the end of the file.
    TiffBuilder single;
    single.Image(3, 1, 8, 1, 1, 32946).Strip(deflate({7, 8, 9})).WithoutByteCounts();
    TMemoryStream singleStream(single.Build());
    TTIFFGraphic second;
    ASSERT_EQ(LoadError(second, singleStream), "");
    EXPECT_EQ(Gray8Row(second, 0), (Bytes{7, 8, 9}));
}

TEST(TIFFReader, ShortLastStripAtTheEndOfTheFileIsEnough)
{
    // Three rows, two per strip: the last strip holds one row only.
    TiffBuilder b;
    b.Image(2, 3, 8, 1, 1).Short(278, {2}).Strip({1, 2, 3, 4}).Strip({5, 6});
    Bytes file = b.Build();
    // Move the last strip to the very end of the file.
    const Bytes last = {5, 6};
    const uint32_t at = static_cast<uint32_t>(file.size());
    file.insert(file.end(), last.begin(), last.end());
    TMemoryStream probe(file);
    TTIFFGraphic reader;
    ASSERT_TRUE(reader.ReadHeader(probe, 0));
    const TIFDEntry* offsets = reader.Directory().Find(273);
    ASSERT_NE(offsets, nullptr);
    TiffBuilder patcher;
    patcher.Set32(file, offsets->Offset + 4, at);
    TMemoryStream stream(file);
    TTIFFGraphic tiff;
    ASSERT_EQ(LoadError(tiff, stream), "");
    EXPECT_EQ(Gray8Row(tiff, 2), (Bytes{5, 6}));
}

TEST(TIFFReader, PalettesFromTheColourMapOrGrays)
{
    // A 2-bit image whose map has only 2 of its 4 entries per plane.
    TiffBuilder b;
    b.Image(4, 1, 2, 1, 3).Short(320, {0xFFFF, 0x0000, 0x8080, 0x0000, 0x0000, 0xFFFF}).Strip({0x1B});
    TMemoryStream stream(b.Build());
    TTIFFGraphic tiff;
    ASSERT_EQ(LoadError(tiff, stream), "");
    ASSERT_EQ(tiff.PixelFormat(), TPixelFormat::pf4bit);
    ASSERT_EQ(tiff.Palette().size(), 16u);
    EXPECT_EQ(tiff.Palette()[0], (TRGBQuad{0x00, 0x80, 0xFF, 0}));
    EXPECT_EQ(tiff.Palette()[1], (TRGBQuad{0xFF, 0x00, 0x00, 0}));
    EXPECT_EQ(tiff.Palette()[2], (TRGBQuad{}));
    EXPECT_EQ(tiff.ColorMap().size(), 6u);
    EXPECT_EQ(tiff.ScanLine(0)[0], 0x01); // indexes 0 1 2 3, unscaled
    EXPECT_EQ(tiff.ScanLine(0)[1], 0x23);

    // An indexed image without a map is shown in grays.
    TiffBuilder noMap;
    noMap.Image(2, 1, 8, 1, 3).Strip({0, 255});
    TMemoryStream noMapStream(noMap.Build());
    TTIFFGraphic gray;
    ASSERT_EQ(LoadError(gray, noMapStream), "");
    ASSERT_EQ(gray.Palette().size(), 256u);
    EXPECT_EQ(gray.Palette()[255], (TRGBQuad{255, 255, 255, 0}));
}

TEST(TIFFReader, ProgressRunsThroughItsStagesRowByRow)
{
    TiffBuilder b;
    b.Image(4, 3, 8, 1, 1).Short(278, {2}).Strip(Bytes(8, 1)).Strip(Bytes(4, 2));
    TMemoryStream stream(b.Build());
    TTIFFGraphic tiff;
    struct Event {
        int stage;
        int percent;
        bool redraw;
        TRect rect;
        std::string message;
        bool operator==(const Event&) const = default;
    };
    std::vector<Event> events;
    tiff.OnProgress = [&](TBitmap*, TProgressStage stage, uint8_t percent, bool redraw, const TRect& rect,
                          const std::string& message) {
        events.push_back({static_cast<int>(stage), percent, redraw, rect, message});
    };
    ASSERT_EQ(LoadError(tiff, stream), "");
    const std::vector<Event> expected = {
        {0, 0, false, {0, 0, 0, 1}, "Preparing..."},
        {2, 100, false, {0, 0, 4, 1}, ""},
        {0, 0, false, {0, 0, 4, 1}, "Transfering..."},
        {1, 33, true, {0, 0, 4, 1}, ""},
        {1, 66, true, {0, 1, 4, 2}, ""},
        {1, 100, true, {0, 2, 4, 3}, ""},
        {2, 100, false, {0, 3, 4, 4}, ""},
    };
    EXPECT_EQ(events, expected);

    // A failure still ends with stage 2.
    TiffBuilder bad;
    bad.Image(4, 3, 8, 1, 1, 5);
    TMemoryStream badStream(bad.Build());
    TTIFFGraphic refused;
    events.clear();
    refused.OnProgress = tiff.OnProgress;
    EXPECT_EQ(LoadError(refused, badStream), CompressionRefused);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().stage, 2);
}

TEST(TIFFReader, RefusedAndBrokenFilesGiveClearErrors)
{
    struct Case {
        const char* what;
        Bytes file;
        std::string message;
    };
    Bytes notTiff = GrayImage().Build();
    notTiff[0] = 'X';
    Bytes wrongIFD = GrayImage().Build();
    TiffBuilder().Set32(wrongIFD, 4, 0x7FFFFFF0);
    Bytes stripOutside = GrayImage().Build();
    TMemoryStream probe(stripOutside);
    TTIFFGraphic reader;
    ASSERT_TRUE(reader.ReadHeader(probe, 0));
    TiffBuilder().Set32(stripOutside, reader.Directory().Find(273)->Offset + 4, 0x00FFFFFF);
    Bytes truncated = TiffBuilder().Image(100, 100, 8, 1, 1).Strip(Bytes(50, 1)).Build();

    const std::vector<Case> cases = {
        {"not a TIFF", notTiff, InvalidFormat},
        {"version 43", TiffBuilder().Version(43).Image(1, 1, 8, 1, 1).Strip({1}).Build(), InvalidFormat},
        {"width 0", TiffBuilder().Image(0, 1, 8, 1, 1).Strip({1}).Build(), InvalidFormat},
        {"no height", TiffBuilder().Long(256, {4}).Strip({1}).Build(), InvalidFormat},
        {"directory outside the file", wrongIFD, "Stream read error"},
        {"strip outside the file", stripOutside, InvalidFormat},
        {"strip cut short", truncated, InvalidFormat},
        {"LZW", TiffBuilder().Image(1, 1, 8, 1, 1, 5).Strip({1}).Build(), CompressionRefused},
        {"group 4", TiffBuilder().Image(1, 1, 1, 1, 0, 4).Strip({1}).Build(), CompressionRefused},
        {"old JPEG", TiffBuilder().Image(1, 1, 8, 3, 6, 6).Strip({1}).Build(), CompressionRefused},
        {"unknown compression", TiffBuilder().Image(1, 1, 8, 1, 1, 999).Strip({1}).Build(), CompressionRefused},
        {"32-bit samples", TiffBuilder().Image(1, 1, 32, 1, 1).Strip({1, 2, 3, 4}).Build(),
         "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16."},
        {"RGB with one sample", TiffBuilder().Image(4, 1, 8, 1, 2).Strip({1, 2, 3, 4}).Build(),
         "Sample count per pixel does not correspond to the given color scheme."},
        {"colour map outside the file",
         TiffBuilder().Image(1, 1, 8, 1, 3).Raw(320, 3, 768, {0xF0, 0xFF, 0xFF, 0x0F}).Strip({1}).Build(),
         "Stream read error"},
        {"huge picture", TiffBuilder().Image(0x7FFFFFFF, 0x7FFFFFFF, 8, 3, 2).Strip({1}).Build(),
         "The picture is too large to be shown (2147483647 x 2147483647 pixels)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TMemoryStream stream(c.file);
        TTIFFGraphic tiff;
        EXPECT_EQ(LoadError(tiff, stream), c.message);
    }
}

TEST(TIFFReader, DecoderErrorsReachTheCaller)
{
    TiffBuilder b;
    b.Image(8, 8, 8, 1, 1, 7).Strip({0xFF, 0xD8, 0xFF, 0xD9});
    TMemoryStream stream(b.Build());
    TTIFFGraphic tiff;
    EXPECT_THROW(tiff.LoadFromStream(stream), EDecoderError);
}

TEST(TIFFReader, FileInsideALargerStreamIsReadFromItsStart)
{
    Bytes stream = {1, 2, 3, 4, 5};
    const Bytes file = GrayImage(true).Build();
    stream.insert(stream.end(), file.begin(), file.end());
    TMemoryStream memory(stream);
    memory.SetPosition(5);
    EXPECT_TRUE(TTIFFGraphic::AcceptsStream(memory));
    EXPECT_EQ(memory.Position(), 5);
    TTIFFGraphic tiff;
    ASSERT_EQ(LoadError(tiff, memory), "");
    EXPECT_EQ(tiff.BasePosition(), 5);
    EXPECT_EQ(Gray8Row(tiff, 1), (Bytes{40, 50, 60}));
}

TEST(TIFFReader, AcceptsStreamChecksTheSignatureAndKeepsThePosition)
{
    const Bytes good = GrayImage().Build();
    TMemoryStream goodStream(good);
    EXPECT_TRUE(TTIFFGraphic::AcceptsStream(goodStream));
    EXPECT_EQ(goodStream.Position(), 0);

    auto accepts = [](Bytes bytes) {
        TMemoryStream stream(bytes);
        const bool result = TTIFFGraphic::AcceptsStream(stream);
        EXPECT_EQ(stream.Position(), 0);
        return result;
    };
    EXPECT_FALSE(accepts({'I', 'I', 42, 0, 8, 0, 0, 0}));           // nothing after the header
    EXPECT_FALSE(accepts({'I', 'I', 43, 0, 8, 0, 0, 0, 0}));        // version
    EXPECT_FALSE(accepts({'I', 'M', 42, 0, 8, 0, 0, 0, 0}));        // byte order
    EXPECT_FALSE(accepts({'M', 'M', 0, 42, 0, 0, 0, 9, 0}));        // IFD offset = size
    EXPECT_TRUE(accepts({'M', 'M', 0, 42, 0, 0, 0, 8, 0}));
}

TEST(TIFFReader, LaterImagesFollowTheDirectoryChain)
{
    Bytes file = GrayImage().Build();
    // A second directory: a 1 x 1 image, linked from the first.
    TMemoryStream probe(file);
    TTIFFGraphic reader;
    ASSERT_TRUE(reader.ReadHeader(probe, 0));
    const uint32_t first = reader.ImageProperties().FirstIFD;
    const size_t nextField = first + 2 + reader.Directory().Entries().size() * 12;
    const uint32_t second = static_cast<uint32_t>(file.size());
    TiffBuilder le;
    le.Set32(file, nextField, second);
    le.Put16(file, 2);
    for (uint16_t tag : {256, 257}) {
        le.Put16(file, tag);
        le.Put16(file, 3);
        le.Put32(file, 1);
        le.Put32(file, 1);
    }
    le.Put32(file, first); // and back to the first: a loop
    TMemoryStream stream(file);
    TTIFFGraphic tiff;
    ASSERT_TRUE(tiff.ReadHeader(stream, 1));
    EXPECT_EQ(tiff.ImageProperties().Width, 1);
    EXPECT_FALSE(tiff.ReadHeader(stream, 2));
    ASSERT_TRUE(tiff.ReadHeader(stream, 0));
    EXPECT_EQ(tiff.ImageProperties().Width, 3);
}

TEST(TIFFReader, TheColourProfileTagIsKeptAndOneRunningPastTheFileIgnored)
{
    const Bytes profile = orvane::test::SwappedRedGreenProfile();
    TiffBuilder b = GrayImage();
    b.Raw(34675, 7, static_cast<uint32_t>(profile.size()), profile);
    TMemoryStream stream(b.Build());
    TTIFFGraphic picture;
    picture.LoadFromStream(stream);
    EXPECT_EQ(picture.IccProfile(), profile);

    Bytes cut = TiffBuilder(GrayImage()).Raw(34675, 7, 1u << 20, Bytes(16, 1)).Build();
    TMemoryStream cutStream(cut);
    picture.LoadFromStream(cutStream);
    EXPECT_TRUE(picture.IccProfile().empty());
    EXPECT_EQ(Gray8Row(picture, 0), (Bytes{10, 20, 30}));
}

TEST(TIFFReader, TheOrientationTagIsKept)
{
    for (const auto& [stored, kept] : {std::pair{6, 6}, std::pair{9, 1}}) {
        TiffBuilder b = GrayImage();
        b.Short(274, {uint16_t(stored)});
        TMemoryStream stream(b.Build());
        TTIFFGraphic picture;
        picture.LoadFromStream(stream);
        EXPECT_EQ(picture.Orientation(), kept) << stored;
        EXPECT_EQ(Gray8Row(picture, 0), (Bytes{10, 20, 30})); // the rows stay as stored
    }
}
