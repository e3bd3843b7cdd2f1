#include "imaging/readers/GIFAnimation.h"

#include "imaging/readers/GIFCompose.h"

#include <algorithm>
#include <cstring>

namespace orvane::imaging {

using namespace gif;

TGIFAnimation::TGIFAnimation(std::vector<uint8_t> file, TLayout layout, TBitmap& canvas)
    : file_(std::move(file)), layout_(std::move(layout)), canvas_(canvas)
{
    // At most one saved area and one frame's indexes, each no larger than
    // the canvas in its own pixel size.
    const bool restores = std::any_of(layout_.Frames.begin(), layout_.Frames.end(),
                                      [](const TFrame& frame) { return frame.Disposal == TDisposal::Restore; });
    const size_t pixels = size_t(canvas.Width()) * size_t(canvas.Height());
    const size_t held = canvas.ImageSize() + pixels * (restores ? 5 : 1);
    if (held > TBitmap::MaxImageBytes())
        throw EInvalidGraphic(FormatText("The picture is too large to be shown (%d x %d pixels)", canvas.Width(),
                                         canvas.Height()));
    reader_ = std::make_unique<TFrameReader>(file_.data(), file_.size());
}

TGIFAnimation::~TGIFAnimation() = default;

TRect TGIFAnimation::ClipOf(int index) const
{
    return gif::ClipOf(Frame(index), canvas_.Width(), canvas_.Height());
}

int TGIFAnimation::FrameDelay() const
{
    return ShownFrameDelay(Frame(frame_).DelayMs);
}

bool TGIFAnimation::DrawFirstFrame(const std::function<void(int linesRead, int row)>& onLine)
{
    frame_ = 0;
    reader_->NextFrame();
    if (Frame(0).Disposal == TDisposal::Restore)
        SaveArea(canvas_, ClipOf(0), saved_);
    return DrawFrameLines(*reader_, Frame(0), canvas_, onLine);
}

void TGIFAnimation::DisposeOf(int index)
{
    const TRect clip = ClipOf(index);
    if (Frame(index).Disposal == TDisposal::Clear)
        ClearArea(canvas_, clip);
    else if (Frame(index).Disposal == TDisposal::Restore)
        RestoreArea(canvas_, clip, saved_);
}

// The frame is read whole before the canvas is touched, so a frame that
// cannot be decoded leaves the one before in place.
void TGIFAnimation::NextFrame()
{
    const int next = (frame_ + 1) % FrameCount();
    if (next == 0)
        reader_ = std::make_unique<TFrameReader>(file_.data(), file_.size());
    reader_->NextFrame();
    const TRect clip = ClipOf(next);
    ReadClippedIndexes(*reader_, Frame(next), clip, indexes_);
    const TColours& colours = reader_->Colours();

    if (next == 0)
        std::memset(canvas_.Bits(), 0, canvas_.ImageSize()); // the screen starts see-through
    else
        DisposeOf(frame_);
    if (Frame(next).Disposal == TDisposal::Restore)
        SaveArea(canvas_, clip, saved_);
    ComposeClipped(indexes_, clip, colours, Frame(next).Transparent, canvas_);
    frame_ = next;
}

} // namespace orvane::imaging
