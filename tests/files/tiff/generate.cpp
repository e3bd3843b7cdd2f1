// Generator of the TIFF reader's golden files (run once; the files are
// committed beside this program). Each case is <case>.tif, written with
// libtiff, and <case>.png, the picture the reader must produce as 8-bit RGBA.
// The expected pictures are computed here from the samples written, by the
// reader's conversion rules (16-bit values become v * 255 / 65535, gray levels
// spread over the bitmap's palette, CMYK and YCbCr by their formulas), except
// for JPEG cases, whose expected picture is libtiff's own decode.
//
//   g++ -O1 -std=c++20 generate.cpp -ltiff -lpng -o /tmp/generate-tiff && /tmp/generate-tiff .
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
std::string outDir;

struct Rgba {
    uint8_t r, g, b, a;
};
using Picture = std::vector<Rgba>;

const int W = 37, H = 23; // odd sizes: partial bytes and a short last strip

uint8_t Pattern(int x, int y, int s) { return static_cast<uint8_t>((x * 7 + y * 11 + s * 85 + ((x * y) % 13) * 5) & 255); }

void WritePng(const std::string& name, const Picture& picture, int w, int h)
{
    FILE* f = std::fopen((outDir + "/" + name + ".png").c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y)
        png_write_row(png, reinterpret_cast<png_const_bytep>(&picture[static_cast<size_t>(y) * w]));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

struct Setup {
    const char* mode = "wl"; // "wl" little-endian (II), "wb" big-endian (MM)
    int width = W, height = H;
    int bits = 8, samples = 1;
    uint16_t photometric = PHOTOMETRIC_MINISBLACK;
    uint16_t compression = COMPRESSION_NONE;
    uint16_t planar = PLANARCONFIG_CONTIG;
    uint32_t rowsPerStrip = 4;
    uint16_t predictor = 0;
    uint16_t fillOrder = 0;
    std::function<void(TIFF*)> extra;
};

TIFF* Open(const std::string& name, const Setup& s)
{
    TIFF* tif = TIFFOpen((outDir + "/" + name + ".tif").c_str(), s.mode);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, s.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, s.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, s.bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, s.samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, s.photometric);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, s.compression);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, s.planar);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, s.rowsPerStrip);
    if (s.predictor)
        TIFFSetField(tif, TIFFTAG_PREDICTOR, s.predictor);
    if (s.fillOrder)
        TIFFSetField(tif, TIFFTAG_FILLORDER, s.fillOrder);
    if (s.extra)
        s.extra(tif);
    return tif;
}

// Writes rows of packed samples (row-major, rowBytes each) as scanlines;
// with separate planes, rows of every plane one plane after the other.
void WriteRows(TIFF* tif, const Bytes& data, size_t rowBytes, int height, int planes = 1)
{
    for (int plane = 0; plane < planes; ++plane)
        for (int y = 0; y < height; ++y) {
            Bytes row(data.begin() + (static_cast<size_t>(plane) * height + y) * rowBytes,
                      data.begin() + (static_cast<size_t>(plane) * height + y + 1) * rowBytes);
            if (TIFFWriteScanline(tif, row.data(), y, static_cast<uint16_t>(plane)) != 1)
                std::abort();
        }
    TIFFClose(tif);
}

uint8_t Reduce16(uint16_t v) { return static_cast<uint8_t>(uint32_t{v} * 255 / 65535); }

// --- cases -----------------------------------------------------------------

void Rgb8(const std::string& name, const char* mode, uint16_t compression, uint16_t predictor)
{
    Setup s;
    s.mode = mode;
    s.samples = 3;
    s.photometric = PHOTOMETRIC_RGB;
    s.compression = compression;
    s.predictor = predictor;
    Bytes data;
    Picture expected;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const uint8_t r = Pattern(x, y, 0), g = Pattern(x, y, 1), b = Pattern(x, y, 2);
            data.insert(data.end(), {r, g, b});
            expected.push_back({r, g, b, 255});
        }
    WriteRows(Open(name, s), data, W * 3, H);
    WritePng(name, expected, W, H);
}

void Rgba8(const std::string& name)
{
    Setup s;
    s.samples = 4;
    s.photometric = PHOTOMETRIC_RGB;
    s.compression = COMPRESSION_PACKBITS;
    s.extra = [](TIFF* tif) {
        uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    };
    Bytes data;
    Picture expected;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const uint8_t r = Pattern(x, y, 0), g = Pattern(x, y, 1), b = Pattern(x, y, 2), a = Pattern(x, y, 3);
            data.insert(data.end(), {r, g, b, a});
            expected.push_back({r, g, b, a});
        }
    WriteRows(Open(name, s), data, W * 4, H);
    WritePng(name, expected, W, H);
}

void Rgb16(const std::string& name, const char* mode, uint16_t compression, uint16_t predictor)
{
    Setup s;
    s.mode = mode;
    s.bits = 16;
    s.samples = 3;
    s.photometric = PHOTOMETRIC_RGB;
    s.compression = compression;
    s.predictor = predictor;
    Bytes data;
    Picture expected;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            uint16_t v[3];
            for (int c = 0; c < 3; ++c) {
                v[c] = static_cast<uint16_t>(Pattern(x, y, c) * 257 + x * 3 + y);
                const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&v[c]); // libtiff takes host order
                data.insert(data.end(), {bytes[0], bytes[1]});
            }
            expected.push_back({Reduce16(v[0]), Reduce16(v[1]), Reduce16(v[2]), 255});
        }
    WriteRows(Open(name, s), data, W * 6, H);
    WritePng(name, expected, W, H);
}

void RgbPlanar(const std::string& name, uint16_t compression)
{
    Setup s;
    s.mode = "wb";
    s.samples = 3;
    s.photometric = PHOTOMETRIC_RGB;
    s.planar = PLANARCONFIG_SEPARATE;
    s.compression = compression;
    Bytes data(static_cast<size_t>(W) * H * 3);
    Picture expected;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            for (int c = 0; c < 3; ++c)
                data[(static_cast<size_t>(c) * H + y) * W + x] = Pattern(x, y, c);
            expected.push_back({Pattern(x, y, 0), Pattern(x, y, 1), Pattern(x, y, 2), 255});
        }
    WriteRows(Open(name, s), data, W, H, 3);
    WritePng(name, expected, W, H);
}

// Gray of 1, 2, 4, 8 or 16 bits; level(v) is the gray the bitmap shows.
void Gray(const std::string& name, const char* mode, int bits, uint16_t photometric, uint16_t compression)
{
    Setup s;
    s.mode = mode;
    s.bits = bits;
    s.photometric = photometric;
    s.compression = compression;
    const size_t rowBytes = (static_cast<size_t>(W) * bits + 7) / 8;
    Bytes data(rowBytes * H, 0);
    Picture expected;
    const uint32_t maxValue = (1u << bits) - 1;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const uint32_t v = bits == 16 ? uint32_t(Pattern(x, y, 0)) * 251 + x : Pattern(x, y, 0) & maxValue;
            uint8_t* row = &data[y * rowBytes];
            if (bits == 16) {
                const uint16_t value = static_cast<uint16_t>(v);
                std::memcpy(row + 2 * x, &value, 2);
            } else if (bits == 8) {
                row[x] = static_cast<uint8_t>(v);
            } else {
                row[x * bits / 8] |= static_cast<uint8_t>(v << (8 - bits - (x * bits) % 8));
            }
            // 8-bit and 16-bit gray keep their value (reduced); fewer bits
            // spread over 0..255.
            uint8_t level = bits == 16 ? Reduce16(static_cast<uint16_t>(v))
                                       : static_cast<uint8_t>(v * 255 / maxValue);
            if (photometric == PHOTOMETRIC_MINISWHITE)
                level = static_cast<uint8_t>(255 - level);
            expected.push_back({level, level, level, 255});
        }
    WriteRows(Open(name, s), data, rowBytes, H);
    WritePng(name, expected, W, H);
}

void GrayAlpha(const std::string& name)
{
    Setup s;
    s.samples = 2;
    s.extra = [](TIFF* tif) {
        uint16_t extra[] = {EXTRASAMPLE_ASSOCALPHA};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    };
    Bytes data;
    Picture expected;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const uint8_t v = Pattern(x, y, 0);
            data.insert(data.end(), {v, Pattern(x, y, 3)});
            expected.push_back({v, v, v, 255}); // the alpha sample is skipped
        }
    WriteRows(Open(name, s), data, W * 2, H);
    WritePng(name, expected, W, H);
}

void Palette(const std::string& name, const char* mode, int bits, uint16_t compression)
{
    Setup s;
    s.mode = mode;
    s.bits = bits;
    s.photometric = PHOTOMETRIC_PALETTE;
    s.compression = compression;
    const int entries = 1 << bits;
    std::vector<uint16_t> red(entries), green(entries), blue(entries);
    for (int i = 0; i < entries; ++i) {
        red[i] = static_cast<uint16_t>((i * 40503u + 1234) & 0xFFFF);
        green[i] = static_cast<uint16_t>((i * 9973u + 50000) & 0xFFFF);
        blue[i] = static_cast<uint16_t>(65535 - i * (65535 / entries));
    }
    s.extra = [&](TIFF* tif) { TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data()); };
    const size_t rowBytes = (static_cast<size_t>(W) * bits + 7) / 8;
    Bytes data(rowBytes * H, 0);
    Picture expected;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int v = (x + 3 * y) % entries;
            uint8_t* row = &data[y * rowBytes];
            if (bits == 8)
                row[x] = static_cast<uint8_t>(v);
            else
                row[x * bits / 8] |= static_cast<uint8_t>(v << (8 - bits - (x * bits) % 8));
            expected.push_back({Reduce16(red[v]), Reduce16(green[v]), Reduce16(blue[v]), 255});
        }
    WriteRows(Open(name, s), data, rowBytes, H);
    WritePng(name, expected, W, H);
}

void Cmyk(const std::string& name)
{
    Setup s;
    s.samples = 4;
    s.photometric = PHOTOMETRIC_SEPARATED;
    s.extra = [](TIFF* tif) { TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK); };
    Bytes data;
    Picture expected;
    auto ink = [](int x, int k) { return static_cast<uint8_t>(std::clamp(x * k / 255 - x - k + 255, 0, 255)); };
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const uint8_t c = Pattern(x, y, 0), m = Pattern(x, y, 1), ye = Pattern(x, y, 2), k = Pattern(x, y, 3) / 2;
            data.insert(data.end(), {c, m, ye, k});
            expected.push_back({ink(c, k), ink(m, k), ink(ye, k), 255});
        }
    WriteRows(Open(name, s), data, W * 4, H);
    WritePng(name, expected, W, H);
}

// Uncompressed YCbCr with 2 x 2 subsampling, stored in blocks.
void YCbCrBlocks(const std::string& name)
{
    const int w = 10, h = 6;
    Setup s;
    s.width = w;
    s.height = h;
    s.samples = 3;
    s.photometric = PHOTOMETRIC_YCBCR;
    s.rowsPerStrip = 2;
    s.extra = [](TIFF* tif) { TIFFSetField(tif, TIFFTAG_YCBCRSUBSAMPLING, 2, 2); };
    TIFF* tif = Open(name, s);
    // Chroma tables of the default coefficients.
    const double r = 0.299, g = 0.587, b = 0.114;
    const double cr = 2 - 2 * r, cb = 2 - 2 * b, gr = r * cr / g, gb = b * cb / g;
    Picture expected(static_cast<size_t>(w) * h);
    for (int strip = 0; strip < h / 2; ++strip) {
        Bytes blocks;
        for (int bx = 0; bx < w / 2; ++bx) {
            const uint8_t cbValue = static_cast<uint8_t>(90 + bx * 17 + strip * 5);
            const uint8_t crValue = static_cast<uint8_t>(200 - bx * 13 - strip * 9);
            for (int yy = 0; yy < 2; ++yy)
                for (int xx = 0; xx < 2; ++xx) {
                    const int x = bx * 2 + xx, y = strip * 2 + yy;
                    const int luma = 30 + x * 19 + y * 7;
                    blocks.push_back(static_cast<uint8_t>(luma));
                    const int dCb = cbValue - 128, dCr = crValue - 128;
                    auto clamp = [](long v) { return static_cast<uint8_t>(std::clamp<long>(v, 0, 255)); };
                    expected[static_cast<size_t>(y) * w + x] = {
                        clamp(luma + std::lround(cr * dCr)),
                        clamp(luma - std::lround(gb * dCb) - std::lround(gr * dCr)),
                        clamp(luma + std::lround(cb * dCb)), 255};
                }
            blocks.push_back(cbValue);
            blocks.push_back(crValue);
        }
        TIFFWriteRawStrip(tif, static_cast<uint32_t>(strip), blocks.data(), static_cast<tmsize_t>(blocks.size()));
    }
    TIFFClose(tif);
    WritePng(name, expected, w, h);
}

// Bilevel picture through libtiff's fax coders; 1 bits are black.
void Fax(const std::string& name, uint16_t compression, uint16_t fillOrder, const char* mode)
{
    const int w = 203, h = 17;
    Setup s;
    s.mode = mode;
    s.width = w;
    s.height = h;
    s.bits = 1;
    s.photometric = PHOTOMETRIC_MINISWHITE;
    s.compression = compression;
    s.fillOrder = fillOrder;
    s.rowsPerStrip = 6;
    const size_t rowBytes = (w + 7) / 8;
    Bytes data(rowBytes * h, 0);
    Picture expected;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool black = ((x / (3 + y % 5)) + (y / 3)) % 2 == 0 || (x > 150 && y % 4 == 1);
            if (black)
                data[y * rowBytes + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            const uint8_t level = black ? 0 : 255;
            expected.push_back({level, level, level, 255});
        }
    WriteRows(Open(name, s), data, rowBytes, h);
    WritePng(name, expected, w, h);
}

// ThunderScan strips written raw: raw pixels, runs and deltas.
void Thunder(const std::string& name)
{
    const int w = 9, h = 3;
    Setup s;
    s.width = w;
    s.height = h;
    s.bits = 4;
    s.compression = COMPRESSION_THUNDERSCAN;
    s.rowsPerStrip = h;
    TIFF* tif = Open(name, s);
    // Row 0: 5, run of 3, +1 / skip / -1, raw 15, +3 / -1, -> 5 5 5 5 6 5 15 2 1
    // Row 1: raw 0, run 8.  Row 2: +1 x3, +2 / +3, -3 / -2, raw 9 -> 1 2 3 5 8 5 3 9 (8 pixels) + run 1.
    const Bytes codes = {0xC5, 0x03, 0x5B, 0xCF, 0x9F, 0xC0, 0x08, 0x55, 0x93, 0xAE, 0xC9, 0x01};
    TIFFWriteRawStrip(tif, 0, const_cast<uint8_t*>(codes.data()), static_cast<tmsize_t>(codes.size()));
    TIFFClose(tif);
    const int pixels[3][9] = {{5, 5, 5, 5, 6, 5, 15, 2, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 0}, {1, 2, 3, 5, 8, 5, 3, 9, 9}};
    Picture expected;
    for (const auto& row : pixels)
        for (int v : row) {
            const uint8_t level = static_cast<uint8_t>(v * 17);
            expected.push_back({level, level, level, 255});
        }
    WritePng(name, expected, w, h);
}

void Jpeg(const std::string& name, int samples, uint16_t photometric)
{
    Setup s;
    s.samples = samples;
    s.photometric = photometric;
    s.compression = COMPRESSION_JPEG;
    s.rowsPerStrip = 16;
    s.extra = [&](TIFF* tif) {
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 92);
        if (photometric == PHOTOMETRIC_YCBCR)
            TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    };
    Bytes data;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            for (int c = 0; c < samples; ++c)
                data.push_back(static_cast<uint8_t>(x * 5 + y * 3 + c * 70));
    WriteRows(Open(name, s), data, static_cast<size_t>(W) * samples, H);
    // The expected picture is libtiff's decode.
    TIFF* tif = TIFFOpen((outDir + "/" + name + ".tif").c_str(), "r");
    std::vector<uint32_t> rgba(static_cast<size_t>(W) * H);
    TIFFReadRGBAImageOriented(tif, W, H, rgba.data(), ORIENTATION_TOPLEFT, 0);
    TIFFClose(tif);
    Picture expected;
    for (uint32_t p : rgba)
        expected.push_back({static_cast<uint8_t>(TIFFGetR(p)), static_cast<uint8_t>(TIFFGetG(p)),
                            static_cast<uint8_t>(TIFFGetB(p)), 255});
    WritePng(name, expected, W, H);
}

} // namespace

int main(int argc, char** argv)
{
    outDir = argc > 1 ? argv[1] : ".";
    Rgb8("rgb8-le-strips", "wl", COMPRESSION_NONE, 0);
    Rgb8("rgb8-be-strips", "wb", COMPRESSION_NONE, 0);
    Rgb8("rgb8-deflate-predictor", "wl", COMPRESSION_ADOBE_DEFLATE, PREDICTOR_HORIZONTAL);
    Rgb8("rgb8-be-packbits", "wb", COMPRESSION_PACKBITS, 0);
    Rgba8("rgba8-packbits");
    Rgb16("rgb16-be", "wb", COMPRESSION_NONE, 0);
    Rgb16("rgb16-le-deflate-predictor", "wl", COMPRESSION_ADOBE_DEFLATE, PREDICTOR_HORIZONTAL);
    Rgb16("rgb16-be-deflate-predictor", "wb", COMPRESSION_ADOBE_DEFLATE, PREDICTOR_HORIZONTAL);
    RgbPlanar("rgb8-planar-be", COMPRESSION_NONE);
    RgbPlanar("rgb8-planar-deflate", COMPRESSION_ADOBE_DEFLATE);
    Gray("gray1-minisblack", "wl", 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE);
    Gray("gray2-minisblack", "wb", 2, PHOTOMETRIC_MINISBLACK, COMPRESSION_PACKBITS);
    Gray("gray4-miniswhite", "wl", 4, PHOTOMETRIC_MINISWHITE, COMPRESSION_NONE);
    Gray("gray8-miniswhite-packbits", "wl", 8, PHOTOMETRIC_MINISWHITE, COMPRESSION_PACKBITS);
    Gray("gray16-be", "wb", 16, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE);
    GrayAlpha("gray8-alpha");
    Palette("palette2", "wl", 2, COMPRESSION_NONE);
    Palette("palette4-be", "wb", 4, COMPRESSION_NONE);
    Palette("palette8-deflate", "wl", 8, COMPRESSION_ADOBE_DEFLATE);
    Cmyk("cmyk8");
    YCbCrBlocks("ycbcr-subsampled");
    Fax("fax-g3", COMPRESSION_CCITTFAX3, 0, "wl");
    Fax("fax-g3-fillorder2", COMPRESSION_CCITTFAX3, FILLORDER_LSB2MSB, "wb");
    Fax("fax-mh", COMPRESSION_CCITTRLE, 0, "wl");
    Fax("fax-mh-word-aligned", COMPRESSION_CCITTRLEW, FILLORDER_LSB2MSB, "wl");
    Thunder("thunderscan");
    Jpeg("jpeg-rgb", 3, PHOTOMETRIC_RGB);
    Jpeg("jpeg-ycbcr", 3, PHOTOMETRIC_YCBCR);
    Jpeg("jpeg-gray", 1, PHOTOMETRIC_MINISBLACK);
    return 0;
}
