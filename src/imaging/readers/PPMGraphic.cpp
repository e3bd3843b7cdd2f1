#include "imaging/readers/PPMGraphic.h"

#include "imaging/color/ColorManager.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace orvane::imaging {

namespace {
const char* const headerName = "PBM, PGM or PPM";
} // namespace

const TGraphicClass& TPPMGraphic::ClassInfo()
{
    return ReaderClassInfo<TPPMGraphic>("TPPMGraphic");
}

bool TPPMGraphic::AcceptsStream(TStream& stream)
{
    return AcceptsLeadingBytes<2>(stream, 10, [](const uint8_t* magic) {
        return magic[0] == 'P' && magic[1] >= '1' && magic[1] <= '6';
    });
}

void TPPMGraphic::ReadPastEnd()
{
    GraphicErrorFmt("Stream read error in %s file.", "PPM");
}

uint8_t TPPMGraphic::GetByte()
{
    if (bufferIndex_ >= bufferFill_) {
        if (source_->Remaining() <= 0)
            ReadPastEnd();
        bufferFill_ = source_->Read(buffer_, bufferSize);
        bufferIndex_ = 0;
    }
    return buffer_[bufferIndex_++];
}

uint64_t TPPMGraphic::Available()
{
    return (bufferFill_ - bufferIndex_) + static_cast<uint64_t>(std::max<int64_t>(source_->Remaining(), 0));
}

void TPPMGraphic::GetBlock(uint8_t* target, size_t count)
{
    const size_t buffered = std::min(count, bufferFill_ - bufferIndex_);
    std::memcpy(target, buffer_ + bufferIndex_, buffered);
    bufferIndex_ += buffered;
    count -= buffered;
    if (count != 0 && source_->Read(target + buffered, count) != count)
        ReadPastEnd();
}

uint32_t TPPMGraphic::GetNumber()
{
    uint8_t c = GetByte();
    while (c < '0' || c > '9') {
        if (c == '#')
            while (c != '\r' && c != '\n')
                c = GetByte();
        c = GetByte();
    }
    uint64_t value = 0;
    while (c >= '0' && c <= '9') {
        value = std::min<uint64_t>(value * 10 + (c - '0'), std::numeric_limits<uint32_t>::max());
        // The last number of a text file may end with the file.
        if (Available() == 0)
            break;
        c = GetByte();
    }
    return static_cast<uint32_t>(value);
}

bool TPPMGraphic::GetBit()
{
    uint8_t c = GetByte();
    while (c != '0' && c != '1') {
        if (c == '#')
            while (c != '\r' && c != '\n')
                c = GetByte();
        c = GetByte();
    }
    return c == '1';
}

bool TPPMGraphic::ReadHeader(TStream& stream, int imageIndex)
{
    TReaderGraphic::ReadHeader(stream, imageIndex);
    source_ = &stream;
    bufferIndex_ = bufferFill_ = bufferSize;
    if (GetByte() != 'P')
        return false;
    kind_ = static_cast<char>(GetByte());
    if (kind_ < '1' || kind_ > '6')
        return false;
    const uint32_t width = GetNumber();
    const uint32_t height = GetNumber();
    maximum_ = kind_ == '1' || kind_ == '4' ? 1 : GetNumber();
    // A picture without pixels, or larger than a bitmap can be, is no picture.
    constexpr uint32_t largest = std::numeric_limits<int32_t>::max();
    if (width == 0 || height == 0 || width > largest || height > largest)
        return false;
    TImageProperties& p = ImageProperties();
    p.Width = static_cast<int32_t>(width);
    p.Height = static_cast<int32_t>(height);
    switch (kind_) {
    case '1':
    case '4':
        p.ColorScheme = TColorScheme::csIndexed;
        p.BitsPerSample = 1;
        p.SamplesPerPixel = 1;
        break;
    case '2':
    case '5':
        p.ColorScheme = TColorScheme::csIndexed;
        p.BitsPerSample = 8;
        p.SamplesPerPixel = 1;
        break;
    default:
        p.ColorScheme = TColorScheme::csRGB;
        p.BitsPerSample = 8;
        p.SamplesPerPixel = 3;
        break;
    }
    p.BitsPerPixel = static_cast<uint8_t>(p.BitsPerSample * p.SamplesPerPixel);
    p.Compression = TCompressionType::ctNone;
    return true;
}

void TPPMGraphic::LoadFromStream(TStream& stream)
{
    BeginLoading(stream);
    TLoadingProgress progress(*this);
    RequireHeader(stream, 0, headerName);
    progress.Start("Preparing...");
    const size_t rowBytes = CheckRowBytes();
    PrepareBitmap();

    progress.Step("Transfering...");
    // Samples above 255 in binary files are two bytes.
    std::vector<uint8_t> wideRow(maximum_ > 255 && kind_ > '3' ? rowBytes : 0);
    const size_t height = static_cast<size_t>(ImageProperties().Height);
    for (size_t y = 0; y < height; ++y) {
        uint8_t* scan = ScanLine(static_cast<int>(y));
        switch (kind_) {
        case '1': TextBitRow(scan); break;
        case '2': TextGrayRow(scan); break;
        case '3': TextColourRow(scan); break;
        default: BinaryRow(scan, rowBytes, wideRow); break;
        }
        progress.Row(static_cast<int64_t>(y), static_cast<int64_t>(height));
    }
    source_ = nullptr;
}

// Every pixel needs at least one byte of the file (a digit in text files),
// so a file too short for its size ends here, before any allocation.
// Returns the bytes of a binary row.
size_t TPPMGraphic::CheckRowBytes()
{
    const TImageProperties& p = ImageProperties();
    const size_t width = static_cast<size_t>(p.Width);
    const size_t sampleBytes = maximum_ > 255 && kind_ > '3' ? 2 : 1;
    const char* tooLarge = "The picture is too large to be shown";
    const size_t rowBytes =
        kind_ == '4' ? (width + 7) / 8 : CheckedMul(width, size_t{p.SamplesPerPixel} * sampleBytes, tooLarge);
    if (Available() / std::max<size_t>(rowBytes, 1) < static_cast<size_t>(p.Height))
        ReadPastEnd();
    return rowBytes;
}

void TPPMGraphic::PrepareBitmap()
{
    const TImageProperties& p = ImageProperties();
    const bool gray = p.SamplesPerPixel == 1;
    TColorManager& cm = ColorManager();
    cm.Configure(TConversion::Unchanged(TColorScheme::csIndexed, gray ? p.BitsPerSample : 8, 1));
    if (gray) {
        SetPixelFormat(p.BitsPerSample == 1 ? TPixelFormat::pf1bit : TPixelFormat::pf8bit);
        SetPalette(cm.MakeGrayPalette(p.BitsPerSample == 1)); // bitmaps: 0 is white
    } else {
        SetPixelFormat(TPixelFormat::pf24bit);
    }
    SetSize(p.Width, p.Height);
}

// Samples above 255 are shown by their high byte; smaller maximums are not
// scaled.
uint8_t TPPMGraphic::TextSample()
{
    const uint32_t v = GetNumber();
    return static_cast<uint8_t>(maximum_ > 255 ? std::min<uint32_t>(v >> 8, 255) : std::min<uint32_t>(v, 255));
}

void TPPMGraphic::TextBitRow(uint8_t* scan)
{
    for (size_t x = 0; x < static_cast<size_t>(Width()); ++x)
        if (GetBit())
            scan[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
}

void TPPMGraphic::TextGrayRow(uint8_t* scan)
{
    for (size_t x = 0; x < static_cast<size_t>(Width()); ++x)
        scan[x] = TextSample();
}

void TPPMGraphic::TextColourRow(uint8_t* scan)
{
    for (size_t x = 0; x < static_cast<size_t>(Width()); ++x, scan += 3) {
        scan[2] = TextSample();
        scan[1] = TextSample();
        scan[0] = TextSample();
    }
}

// Binary bitmaps are the bitmap's own rows; gray and colour samples of two
// bytes keep their high byte, and colour goes from red, green, blue to the
// bitmap's blue, green, red.
void TPPMGraphic::BinaryRow(uint8_t* scan, size_t rowBytes, std::vector<uint8_t>& wideRow)
{
    if (!wideRow.empty()) {
        GetBlock(wideRow.data(), rowBytes);
        for (size_t i = 0; i < rowBytes / 2; ++i)
            scan[i] = wideRow[2 * i];
    } else {
        GetBlock(scan, rowBytes);
    }
    if (kind_ == '6')
        for (size_t x = 0; x < static_cast<size_t>(Width()); ++x, scan += 3)
            std::swap(scan[0], scan[2]);
}

} // namespace orvane::imaging
