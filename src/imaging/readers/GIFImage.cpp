#include "imaging/readers/GIFImage.h"

#include "imaging/readers/GIFAnimation.h"
#include "imaging/readers/GIFCompose.h"
#include "imaging/readers/GIFFile.h"

#include <algorithm>
#include <cstring>

namespace orvane::imaging {

namespace {

void DescribeLayout(const gif::TLayout& layout, TImageProperties& properties)
{
    properties.Width = layout.ScreenWidth;
    properties.Height = layout.ScreenHeight;
    properties.ColorScheme = TColorScheme::csIndexed;
    properties.BitsPerSample = 8;
    properties.SamplesPerPixel = 1;
    properties.BitsPerPixel = 8;
    properties.Compression = TCompressionType::ctLZW;
    properties.Interlaced = layout.Frames.front().Interlaced;
    properties.HasAlpha = !layout.Opaque();
    properties.ImageCount = static_cast<uint16_t>(std::clamp(layout.WholeFrames(), 1, 0xFFFF));
}

// One frame over the whole screen with no transparent colour: nothing of it
// is ever see-through, and 8 bits with its colour table hold it.
bool IsIndexedStill(const gif::TLayout& layout)
{
    const gif::TFrame& first = layout.Frames.front();
    return layout.WholeFrames() <= 1 && first.Transparent < 0 &&
           gif::ClipOf(first, layout.ScreenWidth, layout.ScreenHeight) ==
               TRect{0, 0, layout.ScreenWidth, layout.ScreenHeight};
}

// Progress about every sixteenth of a frame's lines: the rows down to the
// lowest one drawn so far.
class TLineProgress {
public:
    TLineProgress(TReaderGraphic& reader, TLoadingProgress& progress, int lines)
        : reader_(reader), progress_(progress), lines_(lines), every_(std::max(lines / 16, 1))
    {
    }
    void Line(int linesRead, int row)
    {
        lowest_ = std::max(lowest_, std::clamp(row + 1, 0, reader_.Height()));
        if (linesRead % every_ != 0 && linesRead != lines_)
            return;
        reader_.ProgressRect() = TRect{0, 0, reader_.Width(), lowest_};
        progress_.Row(linesRead, lines_);
    }

private:
    TReaderGraphic& reader_;
    TLoadingProgress& progress_;
    int lines_, every_;
    int lowest_ = 0;
};

} // namespace

const TGraphicClass& TGIFImage::ClassInfo()
{
    return ReaderClassInfo<TGIFImage>("TGIFImage");
}

bool TGIFImage::AcceptsStream(TStream& stream)
{
    return AcceptsLeadingBytes<6>(stream, 6, [](const uint8_t* head) {
        return std::memcmp(head, "GIF87a", 6) == 0 || std::memcmp(head, "GIF89a", 6) == 0;
    });
}

bool TGIFImage::ReadHeader(TStream& stream, int imageIndex)
{
    TReaderGraphic::ReadHeader(stream, imageIndex);
    const TStreamBytes file(stream, stream.Position());
    try {
        DescribeLayout(gif::ScanLayout(file.Data(), file.Size()), ImageProperties());
    } catch (const EInvalidGraphic&) {
        return false;
    }
    return true;
}

void TGIFImage::LoadFromStream(TStream& stream)
{
    BeginAnimatedLoading(stream);
    TLoadingProgress progress(*this);
    const TStreamBytes file(stream, BasePosition());
    if (stream.Memory())
        stream.Seek(0, TSeekOrigin::soEnd);
    gif::TLayout layout = gif::ScanLayout(file.Data(), file.Size());
    DescribeLayout(layout, ImageProperties());
    progress.Start("Preparing...");
    if (IsIndexedStill(layout))
        DecodeIndexed(file.Data(), file.Size(), layout.Frames.front(), progress);
    else
        DecodeAnimation(std::vector<uint8_t>(file.Data(), file.Data() + file.Size()), std::move(layout), progress);
}

// A still picture covering its screen: 8 bits with its colours, the lines
// decoded straight into the rows where the frame is the screen's size.
void TGIFImage::DecodeIndexed(const uint8_t* data, size_t size, const gif::TFrame& frame, TLoadingProgress& progress)
{
    gif::TFrameReader reader(data, size);
    reader.NextFrame();
    const int width = static_cast<int>(ImageProperties().Width), height = static_cast<int>(ImageProperties().Height);
    SetPixelFormat(TPixelFormat::pf8bit);
    SetSize(width, height);
    std::vector<TRGBQuad> palette(256);
    for (size_t i = 0; i < palette.size(); ++i) {
        const uint32_t c = reader.Colours()[i];
        palette[i] = {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0};
    }
    SetPalette(std::move(palette));
    progress.Step("Transfering...");

    // The frame starts at the screen's corner and may reach past it.
    std::vector<uint8_t> line(size_t(frame.Width));
    TLineProgress lines(*this, progress, frame.Height);
    for (int index = 0; index < frame.Height; ++index) {
        const int row = gif::StoredRow(index, frame.Height, frame.Interlaced);
        const bool shown = row < height;
        uint8_t* target = shown && frame.Width == width ? ScanLine(row) : line.data();
        if (!reader.ReadLine(target, frame.Width)) {
            if (index == 0)
                GraphicError(reader.ErrorText());
            return; // cut short or damaged: the rows decoded so far are shown
        }
        if (shown && target == line.data())
            std::memcpy(ScanLine(row), line.data(), size_t(width));
        lines.Line(index + 1, row);
    }
}

// Frames on a 32-bit canvas, see-through where nothing is drawn. A file of
// one whole frame is a still picture and keeps no animation.
void TGIFImage::DecodeAnimation(std::vector<uint8_t> file, gif::TLayout layout, TLoadingProgress& progress)
{
    SetPixelFormat(TPixelFormat::pf32bit);
    SetSize(layout.ScreenWidth, layout.ScreenHeight);
    SetHasAlpha(!layout.Opaque());
    const int lines = layout.Frames.front().Height;
    const bool animated = layout.WholeFrames() > 1;
    auto animation = std::make_unique<TGIFAnimation>(std::move(file), std::move(layout), *this);
    progress.Step("Transfering...");
    TLineProgress progressOfLines(*this, progress, lines);
    int linesRead = 0;
    const bool whole = animation->DrawFirstFrame([&](int read, int row) {
        linesRead = read;
        progressOfLines.Line(read, row);
    });
    if (!whole && linesRead == 0)
        GraphicError(animation->ErrorText());
    if (whole && animated)
        SetAnimation(std::move(animation));
}

} // namespace orvane::imaging
