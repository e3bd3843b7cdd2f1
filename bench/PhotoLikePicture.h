#pragma once
// The picture the format benchmarks encode: smooth colour gradients with soft
// shapes and sensor noise, as a photo has (not flat colour, which every
// coder squeezes to nothing).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

// Rows top to bottom, channels 3 (RGB) or 4 (RGBA) bytes a pixel.
inline std::vector<uint8_t> PhotoLikePixels(uint32_t width, uint32_t height, int channels)
{
    std::mt19937 random(42);
    std::normal_distribution<float> noise(0.0f, 2.5f);
    const size_t rowBytes = size_t{width} * channels;
    std::vector<uint8_t> pixels(rowBytes * height);
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = pixels.data() + y * rowBytes;
        for (uint32_t x = 0; x < width; ++x) {
            const float fx = x / float(width), fy = y / float(height);
            const float shape = 40.0f * std::sin(fx * 9.0f + fy * 4.0f) * std::cos(fy * 7.0f - fx * 3.0f);
            const float base[4] = {90 + 120 * fx + shape, 60 + 140 * fy - shape / 2, 180 - 100 * fx * fy + shape / 3,
                                   255 - 60 * fy};
            for (int c = 0; c < channels; ++c) {
                const float v = base[c] + (c < 3 ? noise(random) : 0.0f);
                row[x * channels + c] = static_cast<uint8_t>(std::clamp(v, 0.0f, 255.0f));
            }
        }
    }
    return pixels;
}
