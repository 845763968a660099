#pragma once
// The shared folders of this system, as the shell reports them.

#include "smart/core/SharedFolders.h"

namespace tsu {

// The Windows folder, the Users folder, and the system-wide and current user's known folders
// (Program Files and Common Files in both views, ProgramData, Public, the profile, Desktop,
// Documents, Downloads, Music, Pictures, Videos, AppData, the start menus, Temp, ...). Folders the
// shell cannot name are left out.
[[nodiscard]] SharedFolders QuerySharedFolders();

} // namespace tsu
