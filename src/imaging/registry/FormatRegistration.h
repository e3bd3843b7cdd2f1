#pragma once
// Start-up and shut-down of the image formats: registers every extension the
// program reads with the picture loader (through the format registry) before
// any window exists, and removes them at the end.
#include "imaging/registry/FileFormatList.h"

namespace orvane::imaging {

// Creates the registry and registers the formats in their fixed order. Does
// nothing when the formats are registered already.
void InitializeImageFormats();
// Removes the readers class by class and frees the registry.
void FinalizeImageFormats();

// The registry between the two steps, else nullptr.
TFileFormatList* FileFormatList();

// The metafile class (wmf, emf) is drawn with the GUI toolkit and so lives
// outside the image readers: the program hands it in before
// InitializeImageFormats. Without it those two extensions are not registered.
void SetMetafileClass(const TGraphicClass* metafileClass);

} // namespace orvane::imaging
