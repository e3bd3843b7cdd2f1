#include "imaging/registry/PlatformPictureClasses.h"

#include "imaging/core/PictureLoader.h"
#include "imaging/readers/IconImage.h"
#include "imaging/readers/JPEGImage.h"
#include "imaging/readers/WindowsBitmap.h"

namespace orvane::imaging {

void RegisterPlatformPictureClasses()
{
    auto& loader = TPictureLoader::Instance();
    loader.RegisterFileFormat("bmp", "Bitmaps", TWindowsBitmap::ClassInfo());
    loader.RegisterFileFormat("ico", "Icons", TIcon::ClassInfo());
    loader.RegisterFileFormat("jpg", "JPEG Image File", TJPEGImage::ClassInfo());
    loader.RegisterFileFormat("jpeg", "JPEG Image File", TJPEGImage::ClassInfo());
}

} // namespace orvane::imaging
