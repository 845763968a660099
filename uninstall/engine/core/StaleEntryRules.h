#pragma once
// What the uninstall worker decides from a registered uninstall command before it runs anything:
// is the uninstaller still there (launch it), is the entry stale (its uninstaller is gone, so the
// registry entry is deleted), or is the command unusable. Portable: the file system and the
// environment are reached through UninstallerProbe.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tsu {

enum class FileState {
    Present, // a file or folder of that name exists
    Missing, // the file system reports the file or its folder as not found
    Unknown, // anything else (access denied, a bad name): nothing can be concluded
};

struct UninstallerProbe {
    // Expands %VARIABLE% references; unset variables stay as written.
    std::function<std::wstring(const std::wstring&)> expandVariables;
    // Full path of a bare file name found through the system search path, or empty.
    std::function<std::wstring(const std::wstring&)> searchPath;
    std::function<FileState(const std::wstring&)> queryFile;
    // Whether a drive root ("C:\") is a fixed local drive whose root exists. Network, removable,
    // optical and unknown drives, and missing roots, give false: their "not found" proves nothing.
    std::function<bool(const std::wstring&)> isFixedDrive;
};

enum class UninstallerVerdict {
    Launch,     // run the command as registered
    StaleEntry, // the uninstaller is certainly gone: delete the registry entry
    Unusable,   // nothing that could be started (empty, only quotes)
};

// The files a command could start, quotes removed: the quoted text of a command that starts with a
// quote; otherwise every prefix ending in ".exe" (any letter case) that stands as a word of its
// own, or the whole text when it has no such prefix and no blank, together with what process
// creation tries for each shorter blank-ended prefix ("C:\Program" gives "C:\Program.exe").
// Empty when the command has no program at all; a blank-separated command without ".exe" gives no
// candidate either (program and arguments cannot be told apart). No value when the program cannot
// be read unambiguously: a quote that never closes or that is followed by more than a blank, a
// quote inside an unquoted program, or a ".exe" that runs straight into more text ("un.exe-S").
[[nodiscard]] std::optional<std::vector<std::wstring>> UninstallerCandidates(std::wstring_view uninstallString);

// The Windows Installer program: such commands are always launched.
[[nodiscard]] bool IsWindowsInstallerCommand(std::wstring_view uninstallString);

// An entry counts as stale only when its program was read unambiguously and every file the command
// could start is, after expanding variables and searching bare names, an absolute path on a fixed
// local drive that is there ("X:\...", never a network or device path) and that the file system
// reports as not found. Anything else is launched: at worst the launch fails and the entry stays.
[[nodiscard]] UninstallerVerdict ClassifyUninstaller(std::wstring_view uninstallString, const UninstallerProbe& probe);

// A key path may go into the "reg delete" command line only when cmd.exe cannot read anything in
// it as syntax: no double quote (would end the quoted argument), no percent sign (variable
// expansion), no control character. Inside the quotes "&", "|", "<", ">" and "^" are plain text.
[[nodiscard]] bool IsSafeKeyPathForCommand(std::wstring_view keyPath);

// <regTool> delete "<keyPath>" /f, with the registry tool by its full path, so that no reg.exe in
// the current folder or on the search path is run. Empty (nothing may run) when the tool's path is
// not absolute or would need quotes, or when the key path is not safe for the command line.
[[nodiscard]] std::wstring MakeRegDeleteCommand(std::wstring_view regTool, std::wstring_view keyPath);

} // namespace tsu
