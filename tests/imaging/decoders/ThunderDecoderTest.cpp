#include "DecoderTestSupport.h"

#include "imaging/decoders/ThunderDecoder.h"

using namespace orvane::imaging;
using orvane::test::Bytes;
using orvane::test::NoiseBytes;
using orvane::test::RunDecoder;

TEST(ThunderDecoder, RawPixelThenRunRepeatsIt)
{
    TThunderDecoder decoder(4);
    auto r = RunDecoder(decoder, {0xC5, 0x02}, 2, SIZE_MAX, 0xEE);
    EXPECT_EQ(r.output, (Bytes{0x55, 0x50}));
    EXPECT_EQ(r.consumed, 2u);
}

TEST(ThunderDecoder, DeltaCodesAndRowsStartingAtZero)
{
    // Row 1 (width 5): 5, run 2, deltas +1 / skip / -1.
    // Row 2 starts from 0: deltas +3 / skip, -3 / -1 (wrapping to 15), raw 1,
    // a run of 5 cut at the one pixel left.
    TThunderDecoder decoder(5);
    auto r = RunDecoder(decoder, {0xC5, 0x02, 0x5B, 0x9C, 0xAF, 0xC1, 0x05}, 6);
    EXPECT_EQ(r.output, (Bytes{0x55, 0x56, 0x50, 0x30, 0xF1, 0x10}));
    EXPECT_EQ(r.consumed, 7u);
    EXPECT_EQ(r.produced, 6u);
}

TEST(ThunderDecoder, PixelsWrapToFourBits)
{
    // 15 then +1 twice (0x55 = deltas +1, +1, +1).
    TThunderDecoder decoder(4);
    auto r = RunDecoder(decoder, {0xCF, 0x55}, 2);
    EXPECT_EQ(r.output, (Bytes{0xF0, 0x12}));
}

TEST(ThunderDecoder, EndsWithTheInputOrTheOutput)
{
    // The input ends within row 1: the rest stays as it was.
    TThunderDecoder decoder(6);
    auto r = RunDecoder(decoder, {0xC7}, 6, SIZE_MAX, 0xEE);
    EXPECT_EQ(r.output, (Bytes{0x70, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(r.produced, 1u);
    // The output holds only part of a row.
    r = RunDecoder(decoder, {0xC7, 0x3F}, 1);
    EXPECT_EQ(r.output, (Bytes{0x77}));
    EXPECT_EQ(r.consumed, 2u);
    // No width, no pixels.
    TThunderDecoder empty(0);
    r = RunDecoder(empty, {0xC7, 0x3F}, 2, SIZE_MAX, 0xEE);
    EXPECT_EQ(r.output, (Bytes{0xEE, 0xEE}));
}

TEST(ThunderDecoder, HostileInputNeverLeavesEitherBuffer)
{
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        TThunderDecoder decoder(static_cast<int>(seed % 19));
        RunDecoder(decoder, NoiseBytes(seed % 41, seed), seed % 13);
    }
}
