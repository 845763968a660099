#pragma once
// Path text helpers for the engines' rules. Windows compares file names without regard to
// letter case; these helpers fold ASCII letters only, which covers drive letters, the system's
// own folder names and file extensions. Portable: no Win32 here.

#include <string>
#include <string_view>

namespace tsu {

[[nodiscard]] constexpr wchar_t FoldAsciiCase(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Position of the first occurrence of part at or after from, letter case ignored; npos when none.
[[nodiscard]] size_t FindIgnoreCase(std::wstring_view text, std::wstring_view part, size_t from = 0);
[[nodiscard]] inline bool ContainsIgnoreCase(std::wstring_view text, std::wstring_view part) {
    return FindIgnoreCase(text, part) != std::wstring_view::npos;
}
[[nodiscard]] bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b);

// Removes every leading and trailing double quote.
[[nodiscard]] std::wstring StripQuotes(std::wstring_view text);

// Removes trailing backslashes, but keeps the one of a drive root ("C:\" stays "C:\").
[[nodiscard]] std::wstring TrimTrailingSeparators(std::wstring_view path);

// "C:\..." or a UNC path "\\server\...": a path that does not depend on the current folder.
[[nodiscard]] bool IsAbsolutePath(std::wstring_view path);

// A name without any folder part, such as "msiexec.exe": the system search path applies to it.
[[nodiscard]] bool IsBareFileName(std::wstring_view path);

// The same file or folder, letter case and trailing backslashes ignored.
[[nodiscard]] bool SamePath(std::wstring_view a, std::wstring_view b);

// True when path lies below folder (not equal to it), letter case ignored.
[[nodiscard]] bool IsPathBelow(std::wstring_view path, std::wstring_view folder);

// A drive root ("C:", "C:\") or a network root ("\\server", "\\server\share", with or without a
// trailing backslash).
[[nodiscard]] bool IsRootPath(std::wstring_view path);

} // namespace tsu
