// The PNG reader's header, ancillary chunks, refusals, stream handling and
// progress notifications.
#include "PNGTestFiles.h"

#include "imaging/color/ColorManager.h"
#include "imaging/readers/PNGGraphic.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace orvane::imaging;
namespace png = orvane::test::png;
using png::Bytes;

namespace {

void Load(TPNGGraphic& picture, const Bytes& file)
{
    TMemoryStream stream(file.data(), file.size());
    picture.LoadFromStream(stream);
}

std::string LoadError(const Bytes& file)
{
    TPNGGraphic picture;
    try {
        Load(picture, file);
    } catch (const EInvalidGraphic& e) {
        return e.what();
    }
    return "(loaded)";
}

// IHDR, then the given chunks, image data of a matching picture, IEND.
Bytes FileWith(const png::Image& image, const std::vector<std::pair<std::string, Bytes>>& chunks,
               const Bytes* data = nullptr)
{
    png::Writer w;
    w.Chunk("IHDR", png::IHDR(image.width, image.height, image.depth, image.colorType, 0));
    for (const auto& [type, bytes] : chunks)
        w.Chunk(type, bytes);
    w.Chunk("IDAT", data ? *data : png::Zlib(png::ScanlineData(image, {})));
    w.Chunk("IEND", {});
    return w.bytes;
}

Bytes BE16s(std::initializer_list<uint16_t> values)
{
    Bytes out;
    for (uint16_t v : values)
        out.insert(out.end(), {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)});
    return out;
}

const char* const kInvalid = "Cannot load image. Invalid or unexpected PNG image format.";

} // namespace

TEST(PNGHeader, ReadHeaderFillsThePropertiesWithoutDecoding)
{
    png::Image image = png::MakeImage(30, 20, 16, 6);
    const Bytes file = png::Encode(image, {.interlace = true});
    TPNGGraphic picture;
    TMemoryStream stream(file.data(), file.size());
    ASSERT_TRUE(picture.ReadHeader(stream, 0));
    const TImageProperties& p = picture.ImageProperties();
    EXPECT_EQ(p.Width, 30);
    EXPECT_EQ(p.Height, 20);
    EXPECT_EQ(p.ColorScheme, TColorScheme::csRGBA);
    EXPECT_EQ(p.BitsPerSample, 16);
    EXPECT_EQ(p.SamplesPerPixel, 4);
    EXPECT_EQ(p.BitsPerPixel, 64);
    EXPECT_EQ(p.Compression, TCompressionType::ctLZ77);
    EXPECT_TRUE(p.Interlaced);
    EXPECT_TRUE(p.HasAlpha);
    EXPECT_TRUE(p.Options & ioBigEndian);
    EXPECT_FLOAT_EQ(p.FileGamma, 1.0f);
    EXPECT_TRUE(picture.Empty());

    // Gray with alpha keeps one sample per pixel.
    const Bytes gray = png::Encode(png::MakeImage(3, 3, 8, 4));
    TMemoryStream grayStream(gray.data(), gray.size());
    ASSERT_TRUE(picture.ReadHeader(grayStream, 0));
    EXPECT_EQ(picture.ImageProperties().ColorScheme, TColorScheme::csGA);
    EXPECT_EQ(picture.ImageProperties().SamplesPerPixel, 1);
    EXPECT_TRUE(picture.ImageProperties().HasAlpha);

    image.hasGamma = true;
    image.gamma = 45455;
    const Bytes withGamma = png::Encode(image);
    TMemoryStream gammaStream(withGamma.data(), withGamma.size());
    ASSERT_TRUE(picture.ReadHeader(gammaStream, 0));
    EXPECT_FLOAT_EQ(picture.ImageProperties().FileGamma, 0.45455f);

    const Bytes notPng = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
    TMemoryStream other(notPng.data(), notPng.size());
    EXPECT_FALSE(picture.ReadHeader(other, 0));
}

TEST(PNGHeader, AcceptsStreamNeedsMoreThanTheSignatureAndKeepsThePosition)
{
    const Bytes file = png::Encode(png::MakeImage(2, 2, 8, 0));
    {
        TMemoryStream exact(file.data(), 8);
        EXPECT_FALSE(TPNGGraphic::AcceptsStream(exact));
        EXPECT_EQ(exact.Position(), 0);
    }
    {
        TMemoryStream nine(file.data(), 9);
        EXPECT_TRUE(TPNGGraphic::AcceptsStream(nine));
        EXPECT_EQ(nine.Position(), 0);
    }
    {
        // Checked from the current position.
        Bytes prefixed = {1, 2, 3};
        prefixed.insert(prefixed.end(), file.begin(), file.end());
        TMemoryStream stream(prefixed.data(), prefixed.size());
        EXPECT_FALSE(TPNGGraphic::AcceptsStream(stream));
        stream.SetPosition(3);
        EXPECT_TRUE(TPNGGraphic::AcceptsStream(stream));
        EXPECT_EQ(stream.Position(), 3);
    }
    const TGraphicClass& info = TPNGGraphic::ClassInfo();
    EXPECT_STREQ(info.ClassName, "TPNGGraphic");
    EXPECT_NE(dynamic_cast<TPNGGraphic*>(info.Create().get()), nullptr);
    TMemoryStream stream(file.data(), file.size());
    EXPECT_TRUE(info.AcceptsStream(stream));
}

TEST(PNGHeader, RefusedHeaders)
{
    auto withHeader = [](const Bytes& ihdr) {
        png::Writer w;
        w.Chunk("IHDR", ihdr);
        w.Chunk("IDAT", png::Zlib({0, 0}));
        w.Chunk("IEND", {});
        return w.bytes;
    };
    EXPECT_EQ(LoadError(withHeader(png::IHDR(0, 5, 8, 0, 0))), kInvalid);
    EXPECT_EQ(LoadError(withHeader(png::IHDR(5, 0, 8, 0, 0))), kInvalid);
    EXPECT_EQ(LoadError(withHeader(png::IHDR(0x80000000u, 5, 8, 0, 0))), kInvalid);
    EXPECT_EQ(LoadError(withHeader(Bytes(12, 1))), kInvalid); // IHDR too short
    EXPECT_EQ(LoadError(withHeader(png::IHDR(1, 1, 8, 0, 0, 1))),
              "Cannot load image. The compression scheme is not supported for PNG files.");
    for (const auto& [colorType, depth] : std::vector<std::pair<uint8_t, uint8_t>>{
             {0, 3}, {0, 0}, {2, 4}, {3, 16}, {4, 4}, {6, 1}, {1, 8}, {5, 8}, {7, 8}})
        EXPECT_EQ(LoadError(withHeader(png::IHDR(1, 1, depth, colorType, 0))), "Invalid color format in PNG file.")
            << int(colorType) << "/" << int(depth);

    // First chunk not IHDR.
    png::Writer w;
    w.Chunk("gAMA", png::BE32(45455));
    w.Chunk("IHDR", png::IHDR(1, 1, 8, 0, 0));
    EXPECT_EQ(LoadError(w.bytes), kInvalid);

    // Without any image data.
    png::Writer empty;
    empty.Chunk("IHDR", png::IHDR(1, 1, 8, 0, 0));
    empty.Chunk("IEND", {});
    EXPECT_EQ(LoadError(empty.bytes), kInvalid);
}

TEST(PNGHeader, PicturesTooLargeToHoldAreRefusedBeforeAllocating)
{
    const size_t limit = TBitmap::MaxImageBytes();
    TBitmap::SetMaxImageBytes(size_t{64} << 20);
    auto huge = [](uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType) {
        png::Writer w;
        w.Chunk("IHDR", png::IHDR(width, height, depth, colorType, 0));
        w.Chunk("IDAT", png::Zlib({0, 0, 0, 0}));
        w.Chunk("IEND", {});
        return LoadError(w.bytes);
    };
    EXPECT_EQ(huge(0x7FFFFFFF, 0x7FFFFFFF, 8, 2).rfind("The picture is too large to be shown", 0), 0u);
    EXPECT_EQ(huge(100000, 100000, 8, 6), "The picture is too large to be shown (100000 x 100000 pixels)");
    // One row whose stored form (16-bit RGBA, 8 bytes a pixel) is far larger
    // than its 1-byte... 4-byte bitmap row.
    EXPECT_EQ(huge(6000000, 1, 16, 6), "The picture is too large to be shown (6000000 x 1 pixels)");
    TBitmap::SetMaxImageBytes(limit);
}

TEST(PNGChunks, GammaIsAppliedToColoursAndPalettes)
{
    for (uint8_t colorType : {0, 2, 3, 6}) {
        const uint8_t depth = colorType == 3 ? 4 : colorType == 0 ? 4 : 8;
        png::Image image = png::MakeImage(9, 7, depth, colorType, colorType);
        image.hasGamma = true;
        image.gamma = 100000; // linear file: brightened for the display
        const Bytes file = png::Encode(image);
        TPNGGraphic picture;
        Load(picture, file);
        EXPECT_EQ(png::SeenRGBA(picture), png::ExpectedRGBA(image)) << "colour type " << int(colorType);
        EXPECT_TRUE(picture.ImageProperties().Options & ioUseGamma);
        EXPECT_FLOAT_EQ(picture.ImageProperties().FileGamma, 1.0f);
    }
    // A 4-bit gray picture keeps white white through the gamma.
    png::Image white = png::MakeImage(2, 1, 4, 0);
    white.samples = {15, 0};
    white.hasGamma = true;
    white.gamma = 100000;
    TPNGGraphic picture;
    Load(picture, png::Encode(white));
    EXPECT_EQ(png::SeenRGBA(picture), (Bytes{255, 255, 255, 255, 0, 0, 0, 255}));
}

TEST(PNGChunks, BackgroundAndTransparentColours)
{
    struct Case {
        uint8_t colorType, depth;
        std::vector<std::pair<std::string, Bytes>> chunks;
        uint32_t background, transparent;
    };
    const uint32_t none = TPNGGraphic::NoTransparentColor;
    const Case cases[] = {
        {0, 8, {}, 0xFFFFFF, none},
        {0, 16, {{"tRNS", BE16s({65535})}, {"bKGD", BE16s({32896})}}, 0x808080, 0xFFFFFF},
        {0, 2, {{"tRNS", BE16s({2})}, {"bKGD", BE16s({1})}}, 0x050505, 0x0A0A0A},
        {0, 8, {{"tRNS", BE16s({0x80})}, {"bKGD", BE16s({7})}}, 0x070707, 0x808080},
        {2, 8, {{"tRNS", BE16s({1, 2, 3})}, {"bKGD", BE16s({10, 20, 30})}}, 0x1E140A, 0x030201},
        {2, 16, {{"tRNS", BE16s({65535, 0, 32896})}, {"bKGD", BE16s({0, 65535, 0})}}, 0x00FF00, 0x8000FF},
        {4, 8, {{"bKGD", BE16s({200})}}, 0xC8C8C8, none},
        // Chunks too short for their values change nothing.
        {0, 8, {{"tRNS", {1}}, {"bKGD", {}}}, 0xFFFFFF, none},
        {2, 8, {{"tRNS", {1, 2, 3, 4}}}, 0xFFFFFF, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "colour type " << int(c.colorType) << ", depth " << int(c.depth));
        const png::Image image = png::MakeImage(4, 3, c.depth, c.colorType);
        TPNGGraphic picture;
        Load(picture, FileWith(image, c.chunks));
        EXPECT_EQ(picture.BackgroundColor(), c.background);
        EXPECT_EQ(picture.TransparentColor(), c.transparent);
        EXPECT_EQ(picture.Transparent(), c.transparent != none);
    }
    // Indexed pictures: the background is the palette index.
    const png::Image indexed = png::MakeImage(4, 3, 8, 3);
    TPNGGraphic picture;
    Load(picture, FileWith(indexed, {{"PLTE", indexed.palette}, {"bKGD", {5}}, {"tRNS", {0, 255}}}));
    EXPECT_EQ(picture.BackgroundColor(), 5u);
    EXPECT_FALSE(picture.Transparent());
}

TEST(PNGChunks, PaletteRules)
{
    const png::Image image = png::MakeImage(6, 4, 8, 3);
    EXPECT_EQ(LoadError(FileWith(image, {{"PLTE", Bytes(7, 0)}})), "Cannot load image. Palette in PNG file is invalid.");

    // A palette after the image data (behind an ancillary chunk) is read but
    // not given to the bitmap.
    png::Writer late;
    late.Chunk("IHDR", png::IHDR(6, 4, 8, 3, 0));
    late.Chunk("IDAT", png::Zlib(png::ScanlineData(image, {})));
    late.Chunk("tEXt", {'k', 0, 'v'});
    late.Chunk("PLTE", image.palette);
    late.Chunk("IEND", {});
    TPNGGraphic picture;
    Load(picture, late.bytes);
    EXPECT_EQ(picture.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_TRUE(picture.Palette().empty());

    // A suggested palette in a true-colour picture changes nothing.
    const png::Image rgb = png::MakeImage(6, 4, 8, 2);
    Load(picture, FileWith(rgb, {{"PLTE", image.palette}}));
    EXPECT_EQ(png::SeenRGBA(picture), png::ExpectedRGBA(rgb));

    // More than 256 entries: the bitmap keeps 256.
    Bytes big = image.palette;
    big.resize(300 * 3, 7);
    png::Image bigImage = image;
    bigImage.palette = big;
    Load(picture, FileWith(bigImage, {{"PLTE", big}}));
    EXPECT_EQ(picture.Palette().size(), 256u);
    EXPECT_EQ(png::SeenRGBA(picture), png::ExpectedRGBA(bigImage));
}

TEST(PNGChunks, CompressedDataErrors)
{
    const png::Image image = png::MakeImage(8, 6, 8, 0);
    const Bytes rows = png::ScanlineData(image, {});
    // The zlib stream ends after three of six rows.
    const Bytes shortStream = png::Zlib(Bytes(rows.begin(), rows.begin() + 3 * 9));
    EXPECT_EQ(LoadError(FileWith(image, {}, &shortStream)), "Cannot load image. Extra compressed data found in PNG file.");
    // Bytes after the end of the zlib stream.
    Bytes trailing = png::Zlib(rows);
    trailing.insert(trailing.end(), {1, 2, 3, 4, 5});
    EXPECT_EQ(LoadError(FileWith(image, {}, &trailing)), "Cannot load image. Extra compressed data found in PNG file.");
    // Not a zlib stream.
    Bytes broken = png::Zlib(rows);
    broken[0] = 0x00;
    EXPECT_EQ(LoadError(FileWith(image, {}, &broken)), "Cannot load image. Compression error found in PNG file.");
    Bytes corrupt = png::Zlib(rows);
    for (size_t i = 2; i < corrupt.size(); ++i)
        corrupt[i] = 0xFF;
    EXPECT_EQ(LoadError(FileWith(image, {}, &corrupt)), "Cannot load image. Compression error found in PNG file.");

    // A stream cut short inside its data: the rows it holds are decoded, the
    // rows it never reached stay black, and loading ends normally. Split
    // over several chunks, the data is first put together in the picture's
    // own memory, which must not show through.
    const png::Image big = png::MakeImage(64, 64, 8, 2);
    const Bytes full = png::Zlib(png::ScanlineData(big, {.filter = 0}));
    const Bytes half(full.begin(), full.begin() + full.size() / 2);
    for (const size_t chunks : {1, 3}) {
        SCOPED_TRACE(testing::Message() << chunks << " IDAT chunks");
        png::Writer w;
        w.Chunk("IHDR", png::IHDR(64, 64, 8, 2, 0));
        const size_t piece = (half.size() + chunks - 1) / chunks;
        for (size_t at = 0; at < half.size(); at += piece)
            w.Chunk("IDAT", Bytes(half.begin() + at, half.begin() + std::min(half.size(), at + piece)));
        w.Chunk("IEND", {});
        TPNGGraphic picture;
        ASSERT_NO_THROW(Load(picture, w.bytes));
        const Bytes seen = png::SeenRGBA(picture);
        const Bytes expected = png::ExpectedRGBA(big);
        EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + 64 * 4, seen.begin())) << "first row";
        Bytes black;
        for (int x = 0; x < 64; ++x)
            black.insert(black.end(), {0, 0, 0, 255});
        EXPECT_EQ(Bytes(seen.end() - 64 * 4, seen.end()), black) << "last row";
    }
    // Empty stored blocks first: much data that decodes to nothing, more
    // than the rows the cut-short data reaches. Every pixel is decoded or
    // black, but for the one the data ends in.
    Bytes padded = {0x78, 0x01};
    for (int i = 0; i < 1000; ++i)
        padded.insert(padded.end(), {0x00, 0x00, 0x00, 0xFF, 0xFF});
    padded.insert(padded.end(), full.begin() + 2, full.begin() + 2 + (full.size() - 2) / 2);
    png::Writer w;
    w.Chunk("IHDR", png::IHDR(64, 64, 8, 2, 0));
    w.Chunk("IDAT", Bytes(padded.begin(), padded.begin() + 100));
    w.Chunk("IDAT", Bytes(padded.begin() + 100, padded.end()));
    w.Chunk("IEND", {});
    TPNGGraphic picture;
    ASSERT_NO_THROW(Load(picture, w.bytes));
    const Bytes seen = png::SeenRGBA(picture);
    const Bytes expected = png::ExpectedRGBA(big);
    const Bytes black = {0, 0, 0, 255};
    int decoded = 0, wrong = 0;
    for (size_t i = 0; i < seen.size(); i += 4) {
        const bool same = std::equal(seen.begin() + i, seen.begin() + i + 4, expected.begin() + i);
        decoded += same;
        wrong += !same && !std::equal(black.begin(), black.end(), seen.begin() + i);
    }
    EXPECT_LE(wrong, 1);
    EXPECT_GT(decoded, 0);
}

TEST(PNGChunks, ChunkLongerThanTheFileIsTheReadersError)
{
    const png::Image image = png::MakeImage(4, 4, 8, 0);
    Bytes file = FileWith(image, {{"tEXt", {'a', 0, 'b'}}});
    const size_t text = png::FindChunk(file, "tEXt");
    file[text] = 0x7F; // length 2 GiB
    EXPECT_EQ(LoadError(file), kInvalid);
    Bytes idat = FileWith(image, {});
    idat[png::FindChunk(idat, "IDAT")] = 0xFF;
    EXPECT_EQ(LoadError(idat), kInvalid);
}

TEST(PNGChunks, LoadingAgainStartsAfresh)
{
    const png::Image rgba = png::MakeImage(10, 8, 16, 6);
    png::Image gray = png::MakeImage(7, 5, 2, 0);
    gray.hasGamma = true;
    gray.gamma = 70000;
    const png::Image indexed = png::MakeImage(5, 5, 1, 3);
    TPNGGraphic picture;
    for (const png::Image* image : std::vector<const png::Image*>{&rgba, &gray, &indexed, &rgba}) {
        Load(picture, png::Encode(*image));
        EXPECT_EQ(png::SeenRGBA(picture), png::ExpectedRGBA(*image));
    }
}

namespace {

struct TNotification {
    TProgressStage stage;
    int percent;
    int top;
    std::string message;
    bool operator==(const TNotification&) const = default;
};

std::vector<TNotification> Notifications(TPNGGraphic& picture, const Bytes& file, int* width = nullptr)
{
    std::vector<TNotification> seen;
    picture.OnProgress = [&](TBitmap*, TProgressStage stage, uint8_t percent, bool, const TRect& rect,
                             const std::string& message) {
        seen.push_back({stage, percent, rect.Top, message});
        if (width) {
            EXPECT_EQ(rect.Right, *width);
        }
    };
    try {
        Load(picture, file);
    } catch (const EInvalidGraphic&) {
    }
    return seen;
}

} // namespace

TEST(PNGProgress, RowsReportProgressAndStageTwoEndsEveryLoad)
{
    using S = TProgressStage;
    int width = 5;
    TPNGGraphic picture;
    EXPECT_EQ(Notifications(picture, png::Encode(png::MakeImage(5, 3, 8, 2)), &width),
              (std::vector<TNotification>{{S::psStarting, 0, 0, "Preparing..."},
                                          {S::psEnding, 100, 0, ""},
                                          {S::psStarting, 0, 0, "Transfering..."},
                                          {S::psRunning, 0, 0, ""},
                                          {S::psRunning, 33, 1, ""},
                                          {S::psRunning, 66, 2, ""},
                                          {S::psEnding, 100, 3, ""}}));

    // Interlaced: only the rows of the seventh pass (1 and 3) report.
    EXPECT_EQ(Notifications(picture, png::Encode(png::MakeImage(5, 4, 8, 2), {.interlace = true}), &width),
              (std::vector<TNotification>{{S::psStarting, 0, 0, "Preparing..."},
                                          {S::psEnding, 100, 0, ""},
                                          {S::psStarting, 0, 0, "Transfering..."},
                                          {S::psRunning, 50, 0, ""},
                                          {S::psRunning, 100, 1, ""},
                                          {S::psEnding, 100, 2, ""}}));

    // A failing load still ends with stage 2.
    png::Writer w;
    w.Chunk("IHDR", png::IHDR(5, 3, 8, 2, 0));
    w.ChunkWithCrc("IDAT", png::Zlib(Bytes(16 * 3, 0)), 0);
    w.Chunk("IEND", {});
    const auto failed = Notifications(picture, w.bytes);
    ASSERT_FALSE(failed.empty());
    EXPECT_EQ(failed.back().stage, S::psEnding);
}

namespace {

// A stream that does not hold its bytes in memory (Memory() is null), so the
// reader copies each chunk into its own buffer.
class TPlainStream : public TStream {
public:
    explicit TPlainStream(Bytes bytes) : bytes_(std::move(bytes)) {}
    size_t Read(void* buffer, size_t count) override
    {
        const size_t n = std::min(count, bytes_.size() - static_cast<size_t>(position_));
        std::memcpy(buffer, bytes_.data() + position_, n);
        position_ += static_cast<int64_t>(n);
        return n;
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override
    {
        const int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? position_ : Size();
        position_ = std::clamp<int64_t>(base + offset, 0, Size());
        return position_;
    }
    int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }

private:
    Bytes bytes_;
};

} // namespace

TEST(PNGChunks, StreamsNotInMemoryDecodeTheSame)
{
    png::Image image = png::MakeImage(33, 17, 8, 3);
    image.hasGamma = true;
    image.gamma = 50000;
    // Empty chunks have a CRC over their type alone.
    png::Writer w;
    w.Chunk("IHDR", png::IHDR(33, 17, 8, 3, 1));
    w.Chunk("gAMA", png::BE32(50000));
    w.Chunk("PLTE", image.palette);
    w.Chunk("IDAT", {});
    const Bytes data = png::Zlib(png::ScanlineData(image, {.interlace = true}));
    w.Chunk("IDAT", Bytes(data.begin(), data.begin() + 50));
    w.Chunk("IDAT", Bytes(data.begin() + 50, data.end()));
    w.Chunk("IEND", {});
    TPNGGraphic picture;
    TPlainStream stream(w.bytes);
    picture.LoadFromStream(stream);
    EXPECT_EQ(png::SeenRGBA(picture), png::ExpectedRGBA(image));

    Bytes broken = w.bytes;
    broken[png::FindChunk(broken, "IEND") - 5] ^= 0x10; // last IDAT byte
    TPlainStream brokenStream(broken);
    EXPECT_THROW(picture.LoadFromStream(brokenStream), EInvalidGraphic);
}

TEST(PNGChunks, AColourProfileIsKeptAndGovernsInsteadOfTheGamma)
{
    const png::Image image = png::MakeImage(4, 3, 8, 2);
    const Bytes profile = orvane::test::SwappedRedGreenProfile();
    auto row = [](const TBitmap& picture) { return Bytes(picture.ScanLine(1), picture.ScanLine(1) + 12); };
    auto iccp = [](const std::string& name, const Bytes& deflated) {
        Bytes chunk(name.begin(), name.end());
        chunk.push_back(0);
        chunk.push_back(0); // deflate
        chunk.insert(chunk.end(), deflated.begin(), deflated.end());
        return chunk;
    };
    TPNGGraphic plain, gamma, both, broken;
    Load(plain, FileWith(image, {}));
    Load(gamma, FileWith(image, {{"gAMA", png::BE32(100000)}}));
    Load(both, FileWith(image, {{"gAMA", png::BE32(100000)}, {"iCCP", iccp("swapped", png::Zlib(profile))}}));
    Load(broken, FileWith(image, {{"gAMA", png::BE32(100000)}, {"iCCP", iccp("cut", Bytes{0x78, 0x9c, 1, 2})}}));
    EXPECT_EQ(both.IccProfile(), profile);
    EXPECT_NE(row(gamma), row(plain)); // gamma 1.0 is applied without a profile
    EXPECT_EQ(row(both), row(plain));  // not on top of the profile
    EXPECT_TRUE(broken.IccProfile().empty());           // a damaged profile is ignored...
    EXPECT_EQ(row(broken), row(gamma)); // ...and the gamma applies
}

TEST(PNGChunks, TheExifOrientationIsKeptAndADamagedBlockIgnored)
{
    const png::Image image = png::MakeImage(4, 3, 8, 0);
    const auto exif = orvane::test::ExifBlock(8, true);
    TPNGGraphic picture;
    Load(picture, FileWith(image, {{"eXIf", Bytes(exif.begin(), exif.end())}}));
    EXPECT_EQ(picture.Orientation(), 8);
    Load(picture, FileWith(image, {{"eXIf", Bytes(exif.begin(), exif.begin() + 12)}}));
    EXPECT_EQ(picture.Orientation(), 1);
    EXPECT_EQ(picture.Width(), 4);
}
