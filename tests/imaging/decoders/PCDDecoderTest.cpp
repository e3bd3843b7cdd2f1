#include "DecoderTestSupport.h"

#include "imaging/decoders/PCDDecoder.h"

#include <string>

using namespace orvane::imaging;
using orvane::test::Bytes;

namespace {

// Writes a Photo-CD difference stream bit by bit.
class StreamWriter {
public:
    void Bits(uint32_t value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            if (bits_ % 8 == 0)
                bytes_.push_back(0);
            if (value & (1u << i))
                bytes_.back() |= static_cast<uint8_t>(0x80 >> (bits_ % 8));
            ++bits_;
        }
    }
    void Code(const std::string& bits)
    {
        for (char c : bits)
            if (c != ' ')
                Bits(c == '1', 1);
    }
    struct Entry {
        std::string code;
        int difference;
    };
    void Table(const std::vector<Entry>& entries)
    {
        Bits(static_cast<uint32_t>(entries.size() - 1), 8);
        for (const Entry& e : entries) {
            Bits(static_cast<uint32_t>(e.code.size() - 1), 8);
            uint32_t code = 0;
            for (size_t i = 0; i < e.code.size(); ++i)
                code |= (e.code[i] == '1' ? 1u : 0u) << (15 - i);
            Bits(code, 16);
            Bits(static_cast<uint8_t>(static_cast<int8_t>(e.difference)), 8);
        }
    }
    // A row header: the sync pattern, the plane and the row number.
    void Row(uint32_t plane, uint32_t number)
    {
        Bits(0xFFFFFE, 24);
        Bits(plane, 2);
        Bits(number, 13);
        Bits(0, 1);
    }
    const Bytes& Data() const { return bytes_; }

private:
    Bytes bytes_;
    int bits_ = 0;
};

const std::vector<StreamWriter::Entry> SmallTable = {{"0", 10}, {"10", -5}, {"11", 100}};

} // namespace

TEST(PCDDecoder, DifferencesAreAddedToTheRowsNamedByTheHeaders)
{
    StreamWriter w;
    w.Table(SmallTable);
    w.Bits(0, 8); // padding before the first header
    w.Row(0, 1);
    w.Code("0 10 11 0");
    w.Row(0, 0);
    w.Code("11 11 11");
    w.Row(0, 2); // the row count: the end
    w.Code("0 0 0 0");

    TMemoryStream stream(w.Data());
    Bytes luma = {200, 200, 200, 200, 100, 100, 100, 100};
    TPCDDecoder decoder(stream);
    decoder.DecodePlanes({luma.data(), nullptr, nullptr}, 2, 4);
    EXPECT_EQ(luma, (Bytes{255, 255, 255, 200, 110, 95, 200, 110}));
}

TEST(PCDDecoder, WideImagesUseATableForEachPlane)
{
    const int width = 1540;
    StreamWriter w;
    w.Table({{"0", 1}, {"1", 2}});
    w.Table({{"0", -1}, {"1", -2}});
    w.Table({{"0", 50}, {"1", 60}});
    w.Bits(0, 8);
    w.Row(0, 1);
    w.Code("1 0");
    w.Row(2, 3); // first chroma row 1
    w.Code("1 1 0");
    w.Row(3, 2); // second chroma row 1
    w.Code("0");
    w.Row(0, 4);

    TMemoryStream stream(w.Data());
    Bytes planes(4 * width + 2 * (2 * width / 2), 100);
    uint8_t* target = planes.data();
    const uint8_t* source = nullptr;
    TPCDDecoder decoder(stream);
    decoder.Decode(source, target, width, 4);
    EXPECT_EQ(target, planes.data() + planes.size());

    Bytes expected(planes.size(), 100);
    expected[width + 0] = 102;
    expected[width + 1] = 101;
    const size_t chroma1 = 4 * width, chroma2 = chroma1 + 2 * (width / 2);
    expected[chroma1 + width / 2 + 0] = 98;
    expected[chroma1 + width / 2 + 1] = 98;
    expected[chroma1 + width / 2 + 2] = 99;
    expected[chroma2 + width / 2 + 0] = 150;
    EXPECT_EQ(planes, expected);
}

TEST(PCDDecoder, PlaneOneAbortsSilently)
{
    StreamWriter w;
    w.Table(SmallTable);
    w.Bits(0, 8);
    w.Row(1, 0);
    w.Code("0 0");
    TMemoryStream stream(w.Data());
    Bytes luma(8, 1);
    TPCDDecoder decoder(stream);
    EXPECT_THROW(decoder.DecodePlanes({luma.data(), nullptr, nullptr}, 2, 4), EAbort);
}

TEST(PCDDecoder, InvalidTablesAndBrokenStreamsEndWithoutHarm)
{
    // A code length of 17 ends decoding before anything is changed.
    StreamWriter w;
    w.Bits(0, 8);
    w.Bits(16, 8);
    w.Bits(0, 24);
    w.Bits(0, 8);
    w.Row(0, 0);
    w.Code("0 0 0 0");
    TMemoryStream stream(w.Data());
    Bytes luma(8, 7);
    TPCDDecoder decoder(stream);
    decoder.DecodePlanes({luma.data(), nullptr, nullptr}, 2, 4);
    EXPECT_EQ(luma, Bytes(8, 7));

    // Rows beyond the planes, pixels beyond the row, a stream cut short.
    StreamWriter v;
    v.Table(SmallTable);
    v.Bits(0, 8);
    v.Row(0, 5);
    v.Code("0 0");
    v.Row(0, 0);
    v.Code("0 0 0 0 0 0 0 0 0");
    TMemoryStream cut(v.Data());
    Bytes rows(8, 0);
    TPCDDecoder decoder2(cut);
    decoder2.DecodePlanes({rows.data(), nullptr, nullptr}, 2, 4);
    EXPECT_EQ(rows, (Bytes{10, 10, 10, 10, 0, 0, 0, 0}));

    // Noise: any outcome but a crash or a hang.
    for (uint32_t seed = 1; seed <= 100; ++seed) {
        TMemoryStream noise(orvane::test::NoiseBytes(seed * 7, seed));
        Bytes planes(6 * 4, 0);
        TPCDDecoder any(noise);
        try {
            any.DecodePlanes({planes.data(), planes.data() + 16, planes.data() + 20}, 4, 4);
        } catch (const EAbort&) {
        }
    }
}
