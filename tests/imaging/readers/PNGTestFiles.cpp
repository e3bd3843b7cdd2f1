#include "PNGTestFiles.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

namespace orvane::test::png {

using orvane::imaging::TBitmap;
using orvane::imaging::TPixelFormat;

namespace {

const uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

struct TPass {
    uint32_t startRow, startColumn, rowStep, columnStep;
};
const TPass kAdam7[7] = {{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                         {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}};

// Packs the pixels x = start, start + step, ... of row y as stored.
Bytes PackRow(const Image& image, uint32_t y, uint32_t start, uint32_t step)
{
    Bytes out;
    const int channels = image.Channels();
    uint32_t bitBuffer = 0;
    int bits = 0;
    for (uint32_t x = start; x < image.width; x += step) {
        for (int c = 0; c < channels; ++c) {
            const uint16_t v = image.At(x, y, c);
            if (image.depth == 16) {
                out.push_back(static_cast<uint8_t>(v >> 8));
                out.push_back(static_cast<uint8_t>(v));
            } else if (image.depth == 8) {
                out.push_back(static_cast<uint8_t>(v));
            } else {
                bitBuffer = (bitBuffer << image.depth) | v;
                bits += image.depth;
                if (bits == 8) {
                    out.push_back(static_cast<uint8_t>(bitBuffer));
                    bitBuffer = 0;
                    bits = 0;
                }
            }
        }
    }
    if (bits > 0)
        out.push_back(static_cast<uint8_t>(bitBuffer << (8 - bits)));
    return out;
}

uint8_t PaethPredictor(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return static_cast<uint8_t>(a);
    if (pb <= pc)
        return static_cast<uint8_t>(b);
    return static_cast<uint8_t>(c);
}

// Appends the row filtered with the given type (the encoder's direction).
void AppendFiltered(Bytes& out, const Bytes& row, const Bytes& prior, size_t bpp, int type)
{
    out.push_back(static_cast<uint8_t>(type));
    for (size_t i = 0; i < row.size(); ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0;
        const int b = prior[i];
        const int c = i >= bpp ? prior[i - bpp] : 0;
        int predictor = 0;
        switch (type) {
        case 1: predictor = a; break;
        case 2: predictor = b; break;
        case 3: predictor = (a + b) / 2; break;
        case 4: predictor = PaethPredictor(a, b, c); break;
        default: break;
        }
        out.push_back(static_cast<uint8_t>(row[i] - predictor));
    }
}

std::array<uint8_t, 256> GammaTable(uint32_t gAMA)
{
    float main = static_cast<float>(gAMA / 100000.0);
    if (main <= 0)
        main = 1.0f;
    const double exponent = 1.0 / (static_cast<double>(main) * static_cast<double>(2.2f));
    std::array<uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<uint8_t>(std::clamp(std::round(255.0 * std::pow(i / 255.0, exponent)), 0.0, 255.0));
    return table;
}

} // namespace

int Image::Channels() const
{
    switch (colorType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
    }
}

Image MakeImage(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType, uint32_t seed)
{
    Image image;
    image.width = width;
    image.height = height;
    image.depth = depth;
    image.colorType = colorType;
    uint32_t state = seed * 2654435761u + 12345;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return state >> 16;
    };
    const uint32_t levels = 1u << depth;
    if (colorType == 3) {
        for (uint32_t i = 0; i < levels; ++i)
            for (int c = 0; c < 3; ++c)
                image.palette.push_back(static_cast<uint8_t>(next()));
    }
    const int channels = image.Channels();
    image.samples.resize(static_cast<size_t>(width) * height * channels);
    size_t k = 0;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                // A gradient that differs per channel, plus a little noise.
                const uint32_t smooth = (x * (c + 1) * levels / (width + 1) + y * levels / (2 * height + 1));
                image.samples[k++] = static_cast<uint16_t>((smooth + next() % 3) % levels);
            }
    return image;
}

Bytes BE32(uint32_t v)
{
    return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
            static_cast<uint8_t>(v)};
}

Bytes IHDR(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType, uint8_t interlace, uint8_t compression,
           uint8_t filter)
{
    Bytes data = BE32(width);
    const Bytes h = BE32(height);
    data.insert(data.end(), h.begin(), h.end());
    data.insert(data.end(), {depth, colorType, compression, filter, interlace});
    return data;
}

Bytes ScanlineData(const Image& image, const EncodeOptions& options)
{
    const size_t bitsPerPixel = static_cast<size_t>(image.depth) * image.Channels();
    const size_t bpp = std::max<size_t>(1, bitsPerPixel / 8);
    Bytes out;
    int rowCounter = 0;
    auto encodePass = [&](uint32_t startRow, uint32_t startColumn, uint32_t rowStep, uint32_t columnStep) {
        if (startColumn >= image.width || startRow >= image.height)
            return;
        Bytes prior;
        for (uint32_t y = startRow; y < image.height; y += rowStep) {
            const Bytes row = PackRow(image, y, startColumn, columnStep);
            if (prior.empty())
                prior.assign(row.size(), 0);
            const int type = options.filter >= 0 ? options.filter : rowCounter % 5;
            ++rowCounter;
            AppendFiltered(out, row, prior, bpp, type);
            prior = row;
        }
    };
    if (options.interlace) {
        for (const TPass& p : kAdam7)
            encodePass(p.startRow, p.startColumn, p.rowStep, p.columnStep);
    } else {
        encodePass(0, 0, 1, 1);
    }
    return out;
}

Bytes Zlib(const Bytes& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), 6) != Z_OK)
        std::abort();
    out.resize(size);
    return out;
}

Writer::Writer() : bytes(std::begin(kSignature), std::end(kSignature)) {}

uint32_t Writer::Crc(const std::string& type, const Bytes& data)
{
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4);
    if (data.empty())
        return static_cast<uint32_t>(crc); // crc32 of a null buffer would restart
    return static_cast<uint32_t>(crc32(crc, data.data(), static_cast<uInt>(data.size())));
}

Writer& Writer::ChunkWithCrc(const std::string& type, const Bytes& data, uint32_t crc)
{
    const Bytes length = BE32(static_cast<uint32_t>(data.size()));
    bytes.insert(bytes.end(), length.begin(), length.end());
    bytes.insert(bytes.end(), type.begin(), type.begin() + 4);
    bytes.insert(bytes.end(), data.begin(), data.end());
    const Bytes c = BE32(crc);
    bytes.insert(bytes.end(), c.begin(), c.end());
    return *this;
}

Writer& Writer::Chunk(const std::string& type, const Bytes& data)
{
    return ChunkWithCrc(type, data, Crc(type, data));
}

Bytes Encode(const Image& image, const EncodeOptions& options)
{
    Writer w;
    w.Chunk("IHDR", IHDR(image.width, image.height, image.depth, image.colorType, options.interlace ? 1 : 0));
    if (image.hasGamma)
        w.Chunk("gAMA", BE32(image.gamma));
    if (!image.palette.empty())
        w.Chunk("PLTE", image.palette);
    const Bytes compressed = Zlib(ScanlineData(image, options));
    const size_t parts = static_cast<size_t>(std::max(1, options.idatChunks));
    const size_t piece = (compressed.size() + parts - 1) / parts;
    for (size_t start = 0; start < compressed.size() || start == 0; start += piece) {
        const size_t end = std::min(compressed.size(), start + piece);
        w.Chunk("IDAT", Bytes(compressed.begin() + start, compressed.begin() + end));
        if (end == compressed.size())
            break;
    }
    w.Chunk("IEND", {});
    return w.bytes;
}

Bytes ExpectedRGBA(const Image& image)
{
    std::array<uint8_t, 256> identity{};
    for (int i = 0; i < 256; ++i)
        identity[i] = static_cast<uint8_t>(i);
    const std::array<uint8_t, 256> gamma = image.hasGamma ? GammaTable(image.gamma) : identity;
    auto level = [&](uint16_t v) -> uint8_t {
        if (image.depth == 16)
            return static_cast<uint8_t>(uint32_t{v} * 255 / 65535);
        return static_cast<uint8_t>(uint32_t{v} * 255 / ((1u << image.depth) - 1));
    };
    Bytes out;
    out.reserve(static_cast<size_t>(image.width) * image.height * 4);
    for (uint32_t y = 0; y < image.height; ++y)
        for (uint32_t x = 0; x < image.width; ++x) {
            switch (image.colorType) {
            case 0:
            case 4: {
                const uint8_t g = gamma[level(image.At(x, y, 0))];
                out.insert(out.end(), {g, g, g, 255});
                break;
            }
            case 2:
            case 6:
                out.push_back(gamma[level(image.At(x, y, 0))]);
                out.push_back(gamma[level(image.At(x, y, 1))]);
                out.push_back(gamma[level(image.At(x, y, 2))]);
                out.push_back(image.colorType == 6 ? level(image.At(x, y, 3)) : 255);
                break;
            case 3: {
                const size_t i = image.At(x, y, 0) * size_t{3};
                if (i + 2 < image.palette.size())
                    out.insert(out.end(), {gamma[image.palette[i]], gamma[image.palette[i + 1]],
                                           gamma[image.palette[i + 2]], 255});
                else
                    out.insert(out.end(), {0, 0, 0, 0}); // index beyond the palette
                break;
            }
            default:
                break;
            }
        }
    return out;
}

Bytes SeenRGBA(const TBitmap& bitmap)
{
    Bytes out;
    const int bits = orvane::imaging::BitsPerPixel(bitmap.PixelFormat());
    const auto& palette = bitmap.Palette();
    for (int y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            switch (bitmap.PixelFormat()) {
            case TPixelFormat::pf1bit:
            case TPixelFormat::pf4bit:
            case TPixelFormat::pf8bit: {
                const size_t bit = static_cast<size_t>(x) * bits;
                const unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                if (index < palette.size())
                    out.insert(out.end(), {palette[index].rgbRed, palette[index].rgbGreen, palette[index].rgbBlue, 255});
                else
                    out.insert(out.end(), {0, 0, 0, 0});
                break;
            }
            case TPixelFormat::pf24bit:
                out.insert(out.end(), {row[x * 3 + 2], row[x * 3 + 1], row[x * 3], 255});
                break;
            case TPixelFormat::pf32bit:
                out.insert(out.end(), {row[x * 4 + 2], row[x * 4 + 1], row[x * 4],
                                       bitmap.HasAlpha() ? row[x * 4 + 3] : uint8_t{255}});
                break;
            default:
                out.insert(out.end(), {1, 2, 3, 4});
                break;
            }
        }
    }
    return out;
}

namespace {

struct TLibpngState {
    const Bytes* file = nullptr;
    size_t position = 0;
    std::string* error = nullptr;
    std::vector<Bytes> rows;
    std::vector<png_bytep> pointers;
};

void ReadBytes(png_structp png, png_bytep data, size_t length)
{
    auto* state = static_cast<TLibpngState*>(png_get_io_ptr(png));
    if (state->position + length > state->file->size())
        png_error(png, "read past the end");
    std::memcpy(data, state->file->data() + state->position, length);
    state->position += length;
}

void OnError(png_structp png, png_const_charp message)
{
    auto* state = static_cast<TLibpngState*>(png_get_error_ptr(png));
    *state->error = message;
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

} // namespace

bool DecodeWithLibpng(const Bytes& file, Image& image, std::string& error)
{
    auto state = std::make_unique<TLibpngState>();
    state->file = &file;
    state->error = &error;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, state.get(), OnError, OnWarning);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, state.get(), ReadBytes);
    png_read_info(png, info);
    image.width = png_get_image_width(png, info);
    image.height = png_get_image_height(png, info);
    image.depth = png_get_bit_depth(png, info);
    image.colorType = png_get_color_type(png, info);
    if (image.depth < 8)
        png_set_packing(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    state->rows.assign(image.height, Bytes(rowBytes));
    for (auto& row : state->rows)
        state->pointers.push_back(row.data());
    png_read_image(png, state->pointers.data());
    png_read_end(png, nullptr);

    png_colorp palette = nullptr;
    int count = 0;
    image.palette.clear();
    if (png_get_PLTE(png, info, &palette, &count) == PNG_INFO_PLTE)
        for (int i = 0; i < count; ++i)
            image.palette.insert(image.palette.end(), {palette[i].red, palette[i].green, palette[i].blue});
    png_fixed_point gamma = 0;
    image.hasGamma = png_get_gAMA_fixed(png, info, &gamma) != 0;
    image.gamma = static_cast<uint32_t>(gamma);

    const int channels = image.Channels();
    image.samples.resize(static_cast<size_t>(image.width) * image.height * channels);
    size_t k = 0;
    for (uint32_t y = 0; y < image.height; ++y)
        for (uint32_t x = 0; x < image.width * channels; ++x)
            image.samples[k++] = image.depth == 16
                                     ? static_cast<uint16_t>((state->rows[y][2 * x] << 8) | state->rows[y][2 * x + 1])
                                     : state->rows[y][x];
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t FindChunk(const Bytes& file, const char* type)
{
    size_t pos = 8;
    while (pos + 8 <= file.size()) {
        if (std::memcmp(file.data() + pos + 4, type, 4) == 0)
            return pos;
        const uint32_t length = (uint32_t(file[pos]) << 24) | (uint32_t(file[pos + 1]) << 16) |
                                (uint32_t(file[pos + 2]) << 8) | file[pos + 3];
        pos += size_t{length} + 12;
    }
    return 0;
}

} // namespace orvane::test::png
