#pragma once
// Folders the tool itself writes into and deletes from (the picture cache beside the executable,
// the log folder in the application-data folder). The tool runs elevated: such a folder that is
// a junction or symbolic link someone planted would carry those writes and deletions wherever it
// points, so it is used only when it is a plain folder.

#include "framework/ScopedHandles.h"

#include <string>

namespace tsu {

// Administrators and SYSTEM full access, users read; not inherited from the parent.
inline constexpr wchar_t kAdminWriteUsersReadSddl[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;FRFX;;;BU)";

// True when path (with or without a trailing "\") is a folder and no reparse point. The folder
// itself is opened without following links, so a link counts whatever it points to.
[[nodiscard]] bool IsPlainFolder(const std::wstring& path);

// The folder itself (never what a link points to) opened for reading its attributes, with the
// sharing given; an empty handle unless it is a plain folder. Without FILE_SHARE_DELETE nobody
// can rename or delete the folder while the handle is open.
[[nodiscard]] UniqueFileHandle OpenPlainFolder(const std::wstring& path, DWORD share);

// Creates the folder when nothing has its name (its parent must exist), with the security
// descriptor of sddl, or default security when sddl is null; an existing folder is kept as it is.
// True when a plain folder is there afterwards.
[[nodiscard]] bool EnsurePlainFolder(const std::wstring& path, const wchar_t* sddl = nullptr);

} // namespace tsu
