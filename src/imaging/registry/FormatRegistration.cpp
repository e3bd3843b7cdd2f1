#include "imaging/registry/FormatRegistration.h"

#include "imaging/core/PictureLoader.h"
#include "imaging/readers/AutodeskGraphic.h"
#include "imaging/readers/CUTGraphic.h"
#include "imaging/readers/GIFImage.h"
#include "imaging/readers/EPSGraphic.h"
#include "imaging/readers/HEIFImage.h"
#include "imaging/readers/IconImage.h"
#include "imaging/readers/JPEGImage.h"
#include "imaging/readers/JXLImage.h"
#include "imaging/readers/PCDGraphic.h"
#include "imaging/readers/PCXGraphic.h"
#include "imaging/readers/PNGGraphic.h"
#include "imaging/readers/PPMGraphic.h"
#include "imaging/readers/PSDGraphic.h"
#include "imaging/readers/PSPGraphic.h"
#include "imaging/readers/RLAGraphic.h"
#include "imaging/readers/SGIGraphic.h"
#include "imaging/readers/TIFFGraphic.h"
#include "imaging/readers/TargaGraphic.h"
#include "imaging/readers/WebPImage.h"
#include "imaging/readers/WindowsBitmap.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace orvane::imaging {

namespace {

// Shut-down removes the readers in this order; rows marked rsAtClear stay
// until the registry's Clear.
enum TRemovalStep : uint8_t {
    rsAtClear,
    rsPSP,
    rsPSD,
    rsTarga,
    rsTIFF,
    rsSGI,
    rsPCX,
    rsAutodesk,
    rsPCD,
    rsPPM,
    rsCUT,
    rsRLA,
    rsBitmapExtension, // only this extension of the bitmap class
    rsPNG,
    rsHEIF,
    rsJXL,
};

const TGraphicClass* metafileClass = nullptr;
const TGraphicClass& MetafileClass() { return *metafileClass; }

struct TFormatRow {
    const char* Extension;
    const TGraphicClass& (*GraphicClass)();
    const char* CommonDescription;
    const char* IndividualDescription;
    uint8_t Kinds;
    TRemovalStep Removal;
};

// The registration table, in registration order. A reader adds its rows
// here, one line per extension.
const TFormatRow formatRows[] = {
    {"bmp", &TWindowsBitmap::ClassInfo, "Windows bitmaps", "", fkRaster, rsAtClear},
    {"ico", &TIcon::ClassInfo, "Windows icons", "", fkRaster, rsAtClear},
    // wmf, emf: the metafile class comes from the GUI (SetMetafileClass).
    {"wmf", &MetafileClass, "Windows metafiles", "", fkVector, rsAtClear},
    {"emf", &MetafileClass, "Windows metafiles", "Windows enhanced meta files", fkVector, rsAtClear},
    {"jfif", &TJPEGImage::ClassInfo, "JPG images", "JFIF images", fkRaster, rsAtClear},
    {"jpg", &TJPEGImage::ClassInfo, "", "JPG images", fkRaster, rsAtClear},
    {"jpe", &TJPEGImage::ClassInfo, "", "JPE images", fkRaster, rsAtClear},
    {"jpeg", &TJPEGImage::ClassInfo, "", "JPEG images", fkRaster, rsAtClear},
    {"rle", &TWindowsBitmap::ClassInfo, "Windows bitmaps", "Run length encoded Windows bitmaps", fkRaster, rsBitmapExtension},
    {"dib", &TWindowsBitmap::ClassInfo, "", "Device independant Windows bitmaps", fkRaster, rsBitmapExtension},
    {"win", &TTargaGraphic::ClassInfo, "Truevision images", "", fkRaster, rsTarga},
    {"vst", &TTargaGraphic::ClassInfo, "", "", fkRaster, rsTarga},
    {"vda", &TTargaGraphic::ClassInfo, "", "", fkRaster, rsTarga},
    {"tga", &TTargaGraphic::ClassInfo, "", "", fkRaster, rsTarga},
    {"icb", &TTargaGraphic::ClassInfo, "", "", fkRaster, rsTarga},
    {"tiff", &TTIFFGraphic::ClassInfo, "Tagged image file format images", "Macintosh TIFF images", fkRaster | fkMultiImage, rsTIFF},
    {"tif", &TTIFFGraphic::ClassInfo, "", "PC TIF images", fkRaster | fkMultiImage, rsTIFF},
    {"fax", &TTIFFGraphic::ClassInfo, "", "GFI fax images", fkRaster | fkMultiImage, rsTIFF},
    {"eps", &TEPSGraphic::ClassInfo, "Encapsulated Postscript images", "", fkRaster, rsAtClear},
    {"pcx", &TPCXGraphic::ClassInfo, "ZSoft Paintbrush images", "", fkRaster, rsPCX},
    {"pcc", &TPCXGraphic::ClassInfo, "", "", fkRaster, rsPCX},
    {"scr", &TPCXGraphic::ClassInfo, "", "Word 5.x screen capture images", fkRaster, rsPCX},
    {"rpf", &TRLAGraphic::ClassInfo, "Alias/Wavefront images", "", fkRaster, rsRLA},
    {"rla", &TRLAGraphic::ClassInfo, "", "", fkRaster, rsRLA},
    {"sgi", &TSGIGraphic::ClassInfo, "SGI images", "SGI true color images", fkRaster, rsSGI},
    {"rgba", &TSGIGraphic::ClassInfo, "", "SGI true color images with alpha", fkRaster, rsSGI},
    {"rgb", &TSGIGraphic::ClassInfo, "", "SGI true color images", fkRaster, rsSGI},
    {"bw", &TSGIGraphic::ClassInfo, "", "SGI black/white images", fkRaster, rsSGI},
    {"psd", &TPSDGraphic::ClassInfo, "Photoshop images", "", fkRaster | fkLayered, rsPSD},
    {"pdd", &TPSDGraphic::ClassInfo, "", "", fkRaster | fkLayered, rsPSD},
    {"ppm", &TPPMGraphic::ClassInfo, "Portable map images", "Portable pixel map images", fkRaster, rsPPM},
    {"pgm", &TPPMGraphic::ClassInfo, "", "Portable gray map images", fkRaster, rsPPM},
    {"pbm", &TPPMGraphic::ClassInfo, "", "Portable bitmap images", fkRaster, rsPPM},
    {"cel", &TAutodeskGraphic::ClassInfo, "Autodesk images", "", fkRaster, rsAutodesk},
    {"pic", &TAutodeskGraphic::ClassInfo, "Autodesk images", "", fkRaster, rsAutodesk},
    {"pcd", &TPCDGraphic::ClassInfo, "Kodak Photo-CD images", "", fkRaster, rsPCD},
    {"cut", &TCUTGraphic::ClassInfo, "Dr. Halo images", "", fkRaster, rsCUT},
    {"psp", &TPSPGraphic::ClassInfo, "Paintshop Pro images", "", fkVector | fkRaster, rsPSP},
    {"png", &TPNGGraphic::ClassInfo, "Portable network graphic images", "", fkRaster, rsPNG},
    {"heic", &THEIFImage::ClassInfo, "HEIF images", "", fkRaster, rsHEIF},
    {"heif", &THEIFImage::ClassInfo, "", "", fkRaster, rsHEIF},
    {"hif", &THEIFImage::ClassInfo, "", "", fkRaster, rsHEIF},
    {"avif", &THEIFImage::ClassInfo, "AVIF images", "AVIF images", fkRaster, rsHEIF},
    {"jxl", &TJXLImage::ClassInfo, "JPEG XL images", "", fkRaster, rsJXL},
    {"webp", &TWebPImage::ClassInfo, "WebP images", "", fkRaster, rsAtClear},
    {"gif", &TGIFImage::ClassInfo, "CompuServe GIF images", "", fkRaster, rsAtClear},
};

std::unique_ptr<TFileFormatList>& Registry()
{
    // The loader must outlive a registry still standing at exit, so it is
    // created first (statics go in reverse order).
    TPictureLoader::Instance();
    static std::unique_ptr<TFileFormatList> registry;
    return registry;
}

} // namespace

void SetMetafileClass(const TGraphicClass* graphicClass)
{
    metafileClass = graphicClass;
}

TFileFormatList* FileFormatList()
{
    return Registry().get();
}

void InitializeImageFormats()
{
    if (Registry())
        return;
    auto registry = std::make_unique<TFileFormatList>();
    for (const TFormatRow& row : formatRows) {
        if (row.GraphicClass == &MetafileClass && !metafileClass)
            continue;
        registry->AddFormat(row.Extension, row.CommonDescription, row.IndividualDescription, row.Kinds, false,
                            row.GraphicClass());
    }
    Registry() = std::move(registry);
}

void FinalizeImageFormats()
{
    std::unique_ptr<TFileFormatList> registry = std::move(Registry());
    if (!registry)
        return;
    std::vector<const TFormatRow*> rows;
    for (const TFormatRow& row : formatRows)
        if (row.Removal != rsAtClear)
            rows.push_back(&row);
    std::stable_sort(rows.begin(), rows.end(),
                     [](const TFormatRow* a, const TFormatRow* b) { return a->Removal < b->Removal; });
    for (const TFormatRow* row : rows) {
        const TGraphicClass& graphicClass = row->GraphicClass();
        if (row->Removal == rsBitmapExtension)
            registry->RemoveFormat(row->Extension, graphicClass);
        else if (registry->IndexOfClass(graphicClass) >= 0)
            registry->RemoveFormat("", graphicClass);
    }
    registry.reset(); // Clear unregisters the classes still listed
}

} // namespace orvane::imaging
