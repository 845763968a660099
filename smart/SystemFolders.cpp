#include "smart/SystemFolders.h"

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

} // namespace

SharedFolders QuerySharedFolders() {
    std::vector<std::wstring> folders;
    for (const KNOWNFOLDERID* id : kSharedKnownFolders) {
        std::wstring path = KnownFolderPath(*id);
        if (!path.empty())
            folders.push_back(std::move(path));
    }
    for (const wchar_t* name : kSharedFolderVariables) {
        std::wstring path = EnvironmentValue(name);
        if (!path.empty())
            folders.push_back(std::move(path));
    }
    if (std::wstring temp = TempFolder(); !temp.empty())
        folders.push_back(std::move(temp));
    return SharedFolders(WindowsFolder(), KnownFolderPath(FOLDERID_UserProfiles), std::move(folders));
}

} // namespace tsu
