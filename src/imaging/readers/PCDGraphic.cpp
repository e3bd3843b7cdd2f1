#include "imaging/readers/PCDGraphic.h"

#include "imaging/color/ColorManager.h"

#include <algorithm>
#include <cstring>

namespace orvane::imaging {

namespace {

constexpr size_t sectorSize = 2048;
constexpr size_t signatureBytes = 3587; // up to the rotation byte
// The format has no name of its own in messages.
const char* const formatName = "";
// Resolution the viewer loads: the base image.
constexpr int baseResolution = 2;

bool Signature(const uint8_t* p, bool& overview)
{
    overview = std::memcmp(p, "PCD_OPA", 7) == 0;
    return overview || std::memcmp(p + 2048, "PCD", 3) == 0;
}

// Sector at which the pixels of a resolution begin.
size_t FirstSector(bool overview, int resolution)
{
    if (overview)
        return 5;
    return resolution == 0 ? 4 : resolution == 1 ? 23 : 96;
}

// Moves the planes into the orientation of the bitmap: rotation 1 is a
// quarter turn counter-clockwise, 3 a quarter turn clockwise.
std::vector<uint8_t> Turn(const std::vector<uint8_t>& plane, size_t width, size_t height, uint8_t rotation)
{
    std::vector<uint8_t> turned(plane.size());
    // The bitmap is height pixels wide and width rows high.
    for (size_t row = 0; row < width; ++row) {
        uint8_t* out = turned.data() + row * height;
        if (rotation == 1) {
            const uint8_t* column = plane.data() + (width - 1 - row);
            for (size_t x = 0; x < height; ++x)
                out[x] = column[x * width];
        } else {
            const uint8_t* column = plane.data() + row;
            for (size_t x = 0; x < height; ++x)
                out[x] = column[(height - 1 - x) * width];
        }
    }
    return turned;
}

} // namespace

const TGraphicClass& TPCDGraphic::ClassInfo()
{
    return ReaderClassInfo<TPCDGraphic>("TPCDGraphic");
}

bool TPCDGraphic::AcceptsStream(TStream& stream)
{
    return AcceptsLeadingBytes<2051>(stream, 3 * sectorSize, [](const uint8_t* bytes) {
        bool overview;
        return Signature(bytes, overview);
    });
}

bool TPCDGraphic::ReadHeader(TStream& stream, int imageIndex)
{
    TReaderGraphic::ReadHeader(stream, imageIndex);
    if (stream.Remaining() <= static_cast<int64_t>(3 * sectorSize))
        return false;
    uint8_t h[signatureBytes];
    stream.ReadBuffer(h, sizeof h);
    bool overview;
    if (!Signature(h, overview))
        return false;
    TImageProperties& p = ImageProperties();
    p.Overview = overview;
    p.Rotate = h[3586] & 3;
    const int resolution = overview ? 0 : std::clamp(imageIndex, 0, 5);
    p.Width = 192 << resolution;
    p.Height = 128 << resolution;
    if (p.Rotate & 1)
        std::swap(p.Width, p.Height);
    p.ColorScheme = TColorScheme::csPhotoYCC;
    p.BitsPerSample = 8;
    p.SamplesPerPixel = 3;
    p.BitsPerPixel = 24;
    p.Compression = resolution < 3 ? TCompressionType::ctNone : TCompressionType::ctPCDHuffmann;
    p.ImageCount = GetBE16(h + 10);
    return true;
}

void TPCDGraphic::Upsample(const uint8_t* plane, size_t width, size_t height, uint8_t* target)
{
    const size_t out = 2 * width;
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* a = plane + y * width;
        const uint8_t* b = y + 1 < height ? a + width : nullptr;
        uint8_t* even = target + 2 * y * out;
        uint8_t* odd = even + out;
        for (size_t x = 0; x + 1 < width; ++x) {
            even[2 * x] = a[x];
            even[2 * x + 1] = static_cast<uint8_t>((a[x] + a[x + 1] + 1) / 2);
            if (b) {
                odd[2 * x] = static_cast<uint8_t>((a[x] + b[x] + 1) / 2);
                odd[2 * x + 1] = static_cast<uint8_t>((a[x] + a[x + 1] + b[x] + b[x + 1] + 2) / 4);
            }
        }
        even[out - 2] = even[out - 1] = a[width - 1];
        if (b)
            odd[out - 2] = odd[out - 1] = static_cast<uint8_t>((a[width - 1] + b[width - 1] + 1) / 2);
        else
            std::memcpy(odd, even, out); // the last row
    }
}

void TPCDGraphic::LoadFromStream(TStream& stream)
{
    BeginLoading(stream);
    TLoadingProgress progress(*this);
    RequireHeader(stream, baseResolution, formatName);
    const TImageProperties& p = ImageProperties();
    progress.Start("Preparing...");

    // Stored orientation.
    const int resolution = p.Overview ? 0 : baseResolution;
    const size_t width = size_t{192} << resolution;
    const size_t height = size_t{128} << resolution;
    const size_t start = FirstSector(p.Overview, resolution) * sectorSize;
    // Rows come in pairs: two luma rows, then a row of each chroma channel
    // at half the width.
    const size_t groupBytes = 3 * width;
    const size_t dataBytes = height / 2 * groupBytes;
    const int64_t available = stream.Size() - BasePosition();
    if (available < static_cast<int64_t>(start + dataBytes))
        throw EReadError("Stream read error");

    TColorManager& cm = ColorManager();
    cm.Configure({.SourceScheme = TColorScheme::csPhotoYCC, .TargetScheme = TColorScheme::csBGR});
    cm.SetChroma({0.2125f, 0.7154f, 0.0721f}, 2, 2);
    SetPixelFormat(cm.PixelFormatFor());
    SetSize(p.Width, p.Height);

    progress.Step("Loading data...");
    stream.SetPosition(BasePosition() + static_cast<int64_t>(start));
    const std::vector<uint8_t> data = ReadBytes(stream, dataBytes);
    const size_t half = width / 2;
    std::vector<uint8_t> luma(width * height);
    std::vector<uint8_t> chroma1(half * (height / 2));
    std::vector<uint8_t> chroma2(chroma1.size());
    for (size_t group = 0; group < height / 2; ++group) {
        const uint8_t* g = data.data() + group * groupBytes;
        std::memcpy(luma.data() + 2 * group * width, g, 2 * width);
        std::memcpy(chroma1.data() + group * half, g + 2 * width, half);
        std::memcpy(chroma2.data() + group * half, g + 2 * width + half, half);
    }

    progress.Step("Upsampling...");
    std::vector<uint8_t> blue(width * height);
    std::vector<uint8_t> red(width * height);
    Upsample(chroma1.data(), half, height / 2, blue.data());
    Upsample(chroma2.data(), half, height / 2, red.data());
    if (p.Rotate == 1 || p.Rotate == 3) {
        luma = Turn(luma, width, height, p.Rotate);
        blue = Turn(blue, width, height, p.Rotate);
        red = Turn(red, width, height, p.Rotate);
    }

    progress.Step("Transfering...");
    const size_t columns = static_cast<size_t>(Width());
    const size_t rows = static_cast<size_t>(Height());
    for (size_t row = 0; row < rows; ++row) {
        const size_t offset = row * columns;
        cm.ConvertPixels({luma.data() + offset, blue.data() + offset, red.data() + offset}, 0xFF, columns,
                         ScanLine(static_cast<int>(row)));
        progress.Row(static_cast<int64_t>(row), static_cast<int64_t>(rows));
    }
}

} // namespace orvane::imaging
