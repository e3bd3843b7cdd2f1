#include "imaging/registry/FileFormatList.h"

#include "imaging/core/PictureLoader.h"

#include <algorithm>

namespace orvane::imaging {

TFileFormatList::~TFileFormatList()
{
    Clear();
}

TClassEntry* TFileFormatList::LinkClass(const TGraphicClass& graphicClass, const std::string& commonDescription)
{
    const int index = IndexOfClass(graphicClass);
    TClassEntry* entry = nullptr;
    if (index < 0) {
        classes_.push_back(std::make_unique<TClassEntry>());
        entry = classes_.back().get();
        entry->GraphicClass = &graphicClass;
    } else {
        entry = classes_[static_cast<size_t>(index)].get();
    }
    // A later non-empty common description overwrites an earlier one.
    if (!commonDescription.empty())
        entry->Description = commonDescription;
    ++entry->Count;
    return entry;
}

void TFileFormatList::ReleaseClassEntry(TClassEntry* entry)
{
    if (--entry->Count > 0)
        return;
    std::erase_if(classes_, [entry](const std::unique_ptr<TClassEntry>& e) { return e.get() == entry; });
}

void TFileFormatList::AddFormat(const std::string& extension, const std::string& commonDescription,
                                const std::string& individualDescription, uint8_t kinds, bool replace,
                                const TGraphicClass& graphicClass)
{
    if (extension.empty())
        return;
    TExtensionEntry* entry = nullptr;
    const int index = IndexOfExtension(extension);
    if (index < 0) {
        auto created = std::make_unique<TExtensionEntry>();
        created->Extension = extension;
        created->Description = individualDescription;
        created->Kinds = kinds;
        created->ClassEntry = LinkClass(graphicClass, commonDescription);
        extensions_.push_back(std::move(created));
        entry = extensions_.back().get();
    } else {
        if (!replace)
            throw EInvalidGraphic(FormatText("Attempt to register %s twice.", extension.c_str()));
        entry = extensions_[static_cast<size_t>(index)].get();
        if (entry->ClassEntry->GraphicClass != &graphicClass) {
            TClassEntry* old = entry->ClassEntry;
            entry->ClassEntry = LinkClass(graphicClass, commonDescription);
            ReleaseClassEntry(old);
        }
    }
    const std::string& description =
        entry->Description.empty() ? entry->ClassEntry->Description : entry->Description;
    TPictureLoader::Instance().RegisterFileFormat(extension, description, graphicClass);
}

void TFileFormatList::RemoveFormat(const std::string& extension, const TGraphicClass& graphicClass)
{
    if (!extension.empty()) {
        const int index = IndexOfExtension(extension);
        if (index < 0)
            return;
        TClassEntry* classEntry = extensions_[static_cast<size_t>(index)]->ClassEntry;
        if (--classEntry->Count == 0) {
            TPictureLoader::Instance().UnregisterGraphicClass(*classEntry->GraphicClass);
            std::erase_if(classes_,
                          [classEntry](const std::unique_ptr<TClassEntry>& e) { return e.get() == classEntry; });
        }
        extensions_.erase(extensions_.begin() + index);
        return;
    }
    // A class that was never registered has nothing to remove.
    const int classIndex = IndexOfClass(graphicClass);
    if (classIndex < 0)
        return;
    TClassEntry* classEntry = classes_[static_cast<size_t>(classIndex)].get();
    for (size_t i = extensions_.size(); i-- > 0 && classEntry->Count > 0;) {
        if (extensions_[i]->ClassEntry == classEntry) {
            --classEntry->Count;
            extensions_.erase(extensions_.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    classes_.erase(classes_.begin() + classIndex);
    TPictureLoader::Instance().UnregisterGraphicClass(graphicClass);
}

int TFileFormatList::IndexOfExtension(const std::string& extension) const
{
    if (extension.empty())
        return -1;
    for (size_t i = 0; i < extensions_.size(); ++i)
        if (SameTextAscii(extensions_[i]->Extension, extension))
            return static_cast<int>(i);
    return -1;
}

int TFileFormatList::IndexOfClass(const TGraphicClass& graphicClass) const
{
    for (size_t i = 0; i < classes_.size(); ++i)
        if (classes_[i]->GraphicClass == &graphicClass)
            return static_cast<int>(i);
    return -1;
}

void TFileFormatList::Clear()
{
    for (const auto& entry : classes_)
        TPictureLoader::Instance().UnregisterGraphicClass(*entry->GraphicClass);
    extensions_.clear();
    classes_.clear();
}

} // namespace orvane::imaging
