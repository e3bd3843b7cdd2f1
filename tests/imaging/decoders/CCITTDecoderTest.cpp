#include "DecoderTestSupport.h"

#include "imaging/decoders/CCITTDecoder.h"
#include "support/TempTree.h"

#include <tiffio.h>

#include <string>

using namespace orvane::imaging;
using orvane::test::Bytes;
using orvane::test::NoiseBytes;
using orvane::test::RunDecoder;

namespace {

// Bytes from a string of '0' and '1' (spaces ignored), padded with zeros.
Bytes FromBits(const std::string& bits)
{
    Bytes bytes;
    int count = 0;
    for (char c : bits) {
        if (c == ' ')
            continue;
        if (count % 8 == 0)
            bytes.push_back(0);
        if (c == '1')
            bytes.back() |= static_cast<uint8_t>(0x80 >> (count % 8));
        ++count;
    }
    return bytes;
}

Bytes Reversed(Bytes bytes)
{
    for (auto& b : bytes) {
        uint8_t r = 0;
        for (int i = 0; i < 8; ++i)
            if (b & (1 << i))
                r |= static_cast<uint8_t>(0x80 >> i);
        b = r;
    }
    return bytes;
}

// A bilevel picture with runs of many lengths (1 bit = black), rows padded
// to whole bytes.
Bytes FaxPicture(int width, int height)
{
    const size_t rowBytes = (static_cast<size_t>(width) + 7) / 8;
    Bytes bits(rowBytes * height, 0);
    uint32_t seed = static_cast<uint32_t>(width * 31 + height);
    for (int y = 0; y < height; ++y) {
        int x = 0;
        bool black = y % 3 == 1; // some rows start black
        while (x < width) {
            seed = seed * 1103515245u + 12345u;
            int run = static_cast<int>((seed >> 16) % (y % 4 == 0 ? 3000 : 90));
            for (int i = 0; i < run && x < width; ++i, ++x)
                if (black)
                    bits[y * rowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            black = !black;
        }
    }
    return bits;
}

struct FaxStrip {
    Bytes data;
    uint32_t options = 0;
};

// Encodes the picture with libtiff's fax coder as one strip and returns the
// strip as stored in the file.
FaxStrip EncodeWithLibtiff(const Bytes& picture, int width, int height, uint16_t compression, uint16_t fillOrder,
                           uint32_t group3Options = 0)
{
    orvane::test::TempTree dir;
    const std::string path = dir.Path("fax.tif");
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    EXPECT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tif, TIFFTAG_FILLORDER, fillOrder);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
    if (compression == COMPRESSION_CCITTFAX3)
        TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, group3Options);
    const size_t rowBytes = (static_cast<size_t>(width) + 7) / 8;
    Bytes row(rowBytes);
    for (int y = 0; y < height; ++y) {
        std::copy(picture.begin() + y * rowBytes, picture.begin() + (y + 1) * rowBytes, row.begin());
        EXPECT_EQ(TIFFWriteScanline(tif, row.data(), y, 0), 1);
    }
    TIFFClose(tif);

    tif = TIFFOpen(path.c_str(), "r");
    FaxStrip strip;
    toff_t* counts = nullptr;
    TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts);
    strip.data.resize(counts[0]);
    EXPECT_EQ(TIFFReadRawStrip(tif, 0, strip.data.data(), static_cast<tmsize_t>(strip.data.size())),
              static_cast<tmsize_t>(strip.data.size()));
    if (compression == COMPRESSION_CCITTFAX3)
        TIFFGetField(tif, TIFFTAG_GROUP3OPTIONS, &strip.options);
    TIFFClose(tif);
    return strip;
}

} // namespace

TEST(CCITTDecoder, CodeTreesHoldEveryCodeOnce)
{
    // 64 terminating + 40 make-up codes + end of line + 4 invalid codes per
    // colour; a prefix-free tree of n leaves has n - 1 inner nodes.
    for (const auto& tree : {TCCITTCodeTree::White(), TCCITTCodeTree::Black()}) {
        size_t leaves = 0;
        for (size_t i = 0; i < tree.NodeCount(); ++i) {
            const auto& node = tree.At(static_cast<int32_t>(i));
            leaves += node.child[0] == TCCITTCodeTree::None && node.child[1] == TCCITTCodeTree::None;
        }
        EXPECT_EQ(leaves, 109u);
    }
}

TEST(CCITTMHDecoder, AllWhiteRowOfWidthEightGivesZeroInEitherBitOrder)
{
    // White 8 (10011), black 0 (0000110111).
    const Bytes data = FromBits("10011 0000110111");
    TCCITTMHDecoder plain(0, 8, false, false);
    auto r = RunDecoder(plain, data, 1, SIZE_MAX, 0xEE);
    EXPECT_EQ(r.output, Bytes{0x00});
    TCCITTMHDecoder reversed(0, 8, false, true);
    r = RunDecoder(reversed, Reversed(data), 1, SIZE_MAX, 0xEE);
    EXPECT_EQ(r.output, Bytes{0x00});
}

TEST(CCITTMHDecoder, RowsStartOnInputByteBoundaries)
{
    // Width 16: white 3, black 2, white 11; then white 4, black 12, each row
    // padded to a byte of input.
    const Bytes data = FromBits("1000 11 01000 00000   1011 0000111 00000");
    TCCITTMHDecoder decoder(0, 16, false, false);
    auto r = RunDecoder(decoder, data, 4);
    EXPECT_EQ(r.output, (Bytes{0x18, 0x00, 0x0F, 0xFF}));
    EXPECT_EQ(r.consumed, data.size());
    // The same rows bit-reversed.
    TCCITTMHDecoder reversed(0, 16, false, true);
    r = RunDecoder(reversed, Reversed(data), 4);
    EXPECT_EQ(r.output, (Bytes{0x18, 0x00, 0x0F, 0xFF}));
}

TEST(CCITTMHDecoder, WritesOnlyTheRowsItsDataReaches)
{
    // Two rows of data for an output of 64 rows: the rows decoded are cleared
    // to white and drawn; the rows beyond stay as the caller left them (a
    // strip buffer that is still zero costs no memory).
    const Bytes data = FromBits("1000 11 01000 00000   1011 0000111 00000");
    TCCITTMHDecoder decoder(0, 16, false, false);
    const auto r = RunDecoder(decoder, data, 128, SIZE_MAX, 0xEE);
    EXPECT_EQ(r.produced, 4u);
    EXPECT_EQ(Bytes(r.output.begin(), r.output.begin() + 4), (Bytes{0x18, 0x00, 0x0F, 0xFF}));
    EXPECT_TRUE(std::all_of(r.output.begin() + 4, r.output.end(), [](uint8_t b) { return b == 0xEE; }));
}

TEST(CCITTMHDecoder, WordAlignmentAlignsTheInputAndKeepsRowsPacked)
{
    // Width 8: each row of one byte of codes is followed by a byte of padding.
    // Row 1: white 2 (0111), black 6 (0010). Row 2: white 8, black 0 needs 2
    // bytes, so no padding.
    const Bytes data = FromBits("0111 0010  00000000  10011 0000110111 0");
    TCCITTMHDecoder decoder(0, 8, true, false);
    auto r = RunDecoder(decoder, data, 2);
    EXPECT_EQ(r.output, (Bytes{0x3F, 0x00}));
}

TEST(CCITTFax3Decoder, RowsFollowEndOfLineCodes)
{
    // EOL, row (white 3, black 2, white 11); fill bits, EOL, row (white 4,
    // black 12).
    const Bytes data = FromBits("000000000001 1000 11 01000  0000 000000000001 1011 0000111");
    TCCITTFax3Decoder decoder(0, 16, false, false);
    auto r = RunDecoder(decoder, data, 4);
    EXPECT_EQ(r.output, (Bytes{0x18, 0x00, 0x0F, 0xFF}));
}

TEST(CCITTFax3Decoder, ShortRowEndedByEndOfLineKeepsTheNextRowWhole)
{
    // Row 1 stops after 5 pixels at an EOL; row 2 begins right after that
    // EOL: white 0 (00110101), black 16 (0000010111). No bit of it is lost.
    const Bytes data = FromBits("000000000001 1000 11 000000000001 00110101 0000010111");
    TCCITTFax3Decoder decoder(0, 16, false, false);
    auto r = RunDecoder(decoder, data, 4);
    EXPECT_EQ(r.output, (Bytes{0x18, 0x00, 0xFF, 0xFF}));
}

TEST(CCITTFax3Decoder, InvalidCodeEndsTheRow)
{
    // Row 1: white 2 then an invalid code; row 2 after the next EOL: white 8
    // (10011), black 8 (000101).
    const Bytes data = FromBits("000000000001 0111 000000001 000000000001 10011 000101");
    TCCITTFax3Decoder decoder(0, 16, false, false);
    auto r = RunDecoder(decoder, data, 4, SIZE_MAX, 0xEE);
    EXPECT_EQ(r.output, (Bytes{0x00, 0x00, 0x00, 0xFF}));
}

TEST(CCITTFax3Decoder, TwoDimensionalRowsAreLeftWhite)
{
    // With T4Options bit 0 each EOL carries a tag bit: 1 = coded 1D, 0 = 2D.
    const Bytes data = FromBits("000000000001 1 1000 11 01000 "
                                "000000000001 0 1010101 "
                                "000000000001 1 1011 0000111");
    TCCITTFax3Decoder decoder(1, 16, false, false);
    auto r = RunDecoder(decoder, data, 6);
    EXPECT_EQ(r.output, (Bytes{0x18, 0x00, 0x00, 0x00, 0x0F, 0xFF}));
}

TEST(CCITTDecoders, MatchLibtiffsFaxCoderForEveryWidthAndBitOrder)
{
    struct Case {
        uint16_t compression;
        uint32_t group3Options;
    };
    const Case cases[] = {{COMPRESSION_CCITTRLE, 0},
                          {COMPRESSION_CCITTRLEW, 0},
                          {COMPRESSION_CCITTFAX3, 0},
                          {COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS}};
    for (const Case& c : cases)
        for (uint16_t fillOrder : {FILLORDER_MSB2LSB, FILLORDER_LSB2MSB})
            for (int width : {1, 13, 64, 200, 2600, 5200}) {
                const int height = 9;
                const Bytes picture = FaxPicture(width, height);
                const FaxStrip strip = EncodeWithLibtiff(picture, width, height, c.compression, fillOrder,
                                                         c.group3Options);
                const bool reverse = fillOrder == FILLORDER_LSB2MSB;
                std::unique_ptr<TDecoder> decoder;
                if (c.compression == COMPRESSION_CCITTFAX3)
                    decoder = std::make_unique<TCCITTFax3Decoder>(strip.options, width, false, reverse);
                else
                    decoder = std::make_unique<TCCITTMHDecoder>(0, width, c.compression == COMPRESSION_CCITTRLEW,
                                                                reverse);
                auto r = RunDecoder(*decoder, strip.data, picture.size(), SIZE_MAX, 0xEE);
                EXPECT_EQ(r.output, picture) << "compression " << c.compression << " options " << c.group3Options
                                             << " fill order " << fillOrder << " width " << width;
            }
}

TEST(CCITTDecoders, HostileInputNeverLeavesEitherBuffer)
{
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        // Zero-heavy noise reaches the end-of-line and invalid codes.
        Bytes input = NoiseBytes(seed % 61, seed);
        for (size_t i = 0; i < input.size(); i += 2)
            input[i] &= static_cast<uint8_t>(seed);
        const int width = static_cast<int>(seed % 40);
        const size_t outputBytes = seed % 29;
        TCCITTFax3Decoder g3(seed % 2, width, false, seed % 3 == 0);
        TCCITTMHDecoder mh(0, width, seed % 2 == 0, seed % 3 == 0);
        RunDecoder(g3, input, outputBytes);
        RunDecoder(mh, input, outputBytes);
    }
    // A huge width against a tiny output.
    TCCITTMHDecoder wide(0, 1 << 30, false, false);
    auto r = RunDecoder(wide, FromBits("000000011111 000000011111 0000001111"), 3);
    EXPECT_EQ(r.output, (Bytes{0x00, 0x00, 0x00}));
    TCCITTMHDecoder black(0, 1 << 30, false, false);
    r = RunDecoder(black, FromBits("00110101 000000011111 000000011111"), 3);
    EXPECT_EQ(r.output, (Bytes{0xFF, 0xFF, 0xFF}));
}
