#pragma once
// The copy of a stale uninstall entry that is kept before the entry is deleted: a registry file
// that "reg import" restores.

#include "inventory/core/SoftwareRecord.h"

#include <string>

namespace tsu {

enum class BackupResult {
    Written,    // the whole entry is in the file
    KeyMissing, // the entry's key does not exist: nothing to keep, nothing to delete
    Failed,     // the entry could not be read whole or the file not written: the key must stay
};

// Reads the record's key (rootKey and relativeKeyPath, in the 64-bit view on 64-bit Windows, as
// the success check reads it) with every value and every subkey, and writes it as a UTF-16 registry
// file into folder (an absolute path, not a link elsewhere) under a new name of its own
// ("StaleEntry_<date>_<time>_<ms>_<n>.reg"; an existing file is never overwritten). backupFile
// receives the file's full path when it was written.
[[nodiscard]] BackupResult BackupUninstallEntry(const SoftwareRecord& record, const std::wstring& folder,
                                                std::wstring& backupFile);

} // namespace tsu
