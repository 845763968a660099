#pragma once
// Text rules of the related-items analysis and the deletion result. Portable: no Win32 here.

#include <optional>
#include <string>
#include <string_view>

namespace tsu {

// The shortcut's file name up to its first dot ("App 2.0.lnk" gives "App 2"); empty when the path
// has no "\" or the file name has no dot.
[[nodiscard]] std::wstring ProgramNameFromShortcut(std::wstring_view shortcutPath);

// The path up to, not including, its last "\"; empty when it has none.
[[nodiscard]] std::wstring ParentFolder(std::wstring_view path);

// The text after the last "\"; empty when there is none.
[[nodiscard]] std::wstring LastPathComponent(std::wstring_view path);

// A shortcut file by its extension, ".lnk" in any letter case.
[[nodiscard]] bool HasShortcutExtension(std::wstring_view path);

// The start-menu folder item that goes with a matching shortcut: the folder that holds it when it
// lies in a sub-folder of the "Programs" folder (anchored at the first "Programs" in the path);
// nothing for a shortcut directly in "Programs".
[[nodiscard]] std::optional<std::wstring> StartMenuFolderItem(std::wstring_view shortcutPath);

// Result of a deletion run: 2 when nothing was deleted, 1 when all went, 3 when some failed.
enum DeleteResult : int { kDeleteAll = 1, kDeleteNone = 2, kDeletePartial = 3 };
[[nodiscard]] DeleteResult DeleteResultCode(int deleted, int failed);

} // namespace tsu
