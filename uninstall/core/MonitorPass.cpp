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

bool AddWatchedId(MonitorLists& lists, uint32_t processId, uint64_t creationTime) {
    if (ContainsValue(lists.watchedIds, processId))
        return false;
    lists.watchedIds.push_back(processId);
    if (creationTime != 0)
        lists.creationTimes[processId] = creationTime;
    return true;
}

bool AddIgnoredLowerName(MonitorLists& lists, std::wstring lowerCaseName) {
    if (ContainsValue(lists.ignoredNames, lowerCaseName))
        return false;
    lists.ignoredNames.push_back(std::move(lowerCaseName));
    return true;
}

namespace {

constexpr uint64_t kUnknownTime = 0;

uint64_t RecordedTime(const MonitorLists& lists, uint32_t id) {
    const auto found = lists.creationTimes.find(id);
    return found == lists.creationTimes.end() ? kUnknownTime : found->second;
}

// The process holding a watched id is the one that was watched, as far as the times tell.
bool IsSameProcess(const MonitorLists& lists, const ProcessEntry& entry) {
    const uint64_t recorded = RecordedTime(lists, entry.id);
    return recorded == kUnknownTime || entry.creationTime == kUnknownTime || recorded == entry.creationTime;
}

bool IsChildOfWatched(const MonitorLists& lists, const ProcessEntry& entry,
                      const std::map<uint32_t, uint64_t>& currentTimes) {
    if (!ContainsValue(lists.watchedIds, entry.parentId))
        return false;
    if (entry.creationTime == kUnknownTime)
        return true;
    const uint64_t parentTime = RecordedTime(lists, entry.parentId);
    // Older than the watched parent: its real parent ended long ago and the id was handed on.
    if (parentTime != kUnknownTime && entry.creationTime < parentTime)
        return false;
    // Made after an earlier pass found the parent gone: the child of a later holder of the id.
    const auto ended = lists.endedBy.find(entry.parentId);
    if (ended != lists.endedBy.end() && entry.creationTime >= ended->second)
        return false;
    // The parent id belongs to a newer process now: children made after that are that one's.
    const auto holder = currentTimes.find(entry.parentId);
    if (holder != currentTimes.end() && holder->second != kUnknownTime && parentTime != kUnknownTime &&
        holder->second != parentTime && entry.creationTime >= holder->second)
        return false;
    return true;
}

} // namespace

std::vector<int32_t> RunMonitorPass(MonitorLists& lists, const std::vector<ProcessEntry>& snapshot,
                                    const LowerCaseFn& lowerCase, uint64_t snapshotTime) {
    std::vector<int32_t> states;
    std::vector<uint32_t> missing = lists.liveIds;
    std::map<uint32_t, uint64_t> currentTimes;
    std::vector<uint32_t> present; // watched processes this snapshot still holds
    for (const ProcessEntry& entry : snapshot) {
        if (!ContainsValue(lists.watchedIds, entry.id))
            continue;
        if (entry.creationTime != kUnknownTime)
            currentTimes[entry.id] = entry.creationTime;
        if (IsSameProcess(lists, entry))
            present.push_back(entry.id);
    }
    // Recorded before the children are looked at: this pass's own snapshot already tells that a
    // process made after snapshotTime cannot be a child of these.
    if (snapshotTime != kUnknownTime) {
        for (uint32_t id : lists.watchedIds) {
            if (!ContainsValue(present, id))
                lists.endedBy.emplace(id, snapshotTime); // the first pass that missed it counts
        }
    }
    for (const ProcessEntry& entry : snapshot) {
        const bool isWatched = ContainsValue(lists.watchedIds, entry.id) && IsSameProcess(lists, entry);
        const bool parentWatched = !isWatched && IsChildOfWatched(lists, entry, currentTimes);
        if (!isWatched && !parentWatched)
            continue;
        if (parentWatched) {
            if (ContainsValue(lists.ignoredNames, lowerCase(entry.exeName)))
                continue;
            // The id may be one of an ended descendant, handed on to this new child.
            (void)AddWatchedId(lists, entry.id);
            lists.creationTimes[entry.id] = entry.creationTime;
            lists.endedBy.erase(entry.id);
            states.push_back(kMonitorStateNewProcess);
        } else if (RecordedTime(lists, entry.id) == kUnknownTime) {
            lists.creationTimes[entry.id] = entry.creationTime;
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
