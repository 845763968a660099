#include "framework/HeldFolder.h"

#include "core/PathText.h"
#include "framework/PlainFolder.h"

namespace tsu {

namespace {

// Creates the folder and every missing parent; true when it exists afterwards (as a folder, not
// necessarily a plain one: the caller checks that).
bool CreateFolderWithParents(const std::wstring& folder) {
    const std::wstring path = TrimTrailingSeparators(folder);
    if (path.empty())
        return false;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const size_t parentEnd = path.find_last_of(L"\\/");
    if (parentEnd != std::wstring::npos && parentEnd > 0 && path[parentEnd - 1] != L':' &&
        !CreateFolderWithParents(path.substr(0, parentEnd)))
        return false;
    return ::CreateDirectoryW(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

// Only a plain name stays inside the folder.
bool IsPlainName(const std::wstring& name) {
    return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"\\/:") == std::wstring::npos;
}

UniqueFileHandle CreateNewFile(const std::wstring& path) {
    return UniqueFileHandle(
        ::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteAll(HANDLE file, const std::vector<uint8_t>& bytes) {
    DWORD written = 0;
    return ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

} // namespace

bool WriteNewFileReplacing(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    if (bytes.size() > MAXDWORD)
        return false;
    // A name that is free costs one look-up: the usual case of a first run.
    UniqueFileHandle file = CreateNewFile(path);
    if (!file) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return false;
        if (!::DeleteFileW(path.c_str()))
            return false;
        file = CreateNewFile(path);
        if (!file)
            return false;
    }
    if (WriteAll(file.Get(), bytes))
        return true;
    // Deleted through the handle: the name may not be this file's any more.
    FILE_DISPOSITION_INFO dispose{TRUE};
    (void)::SetFileInformationByHandle(file.Get(), FileDispositionInfo, &dispose, sizeof dispose);
    return false;
}

bool HeldFolder::Hold(const std::wstring& folder) {
    m_handle.Reset();
    m_path.clear();
    if (!CreateFolderWithParents(folder))
        return false;
    // No FILE_SHARE_DELETE: the folder stays where it is while it is held.
    m_handle = OpenPlainFolder(folder, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!m_handle)
        return false;
    m_path = TrimTrailingSeparators(folder) + L"\\";
    return true;
}

bool HeldFolder::WriteNewFile(const std::wstring& name, const std::vector<uint8_t>& bytes) const {
    return IsHeld() && IsPlainName(name) && WriteNewFileReplacing(m_path + name, bytes);
}

void HeldFolder::RemoveFile(const std::wstring& name) const {
    if (IsHeld() && IsPlainName(name))
        (void)::DeleteFileW((m_path + name).c_str());
}

} // namespace tsu
