#include "platform/metafile/Metafile.h"

#include "imaging/core/PictureLoader.h"
#include "platform/metafile/EmfPlayer.h"
#include "platform/metafile/WmfPlayer.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace orvane::imaging {

using namespace metafile;

namespace {

std::unique_ptr<TBitmap> CreateMetafile()
{
    return std::make_unique<TMetafile>();
}

// The bytes from the stream's position on, without copying a memory stream.
const uint8_t* StreamBytes(TStream& stream, std::vector<uint8_t>& copy, size_t& size)
{
    const int64_t start = stream.Position();
    size = static_cast<size_t>(std::max<int64_t>(stream.Size() - start, 0));
    if (const uint8_t* memory = stream.Memory())
        return memory + start;
    copy.resize(size);
    stream.ReadBuffer(copy.data(), size);
    return copy.data();
}

bool AcceptsMetafile(TStream& stream)
{
    const int64_t start = stream.Position();
    uint8_t head[88] = {}; // the longer of the two headers
    const size_t got = stream.Read(head, sizeof head);
    stream.SetPosition(start);
    return EmfPlayer::Recognise(head, got) || WmfPlayer::Recognise(head, got);
}

// The picture's size: the natural size scaled down to the longest side and
// to what the bitmap may allocate, at least one pixel each way.
void PictureSize(QSizeF natural, int& width, int& height)
{
    const double maxPixels = double(TBitmap::MaxImageBytes() / 4);
    double scale = std::min(1.0, TMetafile::kMaxSide / std::max(natural.width(), natural.height()));
    const double area = natural.width() * natural.height() * scale * scale;
    if (area > maxPixels)
        scale *= std::sqrt(maxPixels / area);
    width = std::clamp(int(std::lround(natural.width() * scale)), 1, TMetafile::kMaxSide);
    height = std::clamp(int(std::lround(natural.height() * scale)), 1, TMetafile::kMaxSide);
}

} // namespace

const TGraphicClass& TMetafile::ClassInfo()
{
    static const TGraphicClass info{"TMetafile", &CreateMetafile, &AcceptsMetafile};
    return info;
}

void TMetafile::LoadFromStream(TStream& stream)
{
    FreeImage();
    std::vector<uint8_t> copy;
    size_t size = 0;
    const uint8_t* data = StreamBytes(stream, copy, size);
    const TRect firstRow{0, 0, 0, 1};
    Progress(TProgressStage::psStarting, 0, false, firstRow, "Preparing...");
    try {
        std::unique_ptr<EmfPlayer> emf;
        std::unique_ptr<WmfPlayer> wmf;
        if (EmfPlayer::Recognise(data, size))
            emf = std::make_unique<EmfPlayer>(data, size);
        else if (WmfPlayer::Recognise(data, size))
            wmf = std::make_unique<WmfPlayer>(data, size);
        else
            InvalidMetafile();
        int width = 0, height = 0;
        PictureSize(emf ? emf->NaturalSize() : wmf->NaturalSize(), width, height);
        SetPixelFormat(TPixelFormat::pf32bit);
        SetSize(width, height);
        // Drawn straight into our pixels: 32-bit BGRA rows are Qt's RGB32.
        QImage picture(Bits(), width, height, BytesPerLine(), QImage::Format_RGB32);
        picture.fill(Qt::white);
        if (emf)
            emf->Play(picture);
        else
            wmf->Play(picture);
        // Raster operations may have touched the padding byte.
        for (int y = 0; y < height; ++y) {
            uint8_t* row = ScanLine(y);
            for (int x = 0; x < width; ++x)
                row[4 * size_t(x) + 3] = 0xFF;
        }
        SetHasAlpha(false);
    } catch (...) {
        FreeImage();
        Progress(TProgressStage::psEnding, 0, false, firstRow, "");
        throw;
    }
    stream.Seek(0, TSeekOrigin::soEnd);
    Progress(TProgressStage::psEnding, 100, false, TRect{0, 0, Width(), 1}, "");
}

void RegisterMetafilePictureClass()
{
    auto& loader = TPictureLoader::Instance();
    loader.RegisterFileFormat("wmf", "Windows metafiles", TMetafile::ClassInfo());
    loader.RegisterFileFormat("emf", "Windows enhanced meta files", TMetafile::ClassInfo());
}

} // namespace orvane::imaging
