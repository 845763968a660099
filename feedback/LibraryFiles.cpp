#include "feedback/LibraryFiles.h"

#include "core/TextRules.h"
#include "framework/ScopedHandles.h"

#include <sddl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace tsu::feedback {

namespace {

constexpr DWORD kMaxSettingsBytes = 64 * 1024;
constexpr DWORD kMaxModulePathChars = 32768;
constexpr wchar_t kLogFolderName[] = L"ToolLog";
constexpr wchar_t kLogFolderSddl[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;FRFX;;;BU)";

std::wstring CutBeforeLastBackslash(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// The log folder as the tool makes it: administrators and SYSTEM write, users read; an existing
// folder is used as it is. False when it is a link or no folder: the library runs in the
// elevated tool and writes nothing through a link.
bool EnsureLogFolder(const std::wstring& folder) {
    if (::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
        UniqueLocal descriptor;
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kLogFolderSddl, SDDL_REVISION_1, descriptor.Put(),
                                                                    nullptr))
            return false;
        SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), descriptor.Get(), FALSE};
        (void)::CreateDirectoryW(folder.c_str(), &attributes); // someone may have made it first
    }
    // Opened without following a link, so that a link shows as one.
    UniqueFileHandle handle(
        ::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    return handle.IsValid() && ::GetFileInformationByHandle(handle.Get(), &information) &&
           (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A configured browser is started only when it is a program file that is there.
bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

std::wstring ModuleFolder(HMODULE module) {
    // GetModuleFileNameW cuts silently at the buffer size (and says so only through the length),
    // so the buffer grows until the whole path fits.
    for (DWORD size = MAX_PATH; size <= kMaxModulePathChars; size *= 2) {
        std::vector<wchar_t> buffer(size, L'\0');
        const DWORD length = ::GetModuleFileNameW(module, buffer.data(), size);
        if (length == 0)
            return std::wstring();
        if (length < size - 1)
            return CutBeforeLastBackslash(std::wstring(buffer.data(), length));
    }
    return std::wstring();
}

std::wstring LibraryFolder() {
    HMODULE self = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(&LibraryFolder), &self))
        return std::wstring();
    return ModuleFolder(self);
}

FeedbackSettings ReadSettingsFile(const std::wstring& folder) {
    if (folder.empty())
        return FeedbackSettings();
    const std::wstring path = folder + L"\\" + kSettingsFileName;
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return FeedbackSettings();
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 || size.QuadPart > kMaxSettingsBytes)
        return FeedbackSettings();
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return FeedbackSettings();
    bytes.resize(read);
    return FeedbackSettings::Parse(bytes);
}

std::wstring FeedbackFilePath() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) || !folder[0])
        return std::wstring();
    return std::wstring(folder) + L"\\" + kLogFolderName + L"\\" + kFeedbackFileName;
}

std::wstring NowText() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return FormatLocalTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

bool AppendFeedback(FeedbackRecord record) {
    const std::wstring path = FeedbackFilePath();
    if (path.empty())
        return false;
    if (!EnsureLogFolder(CutBeforeLastBackslash(path)))
        return false;
    if (record.localTime.empty())
        record.localTime = NowText();
    const std::string line = FormatFeedbackLine(record);
    // Appending through FILE_APPEND_DATA puts every line whole at the end, even when two
    // processes write at once.
    UniqueFileHandle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return false;
    DWORD written = 0;
    return ::WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
           written == line.size();
}

bool OpenAddress(const std::wstring& url, const FeedbackSettings& settings) {
    if (!IsWebAddress(url))
        return false;
    // A browser the settings name that is not there is ignored: the system's handler opens it.
    // BrowserProgram has already refused network paths, so this check stays on local drives.
    const std::wstring browser = settings.BrowserProgram();
    HINSTANCE result = nullptr;
    if (!browser.empty() && IsExistingFile(browser)) {
        // The address goes in quotes; IsWebAddress has refused any quote inside it.
        const std::wstring parameters = L"\"" + url + L"\"";
        result = ::ShellExecuteW(nullptr, L"open", browser.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
    } else {
        result = ::ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
    // ShellExecuteW reports success as a value above 32.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

} // namespace tsu::feedback
