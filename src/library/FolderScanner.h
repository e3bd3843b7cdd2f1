#pragma once
// The folder walk that turns the root folder into a media list.
#include "library/NameList.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace orvane::library {

// Appends to output the entries (paths relative to root, "/" between folder
// names) of every file below root/prefix whose extension is in extensions,
// depth first in the order the file system lists each folder. Names in
// badNames are skipped, files and folders alike, at every depth. pump runs
// once per folder before it is listed. Folders that cannot be listed add
// nothing. Links to folders are followed, but a folder already on the path
// being walked is not entered again, so link loops end.
void ScanDir(const QString& root, const QString& prefix, const NameList& extensions, const NameList& badNames,
             QStringList& output, const std::function<void()>& pump = {});

// The characters after the last "." of a file name; empty when there is none.
QString FileExtension(const QString& name);

} // namespace orvane::library
