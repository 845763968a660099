#include "inventory/core/InventoryRules.h"

#include "core/TextRules.h"

#include <cstdio>

namespace tsu {

std::wstring FormatSizeText(uint32_t kilobytes) {
    char buffer[64] = {};
    if (kilobytes > 0x100000u) {
        // Computed in double, kept in single precision, so the decimals are the float's.
        float gigabytes = static_cast<float>(static_cast<double>(kilobytes) / 1024 / 1024);
        std::snprintf(buffer, sizeof buffer, "%0.2f GB", static_cast<double>(gigabytes));
    } else if (kilobytes > 1024u) {
        float megabytes = static_cast<float>(static_cast<double>(kilobytes) / 1024);
        std::snprintf(buffer, sizeof buffer, "%0.2f MB", static_cast<double>(megabytes));
    } else if (kilobytes >= 1u) {
        std::snprintf(buffer, sizeof buffer, "%d KB", static_cast<int>(kilobytes));
    }
    return WidenAscii(buffer);
}

namespace {
std::wstring_view StripQuotes(std::wstring_view text) {
    while (!text.empty() && text.front() == L'"')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == L'"')
        text.remove_suffix(1);
    return text;
}
} // namespace

IconText ParseIconText(std::wstring_view raw) {
    IconText icon;
    const std::wstring upper = ToUpperAscii(raw);
    if (Contains(upper, L".EXE"))
        icon.kind = kIconKindExe;
    else if (Contains(upper, L".DLL"))
        icon.kind = kIconKindDll;
    else
        icon.kind = kIconKindOther;

    std::wstring_view path = raw;
    std::wstring_view indexText;
    const size_t comma = raw.find(L',');
    if (comma != std::wstring_view::npos) {
        path = raw.substr(0, comma);
        indexText = raw.substr(comma + 1);
    }
    icon.path = std::wstring(StripQuotes(path));
    if (!indexText.empty())
        icon.index = ParseLeadingInt(StripQuotes(indexText));
    return icon;
}

std::wstring FormatInstallDate(int year, int month, int day) {
    char buffer[48] = {};
    std::snprintf(buffer, sizeof buffer, "%d%02d%02d", year, month, day);
    return WidenAscii(buffer);
}

bool IsExcludedEntry(uint32_t systemComponent, std::wstring_view releaseType, std::wstring_view bundleProviderKey) {
    if (systemComponent == 1)
        return true;
    if (Contains(releaseType, L"Hotfix") || Contains(releaseType, L"ServicePack"))
        return true;
    return Contains(bundleProviderKey, L"KB");
}

bool IsHiddenUninstallString(std::wstring_view uninstallString) { return Contains(uninstallString, L"Hidden"); }

bool IsMsiexecIcon(std::wstring_view displayIcon) { return Contains(displayIcon, L"msiexec.exe"); }

std::wstring MakeKeyPath(uint32_t rootKey, std::wstring_view path, std::wstring_view subkey) {
    std::wstring prefix;
    if (rootKey == kRootLocalMachine)
        prefix = L"HKEY_LOCAL_MACHINE\\";
    else if (rootKey == kRootCurrentUser)
        prefix = L"HKEY_CURRENT_USER\\";
    else
        return std::wstring();
    return prefix + MakeRelativeKeyPath(path, subkey);
}

std::wstring MakeRelativeKeyPath(std::wstring_view path, std::wstring_view subkey) {
    std::wstring result(path);
    result += L'\\';
    result += subkey;
    return result;
}

bool IsListable(const SoftwareRecord& record) {
    return record.displayName.size() > 1 && record.uninstallString.size() > 1;
}

void CompleteIconFromProducts(SoftwareRecord& record, const ProductIconMap& products) {
    if (record.iconPath.size() >= 4)
        return;
    const auto found = products.find(record.displayName);
    if (found == products.end())
        return;
    record.iconPath = found->second.iconPath;
    record.iconIndex = found->second.iconIndex;
    record.iconKind = found->second.iconKind;
}

} // namespace tsu
