#include "DecoderTestSupport.h"

#include "imaging/decoders/CUTRLEDecoder.h"
#include "imaging/decoders/PCXRLEDecoder.h"
#include "imaging/decoders/PSPRLEDecoder.h"
#include "imaging/decoders/PackbitsRLEDecoder.h"
#include "imaging/decoders/RLADecoder.h"
#include "imaging/decoders/SGIRLEDecoder.h"
#include "imaging/decoders/TargaRLEDecoder.h"

#include <memory>

using namespace orvane::imaging;
using orvane::test::Bytes;
using orvane::test::NoiseBytes;
using orvane::test::RunDecoder;

TEST(TargaRLEDecoder, RunAndRawPacketsAtEachDepth)
{
    // Depth 24: a run of three pixels 01 02 03.
    TTargaRLEDecoder depth24(24);
    auto r = RunDecoder(depth24, {0x82, 0x01, 0x02, 0x03}, 9, 3);
    EXPECT_EQ(r.output, (Bytes{1, 2, 3, 1, 2, 3, 1, 2, 3}));
    EXPECT_EQ(r.consumed, 4u);

    // Depth 8: raw packet of two, then a run of three.
    TTargaRLEDecoder depth8(8);
    r = RunDecoder(depth8, {0x01, 0xAA, 0xBB, 0x82, 0xCC}, 5);
    EXPECT_EQ(r.output, (Bytes{0xAA, 0xBB, 0xCC, 0xCC, 0xCC}));

    // Depths 15 and 16 move 2 bytes per pixel, 32 moves 4.
    for (int depth : {15, 16}) {
        TTargaRLEDecoder decoder(depth);
        r = RunDecoder(decoder, {0x81, 0x34, 0x12, 0x00, 0x78, 0x56}, 6, 3);
        EXPECT_EQ(r.output, (Bytes{0x34, 0x12, 0x34, 0x12, 0x78, 0x56})) << depth;
    }
    TTargaRLEDecoder depth32(32);
    r = RunDecoder(depth32, {0x81, 1, 2, 3, 4}, 8, 2);
    EXPECT_EQ(r.output, (Bytes{1, 2, 3, 4, 1, 2, 3, 4}));
}

TEST(TargaRLEDecoder, PacketsPastTheRowAreCutButTheSourceMovesPastThem)
{
    // A run of 128 pixels and a raw packet of 4 when only 2 pixels are wanted.
    TTargaRLEDecoder decoder(24);
    auto r = RunDecoder(decoder, {0xFF, 9, 8, 7, 0x00, 5, 5, 5}, 6, 2);
    EXPECT_EQ(r.output, (Bytes{9, 8, 7, 9, 8, 7}));
    EXPECT_EQ(r.consumed, 4u);
    EXPECT_EQ(r.produced, 6u);

    r = RunDecoder(decoder, {0x03, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 0x80, 6, 6, 6}, 6, 2);
    EXPECT_EQ(r.output, (Bytes{1, 1, 1, 2, 2, 2}));
    EXPECT_EQ(r.consumed, 13u);
}

TEST(TargaRLEDecoder, OtherDepthsAndTruncatedPacketsDecodeNothingMore)
{
    TTargaRLEDecoder odd(12);
    auto r = RunDecoder(odd, {0x81, 1, 2}, 4, 2, 0xEE);
    EXPECT_EQ(r.output, Bytes(4, 0xEE));
    EXPECT_EQ(r.consumed, 0u);

    // A run packet whose pixel is cut off, and a raw packet with 1.5 pixels.
    TTargaRLEDecoder depth16(16);
    r = RunDecoder(depth16, {0x00, 0x11, 0x22, 0x81, 0x33}, 6, 3, 0xEE);
    EXPECT_EQ(r.output, (Bytes{0x11, 0x22, 0xEE, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(r.consumed, 5u);
    r = RunDecoder(depth16, {0x02, 0x11, 0x22, 0x33}, 6, 3, 0xEE);
    EXPECT_EQ(r.output, (Bytes{0x11, 0x22, 0xEE, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(r.consumed, 4u);
}

TEST(PackbitsRLEDecoder, LiteralsRepeatsAndTheNoOperation)
{
    TPackbitsRLEDecoder decoder;
    // Literal of 3, no-op $80, repeat of 4 (-3), literal of 1.
    auto r = RunDecoder(decoder, {0x02, 1, 2, 3, 0x80, 0xFD, 9, 0x00, 7}, 8);
    EXPECT_EQ(r.output, (Bytes{1, 2, 3, 9, 9, 9, 9, 7}));
    EXPECT_EQ(r.consumed, 9u);

    // $80 alone produces nothing.
    r = RunDecoder(decoder, {0x80}, 2, SIZE_MAX, 0xEE);
    EXPECT_EQ(r.output, Bytes(2, 0xEE));
    EXPECT_EQ(r.consumed, 1u);
}

TEST(PackbitsRLEDecoder, BothSizesCutLiteralsAndRepeats)
{
    TPackbitsRLEDecoder decoder;
    // Repeat of 128 into 5 bytes.
    auto r = RunDecoder(decoder, {0x81, 0x42}, 5);
    EXPECT_EQ(r.output, Bytes(5, 0x42));
    // Literal of 6 with only 3 bytes of input left.
    r = RunDecoder(decoder, {0x05, 1, 2, 3}, 6, SIZE_MAX, 0xEE);
    EXPECT_EQ(r.output, (Bytes{1, 2, 3, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(r.consumed, 4u);
    // Literal of 6 into 2 bytes.
    r = RunDecoder(decoder, {0x05, 1, 2, 3, 4, 5, 6}, 2);
    EXPECT_EQ(r.output, (Bytes{1, 2}));
    // A repeat without its byte.
    r = RunDecoder(decoder, {0xFE}, 3, SIZE_MAX, 0xEE);
    EXPECT_EQ(r.output, Bytes(3, 0xEE));
}

TEST(PCXRLEDecoder, RunsPlainBytesAndTheEmptyRun)
{
    TPCXRLEDecoder decoder;
    auto r = RunDecoder(decoder, {0xC3, 0x10, 0x05, 0xC0, 0x77, 0xC1, 0xC5}, 5);
    EXPECT_EQ(r.output, (Bytes{0x10, 0x10, 0x10, 0x05, 0xC5}));
    EXPECT_EQ(r.consumed, 7u);
    // $C0 with a value writes nothing.
    r = RunDecoder(decoder, {0xC0, 0x99}, 1, SIZE_MAX, 0xEE);
    EXPECT_EQ(r.output, Bytes(1, 0xEE));
    // Runs are cut at the output's end and decoding stops there.
    r = RunDecoder(decoder, {0xFF, 0x01, 0x02}, 10);
    EXPECT_EQ(r.output, Bytes(10, 0x01));
    EXPECT_EQ(r.consumed, 2u);
}

TEST(SGIRLEDecoder, EightBitRowsEndAtAZeroControlByte)
{
    TSGIRLEDecoder decoder(8);
    // Literal of 2, repeat of 3, end, then data that must be ignored.
    auto r = RunDecoder(decoder, {0x82, 5, 6, 0x03, 7, 0x00, 0x85, 1, 1, 1, 1, 1}, 8, SIZE_MAX, 0xEE);
    EXPECT_EQ(r.output, (Bytes{5, 6, 7, 7, 7, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(r.consumed, 6u);
    // A repeat of 127 into 4 bytes, and a literal cut by the input.
    r = RunDecoder(decoder, {0x7F, 3}, 4);
    EXPECT_EQ(r.output, Bytes(4, 3));
    r = RunDecoder(decoder, {0x85, 1, 2}, 4, SIZE_MAX, 0xEE);
    EXPECT_EQ(r.output, (Bytes{1, 2, 0xEE, 0xEE}));
}

TEST(SGIRLEDecoder, SixteenBitRowsMoveWholeSamples)
{
    TSGIRLEDecoder decoder(16);
    // Literal of 2 samples, repeat of 2 samples, end word.
    auto r = RunDecoder(decoder, {0x00, 0x82, 0x12, 0x34, 0x56, 0x78, 0x00, 0x02, 0xAB, 0xCD, 0x00, 0x00, 0x00, 0x81},
                        10, SIZE_MAX, 0xEE);
    EXPECT_EQ(r.output, (Bytes{0x12, 0x34, 0x56, 0x78, 0xAB, 0xCD, 0xAB, 0xCD, 0xEE, 0xEE}));
    EXPECT_EQ(r.consumed, 12u);
    // A repeat longer than the row stops at whole samples of the output.
    r = RunDecoder(decoder, {0x00, 0x7F, 0x01, 0x02}, 5, SIZE_MAX, 0xEE);
    EXPECT_EQ(r.output, (Bytes{1, 2, 1, 2, 0xEE}));
}

TEST(CUTRLEDecoder, RowLengthIsSkippedAndZeroEndsTheRow)
{
    TCUTRLEDecoder decoder;
    // Length word, repeat of 3, literal of 2, end, stray bytes.
    auto r = RunDecoder(decoder, {0x07, 0x00, 0x83, 4, 0x02, 8, 9, 0x00, 0x81, 1}, 6, SIZE_MAX, 0xEE);
    EXPECT_EQ(r.output, (Bytes{4, 4, 4, 8, 9, 0xEE}));
    EXPECT_EQ(r.consumed, 8u);
    // Only part of the length word.
    r = RunDecoder(decoder, {0x07}, 2, SIZE_MAX, 0xEE);
    EXPECT_EQ(r.output, Bytes(2, 0xEE));
    EXPECT_EQ(r.consumed, 1u);
}

TEST(PSPRLEDecoder, RepeatsAndLiteralsUntilTheInputEnds)
{
    TPSPRLEDecoder decoder;
    auto r = RunDecoder(decoder, {0x83, 0x55, 0x02, 1, 2, 0x80, 0x99, 0x01, 3}, 6);
    EXPECT_EQ(r.output, (Bytes{0x55, 0x55, 0x55, 1, 2, 3}));
    EXPECT_EQ(r.consumed, 9u);
    // More than fits: the output stops at its end, the input is read through.
    r = RunDecoder(decoder, {0xFF, 0x01, 0x03, 7, 8, 9}, 4);
    EXPECT_EQ(r.output, Bytes(4, 0x01));
    EXPECT_EQ(r.consumed, 6u);
}

TEST(RLADecoder, NegativeCountsAreLiteralsOthersRepeats)
{
    TRLADecoder decoder;
    auto r = RunDecoder(decoder, {0xFE, 1, 2, 0x02, 9, 0x00, 4}, 6);
    EXPECT_EQ(r.output, (Bytes{1, 2, 9, 9, 9, 4}));
    EXPECT_EQ(r.consumed, 7u);
    r = RunDecoder(decoder, {0x7F, 5}, 3);
    EXPECT_EQ(r.output, Bytes(3, 5));
    r = RunDecoder(decoder, {0x80, 1, 2}, 4, SIZE_MAX, 0xEE);
    EXPECT_EQ(r.output, (Bytes{1, 2, 0xEE, 0xEE}));
}

TEST(RunLengthDecoders, HostileInputNeverLeavesEitherBuffer)
{
    std::vector<std::unique_ptr<TDecoder>> decoders;
    for (int depth : {8, 15, 16, 24, 32})
        decoders.push_back(std::make_unique<TTargaRLEDecoder>(depth));
    decoders.push_back(std::make_unique<TPackbitsRLEDecoder>());
    decoders.push_back(std::make_unique<TPCXRLEDecoder>());
    decoders.push_back(std::make_unique<TSGIRLEDecoder>(8));
    decoders.push_back(std::make_unique<TSGIRLEDecoder>(16));
    decoders.push_back(std::make_unique<TCUTRLEDecoder>());
    decoders.push_back(std::make_unique<TPSPRLEDecoder>());
    decoders.push_back(std::make_unique<TRLADecoder>());
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        const Bytes input = NoiseBytes(seed % 37, seed);
        for (auto& decoder : decoders) {
            const bool targa = dynamic_cast<TTargaRLEDecoder*>(decoder.get()) != nullptr;
            const size_t pixelSize = targa ? (static_cast<TTargaRLEDecoder*>(decoder.get())->ColorDepth() + 7) / 8 : 1;
            const size_t units = seed % 23;
            RunDecoder(*decoder, input, units * pixelSize, units);
        }
    }
}
