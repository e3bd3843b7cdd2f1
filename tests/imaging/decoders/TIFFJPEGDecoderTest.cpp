#include "DecoderTestSupport.h"

#include "imaging/core/Warnings.h"
#include "imaging/decoders/TIFFJPEGDecoder.h"
#include "support/TempTree.h"

#include <tiffio.h>

#include <cstdlib>
#include <string>

using namespace orvane::imaging;
using orvane::test::Bytes;

namespace {

struct JpegTiff {
    int width = 0;
    int height = 0;
    int samples = 0;
    uint32_t rowsPerStrip = 0;
    std::vector<Bytes> strips;
    Bytes tables;
    std::vector<uint32_t> rgba; // libtiff's decode, top row first
};

// Writes a picture as a JPEG-compressed TIFF with libtiff and reads back its
// raw strips, its JPEG tables and libtiff's own RGBA decode.
JpegTiff MakeJpegTiff(int width, int height, int samples, uint16_t photometric, uint32_t rowsPerStrip)
{
    orvane::test::TempTree dir;
    const std::string path = dir.Path("jpeg.tif");
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 90);
    if (photometric == PHOTOMETRIC_YCBCR)
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    Bytes row(static_cast<size_t>(width) * samples);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            for (int s = 0; s < samples; ++s)
                row[x * samples + s] = static_cast<uint8_t>(x * 4 + y * 3 + s * 60);
        TIFFWriteScanline(tif, row.data(), y, 0);
    }
    TIFFClose(tif);

    JpegTiff result;
    result.width = width;
    result.height = height;
    result.samples = samples;
    result.rowsPerStrip = rowsPerStrip;
    tif = TIFFOpen(path.c_str(), "r");
    toff_t* counts = nullptr;
    TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts);
    for (tstrip_t i = 0; i < TIFFNumberOfStrips(tif); ++i) {
        Bytes strip(counts[i]);
        TIFFReadRawStrip(tif, i, strip.data(), static_cast<tmsize_t>(strip.size()));
        result.strips.push_back(strip);
    }
    uint32_t tableSize = 0;
    void* tables = nullptr;
    if (TIFFGetField(tif, TIFFTAG_JPEGTABLES, &tableSize, &tables))
        result.tables.assign(static_cast<uint8_t*>(tables), static_cast<uint8_t*>(tables) + tableSize);
    result.rgba.resize(static_cast<size_t>(width) * height);
    TIFFReadRGBAImageOriented(tif, width, height, result.rgba.data(), ORIENTATION_TOPLEFT, 0);
    TIFFClose(tif);
    return result;
}

TImageProperties PropertiesOf(const JpegTiff& file, TColorScheme scheme)
{
    TImageProperties p;
    p.Width = file.width;
    p.Height = file.height;
    p.SamplesPerPixel = static_cast<uint8_t>(file.samples);
    p.BitsPerSample = 8;
    p.BitsPerPixel = static_cast<uint8_t>(8 * file.samples);
    p.ColorScheme = scheme;
    p.PlanarConfig = 1;
    p.RowsPerStrip = {file.rowsPerStrip};
    p.BytesPerLine = static_cast<uint32_t>(file.width * file.samples);
    p.JPEGTables = file.tables;
    if (scheme == TColorScheme::csYCbCr)
        p.YCbCrSubSampling = {2, 2};
    return p;
}

// Decodes every strip as the TIFF reader does and returns the rows.
Bytes DecodeAll(TTIFFJPEGDecoder& decoder, TImageProperties& p, const JpegTiff& file)
{
    const size_t rowLength = p.BytesPerLine;
    Bytes picture;
    decoder.BeginDecoding();
    p.CurrentRow = 0;
    for (const Bytes& strip : file.strips) {
        Bytes rows(file.rowsPerStrip * rowLength);
        const uint8_t* s = strip.data();
        uint8_t* t = rows.data();
        decoder.Decode(s, t, strip.size(), rows.size());
        const size_t done = std::min<size_t>(file.rowsPerStrip, p.Height - p.CurrentRow);
        EXPECT_EQ(static_cast<size_t>(t - rows.data()), done * rowLength);
        picture.insert(picture.end(), rows.begin(), rows.begin() + done * rowLength);
        p.CurrentRow += static_cast<uint32_t>(done);
    }
    decoder.EndDecoding();
    return picture;
}

// Largest difference between our rows (BGR or gray) and libtiff's RGBA.
int MaxDifference(const Bytes& picture, const JpegTiff& file)
{
    int worst = 0;
    for (size_t i = 0; i < file.rgba.size(); ++i) {
        const uint32_t p = file.rgba[i];
        const int r = TIFFGetR(p), g = TIFFGetG(p), b = TIFFGetB(p);
        if (file.samples == 1)
            worst = std::max(worst, std::abs(picture[i] - r));
        else
            worst = std::max({worst, std::abs(picture[i * 3] - b), std::abs(picture[i * 3 + 1] - g),
                              std::abs(picture[i * 3 + 2] - r)});
    }
    return worst;
}

// Collects warnings instead of printing them.
struct WarningLog {
    std::vector<std::string> lines;
    WarningLog()
    {
        SetWarningHandler([this](const std::string& caption, const std::string& text) {
            lines.push_back(caption + ": " + text);
        });
    }
    ~WarningLog() { SetWarningHandler(nullptr); }
};

std::string DecodeError(TTIFFJPEGDecoder& decoder, const Bytes& strip, size_t unpackedSize)
{
    Bytes out(unpackedSize);
    const uint8_t* s = strip.data();
    uint8_t* t = out.data();
    try {
        decoder.Decode(s, t, strip.size(), out.size());
    } catch (const EDecoderError& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(TIFFJPEGDecoder, StripsOfEveryKindMatchLibtiff)
{
    struct Case {
        int samples;
        uint16_t photometric;
        TColorScheme scheme;
    };
    for (const Case c : {Case{3, PHOTOMETRIC_RGB, TColorScheme::csRGB}, Case{3, PHOTOMETRIC_YCBCR, TColorScheme::csYCbCr},
                         Case{1, PHOTOMETRIC_MINISBLACK, TColorScheme::csG}}) {
        const JpegTiff file = MakeJpegTiff(40, 37, c.samples, c.photometric, 16);
        ASSERT_EQ(file.strips.size(), 3u);
        TImageProperties p = PropertiesOf(file, c.scheme);
        TTIFFJPEGDecoder decoder(&p);
        WarningLog log;
        const Bytes picture = DecodeAll(decoder, p, file);
        ASSERT_EQ(picture.size(), static_cast<size_t>(40 * 37 * c.samples));
        EXPECT_LE(MaxDifference(picture, file), 1) << "photometric " << c.photometric;
        EXPECT_TRUE(log.lines.empty());
    }
}

TEST(TIFFJPEGDecoder, StripOfSixteenRowsWhereEightAreExpectedIsRefused)
{
    const JpegTiff file = MakeJpegTiff(16, 16, 3, PHOTOMETRIC_RGB, 16);
    TImageProperties p = PropertiesOf(file, TColorScheme::csRGB);
    p.RowsPerStrip = {8};
    TTIFFJPEGDecoder decoder(&p);
    decoder.BeginDecoding();
    EXPECT_EQ(DecodeError(decoder, file.strips[0], 8 * 48), "Improper JPEG strip/tile size.");
    // The rows left in the image count too.
    p.RowsPerStrip = {16};
    p.CurrentRow = 4;
    EXPECT_EQ(DecodeError(decoder, file.strips[0], 16 * 48), "Improper JPEG strip/tile size.");
    p.CurrentRow = 0;
    p.Width = 15;
    EXPECT_EQ(DecodeError(decoder, file.strips[0], 16 * 48), "Improper JPEG strip/tile size.");
}

TEST(TIFFJPEGDecoder, HeaderChecksGiveTheirMessages)
{
    const JpegTiff file = MakeJpegTiff(16, 8, 3, PHOTOMETRIC_YCBCR, 8);
    {
        TImageProperties p = PropertiesOf(file, TColorScheme::csYCbCr);
        p.SamplesPerPixel = 4;
        TTIFFJPEGDecoder decoder(&p);
        decoder.BeginDecoding();
        EXPECT_EQ(DecodeError(decoder, file.strips[0], 8 * 48), "Improper JPEG component count.");
        p.SamplesPerPixel = 3;
        p.PlanarConfig = 2; // separate planes: one component per strip
        EXPECT_EQ(DecodeError(decoder, file.strips[0], 8 * 48), "Improper JPEG component count.");
    }
    {
        TImageProperties p = PropertiesOf(file, TColorScheme::csYCbCr);
        p.BitsPerSample = 16;
        TTIFFJPEGDecoder decoder(&p);
        decoder.BeginDecoding();
        EXPECT_EQ(DecodeError(decoder, file.strips[0], 8 * 48), "Improper JPEG data precision.");
    }
    {
        TImageProperties p = PropertiesOf(file, TColorScheme::csYCbCr);
        p.YCbCrSubSampling = {2, 1};
        TTIFFJPEGDecoder decoder(&p);
        decoder.BeginDecoding();
        EXPECT_EQ(decoder.HorizontalSubsampling(), 2);
        EXPECT_EQ(decoder.VerticalSubsampling(), 1);
        EXPECT_EQ(DecodeError(decoder, file.strips[0], 8 * 48), "Improper JPEG sampling factors.");
    }
    {
        TImageProperties p = PropertiesOf(file, TColorScheme::csYCbCr);
        TTIFFJPEGDecoder decoder(&p);
        decoder.BeginDecoding();
        EXPECT_EQ(DecodeError(decoder, file.strips[0], 8 * 48 - 1), "Fractional JPEG scanline unsupported.");
        // After refusals the decoder still decodes the strip.
        EXPECT_EQ(DecodeError(decoder, file.strips[0], 8 * 48), "no error");
    }
}

TEST(TIFFJPEGDecoder, TablesThatAreNotTablesOnlyAreBogus)
{
    const JpegTiff file = MakeJpegTiff(16, 8, 3, PHOTOMETRIC_RGB, 8);
    TImageProperties p = PropertiesOf(file, TColorScheme::csRGB);
    // A whole picture in the tables field.
    p.JPEGTables = file.tables;
    p.JPEGTables.resize(p.JPEGTables.size() - 2); // without its end of image
    p.JPEGTables.insert(p.JPEGTables.end(), file.strips[0].begin() + 2, file.strips[0].end());
    TTIFFJPEGDecoder decoder(&p);
    try {
        decoder.BeginDecoding();
        FAIL() << "no error";
    } catch (const EDecoderError& e) {
        EXPECT_STREQ(e.what(), "Bogus JPEG tables field.");
    }
    // Garbage tables are libjpeg's error, not a crash.
    p.JPEGTables = {0x12, 0x34, 0x56};
    EXPECT_THROW(decoder.BeginDecoding(), EDecoderError);
}

TEST(TIFFJPEGDecoder, TruncatedStripWarnsOnceAndKeepsWhatItDecoded)
{
    const JpegTiff file = MakeJpegTiff(64, 32, 3, PHOTOMETRIC_RGB, 32);
    TImageProperties p = PropertiesOf(file, TColorScheme::csRGB);
    TTIFFJPEGDecoder decoder(&p);
    WarningLog log;
    decoder.BeginDecoding();
    Bytes strip = file.strips[0];
    strip.resize(strip.size() * 2 / 3);
    Bytes out(32 * 64 * 3, 0xEE);
    const uint8_t* s = strip.data();
    uint8_t* t = out.data();
    decoder.Decode(s, t, strip.size(), out.size());
    ASSERT_FALSE(log.lines.empty());
    EXPECT_EQ(log.lines[0], "Warning: JPEG decompression error. Unexpected end of input.");
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), log.lines[0]), 1);
    EXPECT_EQ(s, strip.data() + strip.size());
    // Decoding stops where the data ends: whole rows, fewer than the strip's,
    // and the rows never reached keep what the buffer held.
    const size_t produced = static_cast<size_t>(t - out.data());
    EXPECT_GT(produced, 0u);
    EXPECT_LT(produced, out.size());
    EXPECT_EQ(produced % (64 * 3), 0u);
    EXPECT_TRUE(std::all_of(out.begin() + static_cast<std::ptrdiff_t>(produced), out.end(),
                            [](uint8_t b) { return b == 0xEE; }));
    // The first rows are the picture's.
    for (int x = 0; x < 64; ++x)
        EXPECT_NEAR(out[x * 3 + 2], TIFFGetR(file.rgba[x]), 1);
}

TEST(TIFFJPEGDecoder, DamagedStripsRaiseDecoderErrors)
{
    const JpegTiff file = MakeJpegTiff(16, 8, 3, PHOTOMETRIC_RGB, 8);
    TImageProperties p = PropertiesOf(file, TColorScheme::csRGB);
    TTIFFJPEGDecoder decoder(&p);
    WarningLog log;
    decoder.BeginDecoding();
    EXPECT_NE(DecodeError(decoder, {0x00, 0x01, 0x02, 0x03}, 8 * 48), "no error");
    // An empty strip is one whose data ended at once: a warning, no rows.
    log.lines.clear();
    EXPECT_EQ(DecodeError(decoder, {}, 8 * 48), "no error");
    EXPECT_EQ(log.lines, std::vector<std::string>{"Warning: JPEG decompression error. Unexpected end of input."});
    for (uint32_t seed = 1; seed <= 100; ++seed) {
        Bytes strip = file.strips[0];
        const Bytes noise = orvane::test::NoiseBytes(8, seed);
        for (size_t i = 0; i < noise.size(); i += 2)
            strip[2 + noise[i] % (strip.size() - 2)] = noise[i + 1];
        DecodeError(decoder, strip, 8 * 48); // any outcome but a crash
    }
}
