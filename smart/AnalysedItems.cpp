#include "smart/AnalysedItems.h"

#include "framework/ScopedHandles.h"
#include "smart/core/RelatedItem.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace tsu {

namespace {

// FILE_FLAG_OPEN_REPARSE_POINT opens a junction or symbolic link itself, never what it points to;
// FILE_FLAG_BACKUP_SEMANTICS lets the same call open folders.
constexpr DWORD kOpenFlags = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

UniqueFileHandle Open(const std::wstring& path, DWORD access) {
    return UniqueFileHandle(
        ::CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, kOpenFlags, nullptr));
}

std::wstring FinalPath(HANDLE file) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD length = ::GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return std::wstring();
        if (length < buffer.size())
            return PathFromFinalName(std::wstring_view(buffer.data(), length));
        buffer.resize(length + 1); // the size needed, terminator included
    }
}

struct Observed {
    FileIdentity identity;
    DWORD attributes = 0;
    std::wstring finalPath;
};

bool Observe(HANDLE file, Observed& observed) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info))
        return false;
    observed.identity.volumeSerial = info.dwVolumeSerialNumber;
    observed.identity.fileIndex = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    observed.attributes = info.dwFileAttributes;
    observed.finalPath = FinalPath(file);
    return !observed.finalPath.empty();
}

bool IsGone(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

} // namespace

void AnalysedItems::Clear() {
    m_records.clear();
    m_folder = Scope{};
    m_startMenu = Scope{m_startMenuRoot, std::wstring(), false};
}

void AnalysedItems::SetAnalysedFolder(const std::wstring& folder) {
    m_folder = Scope{folder, std::wstring(), false};
}

const std::wstring& AnalysedItems::ScopeRoot(Scope& scope) {
    if (!scope.read) {
        scope.read = true;
        Observed observed;
        const UniqueFileHandle folder = Open(scope.path, FILE_READ_ATTRIBUTES);
        if (folder && Observe(folder.Get(), observed))
            scope.finalPath = observed.finalPath;
    }
    return scope.finalPath;
}

void AnalysedItems::Record(const std::wstring& path, const wchar_t* description) {
    m_records.erase(path);
    ItemRecord record;
    if (std::wcscmp(description, kStartMenuShortcutText) == 0) {
        record.scopeRoot = ScopeRoot(m_startMenu);
        if (record.scopeRoot.empty())
            return;
    } else if (std::wcscmp(description, kRelatedFileText) == 0 && !m_folder.path.empty()) {
        record.scopeRoot = ScopeRoot(m_folder);
        if (record.scopeRoot.empty())
            return;
    }
    // Only the right to read attributes: the analysis changes nothing and must not be refused
    // because another program has the file open.
    const UniqueFileHandle file = Open(path, FILE_READ_ATTRIBUTES);
    Observed observed;
    if (!file || !Observe(file.Get(), observed))
        return;
    // Wine opens what a host symbolic link points to despite FILE_FLAG_OPEN_REPARSE_POINT, and
    // would delete that; an item seen through a link it did not open is never noted.
    const DWORD pathAttributes = ::GetFileAttributesW(path.c_str());
    if (pathAttributes == INVALID_FILE_ATTRIBUTES ||
        ((pathAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && !(observed.attributes & FILE_ATTRIBUTE_REPARSE_POINT)))
        return;
    record.identity = observed.identity;
    record.finalPath = observed.finalPath;
    if (IsAnalysedItem(record, observed.identity, observed.finalPath))
        m_records.emplace(path, std::move(record));
}

AnalysedItems::Outcome AnalysedItems::Delete(const std::wstring& path) const {
    const UniqueFileHandle file = Open(path, DELETE | FILE_READ_ATTRIBUTES);
    if (!file)
        return IsGone(::GetLastError()) ? Outcome::Vanished : Outcome::Failed; // in use or not allowed
    Observed observed;
    const auto record = m_records.find(path);
    if (record == m_records.end() || !Observe(file.Get(), observed) ||
        !IsAnalysedItem(record->second, observed.identity, observed.finalPath))
        return Outcome::Failed;
    // Deleted through the handle just checked. For a folder this fails unless it is empty, as
    // removing a directory does; a read-only file is refused as DeleteFile refuses it.
    FILE_DISPOSITION_INFO disposition{TRUE}; // its one field is named like the DeleteFile macro
    const bool deleted =
        ::SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
    if (observed.attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Outcome::FolderDone;
    return deleted ? Outcome::Deleted : Outcome::Failed;
}

} // namespace tsu
