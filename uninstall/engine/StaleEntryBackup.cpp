#include "uninstall/engine/StaleEntryBackup.h"

#include "framework/ScopedHandles.h"
#include "inventory/Is64BitWindows.h"
#include "core/PathText.h"
#include "uninstall/engine/core/RegFileText.h"

#include <windows.h>

#include <atomic>
#include <cwchar>
#include <vector>

namespace tsu {

namespace {

constexpr int kMaxKeyDepth = 512;           // the registry's own nesting limit
constexpr DWORD kMaxValueNameChars = 16384; // 16383 characters and the terminator
constexpr DWORD kMaxKeyNameChars = 256;     // 255 characters and the terminator
constexpr int kMaxDataRetries = 8;          // a value that keeps growing while it is read
constexpr unsigned kMaxNameAttempts = 1000; // names taken by earlier backups
constexpr wchar_t kByteOrderMark = 0xFEFF;

bool ReadValues(HKEY key, RegKeyData& data) {
    std::vector<wchar_t> name(kMaxValueNameChars);
    std::vector<BYTE> bytes(1); // never empty: a null buffer would report sizes without data
    for (DWORD index = 0;; ++index) {
        int retries = 0;
        for (;;) {
            DWORD nameChars = kMaxValueNameChars;
            DWORD type = 0;
            DWORD size = static_cast<DWORD>(bytes.size());
            const LSTATUS status =
                ::RegEnumValueW(key, index, name.data(), &nameChars, nullptr, &type, bytes.data(), &size);
            if (status == ERROR_NO_MORE_ITEMS)
                return true;
            if (status == ERROR_MORE_DATA && size > bytes.size() && ++retries <= kMaxDataRetries) {
                bytes.resize(size);
                continue;
            }
            if (status != ERROR_SUCCESS)
                return false;
            data.values.push_back(RegValueData{std::wstring(name.data(), nameChars), type,
                                               std::vector<uint8_t>(bytes.begin(), bytes.begin() + size)});
            break;
        }
    }
}

bool ReadSubkeyNames(HKEY key, std::vector<std::wstring>& names) {
    std::vector<wchar_t> name(kMaxKeyNameChars);
    for (DWORD index = 0;; ++index) {
        DWORD chars = kMaxKeyNameChars;
        const LSTATUS status = ::RegEnumKeyExW(key, index, name.data(), &chars, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return true;
        if (status != ERROR_SUCCESS)
            return false;
        names.emplace_back(name.data(), chars);
    }
}

// The key and everything below it, a key before its subkeys.
bool ReadKeyTree(HKEY key, const std::wstring& path, REGSAM view, int depth, std::vector<RegKeyData>& keys) {
    if (depth > kMaxKeyDepth)
        return false;
    RegKeyData data;
    data.path = path;
    std::vector<std::wstring> subkeys;
    if (!ReadValues(key, data) || !ReadSubkeyNames(key, subkeys))
        return false;
    keys.push_back(std::move(data));
    for (const std::wstring& name : subkeys) {
        UniqueHkey subkey;
        if (::RegOpenKeyExW(key, name.c_str(), 0, KEY_READ | view, subkey.Put()) != ERROR_SUCCESS)
            return false;
        if (!ReadKeyTree(subkey.Get(), path + L"\\" + name, view, depth + 1, keys))
            return false;
    }
    return true;
}

// The folder must be a real folder: a link planted in its place would send the file elsewhere.
bool IsPlainFolder(const std::wstring& folder) {
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

std::wstring BackupName(const SYSTEMTIME& time, unsigned number) {
    wchar_t name[80] = {};
    std::swprintf(name, sizeof name / sizeof name[0], L"StaleEntry_%04u%02u%02u_%02u%02u%02u_%03u_%u.reg", time.wYear,
                  time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds, number);
    return name;
}

// Writes the text into a file of a new name in folder; never opens a file that exists already.
bool WriteNewFile(const std::wstring& folder, const std::wstring& text, std::wstring& written) {
    static std::atomic<unsigned> counter{0};
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    std::wstring bytes;
    bytes.reserve(text.size() + 1);
    bytes += kByteOrderMark;
    bytes += text;
    const DWORD size = static_cast<DWORD>(bytes.size() * sizeof(wchar_t));
    for (unsigned attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        const std::wstring path = folder + BackupName(now, ++counter);
        UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            if (::GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return false;
        }
        DWORD done = 0;
        if (::WriteFile(file.Get(), bytes.data(), size, &done, nullptr) && done == size &&
            ::FlushFileBuffers(file.Get())) {
            written = path;
            return true;
        }
        // A half-written backup is worse than none: it is removed through the handle we hold.
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        (void)::SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition, sizeof disposition);
        return false;
    }
    return false;
}

} // namespace

BackupResult BackupUninstallEntry(const SoftwareRecord& record, const std::wstring& folder, std::wstring& backupFile) {
    const std::wstring rootName = RegistryRootName(record.rootKey);
    if (rootName.empty() || record.relativeKeyPath.empty())
        return BackupResult::Failed;
    const HKEY root = record.rootKey == kRootLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const REGSAM view = Is64BitWindows() ? KEY_WOW64_64KEY : 0;

    UniqueHkey key;
    const LSTATUS opened = ::RegOpenKeyExW(root, record.relativeKeyPath.c_str(), 0, KEY_READ | view, key.Put());
    if (opened == ERROR_FILE_NOT_FOUND)
        return BackupResult::KeyMissing;
    if (opened != ERROR_SUCCESS)
        return BackupResult::Failed;
    std::vector<RegKeyData> keys;
    if (!ReadKeyTree(key.Get(), rootName + L"\\" + record.relativeKeyPath, view, 0, keys))
        return BackupResult::Failed;
    const std::optional<std::wstring> text = MakeRegFileText(keys);
    if (!text)
        return BackupResult::Failed;

    if (!IsAbsolutePath(folder))
        return BackupResult::Failed; // a relative folder would put the file wherever we happen to be
    const std::wstring base = folder.back() == L'\\' ? folder : folder + L"\\";
    if (!IsPlainFolder(base))
        return BackupResult::Failed;
    return WriteNewFile(base, *text, backupFile) ? BackupResult::Written : BackupResult::Failed;
}

} // namespace tsu
