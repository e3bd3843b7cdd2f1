#pragma once
// The registry of picture file formats: every extension with its
// description, its kinds and its reader class. Each registration is passed on
// to the picture loader, which is what actually maps extensions to classes.
#include "imaging/core/Bitmap.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvane::imaging {

// Kinds of a format (bits of one byte). Stored with each extension only.
enum TFormatKind : uint8_t {
    fkLayered = 2,    // the file holds layers
    fkMultiImage = 4, // several images in one file
    fkRaster = 8,
    fkVector = 16,
};

struct TClassEntry {
    const TGraphicClass* GraphicClass = nullptr;
    std::string Description; // common to all extensions of the class; may be empty
    int32_t Count = 0;       // extension entries referring to this entry
};

struct TExtensionEntry {
    std::string Extension; // without the dot
    std::string Description;
    uint8_t Kinds = 0;
    TClassEntry* ClassEntry = nullptr; // owned by the class list
};

class TFileFormatList {
public:
    TFileFormatList() = default;
    ~TFileFormatList();
    TFileFormatList(const TFileFormatList&) = delete;
    TFileFormatList& operator=(const TFileFormatList&) = delete;

    // Registers an extension for a class (see FileFormatList.cpp). An
    // extension already present raises "Attempt to register %s twice."
    // unless replace is set.
    void AddFormat(const std::string& extension, const std::string& commonDescription,
                   const std::string& individualDescription, uint8_t kinds, bool replace,
                   const TGraphicClass& graphicClass);
    // Removes one extension, or with an empty extension every extension of
    // the class.
    void RemoveFormat(const std::string& extension, const TGraphicClass& graphicClass);
    int IndexOfExtension(const std::string& extension) const;
    int IndexOfClass(const TGraphicClass& graphicClass) const;
    // Unregisters every class from the picture loader and empties both lists.
    void Clear();

    int ExtensionCount() const { return static_cast<int>(extensions_.size()); }
    int ClassCount() const { return static_cast<int>(classes_.size()); }
    const TExtensionEntry& Extension(int index) const { return *extensions_.at(static_cast<size_t>(index)); }
    const TClassEntry& Class(int index) const { return *classes_.at(static_cast<size_t>(index)); }

private:
    TClassEntry* LinkClass(const TGraphicClass& graphicClass, const std::string& commonDescription);
    void ReleaseClassEntry(TClassEntry* entry); // count down; leaves the list at 0

    std::vector<std::unique_ptr<TClassEntry>> classes_;
    std::vector<std::unique_ptr<TExtensionEntry>> extensions_;
};

} // namespace orvane::imaging
