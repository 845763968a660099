#include "tests/common/ScratchKey.h"
#include "tests/common/ProcessTestSupport.h"

namespace tsu::test {

namespace {
constexpr REGSAM kView = KEY_WOW64_64KEY;
}

bool DeleteKeyTree(HKEY root, const std::wstring& path) {
    UniqueHkey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | kView, key.Put()) == ERROR_SUCCESS)
        ::RegDeleteTreeW(key.Get(), nullptr);
    key.Reset();
    const LSTATUS status = ::RegDeleteKeyExW(root, path.c_str(), kView, 0);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

ScratchKey::ScratchKey(HKEY root, std::wstring path) : m_root(root), m_path(std::move(path)) {
    DeleteKeyTree(m_root, m_path);
    UniqueHkey key;
    m_valid = ::RegCreateKeyExW(m_root, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | kView, nullptr, key.Put(),
                                nullptr) == ERROR_SUCCESS;
}

ScratchKey::~ScratchKey() { DeleteKeyTree(m_root, m_path); }

bool ScratchKey::DeleteSubkey(const std::wstring& name) { return DeleteKeyTree(m_root, m_path + L"\\" + name); }

bool ScratchKey::SetRaw(const std::wstring& subkey, const std::wstring& name, DWORD type, const void* data,
                        DWORD bytes) {
    UniqueHkey key;
    const std::wstring path = subkey.empty() ? m_path : m_path + L"\\" + subkey;
    if (::RegCreateKeyExW(m_root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | kView, nullptr, key.Put(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return ::RegSetValueExW(key.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes) == ERROR_SUCCESS;
}

bool ScratchKey::SetString(const std::wstring& subkey, const std::wstring& name, const std::wstring& value) {
    return SetRaw(subkey, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool ScratchKey::SetDword(const std::wstring& subkey, const std::wstring& name, uint32_t value) {
    const DWORD data = value;
    return SetRaw(subkey, name, REG_DWORD, &data, sizeof data);
}

ScratchInventory::ScratchInventory(const std::wstring& tag)
    : products(HKEY_CURRENT_USER, L"Software\\TsuTest\\" + UniqueName(tag) + L"\\Products"),
      entries(HKEY_CURRENT_USER, L"Software\\TsuTest\\" + UniqueName(tag) + L"\\Uninstall") {}

InventoryLocations ScratchInventory::Locations() const {
    InventoryLocations locations;
    locations.installerProducts = {kRootCurrentUser, products.Path()};
    locations.uninstallKeys64 = {{kRootCurrentUser, entries.Path()}};
    locations.uninstallKeys32 = locations.uninstallKeys64;
    return locations;
}

void ScratchInventory::AddProgram(const std::wstring& keyName, const std::wstring& displayName,
                                  const std::wstring& uninstallString, const std::wstring& version,
                                  const std::wstring& displayIcon, uint32_t estimatedSizeKb) {
    entries.SetString(keyName, L"DisplayName", displayName);
    entries.SetString(keyName, L"UninstallString", uninstallString);
    if (!version.empty())
        entries.SetString(keyName, L"DisplayVersion", version);
    if (!displayIcon.empty())
        entries.SetString(keyName, L"DisplayIcon", displayIcon);
    if (estimatedSizeKb)
        entries.SetDword(keyName, L"EstimatedSize", estimatedSizeKb);
}

} // namespace tsu::test
