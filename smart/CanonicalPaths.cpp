#include "smart/CanonicalPaths.h"

#include "framework/ScopedHandles.h"
#include "smart/core/AnalysisRules.h"
#include "smart/core/CanonicalPathText.h"
#include "core/PathText.h"

#include <windows.h>

namespace tsu {

namespace {

// Calls fill(buffer, size) until the text fits: the Win32 path functions answer the size needed
// (with its terminator) when the buffer is too small, the length without it when it fits, 0 on
// failure.
template <typename Fill> std::optional<std::wstring> GrowingText(Fill&& fill) {
    std::wstring text(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD written = fill(text.data(), static_cast<DWORD>(text.size()));
        if (written == 0)
            return std::nullopt;
        if (written < text.size()) {
            text.resize(written);
            return text;
        }
        text.resize(written);
    }
    return std::nullopt; // still growing: the path changes under us
}

std::optional<std::wstring> ComputerName(COMPUTER_NAME_FORMAT format) {
    DWORD size = 0;
    (void)::GetComputerNameExW(format, nullptr, &size);
    if (size == 0)
        return std::nullopt;
    std::wstring name(size, L'\0');
    if (!::GetComputerNameExW(format, name.data(), &size) || size > name.size())
        return std::nullopt;
    name.resize(size);
    return name;
}

// A component of path from the root down to path itself is a reparse point (junction, symbolic
// link, mount point), or cannot be read.
bool PassesThroughLink(const std::wstring& path) {
    // path is "X:\..." here; the drive root is no link of the path's.
    for (size_t end = path.find(L'\\', 3);; end = path.find(L'\\', end + 1)) {
        const std::wstring part = path.substr(0, end);
        if (part.size() > 3) {
            const DWORD attributes = ::GetFileAttributesW(part.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
                return true;
        }
        if (end == std::wstring::npos)
            return false;
    }
}

struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
};

std::optional<FileIdentity> IdentityOf(const std::wstring& path) {
    const UniqueFileHandle object(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!object || !::GetFileInformationByHandle(object.Get(), &information))
        return std::nullopt;
    return FileIdentity{information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow};
}

} // namespace

bool IsSameFile(const std::wstring& a, const std::wstring& b) {
    const auto first = IdentityOf(a);
    const auto second = IdentityOf(b);
    return first && second && first->volume == second->volume && first->indexHigh == second->indexHigh &&
           first->indexLow == second->indexLow;
}

std::vector<std::wstring> OwnComputerNames() {
    std::vector<std::wstring> names;
    for (const COMPUTER_NAME_FORMAT format :
         {ComputerNameNetBIOS, ComputerNameDnsHostname, ComputerNameDnsFullyQualified}) {
        if (auto name = ComputerName(format); name && !name->empty())
            names.push_back(std::move(*name));
    }
    return names;
}

std::optional<std::wstring> CanonicalLocalPath(const std::wstring& path, LinkRule links) {
    const std::optional<std::wstring> text = CanonicalPathText(path, OwnComputerNames());
    // Another machine's files are never the tool's to judge (and asking for them would send this
    // account's credentials there).
    if (!text || IsNetworkPath(*text))
        return std::nullopt;
    const auto full = GrowingText(
        [&](wchar_t* buffer, DWORD size) { return ::GetFullPathNameW(text->c_str(), size, buffer, nullptr); });
    if (!full || !IsAbsolutePath(*full) || IsNetworkPath(*full))
        return std::nullopt;
    // 8.3 names ("PROGRA~1") expanded; fails when the path does not exist.
    const auto longPath =
        GrowingText([&](wchar_t* buffer, DWORD size) { return ::GetLongPathNameW(full->c_str(), buffer, size); });
    if (!longPath || !IsAbsolutePath(*longPath))
        return std::nullopt;
    // Links must be seen before the final path resolves them away.
    if (links == LinkRule::Refuse && PassesThroughLink(*longPath))
        return std::nullopt;

    const UniqueFileHandle object(::CreateFileW(longPath->c_str(), FILE_READ_ATTRIBUTES,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!object)
        return std::nullopt;
    const auto final = GrowingText([&](wchar_t* buffer, DWORD size) {
        return ::GetFinalPathNameByHandleW(object.Get(), buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
    if (!final)
        return std::nullopt;
    // "\\?\C:\..." back to "C:\...", "\\?\UNC\server\share" (a mapped network drive) to
    // "\\server\share", which is another machine's.
    std::optional<std::wstring> canonical = CanonicalPathText(*final, {});
    if (!canonical || IsNetworkPath(*canonical))
        return std::nullopt;
    // A link swapped in after the check above, or a name the text rules would change (a segment
    // with a trailing dot or space, reachable only through "\\?\"), lands somewhere else.
    if (links == LinkRule::Refuse && !SamePath(*canonical, *longPath))
        return std::nullopt;
    return canonical;
}

} // namespace tsu
