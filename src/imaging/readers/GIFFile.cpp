#include "imaging/readers/GIFFile.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

namespace orvane::imaging::gif {

namespace {

[[noreturn]] void NotAGif()
{
    throw EInvalidGraphic("Cannot load image. Invalid or unexpected GIF image format.");
}

TDisposal DisposalOf(int mode)
{
    switch (mode) {
    case DISPOSE_BACKGROUND: return TDisposal::Clear;
    case DISPOSE_PREVIOUS: return TDisposal::Restore;
    default: return TDisposal::Keep; // unspecified, leave in place, unknown values
    }
}

GraphicsControlBlock NoControl()
{
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSAL_UNSPECIFIED;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    return control;
}

// The sub-blocks after an extension's first one, up to its terminator.
bool SkipSubBlocks(GifFileType* gif, GifByteType* block)
{
    while (block)
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
            return false;
    return true;
}

// Reads one extension; a graphic control block becomes `control`, a
// looping application block sets the layout's loop count.
bool ReadExtension(GifFileType* gif, GraphicsControlBlock& control, TLayout& layout)
{
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
        return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
        DGifExtensionToGCB(block[0], block + 1, &control);
    if (code == APPLICATION_EXT_FUNC_CODE && block && block[0] == 11 &&
        (std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0 || std::memcmp(block + 1, "ANIMEXTS1.0", 11) == 0)) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
            return false;
        // The count is of repeats after the first play; 0 repeats for ever.
        if (block && block[0] >= 3 && (block[1] & 7) == 1) {
            const int repeats = block[2] | (block[3] << 8);
            layout.LoopCount = repeats == 0 ? 0 : repeats + 1;
        }
    }
    return SkipSubBlocks(gif, block);
}

// Skips a frame's compressed data without decoding it.
bool SkipPixelData(GifFileType* gif)
{
    int codeSize = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR)
        return false;
    while (block)
        if (DGifGetCodeNext(gif, &block) == GIF_ERROR)
            return false;
    return true;
}

TFrame FrameOf(const GifImageDesc& image, const GraphicsControlBlock& control)
{
    TFrame frame;
    frame.Left = image.Left;
    frame.Top = image.Top;
    frame.Width = image.Width;
    frame.Height = image.Height;
    frame.Interlaced = image.Interlace;
    frame.DelayMs = std::max(control.DelayTime, 0) * 10;
    frame.Disposal = DisposalOf(control.DisposalMode);
    frame.Transparent = control.TransparentColor;
    frame.Whole = false;
    return frame;
}

bool CoversScreen(const TFrame& frame, const TLayout& layout)
{
    return frame.Left <= 0 && frame.Top <= 0 && frame.Left + frame.Width >= layout.ScreenWidth &&
           frame.Top + frame.Height >= layout.ScreenHeight;
}

void FillColours(TColours& colours, const ColorMapObject* map, int colourResolution)
{
    colours.fill(0xFF000000u);
    if (map && map->Colors) {
        const int count = std::min(map->ColorCount, 256);
        for (int i = 0; i < count; ++i) {
            const GifColorType& c = map->Colors[i];
            colours[size_t(i)] = 0xFF000000u | (uint32_t(c.Red) << 16) | (uint32_t(c.Green) << 8) | c.Blue;
        }
        return;
    }
    const int count = 1 << std::clamp(colourResolution, 1, 8);
    for (int i = 0; i < count; ++i) {
        const uint32_t gray = uint32_t(i * 255 / (count - 1));
        colours[size_t(i)] = 0xFF000000u | (gray << 16) | (gray << 8) | gray;
    }
}

} // namespace

std::string GifErrorText(int code)
{
    switch (code) {
    case D_GIF_ERR_READ_FAILED:
    case D_GIF_ERR_EOF_TOO_SOON: return "GIF error: Premature end of GIF file";
    case D_GIF_ERR_NOT_ENOUGH_MEM: return "GIF error: Not enough memory";
    case D_GIF_ERR_NOT_GIF_FILE:
    case D_GIF_ERR_NO_SCRN_DSCR: return "Cannot load image. Invalid or unexpected GIF image format.";
    default: return "GIF error: The picture data is damaged";
    }
}

TGifHandle::TGifHandle(const uint8_t* data, size_t size) : data_(data), size_(size)
{
    // giflib looks at "GIF" alone; the versions are the two there are.
    if (size < 6 || (std::memcmp(data, "GIF87a", 6) != 0 && std::memcmp(data, "GIF89a", 6) != 0))
        NotAGif();
    int error = 0;
    gif_ = DGifOpen(this, &TGifHandle::Read, &error);
    if (!gif_) {
        if (error == D_GIF_ERR_NOT_ENOUGH_MEM)
            throw EInvalidGraphic(GifErrorText(error));
        NotAGif();
    }
}

TGifHandle::~TGifHandle()
{
    int error = 0;
    DGifCloseFile(gif_, &error);
}

int TGifHandle::Read(GifFileType* gif, uint8_t* buffer, int count)
{
    auto* self = static_cast<TGifHandle*>(gif->UserData);
    const size_t n = std::min(size_t(std::max(count, 0)), self->size_ - self->position_);
    std::memcpy(buffer, self->data_ + self->position_, n);
    self->position_ += n;
    return int(n);
}

int TLayout::WholeFrames() const
{
    return int(Frames.size()) - (!Frames.empty() && !Frames.back().Whole ? 1 : 0);
}

bool TLayout::Opaque() const
{
    // The screen starts see-through: the first frame must cover it and not
    // be taken back, and no frame may leave holes or clear its area.
    if (Frames.empty() || !CoversScreen(Frames.front(), *this) || Frames.front().Disposal == TDisposal::Restore)
        return false;
    return std::none_of(Frames.begin(), Frames.end(), [](const TFrame& frame) {
        return frame.Transparent >= 0 || frame.Disposal == TDisposal::Clear;
    });
}

TLayout ScanLayout(const uint8_t* data, size_t size)
{
    TGifHandle gif(data, size);
    TLayout layout;
    layout.ScreenWidth = gif->SWidth;
    layout.ScreenHeight = gif->SHeight;
    GraphicsControlBlock control = NoControl();
    for (bool more = true; more;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.Get(), &type) == GIF_ERROR)
            break;
        switch (type) {
        case IMAGE_DESC_RECORD_TYPE:
            if (DGifGetImageHeader(gif.Get()) == GIF_ERROR) {
                more = false;
                break;
            }
            layout.Frames.push_back(FrameOf(gif->Image, control));
            more = layout.Frames.back().Whole = SkipPixelData(gif.Get());
            control = NoControl();
            break;
        case EXTENSION_RECORD_TYPE: more = ReadExtension(gif.Get(), control, layout); break;
        default: more = false; break; // the trailer, or a record of no known kind
        }
    }
    if (layout.Frames.empty())
        throw EInvalidGraphic(gif->Error ? GifErrorText(gif->Error) : "GIF error: The file holds no picture");
    // A screen of no size takes the first frame's.
    if (layout.ScreenWidth <= 0 || layout.ScreenHeight <= 0) {
        layout.ScreenWidth = layout.Frames.front().Left + layout.Frames.front().Width;
        layout.ScreenHeight = layout.Frames.front().Top + layout.Frames.front().Height;
    }
    if (layout.ScreenWidth <= 0 || layout.ScreenHeight <= 0)
        throw EInvalidGraphic("GIF error: Empty image");
    return layout;
}

void TFrameReader::NextFrame()
{
    if (inFrame_)
        SkipRestOfFrame();
    inFrame_ = false;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif_.Get(), &type) == GIF_ERROR)
            throw EInvalidGraphic(GifErrorText(gif_->Error));
        if (type == IMAGE_DESC_RECORD_TYPE)
            break;
        if (type != EXTENSION_RECORD_TYPE)
            throw EInvalidGraphic("GIF error: The file holds no further picture");
        GraphicsControlBlock control = NoControl();
        TLayout unused;
        if (!ReadExtension(gif_.Get(), control, unused))
            throw EInvalidGraphic(GifErrorText(gif_->Error));
    }
    // The image header alone: DGifGetImageDesc would also keep a record of
    // every frame read, growing with the length of the animation.
    if (DGifGetImageHeader(gif_.Get()) == GIF_ERROR)
        throw EInvalidGraphic(GifErrorText(gif_->Error));
    const ColorMapObject* map = gif_->Image.ColorMap ? gif_->Image.ColorMap : gif_->SColorMap;
    FillColours(colours_, map, gif_->SColorResolution);
    inFrame_ = true;
    started_ = false;
    linesLeft_ = gif_->Image.Width > 0 ? gif_->Image.Height : 0;
}

bool TFrameReader::ReadLine(uint8_t* line, int width)
{
    if (!inFrame_ || linesLeft_ <= 0 || width != gif_->Image.Width)
        return false;
    started_ = true;
    if (DGifGetLine(gif_.Get(), line, width) == GIF_ERROR) {
        inFrame_ = false; // the data after a damaged frame cannot be found
        return false;
    }
    --linesLeft_;
    return true;
}

std::string TFrameReader::ErrorText() const
{
    return GifErrorText(gif_->Error ? gif_->Error : D_GIF_ERR_IMAGE_DEFECT);
}

void TFrameReader::SkipRestOfFrame()
{
    if (linesLeft_ <= 0 && started_)
        return; // giflib moved past the data with the last line
    GifByteType* block = nullptr;
    if (!started_) {
        if (!SkipPixelData(gif_.Get()))
            throw EInvalidGraphic(GifErrorText(gif_->Error));
        return;
    }
    do
        if (DGifGetCodeNext(gif_.Get(), &block) == GIF_ERROR)
            throw EInvalidGraphic(GifErrorText(gif_->Error));
    while (block);
}

int StoredRow(int index, int height, bool interlaced)
{
    if (!interlaced)
        return index;
    static const int start[4] = {0, 4, 2, 1};
    static const int step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        const int rows = height > start[pass] ? (height - start[pass] + step[pass] - 1) / step[pass] : 0;
        if (index < rows)
            return start[pass] + index * step[pass];
        index -= rows;
    }
    return height - 1; // not reached for index < height
}

} // namespace orvane::imaging::gif
