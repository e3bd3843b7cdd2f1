#pragma once
// File routines: the recycle bin, deleting a folder tree, emptiness, the
// per-user special folders.
#include <QString>

#include <stdexcept>

namespace orvane::fileops {

// An input/output failure the caller may catch.
class EInOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Sends one file or folder to the trash without asking; true on success.
bool SendToRecycleBin(const QString& path);
// Deletes every file and folder below the folder, asking Retry or Ignore for
// each file that cannot be deleted, then removes the folder itself; raises
// EInOutError when that last step fails.
void DeleteTree(const QString& folder);
// True when the folder holds nothing, and also when it cannot be listed.
bool IsFolderEmpty(const QString& folder);
// The path of a per-user special folder ("Desktop", "Programs"); empty when
// unknown.
QString GetShellFolder(const QString& name);
// Yes/No question; true for Yes.
bool AskYesNo(const QString& text);

} // namespace orvane::fileops
