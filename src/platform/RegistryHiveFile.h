#pragma once
// Reading and replacing a hive file. A file is only ever replaced whole: the
// new text goes to a temporary file in the same folder, is flushed to disk
// and renamed over the old one, so readers never see a torn file and a crash
// leaves the old file as it was. Writers hold an advisory lock (flock on
// "<file>.lock" beside it) from re-reading the file to the rename, so two
// running copies never lose each other's changes.
#include "platform/RegistryHive.h"

#include <QString>

#include <memory>
#include <vector>

namespace orvane::platform::hive {

enum class LoadResult { Missing, Loaded, Damaged, Unreadable };

// Fills hive from the file. *reason says why a file is Damaged ("line 7: a
// string is not closed") or Unreadable.
LoadResult LoadHiveFile(const QString& path, Hive& hive, QString* reason);

// Under the lock: reads the newest copy of the file, applies the changes in
// order and replaces the file (creating its folder when missing). On success
// *merged holds what was written. A damaged file is never replaced.
bool CommitHiveFile(const QString& path, const QString& rootName, const std::vector<Change>& changes,
                    std::unique_ptr<Hive>* merged, QString* error);

// When the file is damaged, renames it to "<file>.damaged-<yyyyMMdd-HHmmss>"
// (with "-1", "-2", ... added rather than overwriting anything) and returns
// the new path; *reason says what is wrong. Returns an empty string when the
// file is fine or missing, and also when a damaged file cannot be renamed
// (then *reason says so).
QString SetAsideHiveFile(const QString& path, const QString& rootName, QString* reason);

} // namespace orvane::platform::hive
