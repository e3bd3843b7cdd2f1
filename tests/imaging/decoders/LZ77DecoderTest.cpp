#include "imaging/decoders/LZ77Decoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <vector>

using namespace orvane::imaging;

namespace {

// Picture-like bytes: smooth ramps with a little noise, so deflate finds both
// matches and literals.
std::vector<uint8_t> SampleBytes(size_t size, uint32_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = static_cast<uint8_t>((i / 7) + ((seed >> 16) & 3));
    }
    return bytes;
}

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data)
{
    uLongf size = compressBound(data.size());
    std::vector<uint8_t> packed(size);
    EXPECT_EQ(compress2(packed.data(), &size, data.data(), data.size(), 9), Z_OK);
    packed.resize(size);
    return packed;
}

} // namespace

TEST(LZ77Decoder, WholeStreamDecodesAndReportsStreamEnd)
{
    const auto data = SampleBytes(5000, 1);
    const auto packed = Deflate(data);
    std::vector<uint8_t> out(data.size());
    TLZ77Decoder decoder(TLZ77Decoder::PartialFlush, false);
    decoder.BeginDecoding();
    const uint8_t* source = packed.data();
    uint8_t* target = out.data();
    decoder.Decode(source, target, packed.size(), out.size());
    EXPECT_EQ(decoder.ZLibResult(), TLZ77Decoder::ResultStreamEnd);
    EXPECT_EQ(out, data);
    EXPECT_EQ(source, packed.data() + packed.size());
    EXPECT_EQ(target, out.data() + out.size());
    EXPECT_EQ(decoder.AvailableInput(), 0u);
    EXPECT_EQ(decoder.AvailableOutput(), 0u);
    decoder.EndDecoding();
}

TEST(LZ77Decoder, StreamFedInPiecesContinuesAcrossCallsWithoutReset)
{
    // The PNG reader feeds one chunk of data at a time and asks for one row.
    const auto data = SampleBytes(3000, 2);
    const auto packed = Deflate(data);
    std::vector<uint8_t> out(data.size());
    TLZ77Decoder decoder(TLZ77Decoder::PartialFlush, false);
    decoder.BeginDecoding();
    const uint8_t* source = packed.data();
    uint8_t* target = out.data();
    const size_t piece = 97;
    size_t fed = 0;
    int calls = 0;
    while (decoder.ZLibResult() != TLZ77Decoder::ResultStreamEnd && calls < 1000) {
        ++calls;
        const size_t inputLeft = packed.size() - static_cast<size_t>(source - packed.data());
        const size_t give = std::min(piece, inputLeft);
        const size_t want = std::min<size_t>(250, out.data() + out.size() - target);
        decoder.Decode(source, target, give, want);
        ASSERT_GE(decoder.ZLibResult(), 0);
        fed += give - decoder.AvailableInput();
    }
    EXPECT_EQ(decoder.ZLibResult(), TLZ77Decoder::ResultStreamEnd);
    EXPECT_EQ(fed, packed.size());
    EXPECT_EQ(out, data);
    decoder.EndDecoding();
}

TEST(LZ77Decoder, OutputSmallerThanStreamStopsWithMoreToCome)
{
    const auto data = SampleBytes(4000, 3);
    const auto packed = Deflate(data);
    std::vector<uint8_t> out(1000);
    TLZ77Decoder decoder(TLZ77Decoder::PartialFlush, false);
    decoder.BeginDecoding();
    const uint8_t* source = packed.data();
    uint8_t* target = out.data();
    decoder.Decode(source, target, packed.size(), out.size());
    EXPECT_EQ(decoder.ZLibResult(), TLZ77Decoder::ResultOk);
    EXPECT_EQ(decoder.AvailableOutput(), 0u);
    EXPECT_GT(decoder.AvailableInput(), 0u);
    EXPECT_EQ(source, packed.data() + packed.size() - decoder.AvailableInput());
    EXPECT_EQ(out, std::vector<uint8_t>(data.begin(), data.begin() + 1000));

    // The rest comes out of the same stream.
    std::vector<uint8_t> rest(3000);
    target = rest.data();
    decoder.Decode(source, target, decoder.AvailableInput(), rest.size());
    EXPECT_EQ(decoder.ZLibResult(), TLZ77Decoder::ResultStreamEnd);
    EXPECT_EQ(rest, std::vector<uint8_t>(data.begin() + 1000, data.end()));
}

TEST(LZ77Decoder, AutomaticResetDecodesEachCallAsAnIndependentStream)
{
    const auto first = SampleBytes(1200, 4);
    const auto second = SampleBytes(800, 5);
    const auto packedFirst = Deflate(first);
    const auto packedSecond = Deflate(second);
    TLZ77Decoder decoder(TLZ77Decoder::PartialFlush, true);
    decoder.BeginDecoding();

    std::vector<uint8_t> out1(first.size()), out2(second.size());
    const uint8_t* source = packedFirst.data();
    uint8_t* target = out1.data();
    decoder.Decode(source, target, packedFirst.size(), out1.size());
    EXPECT_EQ(decoder.ZLibResult(), TLZ77Decoder::ResultStreamEnd);
    source = packedSecond.data();
    target = out2.data();
    decoder.Decode(source, target, packedSecond.size(), out2.size());
    EXPECT_EQ(decoder.ZLibResult(), TLZ77Decoder::ResultStreamEnd);
    EXPECT_EQ(out1, first);
    EXPECT_EQ(out2, second);
    decoder.EndDecoding();

    // Without the reset the ended stream stays ended: nothing is read or written.
    TLZ77Decoder plain(TLZ77Decoder::PartialFlush, false);
    plain.BeginDecoding();
    source = packedFirst.data();
    target = out1.data();
    plain.Decode(source, target, packedFirst.size(), out1.size());
    std::vector<uint8_t> untouched(second.size(), 0xEE);
    source = packedSecond.data();
    target = untouched.data();
    plain.Decode(source, target, packedSecond.size(), untouched.size());
    EXPECT_EQ(source, packedSecond.data());
    EXPECT_EQ(target, untouched.data());
    EXPECT_EQ(untouched, std::vector<uint8_t>(second.size(), 0xEE));
}

TEST(LZ77Decoder, FinishModeDecodesACompleteChannel)
{
    const auto data = SampleBytes(2048, 6);
    const auto packed = Deflate(data);
    std::vector<uint8_t> out(data.size());
    TLZ77Decoder decoder(TLZ77Decoder::Finish, false);
    decoder.BeginDecoding();
    const uint8_t* source = packed.data();
    uint8_t* target = out.data();
    decoder.Decode(source, target, packed.size(), out.size());
    EXPECT_EQ(decoder.ZLibResult(), TLZ77Decoder::ResultStreamEnd);
    EXPECT_EQ(out, data);
}

TEST(LZ77Decoder, DamagedOrTruncatedDataGivesAResultNotAnOverrun)
{
    const auto data = SampleBytes(2000, 7);
    auto packed = Deflate(data);
    TLZ77Decoder decoder(TLZ77Decoder::PartialFlush, true);
    decoder.BeginDecoding();

    // A broken header.
    auto broken = packed;
    broken[0] = 0x00;
    std::vector<uint8_t> out(data.size());
    const uint8_t* source = broken.data();
    uint8_t* target = out.data();
    decoder.Decode(source, target, broken.size(), out.size());
    EXPECT_EQ(decoder.ZLibResult(), Z_DATA_ERROR);

    // Half the stream: all of it consumed, part of the output, no end.
    std::vector<uint8_t> half(packed.begin(), packed.begin() + packed.size() / 2);
    source = half.data();
    target = out.data();
    decoder.Decode(source, target, half.size(), out.size());
    EXPECT_EQ(decoder.ZLibResult(), TLZ77Decoder::ResultOk);
    EXPECT_EQ(decoder.AvailableInput(), 0u);
    EXPECT_LT(static_cast<size_t>(target - out.data()), data.size());
    EXPECT_TRUE(std::equal(out.data(), target, data.begin()));

    // A stream much longer than the buffer stops at the buffer's end.
    std::vector<uint8_t> small(10);
    source = packed.data();
    target = small.data();
    decoder.Decode(source, target, packed.size(), small.size());
    EXPECT_EQ(target, small.data() + small.size());
    EXPECT_EQ(small, std::vector<uint8_t>(data.begin(), data.begin() + 10));
}

TEST(LZ77Decoder, DecodingOutsideBeginAndEndStoresAnErrorResult)
{
    const auto packed = Deflate(SampleBytes(100, 8));
    std::vector<uint8_t> out(100);
    TLZ77Decoder decoder(TLZ77Decoder::PartialFlush, false);
    const uint8_t* source = packed.data();
    uint8_t* target = out.data();
    decoder.Decode(source, target, packed.size(), out.size());
    EXPECT_LT(decoder.ZLibResult(), 0);
    EXPECT_EQ(source, packed.data());
    EXPECT_EQ(target, out.data());

    decoder.BeginDecoding();
    decoder.EndDecoding();
    decoder.EndDecoding(); // a second end is harmless
    decoder.Decode(source, target, packed.size(), out.size());
    EXPECT_LT(decoder.ZLibResult(), 0);
}

TEST(LZ77Decoder, BytesAfterTheStreamAreLeftUnreadWithOrWithoutReset)
{
    const auto data = SampleBytes(1500, 9);
    auto packed = Deflate(data);
    const size_t streamSize = packed.size();
    packed.insert(packed.end(), {0xDE, 0xAD, 0xBE, 0xEF, 0x00});
    for (bool reset : {true, false}) {
        SCOPED_TRACE(reset ? "automatic reset" : "no reset");
        // Room for more than the stream holds.
        std::vector<uint8_t> out(data.size() + 100, 0xEE);
        TLZ77Decoder decoder(TLZ77Decoder::PartialFlush, reset);
        decoder.BeginDecoding();
        const uint8_t* source = packed.data();
        uint8_t* target = out.data();
        decoder.Decode(source, target, packed.size(), out.size());
        EXPECT_EQ(decoder.ZLibResult(), TLZ77Decoder::ResultStreamEnd);
        EXPECT_EQ(decoder.AvailableInput(), 5u);
        EXPECT_EQ(decoder.AvailableOutput(), 100u);
        EXPECT_EQ(source, packed.data() + streamSize);
        EXPECT_EQ(target, out.data() + data.size());
        EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));
        EXPECT_EQ(out.back(), 0xEE);
    }
}
