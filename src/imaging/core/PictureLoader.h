#pragma once
// The picture loader: the table from file extension to picture class. Loading
// a file takes the extension of its name, creates an object of the class
// registered for it, attaches the progress callback and lets it read the file.
#include "imaging/core/Bitmap.h"

#include <memory>
#include <string>
#include <vector>

namespace orvane::imaging {

struct TPictureFormat {
    std::string Extension; // without the dot, as registered
    std::string Description;
    const TGraphicClass* GraphicClass = nullptr;
};

class TPictureLoader {
public:
    // The one loader of the process.
    static TPictureLoader& Instance();

    // Registers (or re-registers) an extension; a later registration of the
    // same extension replaces the earlier one.
    void RegisterFileFormat(const std::string& extension, const std::string& description,
                            const TGraphicClass& graphicClass);
    // Removes every extension of the class.
    void UnregisterGraphicClass(const TGraphicClass& graphicClass);
    void Clear();

    const TGraphicClass* FindClass(const std::string& extension) const;
    const std::vector<TPictureFormat>& Formats() const { return formats_; }

    // Loads a file through the class of its extension. An extension no class
    // serves raises EInvalidGraphic("Unknown picture file extension (.%s)").
    std::unique_ptr<TBitmap> LoadFromFile(const std::string& fileName, const TProgressEvent& onProgress = {}) const;
    // Creates the picture object for a file without reading it, so a caller
    // can hold it while it loads (incremental display).
    std::unique_ptr<TBitmap> CreateFor(const std::string& fileName) const;

private:
    std::vector<TPictureFormat> formats_;
};

// The extension of a file name: the characters after the last "." of the
// name (not of the folders), without the dot; empty when the name has none.
std::string ExtractExtension(const std::string& fileName);
std::string AsciiLower(std::string text);
bool SameTextAscii(const std::string& a, const std::string& b);

} // namespace orvane::imaging
