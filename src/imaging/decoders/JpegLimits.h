#pragma once
// What every libjpeg decompression of the program may cost. A JPEG header can
// claim up to 65500 x 65500 pixels and a progressive file thousands of tiny
// scans; libjpeg would then hold the coefficients of the whole claimed picture
// and visit all of them once per scan. Three limits keep the cost in
// proportion to the file:
//  - libjpeg's own memory limit (`max_memory_to_use`): its whole-picture
//    buffers may not exceed what a bitmap may hold; above it libjpeg fails
//    (it has no backing store) and the caller reports the picture too large;
//  - at most MaxScans scans, checked from libjpeg's progress callback;
//  - the blocks the frame header claims must fit the entropy-coded data the
//    file holds: every block takes at least one bit of Huffman-coded data
//    (arithmetic coding: one bit per eight blocks).
// The callback leaves libjpeg through its error exit, like every libjpeg
// error: the caller's setjmp frame holds nothing with a destructor.
#include <cstddef>
#include <cstdio>

extern "C" {
#include <jpeglib.h>
}

namespace orvane::imaging::jpeglimits {

constexpr int MaxScans = 100;

struct TScanLimit {
    jpeg_progress_mgr pub;
    bool exceeded;
};

// Right after jpeg_create_decompress.
void Install(jpeg_decompress_struct& info, TScanLimit& limit, size_t memoryBytes);

// After jpeg_read_header: false when the frame claims more blocks than
// dataBytes of entropy-coded data can hold.
bool BlocksFitData(const jpeg_decompress_struct& info, size_t dataBytes);

// The libjpeg failure was its memory limit.
bool OutOfMemory(const jpeg_decompress_struct& info);

} // namespace orvane::imaging::jpeglimits
