#pragma once
// Rules that turn uninstall-entry values into a SoftwareRecord. Portable: no Win32 here.

#include "inventory/core/SoftwareRecord.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tsu {

// EstimatedSize (kilobytes) as the list shows it: "1.50 GB", "3.25 MB", "12 KB", or empty for 0.
[[nodiscard]] std::wstring FormatSizeText(uint32_t kilobytes);

// A DisplayIcon or ProductIcon text split into file, index and kind.
struct IconText {
    std::wstring path;
    int32_t index = 0;
    int32_t kind = kIconKindOther;
};
[[nodiscard]] IconText ParseIconText(std::wstring_view raw);

// Copies path, index and kind of a parsed icon into a record or product.
template <typename T> void ApplyIconText(T& target, const IconText& icon) {
    target.iconPath = icon.path;
    target.iconIndex = icon.index;
    target.iconKind = icon.kind;
}

// "%d%02d%02d" of a calendar date (eight digits for years 1000 to 9999).
[[nodiscard]] std::wstring FormatInstallDate(int year, int month, int day);

// The exclusion rules of the scan, tested in this order: system components, hotfixes and
// service packs, bundled KB updates.
[[nodiscard]] bool IsExcludedEntry(uint32_t systemComponent, std::wstring_view releaseType,
                                   std::wstring_view bundleProviderKey);

// An UninstallString containing "Hidden" (case-sensitive) marks an entry the user must not see.
[[nodiscard]] bool IsHiddenUninstallString(std::wstring_view uninstallString);

// The 64-bit-view scan ignores DisplayIcon texts that point at msiexec.exe.
[[nodiscard]] bool IsMsiexecIcon(std::wstring_view displayIcon);

// "HKEY_LOCAL_MACHINE\<path>\<subkey>" or "HKEY_CURRENT_USER\<path>\<subkey>"; empty for other roots.
[[nodiscard]] std::wstring MakeKeyPath(uint32_t rootKey, std::wstring_view path, std::wstring_view subkey);
[[nodiscard]] std::wstring MakeRelativeKeyPath(std::wstring_view path, std::wstring_view subkey);

// A record from the scan is listed only with a name and a command of at least two characters.
[[nodiscard]] bool IsListable(const SoftwareRecord& record);

// Fills a missing icon (path shorter than four characters) from the Installer product of the
// same display name, matched exactly.
void CompleteIconFromProducts(SoftwareRecord& record, const ProductIconMap& products);

} // namespace tsu
