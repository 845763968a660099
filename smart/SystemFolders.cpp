#include "smart/SystemFolders.h"

#include "smart/CanonicalPaths.h"
#include "smart/core/AnalysisRules.h"
#include "smart/core/CanonicalPathText.h"
#include "core/PathText.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace tsu {

namespace {

// Known folders whose other files say nothing about one program.
const KNOWNFOLDERID* const kSharedKnownFolders[] = {
    &FOLDERID_Windows,
    &FOLDERID_System,
    &FOLDERID_SystemX86,
    &FOLDERID_ProgramFiles,
    &FOLDERID_ProgramFilesX86,
    &FOLDERID_ProgramFilesX64,
    &FOLDERID_ProgramFilesCommon,
    &FOLDERID_ProgramFilesCommonX86,
    &FOLDERID_ProgramFilesCommonX64,
    &FOLDERID_ProgramData,
    &FOLDERID_UserProfiles,
    &FOLDERID_Profile,
    &FOLDERID_Public,
    &FOLDERID_Desktop,
    &FOLDERID_PublicDesktop,
    &FOLDERID_Documents,
    &FOLDERID_PublicDocuments,
    &FOLDERID_Downloads,
    &FOLDERID_PublicDownloads,
    &FOLDERID_Music,
    &FOLDERID_PublicMusic,
    &FOLDERID_Pictures,
    &FOLDERID_PublicPictures,
    &FOLDERID_Videos,
    &FOLDERID_PublicVideos,
    &FOLDERID_RoamingAppData,
    &FOLDERID_LocalAppData,
    &FOLDERID_LocalAppDataLow,
    &FOLDERID_StartMenu,
    &FOLDERID_CommonStartMenu,
    &FOLDERID_Programs,
    &FOLDERID_CommonPrograms,
    &FOLDERID_Startup,
    &FOLDERID_CommonStartup,
    &FOLDERID_Templates,
    &FOLDERID_CommonTemplates,
    &FOLDERID_Favorites,
    &FOLDERID_Fonts,
    &FOLDERID_SendTo,
    &FOLDERID_Recent,
    &FOLDERID_QuickLaunch,
    &FOLDERID_Links,
};

// Environment variables naming the 64-bit program folders, which a 32-bit process cannot get
// from the shell.
const wchar_t* const kSharedFolderVariables[] = {L"ProgramW6432",       L"CommonProgramW6432",
                                                 L"ProgramFiles",       L"ProgramFiles(x86)",
                                                 L"CommonProgramFiles", L"CommonProgramFiles(x86)"};

std::wstring KnownFolderPath(const KNOWNFOLDERID& id) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path)
        result = path;
    ::CoTaskMemFree(path); // also owed when the call failed
    return result;
}

std::wstring EnvironmentValue(const wchar_t* name) {
    const DWORD needed = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0)
        return std::wstring();
    std::wstring value(needed, L'\0');
    const DWORD written = ::GetEnvironmentVariableW(name, value.data(), needed);
    if (written == 0 || written >= needed)
        return std::wstring();
    value.resize(written);
    return value;
}

std::wstring WindowsFolder() {
    const UINT needed = ::GetWindowsDirectoryW(nullptr, 0);
    if (needed == 0)
        return std::wstring();
    std::wstring folder(needed, L'\0');
    const UINT written = ::GetWindowsDirectoryW(folder.data(), needed);
    if (written == 0 || written >= needed)
        return std::wstring();
    folder.resize(written);
    return folder;
}

std::wstring TempFolder() {
    std::wstring folder(MAX_PATH + 1, L'\0');
    const DWORD written = ::GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    if (written == 0 || written >= folder.size())
        return std::wstring();
    folder.resize(written);
    return folder;
}

// "\\host\share\...", here an administrative share of this computer; not "\\?\C:\...".
bool IsShareSpelling(const std::wstring& path) {
    return IsNetworkPath(path) && !(path.size() >= 4 && (path[2] == L'?' || path[2] == L'.') && path[3] == L'\\');
}

// The folder and, where it differs, its canonical spelling (a known folder may be redirected
// through a link, or named with 8.3 names).
void AddFolder(std::vector<std::wstring>& folders, std::wstring path) {
    if (path.empty())
        return;
    if (auto canonical = CanonicalLocalPath(path, LinkRule::Resolve); canonical && !SamePath(*canonical, path))
        folders.push_back(std::move(*canonical));
    folders.push_back(std::move(path));
}

std::wstring Canonical(const std::wstring& path) {
    auto canonical = CanonicalLocalPath(path, LinkRule::Resolve);
    return canonical ? std::move(*canonical) : path;
}

} // namespace

SharedFolders QuerySharedFolders() {
    std::vector<std::wstring> folders;
    for (const KNOWNFOLDERID* id : kSharedKnownFolders)
        AddFolder(folders, KnownFolderPath(*id));
    for (const wchar_t* name : kSharedFolderVariables)
        AddFolder(folders, EnvironmentValue(name));
    AddFolder(folders, TempFolder());
    const std::wstring windows = WindowsFolder();
    AddFolder(folders, windows); // the Windows folder's other spellings, for IsShared
    return SharedFolders(Canonical(windows), Canonical(KnownFolderPath(FOLDERID_UserProfiles)), std::move(folders));
}

bool IsSystemProgram(const std::wstring& target, const SharedFolders& shared) {
    if (shared.IsInWindowsFolder(target))
        return true;
    const std::optional<std::wstring> text = CanonicalPathText(target, OwnComputerNames());
    if (!text || IsNetworkPath(*text))
        return false;
    if (shared.IsInWindowsFolder(*text))
        return true;
    const std::optional<std::wstring> folder = CanonicalLocalPath(ParentFolder(*text), LinkRule::Resolve);
    return folder && shared.IsInWindowsFolder(*folder);
}

std::optional<std::wstring> ProgramFolderToScan(const std::wstring& target, const SharedFolders& shared) {
    const std::optional<std::wstring> text = CanonicalPathText(target, OwnComputerNames());
    if (!text || IsNetworkPath(*text))
        return std::nullopt;
    // A target that is itself a folder is listed alone, never its content.
    const DWORD attributes = ::GetFileAttributesW(text->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    // The text rules must name what Windows opens for the shortcut: "\\?\C:\App.\app.exe" is a
    // folder "App." of its own, not "C:\App". A target on an administrative share of this computer
    // is not opened through the network.
    if (!IsShareSpelling(target) && !IsSameFile(target, *text))
        return std::nullopt;
    std::optional<std::wstring> folder = CanonicalLocalPath(ParentFolder(*text), LinkRule::Refuse);
    if (!folder || shared.IsInWindowsFolder(*folder) || shared.IsShared(*folder))
        return std::nullopt;
    return folder;
}

} // namespace tsu
