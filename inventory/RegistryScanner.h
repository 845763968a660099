#pragma once
// Reads installed programs from the Uninstall keys and icons from the Installer products, and
// tells whether one uninstall entry still describes an installed program. Holds no state: every
// operation opens, reads and closes its own keys, so any thread may call it. A long uninstall key
// is read on two threads.

#include "inventory/core/SoftwareRecord.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace tsu {

// Which registry view the scanner reads, with the buffer sizes that go with it.
enum class RegistryView {
    Default,   // 32-bit Windows: default view, 512-character names, 512-byte values
    Wow64Key64 // 64-bit Windows: KEY_WOW64_64KEY, 1024-character names, 1024-byte values
};

// A predefined root stored as 32 bits back into an HKEY. Sign extension matters: the
// zero-extended value is not a valid handle in a 64-bit process.
[[nodiscard]] inline HKEY RootToHkey(uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(root)));
}

class RegistryScanner {
public:
    // Called with each entry's subkey name between enumerating and opening it; for a key of many
    // entries from either of two threads at once.
    using EntryHook = std::function<void(const std::wstring& subkeyName)>;

    explicit RegistryScanner(RegistryView view, EntryHook entryHook = nullptr);

    // Adds the listable entries below root\path to softwareMap (first entry of a name wins).
    // False only when the key cannot be opened.
    bool ScanUninstallKey(uint32_t root, const std::wstring& path, const ProductIconMap& productIcons,
                          SoftwareMap& softwareMap, bool filter) const;

    // Adds the Installer products with a name and an icon. False only when the key cannot be
    // opened; openError (optional) receives the reason.
    [[nodiscard]] bool ScanInstallerProducts(uint32_t root, const std::wstring& path, ProductIconMap& productIcons,
                                             LSTATUS* openError = nullptr) const;

    // True when the entry no longer describes an installed program: its key is not found, or it
    // lacks a display name or an uninstall command. Any other failure to open it (access denied,
    // for one) means it is still there.
    [[nodiscard]] bool IsEntryGone(uint32_t root, const std::wstring& relativeKeyPath) const;

    [[nodiscard]] RegistryView View() const { return m_view; }

private:
    [[nodiscard]] REGSAM ScannedKeyAccess() const;
    [[nodiscard]] bool ReadEntry(HKEY entry, const std::wstring& subkeyName, const FILETIME& lastWrite,
                                 uint32_t root, const std::wstring& path, const ProductIconMap& productIcons,
                                 bool filter, SoftwareRecord& record) const;

    RegistryView m_view;
    EntryHook m_entryHook;
};

} // namespace tsu
