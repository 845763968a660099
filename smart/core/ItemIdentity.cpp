#include "smart/core/ItemIdentity.h"

#include "core/PathText.h"

namespace tsu {

bool IsAnalysedItem(const ItemRecord& record, const FileIdentity& now, std::wstring_view finalPathNow) {
    if (!(record.identity == now) || finalPathNow.empty())
        return false;
    return record.scopeRoot.empty() ? SamePath(finalPathNow, record.finalPath)
                                    : IsPathBelow(finalPathNow, record.scopeRoot);
}

} // namespace tsu
