#pragma once
// The frames of an animated GIF file, composed one after another into the
// bitmap that shows them: each frame's area is disposed of as the file says
// before the next is drawn (kept, cleared to see-through, or given back what
// was there before it). Besides the bitmap only the area a frame is to give
// back and the indexes of the frame being read are held; the frames are
// decoded from the file's bytes, kept here, as they are shown.
#include "imaging/core/Animation.h"
#include "imaging/readers/GIFFile.h"

#include <functional>
#include <memory>
#include <vector>

namespace orvane::imaging {

class TGIFAnimation final : public TAnimation {
public:
    // The canvas must have the screen's size in 32 bits. Raises
    // EInvalidGraphic when what the animation holds besides the canvas
    // would pass the bitmap memory limit.
    TGIFAnimation(std::vector<uint8_t> file, gif::TLayout layout, TBitmap& canvas);
    ~TGIFAnimation() override;

    // Draws the first frame onto the fresh canvas line by line (onLine as
    // for gif::DrawFrameLines). False when its data ends early: the lines
    // before stay, and the picture then is no animation.
    bool DrawFirstFrame(const std::function<void(int linesRead, int row)>& onLine);

    // Why the frame being read could not be (after DrawFirstFrame failed).
    std::string ErrorText() const { return reader_->ErrorText(); }

    int FrameCount() const override { return layout_.WholeFrames(); }
    int LoopCount() const override { return layout_.LoopCount; }
    int FrameIndex() const override { return frame_; }
    int FrameDelay() const override;
    void NextFrame() override;

private:
    const gif::TFrame& Frame(int index) const { return layout_.Frames[size_t(index)]; }
    TRect ClipOf(int index) const;
    void DisposeOf(int index);

    std::vector<uint8_t> file_;
    gif::TLayout layout_;
    TBitmap& canvas_;
    std::unique_ptr<gif::TFrameReader> reader_;
    std::vector<uint32_t> saved_;   // what the current frame gives back
    std::vector<uint8_t> indexes_; // of the frame being read
    int frame_ = 0;
};

} // namespace orvane::imaging
