// Windows bitmap reading (bmp, dib, rle): being written; see IconImage.cpp.
#include "imaging/core/Bitmap.h"

namespace orvane::imaging {

void TBitmap::LoadFromStream(TStream& stream)
{
    (void)stream;
    throw EInvalidGraphic("Windows bitmaps cannot be read yet");
}

} // namespace orvane::imaging
