#include "imaging/core/IconImage.h"

namespace orvane::imaging {

const TGraphicClass& TIcon::ClassInfo()
{
    static const TGraphicClass info{"TIcon", [] { return std::unique_ptr<TBitmap>(new TIcon); }, nullptr};
    return info;
}

void TIcon::LoadFromStream(TStream& stream)
{
    (void)stream;
    throw EInvalidGraphic("Windows icons cannot be read yet");
}

} // namespace orvane::imaging
