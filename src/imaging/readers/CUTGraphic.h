#pragma once
// Dr. Halo CUT images: 8-bit indexed, run-length rows. The colours come from
// the ".pal" file of the same name beside the picture; without one the
// picture is shown in 256 levels of gray.
#include "imaging/readers/ReaderGraphic.h"

#include <string>

namespace orvane::imaging {

class TCUTGraphic : public TReaderGraphic {
public:
    static const TGraphicClass& ClassInfo();
    const TGraphicClass& GraphicClass() const override { return ClassInfo(); }

    // The format has no signature: nothing is recognised by its content.
    static bool AcceptsStream(TStream& stream);
    bool ReadHeader(TStream& stream, int imageIndex) override;
    void LoadFromStream(TStream& stream) override;
    // Takes the palette file name from the picture's name, then loads.
    void LoadFromFile(const std::string& fileName) override;

    const std::string& PaletteFileName() const { return paletteFile_; }
    void SetPaletteFileName(const std::string& fileName) { paletteFile_ = fileName; }

private:
    std::vector<TRGBQuad> LoadPalette() const;

    std::string paletteFile_;
};

} // namespace orvane::imaging
