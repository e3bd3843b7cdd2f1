#include "support/TestImages.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

extern "C" {
#include <jpeglib.h>
#include <lcms2.h>
}

namespace orvane::test {

RgbImage RgbImage::Gradient(int width, int height)
{
    RgbImage image;
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &image.rgb[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = static_cast<uint8_t>(x * 255 / (width > 1 ? width - 1 : 1));
            p[1] = static_cast<uint8_t>(y * 255 / (height > 1 ? height - 1 : 1));
            p[2] = static_cast<uint8_t>((x + y) * 255 / (width + height > 2 ? width + height - 2 : 1));
        }
    return image;
}

std::vector<uint8_t> EncodeJpeg(const RgbImage& image, int quality, bool gray, const std::vector<uint8_t>& app1,
                                const std::vector<uint8_t>& icc)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = gray ? 1 : 3;
    info.in_color_space = gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    if (!app1.empty())
        jpeg_write_marker(&info, JPEG_APP0 + 1, app1.data(), static_cast<unsigned>(app1.size()));
    if (!icc.empty())
        jpeg_write_icc_profile(&info, icc.data(), static_cast<unsigned>(icc.size()));
    std::vector<uint8_t> row(static_cast<size_t>(image.width) * 3);
    while (info.next_scanline < info.image_height) {
        const uint8_t* src = &image.rgb[static_cast<size_t>(info.next_scanline) * image.width * 3];
        if (gray) {
            for (int x = 0; x < image.width; ++x)
                row[x] = static_cast<uint8_t>((src[x * 3] * 299 + src[x * 3 + 1] * 587 + src[x * 3 + 2] * 114) / 1000);
        } else {
            std::copy(src, src + row.size(), row.begin());
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

void WriteJpeg(const std::string& path, const RgbImage& image, int quality, bool gray,
               const std::vector<uint8_t>& app1, const std::vector<uint8_t>& icc)
{
    const auto bytes = EncodeJpeg(image, quality, gray, app1, icc);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ExifBlock(int orientation, bool bigEndian)
{
    std::vector<uint8_t> block;
    auto put16 = [&](uint32_t v) {
        block.push_back(uint8_t(bigEndian ? v >> 8 : v));
        block.push_back(uint8_t(bigEndian ? v : v >> 8));
    };
    auto put32 = [&](uint32_t v) {
        put16(bigEndian ? v >> 16 : v & 0xFFFF);
        put16(bigEndian ? v & 0xFFFF : v >> 16);
    };
    block.push_back(bigEndian ? 'M' : 'I');
    block.push_back(bigEndian ? 'M' : 'I');
    put16(42);
    put32(8);   // the first directory
    put16(1);   // one entry
    put16(274); // orientation
    put16(3);   // SHORT
    put32(1);
    put16(uint32_t(orientation));
    put16(0);
    put32(0);   // no next directory
    return block;
}

std::vector<uint8_t> ExifApp1(int orientation, bool bigEndian)
{
    std::vector<uint8_t> data = {'E', 'x', 'i', 'f', 0, 0};
    const std::vector<uint8_t> block = ExifBlock(orientation, bigEndian);
    data.insert(data.end(), block.begin(), block.end());
    return data;
}

std::vector<uint8_t> EncodeBmp24(const RgbImage& image)
{
    const uint32_t stride = (static_cast<uint32_t>(image.width) * 3 + 3) & ~3u;
    const uint32_t dataSize = stride * static_cast<uint32_t>(image.height);
    std::vector<uint8_t> out(54 + dataSize, 0);
    auto put16 = [&](size_t at, uint32_t v) { out[at] = v & 0xFF; out[at + 1] = (v >> 8) & 0xFF; };
    auto put32 = [&](size_t at, uint32_t v) { put16(at, v & 0xFFFF); put16(at + 2, v >> 16); };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, static_cast<uint32_t>(out.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(image.width));
    put32(22, static_cast<uint32_t>(image.height));
    put16(26, 1);
    put16(28, 24);
    put32(34, dataSize);
    for (int y = 0; y < image.height; ++y) {
        uint8_t* row = &out[54 + static_cast<size_t>(image.height - 1 - y) * stride];
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
            row[x * 3] = p[2];
            row[x * 3 + 1] = p[1];
            row[x * 3 + 2] = p[0];
        }
    }
    return out;
}

std::vector<uint8_t> SwappedRedGreenProfile()
{
    // sRGB's primaries with red and green exchanged, on sRGB's curve.
    const cmsCIExyY white{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.30, 0.60, 1.0}, {0.64, 0.33, 1.0}, {0.15, 0.06, 1.0}};
    const cmsFloat64Number srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgbCurve);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::vector<uint8_t> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    cmsFreeToneCurve(curve);
    return bytes;
}

} // namespace orvane::test
