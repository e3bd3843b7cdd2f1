#include "imaging/readers/WebPAnimation.h"

#include <webp/demux.h>

#include <cstring>

namespace orvane::imaging {

void TWebPAnimation::DecoderDeleter::operator()(WebPAnimDecoder* decoder) const
{
    WebPAnimDecoderDelete(decoder);
}

TWebPAnimation::TWebPAnimation(std::vector<uint8_t> file, TBitmap& canvas) : file_(std::move(file)), canvas_(canvas)
{
    if (CheckedMul(canvas.ImageSize(), 3, "The picture is too large to be shown") > TBitmap::MaxImageBytes())
        throw EInvalidGraphic(FormatText("The picture is too large to be shown (%d x %d pixels)", canvas.Width(),
                                         canvas.Height()));
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        throw EInvalidGraphic("WebP error: The library does not match the program");
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData data{file_.data(), file_.size()};
    decoder_.reset(WebPAnimDecoderNew(&data, &options));
    WebPAnimInfo info;
    if (!decoder_ || !WebPAnimDecoderGetInfo(decoder_.get(), &info))
        throw EInvalidGraphic("WebP error: The animation is damaged or cut short");
    if (int(info.canvas_width) != canvas.Width() || int(info.canvas_height) != canvas.Height() ||
        canvas.PixelFormat() != TPixelFormat::pf32bit)
        throw EInvalidGraphic("WebP error: The animation's canvas does not match its header");
    loopCount_ = static_cast<int>(info.loop_count);
    const WebPDemuxer* demuxer = WebPAnimDecoderGetDemuxer(decoder_.get());
    WebPIterator frame;
    if (WebPDemuxGetFrame(demuxer, 1, &frame)) {
        do
            durations_.push_back(frame.duration);
        while (WebPDemuxNextFrame(&frame));
        WebPDemuxReleaseIterator(&frame);
    }
    if (durations_.empty())
        throw EInvalidGraphic("WebP error: The animation has no frames");
}

TWebPAnimation::~TWebPAnimation() = default;

const WebPDemuxer* TWebPAnimation::Demuxer() const
{
    return WebPAnimDecoderGetDemuxer(decoder_.get());
}

int TWebPAnimation::FrameDelay() const
{
    return ShownFrameDelay(frame_ >= 0 ? durations_[size_t(frame_)] : 0);
}

void TWebPAnimation::NextFrame()
{
    if (!WebPAnimDecoderHasMoreFrames(decoder_.get()))
        WebPAnimDecoderReset(decoder_.get());
    uint8_t* composed = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder_.get(), &composed, &timestamp))
        throw EInvalidGraphic(FormatText("WebP error: Frame %d cannot be decoded",
                                         (frame_ + 1) % FrameCount() + 1));
    // The decoder's canvas has the bitmap's rows: 4 bytes a pixel, unpadded.
    std::memcpy(canvas_.Bits(), composed, canvas_.ImageSize());
    frame_ = (frame_ + 1) % FrameCount();
}

} // namespace orvane::imaging
