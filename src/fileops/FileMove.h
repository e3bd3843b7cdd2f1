#pragma once
// Moving one file without ever replacing or losing a file.
//
// Within a file system the file is renamed with a no-replace rename; where the
// file system does not offer one, it is linked to its new name and then
// unlinked from the old; where it has no links either, the new name is first
// claimed by creating it exclusively and the file renamed onto that claim.
//
// Across file systems the file is copied to a temporary name in the target
// folder (created exclusively), with its modification time, permissions and
// extended attributes where the target keeps them; the copy and its folder
// are flushed to disk, the copy gets its name without replacing anything, and
// only then is the original removed. Any failure removes the copy and leaves
// the original. A symbolic link is moved as the link itself.
#include <QString>

#include <functional>

namespace orvane::fileops {

// Percent copied so far (0 to 100), reported between the chunks of a copy
// across file systems that takes more than one chunk. The caller may let
// pending window messages be handled from it.
using MoveProgress = std::function<void(int percent)>;

// True on success; on failure the file stays where it was and nothing was
// replaced.
bool MoveFileNoReplace(const QString& from, const QString& to, const MoveProgress& progress = {});

// The ways a move within one file system goes, in the order they are tried
// (each falls back to the next where the file system lacks it). Starting
// from a later one checks it on a file system that has them all.
enum class MoveWithinStrategy { NoReplaceRename, LinkThenUnlink, ClaimThenRename };
bool MoveWithinFileSystem(const QString& from, const QString& to, MoveWithinStrategy first);

// The size of one chunk of a copy across file systems.
constexpr size_t kMoveChunkBytes = size_t{1} << 20;

} // namespace orvane::fileops
