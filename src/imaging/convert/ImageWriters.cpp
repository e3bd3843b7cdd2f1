#include "imaging/convert/ImageWriters.h"

#include "imaging/core/PictureLoader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <zlib.h>

namespace orvane::imaging::convert {

namespace {

// Palette entry for an index; indexes past the palette are black.
inline const TRGBQuad& Entry(const std::vector<TRGBQuad>& palette, unsigned index)
{
    static const TRGBQuad black{};
    return index < palette.size() ? palette[index] : black;
}

inline uint8_t Widen5(unsigned v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }

bool WithAlpha(const TBitmap& bitmap)
{
    return bitmap.PixelFormat() == TPixelFormat::pf32bit && bitmap.HasAlpha();
}

void PutBe32(std::vector<uint8_t>& out, uint32_t v)
{
    out.insert(out.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const uint8_t* data, size_t size)
{
    PutBe32(out, static_cast<uint32_t>(size));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + size);
    const uLong crc = crc32(0, out.data() + start, static_cast<uInt>(size + 4));
    PutBe32(out, static_cast<uint32_t>(crc));
}

std::string Header(const char* format, int width, int height)
{
    return FormatText(format, width, height);
}

[[noreturn]] void WriteFailed(const std::string& fileName, int error)
{
    throw std::runtime_error(FormatText("Cannot write file \"%s\". %s", fileName.c_str(), std::strerror(error)));
}

// Writes the header, then the expanded rows a block at a time (no copy of
// the whole picture in memory).
void WriteNetpbm(const TBitmap& bitmap, const std::string& fileName, const std::string& header, bool withAlpha)
{
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (!file)
        WriteFailed(fileName, errno);
    const size_t rowBytes = static_cast<size_t>(bitmap.Width()) * (withAlpha ? 4 : 3);
    const size_t rowsPerBlock = std::max<size_t>(1, (size_t{1} << 20) / std::max<size_t>(rowBytes, 1));
    std::vector<uint8_t> block(rowBytes * rowsPerBlock);
    bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    for (int y = 0; ok && y < bitmap.Height();) {
        size_t rows = 0;
        for (; rows < rowsPerBlock && y < bitmap.Height(); ++rows, ++y)
            ExpandRow(bitmap, y, withAlpha, block.data() + rows * rowBytes);
        ok = std::fwrite(block.data(), 1, rows * rowBytes, file) == rows * rowBytes;
    }
    const int error = errno;
    if (std::fclose(file) != 0 || !ok)
        WriteFailed(fileName, ok ? errno : error);
}

std::string PamHeader(const TBitmap& bitmap, bool alpha)
{
    return Header(alpha ? "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
                        : "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n",
                  bitmap.Width(), bitmap.Height());
}

} // namespace

bool OutputKindFor(const std::string& fileName, TOutputKind& kind)
{
    const std::string extension = AsciiLower(ExtractExtension(fileName));
    if (extension == "png")
        kind = TOutputKind::okPng;
    else if (extension == "ppm")
        kind = TOutputKind::okPpm;
    else if (extension == "pam")
        kind = TOutputKind::okPam;
    else
        return false;
    return true;
}

void ExpandRow(const TBitmap& bitmap, int row, bool withAlpha, uint8_t* out)
{
    const uint8_t* src = bitmap.ScanLine(row);
    const int width = bitmap.Width();
    const auto& palette = bitmap.Palette();
    const size_t step = withAlpha ? 4 : 3;
    auto put = [&](int x, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
        uint8_t* d = out + static_cast<size_t>(x) * step;
        d[0] = r;
        d[1] = g;
        d[2] = b;
        if (withAlpha)
            d[3] = a;
    };
    auto putIndex = [&](int x, unsigned index) {
        const TRGBQuad& c = Entry(palette, index);
        put(x, c.rgbRed, c.rgbGreen, c.rgbBlue, 255);
    };
    switch (bitmap.PixelFormat()) {
    case TPixelFormat::pf1bit:
        for (int x = 0; x < width; ++x)
            putIndex(x, (src[x >> 3] >> (7 - (x & 7))) & 1);
        break;
    case TPixelFormat::pf4bit:
        for (int x = 0; x < width; ++x)
            putIndex(x, (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
        break;
    case TPixelFormat::pf8bit:
        for (int x = 0; x < width; ++x)
            putIndex(x, src[x]);
        break;
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit:
        for (int x = 0; x < width; ++x) {
            const unsigned v = src[2 * x] | (src[2 * x + 1] << 8);
            if (bitmap.PixelFormat() == TPixelFormat::pf15bit)
                put(x, Widen5((v >> 10) & 31), Widen5((v >> 5) & 31), Widen5(v & 31), 255);
            else
                put(x, Widen5(v >> 11), static_cast<uint8_t>((((v >> 5) & 63) << 2) | (((v >> 5) & 63) >> 4)),
                    Widen5(v & 31), 255);
        }
        break;
    case TPixelFormat::pf32bit: {
        const bool alpha = bitmap.HasAlpha();
        for (int x = 0; x < width; ++x, src += 4)
            put(x, src[2], src[1], src[0], alpha ? src[3] : 255);
        break;
    }
    default: // 24 bits (device and custom formats are held so too)
        if (!withAlpha) {
            for (int x = 0; x < width; ++x, src += 3, out += 3) {
                out[0] = src[2];
                out[1] = src[1];
                out[2] = src[0];
            }
        } else {
            for (int x = 0; x < width; ++x, src += 3)
                put(x, src[2], src[1], src[0], 255);
        }
        break;
    }
}

std::vector<uint8_t> EncodePng(const TBitmap& bitmap)
{
    const bool alpha = WithAlpha(bitmap);
    const size_t rowBytes = static_cast<size_t>(bitmap.Width()) * (alpha ? 4 : 3);
    std::vector<uint8_t> out{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header;
    PutBe32(header, static_cast<uint32_t>(bitmap.Width()));
    PutBe32(header, static_cast<uint32_t>(bitmap.Height()));
    header.insert(header.end(), {8, uint8_t(alpha ? 6 : 2), 0, 0, 0});
    PutChunk(out, "IHDR", header.data(), header.size());

    z_stream z{};
    if (deflateInit(&z, Z_DEFAULT_COMPRESSION) != Z_OK)
        throw std::runtime_error("Cannot compress the picture");
    std::vector<uint8_t> row(rowBytes + 1, 0); // filter byte 0: none
    std::vector<uint8_t> compressed(64 * 1024);
    auto drain = [&](int flush) {
        do {
            z.next_out = compressed.data();
            z.avail_out = static_cast<uInt>(compressed.size());
            const int result = deflate(&z, flush);
            if (result == Z_STREAM_ERROR) {
                deflateEnd(&z);
                throw std::runtime_error("Cannot compress the picture");
            }
            const size_t produced = compressed.size() - z.avail_out;
            if (produced)
                PutChunk(out, "IDAT", compressed.data(), produced);
        } while (z.avail_out == 0);
    };
    for (int y = 0; y < bitmap.Height(); ++y) {
        ExpandRow(bitmap, y, alpha, row.data() + 1);
        z.next_in = row.data();
        z.avail_in = static_cast<uInt>(row.size());
        drain(Z_NO_FLUSH);
    }
    drain(Z_FINISH);
    deflateEnd(&z);
    PutChunk(out, "IEND", nullptr, 0);
    return out;
}

void WriteImage(const TBitmap& bitmap, const std::string& fileName, TOutputKind kind)
{
    if (kind == TOutputKind::okPpm) {
        WriteNetpbm(bitmap, fileName, Header("P6\n%d %d\n255\n", bitmap.Width(), bitmap.Height()), false);
        return;
    }
    if (kind == TOutputKind::okPam) {
        const bool alpha = WithAlpha(bitmap);
        WriteNetpbm(bitmap, fileName, PamHeader(bitmap, alpha), alpha);
        return;
    }
    const std::vector<uint8_t> bytes = EncodePng(bitmap);
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (!file)
        WriteFailed(fileName, errno);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int error = errno;
    if (std::fclose(file) != 0 || !written)
        WriteFailed(fileName, written ? errno : error);
}

} // namespace orvane::imaging::convert
