#include "imaging/core/PictureLoader.h"


#include <algorithm>

namespace orvane::imaging {

TPictureLoader& TPictureLoader::Instance()
{
    static TPictureLoader loader;
    return loader;
}

std::string AsciiLower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool SameTextAscii(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && AsciiLower(a) == AsciiLower(b);
}

std::string ExtractExtension(const std::string& fileName)
{
    const size_t slash = fileName.find_last_of('/');
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return fileName.substr(dot + 1);
}

void TPictureLoader::RegisterFileFormat(const std::string& extension, const std::string& description,
                                        const TGraphicClass& graphicClass)
{
    for (auto& format : formats_) {
        if (SameTextAscii(format.Extension, extension)) {
            format.Description = description;
            format.GraphicClass = &graphicClass;
            return;
        }
    }
    formats_.push_back({extension, description, &graphicClass});
}

void TPictureLoader::UnregisterGraphicClass(const TGraphicClass& graphicClass)
{
    std::erase_if(formats_, [&](const TPictureFormat& f) { return f.GraphicClass == &graphicClass; });
}

void TPictureLoader::Clear()
{
    formats_.clear();
}

const TGraphicClass* TPictureLoader::FindClass(const std::string& extension) const
{
    for (const auto& format : formats_)
        if (SameTextAscii(format.Extension, extension))
            return format.GraphicClass;
    return nullptr;
}

std::unique_ptr<TBitmap> TPictureLoader::CreateFor(const std::string& fileName) const
{
    const std::string extension = ExtractExtension(fileName);
    const TGraphicClass* graphicClass = extension.empty() ? nullptr : FindClass(extension);
    if (!graphicClass)
        throw EInvalidGraphic(FormatText("Unknown picture file extension (.%s)", extension.c_str()));
    return graphicClass->Create();
}

std::unique_ptr<TBitmap> TPictureLoader::LoadFromFile(const std::string& fileName,
                                                      const TProgressEvent& onProgress) const
{
    std::unique_ptr<TBitmap> picture = CreateFor(fileName);
    picture->OnProgress = onProgress;
    picture->LoadFromFile(fileName);
    return picture;
}

} // namespace orvane::imaging
