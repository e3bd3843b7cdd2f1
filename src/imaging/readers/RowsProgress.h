#pragma once
// Progress of a reader whose library hands over rows from the top down: the
// rows done so far are reported about every sixteenth of the picture, often
// enough for the viewer to draw the picture as it comes and seldom enough
// not to slow the decoder.
#include "imaging/core/Bitmap.h"

namespace orvane::imaging {

class TRowsProgress {
public:
    explicit TRowsProgress(TBitmap& bitmap)
        : bitmap_(bitmap), height_(bitmap.Height()), every_(bitmap.Height() / 16 > 0 ? bitmap.Height() / 16 : 1)
    {
    }

    // Rows [0, done) are in the bitmap.
    void RowsDone(int done)
    {
        if (done < reported_ + every_ && !(done == height_ && reported_ < height_))
            return;
        reported_ = done;
        bitmap_.Progress(TProgressStage::psRunning, static_cast<uint8_t>(int64_t(done) * 100 / height_), true,
                         TRect{0, 0, bitmap_.Width(), done}, "");
    }

private:
    TBitmap& bitmap_;
    int height_;
    int every_;
    int reported_ = 0;
};

} // namespace orvane::imaging
