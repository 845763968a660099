#pragma once
// The tool's own icon reader: icon handles of a requested size from executables and libraries
// (read whole with ReadFile, never loaded as modules or mapped), icon and cursor files, animated
// cursors and bitmaps. The contract follows the shell's private extraction function.

#include <windows.h>

#include <string>

namespace tsu {

// Creates up to `count` icons of width x height from the file. index >= 0 counts icon groups of
// a PE image from that position, a negative index names the group whose id is its absolute
// value (then id - 1, ...). Without a handle array a PE image gives its number of icon groups
// and nothing is created. The ids array, when given, receives each icon's RT_ICON id. Flags go
// to the platform's icon creation and image loading. Returns the number of icons created; the
// caller destroys them.
//
// Refused without opening: .com .bat .cmd .pif .lnk names, paths that do not fit (or whose
// "%VAR%" expansion does not fit) a 260-character buffer, network paths (IsNetworkFile). Files
// over kMaxIconFileBytes give no icon. The file's last-access time is put back after reading
// where the file allows it.
[[nodiscard]] UINT ExtractIconsFromFile(const std::wstring& fileName, int index, int width, int height, HICON* icons,
                                        UINT* ids, UINT count, UINT flags);

// A UNC or other network path (IsNetworkPath), or a path on a drive letter mapped to a share.
// Decided without touching the file.
[[nodiscard]] bool IsNetworkFile(const std::wstring& path);

// Whether the loader would take the file as a module (LoadLibraryEx as a data file): a full path
// is opened and its headers read (what the loader checks first, at a fraction of the cost); any
// other path goes to the loader itself, which searches for it as it always does.
[[nodiscard]] bool IsModuleFile(const std::wstring& path);

// The steps, for tests.

// "%NAME%" references replaced from the process environment: kExpandDone, kExpandUnchanged or
// kExpandTooLong (see icons/core/IconFileRules.h).
[[nodiscard]] int ExpandEnvironmentInPlace(std::wstring& path);

// Icons of a PE image open for reading (read from its start, whatever the file position).
[[nodiscard]] UINT ExtractPeIcons(HANDLE file, int index, int width, int height, HICON* icons, UINT* ids, UINT count,
                                  UINT flags);

// A bitmap as an icon: pixels of the top-left pixel's colour become transparent. 0 or 1.
[[nodiscard]] UINT LoadBitmapAsIcon(const std::wstring& path, int index, int width, int height, HICON* icon,
                                    UINT flags);

// An icon, cursor or animated cursor file as an icon. 0 or 1.
[[nodiscard]] UINT LoadIconFile(const std::wstring& path, int index, int width, int height, HICON* icon, UINT flags);

} // namespace tsu
