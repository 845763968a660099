#pragma once
// Whether an uninstall entry belongs to the program a dropped shortcut starts. Portable.

#include "inventory/core/SoftwareRecord.h"
#include "smart/core/SharedFolders.h"

#include <string>
#include <string_view>

namespace tsu {

struct MatchCriteria {
    std::wstring programName; // from the shortcut's file name; too short a name skips the display-name test
    std::wstring folder;      // the target's folder
    std::wstring folderName;  // the last part of folder
    bool on64BitWindows = true;
    // False when the target's folder says nothing about the program (a shared folder) or the
    // target is itself a folder: then only the display name can match.
    bool folderUsable = true;
    const SharedFolders* sharedFolders = nullptr; // values naming a shared folder never match
};

// An install location or icon file against the target's folder: after removing quotes and trailing
// "\", one is the other or lies below it, ending at a path boundary ("C:\Tools\App" is not in
// "C:\Tools\AppSuite", "ools\App" is not "D:\Tools\App"). Values and folders of three characters or
// fewer, relative values and values that name a shared folder never match.
[[nodiscard]] bool PathValueMatchesFolder(std::wstring_view value, std::wstring_view folder, bool ignoreCase,
                                          const SharedFolders* sharedFolders);

// An uninstall command against the target's folder: the folder of the program it starts (never its
// arguments) matches as PathValueMatchesFolder says; a command whose program cannot be told, or is
// a bare name such as "MsiExec.exe", never matches.
[[nodiscard]] bool CommandMatchesFolder(std::wstring_view command, std::wstring_view folder, bool ignoreCase,
                                        const SharedFolders* sharedFolders);

// The tests in order: display name contains the program name (case-sensitive; a name of three
// characters or fewer never matches this way); then, unless the
// folder is named like Program Files, the install location, and on 64-bit Windows also the icon
// path and the uninstall command, against the folder (letter case ignored on 64-bit Windows,
// exact on 32-bit Windows).
[[nodiscard]] bool MatchesRecord(const SoftwareRecord& record, const MatchCriteria& criteria);

} // namespace tsu
