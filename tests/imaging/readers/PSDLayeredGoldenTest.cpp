// Golden files of the Alias/Wavefront, Photoshop, Paint Shop Pro, Photo-CD
// and EPS readers (tests/files/<format>/, made by
// tests/files/psd/generate_layered_formats.py): every case is read from its
// file and compared whole with the picture in the .png beside it.
#include "imaging/readers/EPSGraphic.h"
#include "imaging/readers/PCDGraphic.h"
#include "imaging/readers/PSDGraphic.h"
#include "imaging/readers/PSPGraphic.h"
#include "imaging/readers/RLAGraphic.h"
#include "imaging/readers/PNGTestFiles.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <functional>

using namespace orvane::imaging;
namespace png = orvane::test::png;
namespace fs = std::filesystem;

namespace {

png::Bytes Gunzip(const png::Bytes& packed)
{
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, 16 + MAX_WBITS), Z_OK);
    png::Bytes out(1 << 20);
    z.next_in = const_cast<Bytef*>(packed.data());
    z.avail_in = static_cast<uInt>(packed.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    inflateEnd(&z);
    return out;
}

struct Format {
    const char* folder;
    std::function<std::unique_ptr<TBitmap>()> create;
};

std::unique_ptr<TBitmap> Reader(const std::string& folder)
{
    if (folder == "rla")
        return std::make_unique<TRLAGraphic>();
    if (folder == "psd")
        return std::make_unique<TPSDGraphic>();
    if (folder == "psp")
        return std::make_unique<TPSPGraphic>();
    if (folder == "pcd")
        return std::make_unique<TPCDGraphic>();
    return std::make_unique<TEPSGraphic>();
}

class LayeredGoldenFiles : public ::testing::TestWithParam<std::string> {};

TEST_P(LayeredGoldenFiles, EveryCaseDecodesToItsExpectedPicture)
{
    const fs::path folder = fs::path(ORVANE_TEST_FILES_DIR) / GetParam();
    int cases = 0;
    for (const auto& item : fs::directory_iterator(folder)) {
        const fs::path file = item.path();
        const std::string name = file.filename().string();
        if (file.extension() == ".png" || file.extension() == ".py")
            continue;
        ++cases;
        const bool packed = file.extension() == ".gz";
        fs::path expectedPath = packed ? file.parent_path() / file.stem() : file;
        expectedPath.replace_extension(".png");
        png::Image expected;
        std::string error;
        ASSERT_TRUE(png::DecodeWithLibpng(png::ReadFile(expectedPath.string()), expected, error)) << error;

        auto picture = Reader(GetParam());
        try {
            if (packed) {
                TMemoryStream stream(Gunzip(png::ReadFile(file.string())));
                picture->LoadFromStream(stream);
            } else {
                picture->LoadFromFile(file.string()); // a real file stream
            }
        } catch (const std::exception& e) {
            ADD_FAILURE() << name << ": " << e.what();
            continue;
        }
        ASSERT_EQ(picture->Width(), static_cast<int>(expected.width)) << name;
        ASSERT_EQ(picture->Height(), static_cast<int>(expected.height)) << name;
        const bool alpha = expected.colorType == 6;
        EXPECT_EQ(picture->HasAlpha(), alpha) << name;
        const png::Bytes seen = png::SeenRGBA(*picture);
        const int channels = alpha ? 4 : 3;
        int wrong = 0;
        for (uint32_t y = 0; y < expected.height && wrong < 5; ++y)
            for (uint32_t x = 0; x < expected.width && wrong < 5; ++x)
                for (int c = 0; c < channels; ++c) {
                    const unsigned want = expected.At(x, y, c);
                    const unsigned got = seen[(size_t(y) * expected.width + x) * 4 + c];
                    if (want != got) {
                        ADD_FAILURE() << name << " at " << x << "," << y << " channel " << c << ": " << got
                                      << " instead of " << want;
                        ++wrong;
                        break;
                    }
                }
    }
    EXPECT_GE(cases, 2) << "golden files missing in " << folder;
}

INSTANTIATE_TEST_SUITE_P(LayeredFormats, LayeredGoldenFiles, ::testing::Values("rla", "psd", "psp", "pcd", "eps"));

} // namespace
