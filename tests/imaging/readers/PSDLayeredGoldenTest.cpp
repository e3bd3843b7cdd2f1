// Golden files of the Alias/Wavefront, Photoshop, Paint Shop Pro, Photo-CD
// and EPS readers (tests/files/<format>/, made by
// tests/files/psd/generate_layered_formats.py): every case is read from its
// file and compared whole with the picture in the .png beside it.
#include "imaging/readers/EPSGraphic.h"
#include "imaging/readers/PCDGraphic.h"
#include "imaging/readers/PNGTestFiles.h"
#include "imaging/readers/PSDGraphic.h"
#include "imaging/readers/ReaderTestSupport.h"
#include "imaging/readers/PSPGraphic.h"
#include "imaging/readers/RLAGraphic.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>

using namespace orvane::imaging;
namespace png = orvane::test::png;
namespace fs = std::filesystem;

namespace orvane::test::readers {

namespace {

Bytes Gunzip(const Bytes& packed)
{
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, 16 + MAX_WBITS), Z_OK);
    Bytes out(1 << 20);
    z.next_in = const_cast<Bytef*>(packed.data());
    z.avail_in = static_cast<uInt>(packed.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    inflateEnd(&z);
    return out;
}

fs::path Folder(const std::string& folder)
{
    return fs::path(ORVANE_TEST_FILES_DIR) / folder;
}

} // namespace

std::vector<std::string> Steps(const std::vector<std::string>& log)
{
    std::vector<std::string> steps;
    for (const std::string& entry : log)
        if (entry.rfind("0:", 0) == 0)
            steps.push_back(entry.substr(entry.find(':', 2) + 1));
    return steps;
}

Bytes GoldenFile(const std::string& folder, const std::string& name)
{
    const fs::path path = Folder(folder) / name;
    const Bytes bytes = png::ReadFile(path.string());
    return path.extension() == ".gz" ? Gunzip(bytes) : bytes;
}

Bytes GoldenPicture(const std::string& folder, const std::string& name, int& width, int& height)
{
    png::Image image;
    std::string error;
    EXPECT_TRUE(png::DecodeWithLibpng(png::ReadFile((Folder(folder) / name).string()), image, error)) << error;
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    Bytes rgba;
    const bool alpha = image.colorType == 6;
    for (uint32_t y = 0; y < image.height; ++y)
        for (uint32_t x = 0; x < image.width; ++x)
            for (int c = 0; c < 4; ++c)
                rgba.push_back(c < 3 || alpha ? static_cast<uint8_t>(image.At(x, y, c)) : uint8_t{255});
    return rgba;
}

namespace {

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

// Up to five differing pixels, as failure messages.
void ExpectSamePicture(const std::string& name, const Bytes& seen, const Bytes& want, int width)
{
    ASSERT_EQ(seen.size(), want.size()) << name;
    int wrong = 0;
    for (size_t i = 0; i < seen.size() && wrong < 5; ++i)
        if (seen[i] != want[i]) {
            const size_t pixel = i / 4;
            ADD_FAILURE() << name << " at " << pixel % width << "," << pixel / width << " channel " << i % 4 << ": "
                          << int(seen[i]) << " instead of " << int(want[i]);
            ++wrong;
            i = pixel * 4 + 3; // on to the next pixel
        }
}

class LayeredGoldenFiles : public ::testing::TestWithParam<std::string> {};

TEST_P(LayeredGoldenFiles, EveryCaseDecodesToItsExpectedPicture)
{
    const std::string folder = GetParam();
    int cases = 0;
    for (const auto& item : fs::directory_iterator(Folder(folder))) {
        const fs::path file = item.path();
        const std::string name = file.filename().string();
        if (file.extension() == ".png" || file.extension() == ".py")
            continue;
        ++cases;
        const bool packed = file.extension() == ".gz";
        fs::path expectedName = packed ? file.stem() : file.filename();
        expectedName.replace_extension(".png");
        int width = 0, height = 0;
        const Bytes want = GoldenPicture(folder, expectedName.string(), width, height);

        auto picture = Reader(folder);
        try {
            if (packed) {
                TMemoryStream stream(GoldenFile(folder, name));
                picture->LoadFromStream(stream);
            } else {
                picture->LoadFromFile(file.string()); // a real file stream
            }
        } catch (const std::exception& e) {
            ADD_FAILURE() << name << ": " << e.what();
            continue;
        }
        ASSERT_EQ(picture->Width(), width) << name;
        ASSERT_EQ(picture->Height(), height) << name;
        // Colour type 6: the expected picture keeps its alpha.
        const bool alpha = png::ReadFile((Folder(folder) / expectedName).string())[25] == 6;
        EXPECT_EQ(picture->HasAlpha(), alpha) << name;
        ExpectSamePicture(name, png::SeenRGBA(*picture), want, width);

        // The same from a stream whose bytes are not in memory.
        auto again = Reader(folder);
        PlainStream plain(GoldenFile(folder, name));
        again->LoadFromStream(plain);
        ExpectSamePicture(name + " (plain stream)", png::SeenRGBA(*again), want, width);
    }
    EXPECT_GE(cases, 2) << "golden files missing in " << folder;
}

INSTANTIATE_TEST_SUITE_P(LayeredFormats, LayeredGoldenFiles, ::testing::Values("rla", "psd", "psp", "pcd", "eps"));

} // namespace

} // namespace orvane::test::readers
