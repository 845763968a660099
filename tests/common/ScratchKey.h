#pragma once
// A registry key a test creates and removes again with everything below it.

#include "framework/ScopedHandles.h"
#include "inventory/InventorySequence.h"

#include <cstdint>
#include <string>

namespace tsu::test {

class ScratchKey {
public:
    // Creates root\path (64-bit view), deleting any leftover of an earlier run first.
    ScratchKey(HKEY root, std::wstring path);
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    [[nodiscard]] const std::wstring& Path() const { return m_path; }
    [[nodiscard]] bool IsValid() const { return m_valid; }

    bool DeleteSubkey(const std::wstring& name);
    bool SetString(const std::wstring& subkey, const std::wstring& name, const std::wstring& value);
    bool SetDword(const std::wstring& subkey, const std::wstring& name, uint32_t value);
    // Raw bytes of any type: strings without terminator, odd counts, wrong types.
    bool SetRaw(const std::wstring& subkey, const std::wstring& name, DWORD type, const void* data, DWORD bytes);

private:
    HKEY m_root;
    std::wstring m_path;
    bool m_valid = false;
};

// Uninstall entries and installer products in scratch keys of the user hive (unique to this
// process), and the inventory locations that read only them.
struct ScratchInventory {
    explicit ScratchInventory(const std::wstring& tag);
    [[nodiscard]] InventoryLocations Locations() const;
    // An uninstall entry below entries; empty version, icon or size are left out.
    void AddProgram(const std::wstring& keyName, const std::wstring& displayName, const std::wstring& uninstallString,
                    const std::wstring& version = L"1", const std::wstring& displayIcon = L"",
                    uint32_t estimatedSizeKb = 0);
    ScratchKey products;
    ScratchKey entries;
};

// Deletes a key and all below it in the 64-bit view; true when it no longer exists.
bool DeleteKeyTree(HKEY root, const std::wstring& path);

} // namespace tsu::test
