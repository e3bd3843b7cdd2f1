// libjpeg on its own decoding a JPEG file to RGB rows, the reference the
// window's display benchmarks are measured against. Reading the file is part
// of the work, as it is for the viewer.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

// scaleDenom: libjpeg's DCT scaling, 1 (full size), 2, 4 or 8.
inline std::vector<uint8_t> LibjpegDecodeFile(const std::string& path, unsigned scaleDenom = 1)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    info.scale_num = 1;
    info.scale_denom = scaleDenom;
    jpeg_start_decompress(&info);
    std::vector<uint8_t> pixels(static_cast<size_t>(info.output_width) * info.output_height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &pixels[static_cast<size_t>(info.output_scanline) * info.output_width * 3];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return pixels;
}
