#include "imaging/readers/CUTGraphic.h"

#include "imaging/color/ColorManager.h"
#include "imaging/decoders/CUTRLEDecoder.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace orvane::imaging {

namespace {

constexpr size_t headerSize = 6;
constexpr size_t paletteBlock = 512;

// The picture's name with its extension replaced by ".pal".
std::string PaletteNameFor(const std::string& fileName)
{
    const size_t slash = fileName.find_last_of('/');
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return fileName + ".pal";
    return fileName.substr(0, dot) + ".pal";
}

bool IsFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

const TGraphicClass& TCUTGraphic::ClassInfo()
{
    return ReaderClassInfo<TCUTGraphic>("TCUTGraphic");
}

bool TCUTGraphic::AcceptsStream(TStream&)
{
    return false;
}

void TCUTGraphic::LoadFromFile(const std::string& fileName)
{
    paletteFile_ = PaletteNameFor(fileName);
    TFileStream stream(fileName);
    LoadFromStream(stream);
}

bool TCUTGraphic::ReadHeader(TStream& stream, int imageIndex)
{
    TReaderGraphic::ReadHeader(stream, imageIndex);
    uint8_t h[headerSize];
    stream.ReadBuffer(h, headerSize);
    TImageProperties& p = ImageProperties();
    p.Width = GetLE16(h);
    p.Height = GetLE16(h + 2);
    p.ColorScheme = TColorScheme::csIndexed;
    p.BitsPerSample = 8;
    p.SamplesPerPixel = 1;
    p.BitsPerPixel = 8;
    p.Compression = TCompressionType::ctRLE;
    return true;
}

// The palette file: 512-byte blocks; the entry count less one at offset 12
// of the first block, entries of three 16-bit values (red, green, blue, low
// bytes used) from offset 40; an entry that would start past offset 506
// continues at the start of the next block.
std::vector<TRGBQuad> TCUTGraphic::LoadPalette() const
{
    if (paletteFile_.empty() || !IsFile(paletteFile_))
        return {};
    TFileStream file(paletteFile_);
    uint8_t block[paletteBlock] = {};
    if (file.Read(block, paletteBlock) < 14)
        return {};
    const size_t count = std::min<size_t>(size_t{GetLE16(block + 12)} + 1, 256);
    std::vector<TRGBQuad> palette(256);
    size_t offset = 40;
    for (size_t i = 0; i < count; ++i) {
        if (offset > 506) {
            std::memset(block, 0, paletteBlock);
            if (file.Read(block, paletteBlock) == 0)
                break;
            offset = 0;
        }
        palette[i] = TRGBQuad{block[offset + 4], block[offset + 2], block[offset], 0};
        offset += 6;
    }
    return palette;
}

void TCUTGraphic::LoadFromStream(TStream& stream)
{
    BeginLoading(stream);
    TLoadingProgress progress(*this);
    RequireHeader(stream, 0, "CUT");
    const TImageProperties& p = ImageProperties();
    progress.Start("Preparing...");

    TColorManager& cm = ColorManager();
    cm.Configure(TConversion::Unchanged(TColorScheme::csIndexed, 8, 1));
    SetPixelFormat(TPixelFormat::pf8bit);
    std::vector<TRGBQuad> palette = LoadPalette();
    SetPalette(palette.empty() ? cm.MakeGrayPalette(false) : std::move(palette));

    const TStreamBytes file(stream, stream.Position());
    const uint8_t* data = file.Data();
    const size_t size = file.Size();
    // Each row takes at least its 2-byte length and an ending byte, so a
    // file far too short for its height ends here, before any allocation.
    const size_t height = static_cast<size_t>(p.Height);
    if (size / 3 < height)
        throw EReadError("Stream read error");
    SetSize(p.Width, p.Height);

    if (Empty())
        return; // a picture without pixels
    progress.Step("Transfering...");
    const uint8_t* source = data;
    const uint8_t* end = data + size;
    TCUTRLEDecoder decoder;
    decoder.BeginDecoding();
    for (size_t y = 0; y < height; ++y) {
        uint8_t* target = ScanLine(static_cast<int>(y));
        decoder.Decode(source, target, static_cast<size_t>(end - source), static_cast<size_t>(p.Width));
        progress.Row(static_cast<int64_t>(y), static_cast<int64_t>(height));
    }
    decoder.EndDecoding();
    if (stream.Memory())
        stream.Seek(source - data, TSeekOrigin::soCurrent);
}

} // namespace orvane::imaging
