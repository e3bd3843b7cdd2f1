#pragma once
#include <QString>

namespace orvane::fileops {

// The folder dialog. Returns true when the user confirmed a folder, whose
// path is then in chosenPath (empty otherwise). rootText and statusText are
// kept for callers that pass them; the desktop's folder dialog shows its own
// places and path line.
bool BrowseForFolder(const QString& title, const QString& initialFolder, const QString& rootText, bool statusText,
                     QString& chosenPath);

} // namespace orvane::fileops
