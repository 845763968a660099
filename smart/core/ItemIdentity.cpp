#include "smart/core/ItemIdentity.h"

#include "uninstall/engine/core/PathText.h"

namespace tsu {

namespace {
constexpr std::wstring_view kLocalPrefix = L"\\\\?\\";
constexpr std::wstring_view kUncPrefix = L"\\\\?\\UNC\\";
} // namespace

std::wstring PathFromFinalName(std::wstring_view finalName) {
    if (finalName.substr(0, kUncPrefix.size()) == kUncPrefix)
        return L"\\\\" + std::wstring(finalName.substr(kUncPrefix.size()));
    if (finalName.substr(0, kLocalPrefix.size()) == kLocalPrefix)
        return std::wstring(finalName.substr(kLocalPrefix.size()));
    return std::wstring(finalName);
}

bool IsAnalysedItem(const ItemRecord& record, const FileIdentity& now, std::wstring_view finalPathNow) {
    if (!(record.identity == now) || finalPathNow.empty())
        return false;
    return record.scopeRoot.empty() ? SamePath(finalPathNow, record.finalPath)
                                    : IsPathBelow(finalPathNow, record.scopeRoot);
}

} // namespace tsu
