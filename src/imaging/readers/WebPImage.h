#pragma once
// WebP pictures through libwebp: lossy or lossless, with or without alpha
// (32-bit BGRA, alpha not premultiplied; 24-bit BGR without), still or
// animated. A still picture is decoded straight into the bitmap's rows; an
// animated one shows its first frame composed on the canvas and hands out
// an animation that composes the following frames into the same bitmap.
// The EXIF chunk gives the orientation, the ICCP chunk the colour profile.
#include "imaging/readers/AnimatedGraphic.h"

namespace orvane::imaging {

class TWebPImage : public TAnimatedGraphic {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    // "RIFF" ... "WEBP".
    static bool AcceptsStream(TStream& stream);
    bool ReadHeader(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;

private:
    void DecodeStill(const uint8_t* data, size_t size, TLoadingProgress& progress);
    void DecodeAnimation(const uint8_t* data, size_t size, TLoadingProgress& progress);
    void ReportRows(TLoadingProgress& progress, int from, int to);
};

} // namespace orvane::imaging
