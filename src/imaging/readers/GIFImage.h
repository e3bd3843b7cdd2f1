#pragma once
// GIF pictures (87a and 89a) through giflib, a frame at a time. A still
// picture that covers its screen without a transparent colour is 8 bits with
// its colour table; one with see-through parts is 32-bit BGRA with alpha 0
// there. A file of several frames shows its first and hands out an animation
// that composes the following ones into the same bitmap. A file cut short
// shows the rows its data holds, and an animation ends at its last whole
// frame.
#include "imaging/readers/AnimatedGraphic.h"

#include <vector>

namespace orvane::imaging {

namespace gif {
struct TLayout;
struct TFrame;
} // namespace gif

class TGIFImage : public TAnimatedGraphic {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    // "GIF87a" or "GIF89a".
    static bool AcceptsStream(TStream& stream);
    bool ReadHeader(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;

private:
    void DecodeIndexed(const uint8_t* data, size_t size, const gif::TFrame& frame, TLoadingProgress& progress);
    void DecodeAnimation(std::vector<uint8_t> file, gif::TLayout layout, TLoadingProgress& progress);
};

} // namespace orvane::imaging
