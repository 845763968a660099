#pragma once
// Real shortcut files, folder links and scratch uninstall entries for the intelligent-uninstall tests.

#include "inventory/InventorySequence.h"
#include "tests/common/ScratchKey.h"

#include <string>

namespace tsu::test {

// A shell link to target (saved through IPersistStream), or with no target to the "Computer" folder.
[[nodiscard]] bool CreateShortcut(const std::wstring& linkPath, const std::wstring& target);
// A directory link to target (relative to the link's folder): under Wine a host symbolic link, which
// Wine reports as a reparse point. Removing it leaves what it points to.
[[nodiscard]] bool CreateDirectoryLink(const std::wstring& linkPath, const std::wstring& relativeTarget);
bool RemoveDirectoryLink(const std::wstring& linkPath);
// The all-users desktop.
[[nodiscard]] std::wstring CommonDesktop();
// The folder with its last name in 8.3 form, as the directory listing gives it (itself when it has none).
[[nodiscard]] std::wstring ShortSpelling(const std::wstring& folder);
// Creates every missing folder of path.
[[nodiscard]] bool CreateFolders(const std::wstring& path);

} // namespace tsu::test
