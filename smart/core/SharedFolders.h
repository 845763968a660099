#pragma once
// Folders that many programs share, so that the other files in them say nothing about one
// program: drive and network roots, the Windows folder, the Program Files and Common Files roots,
// ProgramData, the Users folder, every profile root in it and every profile's standard folders
// (Desktop, Documents, AppData, OneDrive, ...; the Public profile's too), the shell's known
// folders. The analysis lists only the target when it lies directly in one of them, and the
// registry match never takes such a folder as a program's location. Portable: the Win32 side
// supplies the folder paths.

#include <string>
#include <string_view>
#include <vector>

namespace tsu {

class SharedFolders {
public:
    SharedFolders() = default;
    SharedFolders(std::wstring windowsFolder, std::wstring profilesFolder, std::vector<std::wstring> knownFolders);

    // The path is the Windows folder or lies below it, letter case ignored.
    [[nodiscard]] bool IsInWindowsFolder(std::wstring_view path) const;

    // The folder is a root, one of the shared folders, a profile root or a standard folder of any
    // profile, or named like a Program Files folder ("Program Files", "Program Files (x86)" on any
    // drive).
    [[nodiscard]] bool IsShared(std::wstring_view folder) const;

    [[nodiscard]] const std::wstring& WindowsFolder() const { return m_windowsFolder; }

private:
    std::wstring m_windowsFolder;
    std::wstring m_profilesFolder;
    std::vector<std::wstring> m_knownFolders;
};

} // namespace tsu
