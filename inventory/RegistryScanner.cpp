#include "inventory/RegistryScanner.h"

#include "framework/ScopedHandles.h"
#include "inventory/RegistryEntryValues.h"
#include "inventory/RegistryValue.h"
#include "inventory/core/InventoryRules.h"

#include <algorithm>
#include <array>
#include <exception>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace tsu {

namespace {

struct ViewBuffers {
    DWORD subkeyNameChars;
    size_t valueBytes;
};

constexpr ViewBuffers kDefaultViewBuffers{512, 512};
constexpr ViewBuffers kWow64ViewBuffers{1024, 1024};
// The products scan and the presence check use the small buffers in both views.
constexpr DWORD kProductNameChars = 512;
constexpr size_t kProductValueBytes = 512;
constexpr size_t kPresenceValueBytes = 512;
constexpr DWORD kLargestNameChars = 1024;
// An uninstall key with at least this many entries is read on two threads; fewer are not worth one.
constexpr size_t kTwoThreadEntries = 64;

// Entry key's last-write time as a local calendar date; empty when a conversion fails.
std::wstring LastWriteDate(const FILETIME& lastWrite) {
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!::FileTimeToSystemTime(&lastWrite, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return std::wstring();
    return FormatInstallDate(local.wYear, local.wMonth, local.wDay);
}

struct Subkey {
    std::wstring name;
    FILETIME lastWrite;
};

// All subkey names first, then the entries: enumerating by index while opening entries would skip
// the neighbour of an entry that an uninstaller deletes meanwhile. A name that cannot be read (too
// long for the buffer) is skipped. False when the subkey count cannot be queried.
bool ListSubkeys(HKEY key, DWORD nameChars, std::vector<Subkey>& subkeys) {
    DWORD count = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    subkeys.reserve(count);
    std::array<wchar_t, kLargestNameChars + 1> buffer{};
    for (DWORD index = 0; index < count; ++index) {
        DWORD chars = std::min(nameChars, kLargestNameChars);
        FILETIME lastWrite{};
        if (::RegEnumKeyExW(key, index, buffer.data(), &chars, nullptr, nullptr, nullptr, &lastWrite) != ERROR_SUCCESS)
            continue;
        subkeys.push_back(Subkey{std::wstring(buffer.data(), chars), lastWrite});
    }
    return true;
}

} // namespace

RegistryScanner::RegistryScanner(RegistryView view, EntryHook entryHook)
    : m_view(view), m_entryHook(std::move(entryHook)) {}

REGSAM RegistryScanner::ScannedKeyAccess() const {
    return m_view == RegistryView::Wow64Key64 ? KEY_READ | KEY_WOW64_64KEY : KEY_READ;
}

bool RegistryScanner::ScanUninstallKey(uint32_t root, const std::wstring& path, const ProductIconMap& productIcons,
                                       SoftwareMap& softwareMap, bool filter) const {
    UniqueHkey key;
    if (::RegOpenKeyExW(RootToHkey(root), path.c_str(), 0, ScannedKeyAccess(), key.Put()) != ERROR_SUCCESS)
        return false;
    const ViewBuffers& buffers = m_view == RegistryView::Wow64Key64 ? kWow64ViewBuffers : kDefaultViewBuffers;
    std::vector<Subkey> subkeys;
    if (!ListSubkeys(key.Get(), buffers.subkeyNameChars, subkeys))
        return true;
    // A long list is read in two halves, the second on a thread of its own: the registry answers
    // one thread while the other works. The records go into the map in the key's order, so the
    // first entry of a name wins as it does on one thread.
    std::vector<std::optional<SoftwareRecord>> records(subkeys.size());
    const auto readRange = [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) {
            const Subkey& subkey = subkeys[i];
            if (m_entryHook)
                m_entryHook(subkey.name);
            UniqueHkey entry;
            if (::RegOpenKeyExW(key.Get(), subkey.name.c_str(), 0, KEY_READ, entry.Put()) != ERROR_SUCCESS)
                continue;
            SoftwareRecord record;
            if (ReadEntry(entry.Get(), subkey.name, subkey.lastWrite, root, path, productIcons, filter, record))
                records[i] = std::move(record);
        }
    };
    size_t half = subkeys.size() >= kTwoThreadEntries ? subkeys.size() / 2 : subkeys.size();
    std::exception_ptr secondFailure;
    std::thread second;
    if (half < subkeys.size()) {
        try {
            second = std::thread([&] {
                try {
                    readRange(half, subkeys.size());
                } catch (...) {
                    secondFailure = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            half = subkeys.size(); // no thread to be had: all of them on this one
        }
    }
    std::exception_ptr firstFailure;
    try {
        readRange(0, half);
    } catch (...) {
        firstFailure = std::current_exception();
    }
    if (second.joinable())
        second.join();
    if (firstFailure)
        std::rethrow_exception(firstFailure);
    if (secondFailure)
        std::rethrow_exception(secondFailure);
    for (std::optional<SoftwareRecord>& record : records) {
        if (record)
            InsertFirstWins(softwareMap, record->displayName, std::move(*record));
    }
    return true;
}

bool RegistryScanner::ReadEntry(HKEY entry, const std::wstring& subkeyName, const FILETIME& lastWrite, uint32_t root,
                                const std::wstring& path, const ProductIconMap& productIcons, bool filter,
                                SoftwareRecord& record) const {
    const size_t valueBytes =
        m_view == RegistryView::Wow64Key64 ? kWow64ViewBuffers.valueBytes : kDefaultViewBuffers.valueBytes;
    // One pass over the entry's values instead of a query per name: far fewer registry round trips.
    const RegistryEntryValues values(entry,
                                     {L"SystemComponent", L"ReleaseType", L"BundleProviderKey", L"DisplayIcon",
                                      L"DisplayName", L"DisplayVersion", L"InstallLocation", L"InstallDate",
                                      L"EstimatedSize", L"UninstallString", L"QuietUninstallString"},
                                     valueBytes);
    if (filter && IsExcludedEntry(values.Dword(L"SystemComponent"), values.TextOrEmpty(L"ReleaseType"),
                                  values.TextOrEmpty(L"BundleProviderKey")))
        return false;

    record.keyPath = MakeKeyPath(root, path, subkeyName);
    record.rootKey = root;
    record.relativeKeyPath = MakeRelativeKeyPath(path, subkeyName);

    std::wstring displayIcon = values.TextOrEmpty(L"DisplayIcon");
    if (m_view == RegistryView::Wow64Key64 && IsMsiexecIcon(displayIcon))
        displayIcon.clear();
    ApplyIconText(record, ParseIconText(displayIcon));

    record.displayName = values.TextOrEmpty(L"DisplayName");
    record.displayVersion = values.TextOrEmpty(L"DisplayVersion");
    record.installLocation = values.TextOrEmpty(L"InstallLocation");
    if (auto installDate = values.Text(L"InstallDate"))
        record.installDate = std::move(*installDate);
    else
        record.installDate = LastWriteDate(lastWrite);
    record.sizeText = FormatSizeText(values.Dword(L"EstimatedSize"));

    record.uninstallString = values.TextOrEmpty(L"UninstallString");
    if (IsHiddenUninstallString(record.uninstallString))
        return false;
    record.quietUninstallString = values.TextOrEmpty(L"QuietUninstallString");
    CompleteIconFromProducts(record, productIcons);
    return IsListable(record);
}

bool RegistryScanner::ScanInstallerProducts(uint32_t root, const std::wstring& path, ProductIconMap& productIcons,
                                            LSTATUS* openError) const {
    UniqueHkey key;
    const LSTATUS status = ::RegOpenKeyExW(RootToHkey(root), path.c_str(), 0, ScannedKeyAccess(), key.Put());
    if (openError)
        *openError = status;
    if (status != ERROR_SUCCESS)
        return false;
    std::vector<Subkey> subkeys;
    if (!ListSubkeys(key.Get(), kProductNameChars, subkeys))
        return true;
    for (const Subkey& subkey : subkeys) {
        UniqueHkey product;
        if (::RegOpenKeyExW(key.Get(), subkey.name.c_str(), 0, KEY_READ, product.Put()) != ERROR_SUCCESS)
            continue;
        ProductIconInfo info;
        ApplyIconText(info, ParseIconText(ReadRegistryTextOrEmpty(product.Get(), L"ProductIcon", kProductValueBytes)));
        info.productName = ReadRegistryTextOrEmpty(product.Get(), L"ProductName", kProductValueBytes);
        if (info.productName.size() > 1 && info.iconPath.size() > 1)
            InsertFirstWins(productIcons, info.productName, std::move(info));
    }
    return true;
}

bool RegistryScanner::IsEntryGone(uint32_t root, const std::wstring& relativeKeyPath) const {
    UniqueHkey entry;
    const REGSAM access = m_view == RegistryView::Wow64Key64 ? KEY_READ | KEY_WOW64_64KEY : KEY_READ;
    const LSTATUS status = ::RegOpenKeyExW(RootToHkey(root), relativeKeyPath.c_str(), 0, access, entry.Put());
    if (status == ERROR_FILE_NOT_FOUND)
        return true;
    if (status != ERROR_SUCCESS)
        return false; // access denied and the like: the entry is still there

    // A value too long for the buffer still exists, so it counts as present.
    const auto hasText = [&](const wchar_t* name) {
        std::array<wchar_t, kPresenceValueBytes / sizeof(wchar_t) + 1> buffer{};
        DWORD bytes = kPresenceValueBytes;
        const LSTATUS read =
            ::RegQueryValueExW(entry.Get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
        if (read == ERROR_MORE_DATA)
            return true;
        return read == ERROR_SUCCESS && bytes >= sizeof(wchar_t) && buffer[0] != L'\0';
    };
    return !hasText(L"DisplayName") || !hasText(L"UninstallString");
}

} // namespace tsu
