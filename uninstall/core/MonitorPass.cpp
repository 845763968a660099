#include "uninstall/core/MonitorPass.h"

namespace tsu {

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
    if (!lists.watchedIds.insert(processId).second)
        return false;
    if (creationTime != 0)
        lists.creationTimes[processId] = creationTime;
    return true;
}

bool AddIgnoredLowerName(MonitorLists& lists, std::wstring lowerCaseName) {
    return lists.ignoredNames.insert(std::move(lowerCaseName)).second;
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
                      const std::unordered_map<uint32_t, uint64_t>& currentTimes) {
    if (lists.watchedIds.count(entry.parentId) == 0)
        return false;
    if (entry.creationTime == kUnknownTime)
        return true;
    const uint64_t parentTime = RecordedTime(lists, entry.parentId);
    // Older than the watched parent: its real parent ended long ago and the id was handed on.
    if (parentTime != kUnknownTime && entry.creationTime < parentTime)
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
                                    const LowerCaseFn& lowerCase) {
    std::vector<int32_t> states;
    std::unordered_set<uint32_t> missing = lists.liveIds;
    std::unordered_map<uint32_t, uint64_t> currentTimes;
    std::unordered_set<uint32_t> present; // watched processes this snapshot holds, new children included
    for (const ProcessEntry& entry : snapshot) {
        if (lists.watchedIds.count(entry.id) == 0)
            continue;
        if (entry.creationTime != kUnknownTime)
            currentTimes[entry.id] = entry.creationTime;
        if (IsSameProcess(lists, entry))
            present.insert(entry.id);
    }
    for (const ProcessEntry& entry : snapshot) {
        const bool isWatched = lists.watchedIds.count(entry.id) != 0 && IsSameProcess(lists, entry);
        const bool parentWatched = !isWatched && IsChildOfWatched(lists, entry, currentTimes);
        if (!isWatched && !parentWatched)
            continue;
        if (parentWatched) {
            if (lists.ignoredNames.count(lowerCase(entry.exeName)) != 0)
                continue;
            // The id may be one of an ended descendant, handed on to this new child.
            (void)AddWatchedId(lists, entry.id);
            lists.creationTimes[entry.id] = entry.creationTime;
            present.insert(entry.id);
            states.push_back(kMonitorStateNewProcess);
        } else if (RecordedTime(lists, entry.id) == kUnknownTime) {
            lists.creationTimes[entry.id] = entry.creationTime;
        }
        missing.erase(entry.id);
        if (lists.liveIds.insert(entry.id).second)
            states.push_back(kMonitorStateActivity);
    }
    if (!missing.empty()) {
        states.push_back(kMonitorStateClose);
        for (uint32_t id : missing)
            lists.liveIds.erase(id);
    }
    for (auto it = lists.watchedIds.begin(); it != lists.watchedIds.end();) {
        if (present.count(*it) != 0) {
            ++it;
            continue;
        }
        lists.creationTimes.erase(*it);
        it = lists.watchedIds.erase(it);
    }
    if (lists.liveIds.empty())
        states.push_back(kMonitorStateFinished);
    return states;
}

} // namespace tsu
