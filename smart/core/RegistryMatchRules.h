#pragma once
// Whether an uninstall entry belongs to the program a dropped shortcut starts. Portable.

#include "inventory/core/SoftwareRecord.h"
#include "smart/core/SharedFolders.h"

#include <string>
#include <string_view>

namespace tsu {

struct MatchCriteria {
    std::wstring programName; // from the shortcut's file name; empty skips the display-name test
    std::wstring folder;      // the target's folder
    std::wstring folderName;  // the last part of folder
    bool on64BitWindows = true;
    // False when the target's folder says nothing about the program (a shared folder) or the
    // target is itself a folder: then only the display name can match.
    bool folderUsable = true;
    const SharedFolders* sharedFolders = nullptr; // values naming a shared folder never match
};

// One path-like registry value (install location, icon path, uninstall command) against the
// target's folder: either contains the other, ending at a path boundary ("C:\Tools\App" is not in
// "C:\Tools\AppSuite"). Values and folders of three characters or fewer (after removing quotes
// and a trailing "\") never match, nor values that name a shared folder.
[[nodiscard]] bool PathValueMatchesFolder(std::wstring_view value, std::wstring_view folder, bool ignoreCase,
                                          const SharedFolders* sharedFolders);

// The tests in order: display name contains the program name (case-sensitive); then, unless the
// folder is named like Program Files, the install location, and on 64-bit Windows also the icon
// path and the uninstall command, against the folder (letter case ignored on 64-bit Windows,
// exact on 32-bit Windows).
[[nodiscard]] bool MatchesRecord(const SoftwareRecord& record, const MatchCriteria& criteria);

} // namespace tsu
