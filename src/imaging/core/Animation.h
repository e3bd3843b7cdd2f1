#pragma once
// A picture of several frames shown one after another (animated GIF and
// WebP). The reader that loaded the picture keeps what it needs to decode
// the frames one at a time and composes each into its own bitmap, so no
// more than the frame shown and the canvas it is built on are ever held.
#include <cstdint>

namespace orvane::imaging {

class TAnimation {
public:
    virtual ~TAnimation() = default;

    virtual int FrameCount() const = 0;
    // How many times the whole sequence plays; 0 plays it for ever.
    virtual int LoopCount() const = 0;
    // The frame now in the bitmap, counted from 0.
    virtual int FrameIndex() const = 0;
    // How long the frame now in the bitmap stays, in milliseconds, as shown
    // (see ShownFrameDelay).
    virtual int FrameDelay() const = 0;
    // Composes the next frame into the bitmap (after the last, the first
    // again). A frame that cannot be decoded raises EInvalidGraphic and
    // leaves the frame before in place.
    virtual void NextFrame() = 0;
};

// Delays under 20 ms are shown as 100 ms, as browsers do: many files say 0
// or 10 ms and mean "the usual speed".
inline int ShownFrameDelay(int milliseconds) { return milliseconds < 20 ? 100 : milliseconds; }

} // namespace orvane::imaging
