// The vector unfilter kernels against the plain loops: every filter type
// (and an unknown one), every pixel size the reader meets, widths around the
// kernels' steps of four pixels.
#include "imaging/readers/PNGFilters.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

using namespace orvane::imaging::png_detail;

TEST(PNGFilters, UnfilteringIntoARowMatchesThePlainLoops)
{
    std::mt19937 random(7);
    for (const size_t bpp : {1, 2, 3, 4, 6, 8})
        for (const size_t width : {1, 2, 3, 4, 5, 6, 7, 8, 9, 15, 16, 17, 21, 33, 64, 101})
            for (uint8_t type = 0; type <= 5; ++type) {
                SCOPED_TRACE(testing::Message() << "bpp " << bpp << ", width " << width << ", filter " << int(type));
                const size_t size = width * bpp + 1;
                std::vector<uint8_t> row(size), previous(size);
                for (auto& b : row)
                    b = static_cast<uint8_t>(random());
                for (auto& b : previous)
                    b = static_cast<uint8_t>(random());
                row[0] = type;
                previous[0] = 0;
                std::vector<uint8_t> expected = row;
                UnfilterRow(expected.data(), previous.data(), size, bpp);
                // Fenced by bytes the kernels must not touch.
                std::vector<uint8_t> out(size + 15, 0xA5);
                UnfilterRowInto(row.data(), previous.data() + 1, out.data() + 8, size, bpp);
                EXPECT_EQ(std::vector<uint8_t>(out.begin() + 8, out.begin() + 8 + width * bpp),
                          std::vector<uint8_t>(expected.begin() + 1, expected.end()));
                EXPECT_EQ(out[7], 0xA5);
                EXPECT_EQ(out[8 + width * bpp], 0xA5);
                auto swapped = [](std::vector<uint8_t> v, size_t step) {
                    for (size_t i = 0; i + step <= v.size(); i += step)
                        std::swap(v[i], v[i + 2]);
                    return v;
                };
                const std::vector<uint8_t> unfiltered(expected.begin() + 1, expected.end());
                if (bpp == 3) {
                    // RGB rows straight to BGR, against a BGR row above.
                    const std::vector<uint8_t> aboveBgr = swapped({previous.begin() + 1, previous.end()}, 3);
                    std::vector<uint8_t> bgr(size + 15, 0xA5);
                    ASSERT_TRUE(UnfilterRgbRowToBgr(row.data(), aboveBgr.data(), bgr.data() + 8, size));
                    EXPECT_EQ(std::vector<uint8_t>(bgr.begin() + 8, bgr.begin() + 8 + width * 3), swapped(unfiltered, 3));
                    EXPECT_EQ(bgr[7], 0xA5);
                    EXPECT_EQ(bgr[8 + width * 3], 0xA5);
                }
                if (bpp != 4)
                    continue;
                // RGBA rows also written out as BGRA.
                std::vector<uint8_t> rgba(size + 15, 0xA5), bgra(size + 15, 0xA5);
                UnfilterRgbaRowInto(row.data(), previous.data() + 1, rgba.data() + 8, bgra.data() + 8, size);
                EXPECT_EQ(std::vector<uint8_t>(rgba.begin() + 8, rgba.begin() + 8 + width * 4), unfiltered);
                EXPECT_EQ(std::vector<uint8_t>(bgra.begin() + 8, bgra.begin() + 8 + width * 4), swapped(unfiltered, 4));
                EXPECT_EQ(bgra[7], 0xA5);
                EXPECT_EQ(bgra[8 + width * 4], 0xA5);
            }
}
