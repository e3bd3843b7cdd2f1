#pragma once
// The frames of an animated WebP file, composed one after another into the
// bitmap that shows them. libwebp's animation decoder does the blending and
// disposal on its own canvas; each frame is copied from there into the
// bitmap. The file's bytes stay here while the animation plays.
#include "imaging/core/Animation.h"
#include "imaging/core/Bitmap.h"

#include <cstdint>
#include <memory>
#include <vector>

struct WebPAnimDecoder;
struct WebPDemuxer;

namespace orvane::imaging {

class TWebPAnimation final : public TAnimation {
public:
    // The canvas must already have the file's canvas size in 32 bits. The
    // decoder holds two canvases of its own (the one it composes on and the
    // one before the last disposal), which together with the bitmap must fit
    // in what a bitmap may take; checked before the decoder allocates.
    // Raises EInvalidGraphic when the file's frames cannot be read.
    TWebPAnimation(std::vector<uint8_t> file, TBitmap& canvas);
    ~TWebPAnimation() override;

    int FrameCount() const override { return static_cast<int>(durations_.size()); }
    int LoopCount() const override { return loopCount_; }
    int FrameIndex() const override { return frame_; }
    int FrameDelay() const override;
    void NextFrame() override;

    // The decoder's view of the file's chunks (for the metadata).
    const WebPDemuxer* Demuxer() const;

private:
    struct DecoderDeleter {
        void operator()(WebPAnimDecoder* decoder) const;
    };

    std::vector<uint8_t> file_;
    TBitmap& canvas_;
    std::unique_ptr<WebPAnimDecoder, DecoderDeleter> decoder_;
    std::vector<int> durations_;
    int loopCount_ = 0;
    int frame_ = -1;
};

} // namespace orvane::imaging
