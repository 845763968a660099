#pragma once
// The shared folders of this system, as the shell reports them.

#include "smart/core/SharedFolders.h"

#include <optional>
#include <string>

namespace tsu {

// The Windows folder, the Users folder, and the system-wide and current user's known folders
// (Program Files and Common Files in both views, ProgramData, Public, the profile, Desktop,
// Documents, Downloads, Music, Pictures, Videos, AppData, the start menus, Temp, ...). Folders the
// shell cannot name are left out. Each also in its canonical spelling, where that differs.
[[nodiscard]] SharedFolders QuerySharedFolders();

// The target lies in the Windows folder: by its text, by its canonical text, or by its folder's
// real place (a link or another drive letter for it).
[[nodiscard]] bool IsSystemProgram(const std::wstring& target, const SharedFolders& shared);

// The folder the analysis may list whole for the program at target, canonically spelt: the
// target is an existing local file (the same file as its canonical spelling names), no
// junction, symbolic link or mount point leads to its folder, and that folder is neither shared
// nor in the Windows folder. Nothing otherwise: then the target alone is the program's file.
[[nodiscard]] std::optional<std::wstring> ProgramFolderToScan(const std::wstring& target, const SharedFolders& shared);

} // namespace tsu
