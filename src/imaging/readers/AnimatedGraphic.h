#pragma once
// The base of readers whose files may hold several frames shown in turn
// (WebP, GIF): the picture keeps the animation of the file it last loaded,
// and a load drops the one before first.
#include "imaging/core/Animation.h"
#include "imaging/readers/ReaderGraphic.h"

#include <memory>

namespace orvane::imaging {

class TAnimatedGraphic : public TReaderGraphic {
public:
    // nullptr for a still picture.
    TAnimation* Animation() override { return animation_.get(); }

protected:
    // Loading steps 1 and 2 (see BeginLoading) without the animation before.
    void BeginAnimatedLoading(TStream& stream)
    {
        animation_.reset();
        BeginLoading(stream);
    }
    void SetAnimation(std::unique_ptr<TAnimation> animation) { animation_ = std::move(animation); }

private:
    std::unique_ptr<TAnimation> animation_;
};

} // namespace orvane::imaging
