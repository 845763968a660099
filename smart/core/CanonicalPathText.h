#pragma once
// One spelling for the many ways to write the same local path, as far as the text alone tells.
// The analysis decides from a path whether a folder is the program's own; a hostile shortcut can
// name C:\Windows as "C:\Windows.\", "C:/Windows", "C:\x\..\Windows", "\\?\C:\Windows" or
// "\\localhost\C$\Windows", and every guard must see "C:\Windows". Portable: the Win32 side does
// the file-system parts (8.3 names, links, the folder's real name) and names this computer.

#include "core/PathRules.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tsu {

// The path as "X:\a\b" (drive letter upper-case, no trailing separator except on the root) or
// "\\server\share\a\b":
// - "/" is a separator, repeated separators are one;
// - "\\?\" and "\\.\" prefixes are removed ("\\?\UNC\server\share" becomes "\\server\share");
// - an administrative share of this computer, "\\<host>\<letter>$", becomes the drive, where host
//   is "localhost", "127.0.0.1", "::1", "0--1.ipv6-literal.net", "." or one of ownNames (letter case
//   ignored);
// - "." segments go, ".." removes the segment before it (never the root), trailing dots and spaces
//   of every segment go.
// Nothing for a relative or drive-relative path, a device or volume path, a UNC path without a
// share, a segment of dots and spaces only, or a character the file system refuses in a name.
[[nodiscard]] std::optional<std::wstring> CanonicalPathText(std::wstring_view path,
                                                            const std::vector<std::wstring>& ownNames);

// The path without a Win32 namespace prefix: "\\?\C:\x" becomes "C:\x" and "\\?\UNC\server\share\x"
// becomes "\\server\share\x" (likewise after "\\.\" and the native "\??\"), so a final path name as the
// system reports it takes the form item paths have. Other text, and a prefix before a volume or
// device name, stay as they are.
[[nodiscard]] std::wstring PathFromFinalName(std::wstring_view path);

} // namespace tsu
