#pragma once
// Real shortcut files, folder links and scratch uninstall entries for the intelligent-uninstall tests.

#include "inventory/InventorySequence.h"
#include "tests/common/ScratchKey.h"

#include <string>

namespace tsu::test {

// A shell link to target, saved through IShellLinkW and IPersistStream.
[[nodiscard]] bool CreateShortcut(const std::wstring& linkPath, const std::wstring& target);
// A shell link without a file-system target (it points to the "Computer" folder).
[[nodiscard]] bool CreateShortcutToNothing(const std::wstring& linkPath);
// A link file written byte by byte whose target path is longer than MAX_PATH (the shell link
// object cannot be given one).
[[nodiscard]] bool WriteLongTargetShortcut(const std::wstring& linkPath, const std::string& asciiTarget);
// A directory link at linkPath pointing to target (relative to the link's folder). Under Wine a
// host symbolic link, which Wine reports as a reparse point; on Windows a symbolic link.
[[nodiscard]] bool CreateDirectoryLink(const std::wstring& linkPath, const std::wstring& relativeTarget);
// Removes such a link (not what it points to).
bool RemoveDirectoryLink(const std::wstring& linkPath);
// The all-users desktop.
[[nodiscard]] std::wstring CommonDesktop();
// The folder with its last name in 8.3 form, as the directory listing gives it (the folder itself
// when it has no short name).
[[nodiscard]] std::wstring ShortSpelling(const std::wstring& folder);
// Creates every missing folder of path.
[[nodiscard]] bool CreateFolders(const std::wstring& path);


} // namespace tsu::test
