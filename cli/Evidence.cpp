#include "cli/Evidence.h"

#include "framework/ScopedHandles.h"
#include "inventory/Is64BitWindows.h"
#include "inventory/RegistryScanner.h"
#include "smart/ShortcutReader.h"
#include "smart/SystemFolders.h"
#include "core/PathText.h"
#include "uninstall/engine/core/StaleEntryRules.h"
#include "core/PathRules.h"

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace tsu {

namespace {

constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingRenames[] = L"PendingFileRenameOperations";
constexpr DWORD kMaxPendingRenameBytes = 4 * 1024 * 1024;
// Where Windows Installer registers a product: for the machine, in the installer's own records
// (local system), and for the current user.
const struct {
    HKEY root;
    const wchar_t* path;
} kProductRegistrations[] = {
    {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Installer\\Products\\"},
    {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\"},
    {HKEY_CURRENT_USER, L"Software\\Microsoft\\Installer\\Products\\"},
};
constexpr int kShortcutFolders[] = {CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU, CSIDL_COMMON_DESKTOPDIRECTORY,
                                    CSIDL_DESKTOPDIRECTORY};
constexpr size_t kMaxShortcutsRead = 5000; // start menus of real machines hold a few hundred
constexpr int kMaxDepth = 32;

// A key that cannot be opened for another reason than its absence counts as there.
bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    const LSTATUS status = ::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key);
    if (status == ERROR_SUCCESS)
        ::RegCloseKey(key);
    return status != ERROR_FILE_NOT_FOUND && status != ERROR_PATH_NOT_FOUND;
}

std::optional<bool> InstallerRegistration(const SoftwareRecord& record) {
    const auto code = InstallerProductCode(record.relativeKeyPath, record.uninstallString);
    if (!code)
        return std::nullopt;
    const std::wstring packed = PackedProductCode(*code);
    for (const auto& place : kProductRegistrations) {
        if (KeyExists(place.root, place.path + packed))
            return true;
    }
    return false;
}

std::wstring FolderOf(const SoftwareRecord& record) {
    std::wstring folder = TrimTrailingSeparators(StripQuotes(record.installLocation));
    if (folder.empty() && !IsWindowsInstallerCommand(record.uninstallString)) {
        const auto candidates = UninstallerCandidates(record.uninstallString);
        if (candidates && !candidates->empty()) {
            const std::wstring& program = candidates->front();
            const size_t slash = program.rfind(L'\\');
            if (slash != std::wstring::npos)
                folder = TrimTrailingSeparators(program.substr(0, slash));
        }
    }
    // Only a drive path is looked at: never another machine, never a device.
    if (folder.size() < 3 || folder[1] != L':' || folder[2] != L'\\' || IsNetworkPath(folder) ||
        folder.find(L"\\..") != std::wstring::npos)
        return std::wstring();
    const SharedFolders shared = QuerySharedFolders();
    if (shared.IsShared(folder) || shared.IsInWindowsFolder(folder))
        return std::wstring();
    return folder;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Calls visit for every file below folder (links to folders are visited as files, never entered)
// until visit returns false.
template <typename Visit> bool ForEachFile(const std::wstring& folder, int depth, Visit&& visit) {
    WIN32_FIND_DATAW found{};
    const UniqueFindHandle find(
        ::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
    if (!find)
        return true;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const bool isLink = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !isLink) {
            if (depth < kMaxDepth && !ForEachFile(folder + L"\\" + name, depth + 1, visit))
                return false;
        } else if (!visit(folder + L"\\" + name)) {
            return false;
        }
    } while (::FindNextFileW(find.Get(), &found));
    return true;
}

FolderEvidence FolderLeft(const std::wstring& folder) {
    FolderEvidence evidence{folder, IsFolder(folder), 0};
    if (evidence.exists)
        ForEachFile(folder, 0, [&](const std::wstring&) { return ++evidence.filesLeft < kMaxFilesCounted; });
    return evidence;
}

std::vector<std::wstring> ShortcutsInto(const std::wstring& folder) {
    std::vector<std::wstring> shortcuts;
    ShortcutReader reader;
    size_t read = 0;
    for (const int id : kShortcutFolders) {
        wchar_t path[MAX_PATH] = {};
        if (FAILED(::SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path)) || path[0] == L'\0')
            continue;
        ForEachFile(path, 0, [&](const std::wstring& file) {
            if (file.size() < 4 || !EqualsIgnoreCase(std::wstring_view(file).substr(file.size() - 4), L".lnk"))
                return true;
            const std::wstring target = reader.TargetOf(file);
            if (!target.empty() && IsPathBelow(target, folder))
                shortcuts.push_back(file);
            return ++read < kMaxShortcutsRead;
        });
    }
    return shortcuts;
}

std::vector<PendingRename> PendingRenames() {
    DWORD bytes = 0;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPendingRenames, RRF_RT_REG_MULTI_SZ, nullptr, nullptr,
                       &bytes) != ERROR_SUCCESS ||
        bytes == 0 || bytes > kMaxPendingRenameBytes)
        return {};
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPendingRenames, RRF_RT_REG_MULTI_SZ, nullptr, text.data(),
                       &bytes) != ERROR_SUCCESS)
        return {};
    text.resize(bytes / sizeof(wchar_t));
    return ParsePendingRenames(text);
}

} // namespace

ProgramEvidence GatherEvidence(const SoftwareRecord& record) {
    ProgramEvidence evidence;
    const RegistryScanner scanner(Is64BitWindows() ? RegistryView::Wow64Key64 : RegistryView::Default);
    evidence.entryGone = scanner.IsEntryGone(record.rootKey, record.relativeKeyPath);
    evidence.installerRegistered = InstallerRegistration(record);
    const std::wstring folder = FolderOf(record);
    if (folder.empty())
        return evidence;
    evidence.folder = FolderLeft(folder);
    evidence.shortcuts = ShortcutsInto(folder);
    evidence.restartPending = IsRestartPendingIn(PendingRenames(), folder);
    return evidence;
}

} // namespace tsu
