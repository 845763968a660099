#include "uninstall/core/MonitorPass.h"

#include <algorithm>

namespace tsu {

namespace {
template <typename T> bool ContainsValue(const std::vector<T>& list, const T& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}
template <typename T> void RemoveValue(std::vector<T>& list, const T& value) {
    list.erase(std::remove(list.begin(), list.end(), value), list.end());
}
} // namespace

std::wstring_view MonitorStateText(int32_t stateCode) {
    switch (stateCode) {
    case kMonitorStateStart:
        return L"Start Monitor Process";
    case kMonitorStateNewProcess:
        return L"Create New Process";
    case kMonitorStateClose:
        return L"Process Close";
    case kMonitorStateActivity:
        return L"ACTIVITY Process";
    case kMonitorStateFinished:
        return L"Surveillance missions over";
    default:
        return std::wstring_view();
    }
}

bool AddWatchedId(MonitorLists& lists, uint32_t processId) {
    if (ContainsValue(lists.watchedIds, processId))
        return false;
    lists.watchedIds.push_back(processId);
    return true;
}

bool AddIgnoredLowerName(MonitorLists& lists, std::wstring lowerCaseName) {
    if (ContainsValue(lists.ignoredNames, lowerCaseName))
        return false;
    lists.ignoredNames.push_back(std::move(lowerCaseName));
    return true;
}

std::vector<int32_t> RunMonitorPass(MonitorLists& lists, const std::vector<ProcessEntry>& snapshot,
                                    const LowerCaseFn& lowerCase) {
    std::vector<int32_t> states;
    std::vector<uint32_t> missing = lists.liveIds;
    for (const ProcessEntry& entry : snapshot) {
        const bool isWatched = ContainsValue(lists.watchedIds, entry.id);
        const bool parentWatched = !isWatched && ContainsValue(lists.watchedIds, entry.parentId);
        if (!isWatched && !parentWatched)
            continue;
        if (parentWatched) {
            if (ContainsValue(lists.ignoredNames, lowerCase(entry.exeName)))
                continue;
            AddWatchedId(lists, entry.id);
            states.push_back(kMonitorStateNewProcess);
        }
        RemoveValue(missing, entry.id);
        if (!ContainsValue(lists.liveIds, entry.id)) {
            lists.liveIds.push_back(entry.id);
            states.push_back(kMonitorStateActivity);
        }
    }
    if (!missing.empty()) {
        states.push_back(kMonitorStateClose);
        for (uint32_t id : missing)
            RemoveValue(lists.liveIds, id);
    }
    if (lists.liveIds.empty())
        states.push_back(kMonitorStateFinished);
    return states;
}

} // namespace tsu
