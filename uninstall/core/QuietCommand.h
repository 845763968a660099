#pragma once
// The command line that removes a program without asking anyone, or none. Portable: the caller
// finds the uninstaller file and recognises its kind (see InstallerKind.h).
//
// In order of preference:
// 1. the entry's QuietUninstallString, unchanged;
// 2. a Windows Installer product: "<system>\msiexec.exe" /X{code} /qn /norestart;
// 3. the registered command's program, quoted, then the recognised kind's silent switches, then
//    the command's own arguments (NSIS wants its "_?=" argument last);
// 4. nothing: the uninstaller would ask the user, so it must not be started.

#include "uninstall/core/InstallerKind.h"

#include <optional>
#include <string>
#include <string_view>

namespace tsu {

enum class QuietSource {
    NeedsUser,
    QuietUninstallString,
    WindowsInstaller,
    InstallerSwitches,
};

struct QuietCommandInput {
    std::wstring_view quietUninstallString;
    std::wstring_view uninstallString;
    std::wstring_view relativeKeyPath; // the entry's key, whose name is the product code of an Installer entry
    std::wstring_view systemFolder;    // where msiexec.exe is taken from; empty: no Installer command
    std::wstring_view uninstallerPath; // the existing file the registered command starts; empty when unknown
    InstallerKind uninstallerKind = InstallerKind::Unknown;
};

struct QuietCommand {
    QuietSource source = QuietSource::NeedsUser;
    std::wstring commandLine; // empty for NeedsUser
};

[[nodiscard]] QuietCommand BuildQuietCommand(const QuietCommandInput& input);

// The product code of an entry removed through the Windows Installer: the command's program is
// msiexec (any letter case, bare or with a folder); the code is the first "{GUID}" written in the
// command, else the entry key's name when that is one. Nothing for any other command.
[[nodiscard]] std::optional<std::wstring> WindowsInstallerProductCode(std::wstring_view uninstallString,
                                                                      std::wstring_view relativeKeyPath);

} // namespace tsu
