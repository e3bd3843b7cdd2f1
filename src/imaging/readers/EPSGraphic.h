#pragma once
// Encapsulated PostScript files with a binary header (eps): the viewer shows
// the TIFF preview such files carry; the PostScript itself is not drawn.
#include "imaging/readers/TIFFGraphic.h"

namespace orvane::imaging {

class TEPSGraphic : public TTIFFGraphic {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    // More than 30 bytes left, the magic C5 D0 D3 C6, a TIFF preview that
    // begins after the header and has a length. The position is kept.
    static bool AcceptsStream(TStream& stream);
    // The header of the TIFF preview is read by the TIFF reader.
    void LoadFromStream(TStream& stream) override;
};

} // namespace orvane::imaging
