#pragma once
// File routines: the recycle bin, deleting files and folder trees,
// emptiness, the uninstall's checks on the paths it removes, the per-user
// special folders.
#include <QString>

#include <stdexcept>
#include <string>

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

// Deletes one file; true when it is gone, also when it was not there. A
// read-only file (no write permission for its owner) is not deleted, as the
// user marked it to be kept; a link goes, never what it points to.
bool DeleteFile(const std::string& path);

// Paths as the system names them (bytes, whatever their encoding): whether
// anything is there (a link counts, wherever it points), and whether it is
// a link.
bool Exists(const std::string& path);
bool IsLink(const std::string& path);

// True for an entry of the program folder (ending in "/" for a folder)
// that must not be acted on: absolute, climbing out with "..", or reaching
// its target through a link (any folder on the way, and a folder entry
// itself), so it would name something outside the folder. folder ends in
// "/".
bool IsHostile(const std::string& folder, const std::string& entry);
// The path of a per-user special folder ("Desktop", "Programs"); empty when
// unknown.
QString GetShellFolder(const QString& name);
// Yes/No question; true for Yes.
bool AskYesNo(const QString& text);

} // namespace orvane::fileops
