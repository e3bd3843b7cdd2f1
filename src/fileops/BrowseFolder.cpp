#include "fileops/BrowseFolder.h"

#include "platform/Services.h"

namespace orvane::fileops {

bool BrowseForFolder(const QString& title, const QString& initialFolder, const QString& rootText, bool statusText,
                     QString& chosenPath)
{
    (void)rootText;
    (void)statusText;
    chosenPath.clear();
    QString initial = initialFolder;
    // One trailing separator is removed before the folder is selected; the
    // file system root itself stays "/".
    if (!initial.isEmpty() && (initial.endsWith(QLatin1Char('/')) || initial.endsWith(QLatin1Char('\\'))) &&
        initial.size() > 1)
        initial.chop(1);
    auto& dialogs = platform::Services::Current().dialogs;
    if (!dialogs)
        return false;
    const std::optional<QString> chosen = dialogs->BrowseForFolder(title, initial);
    if (!chosen || chosen->isEmpty())
        return false;
    chosenPath = *chosen;
    return true;
}

} // namespace orvane::fileops
