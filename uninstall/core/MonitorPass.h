#pragma once
// The bookkeeping of the uninstaller process monitor: which processes it follows, which of them
// are running, and what one polling pass over a process list makes of that. Portable: the Win32
// side takes the snapshot and lower-cases names; the rules live here.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tsu {

// State codes the monitor enters, with the texts passed along with them.
inline constexpr int32_t kMonitorStateIdle = 0;
inline constexpr int32_t kMonitorStateStart = 1;       // a monitoring thread starts
inline constexpr int32_t kMonitorStateNewProcess = 10; // a new child of a followed process was found
inline constexpr int32_t kMonitorStateClose = 11;      // a followed, running process has ended
inline constexpr int32_t kMonitorStateActivity = 12;   // a followed process was seen running the first time
inline constexpr int32_t kMonitorStateFinished = 100;  // nothing followed is running any more

// "Start Monitor Process", "Create New Process", "Process Close", "ACTIVITY Process",
// "Surveillance missions over"; empty for other codes.
[[nodiscard]] std::wstring_view MonitorStateText(int32_t stateCode);

// One entry of a process snapshot.
struct ProcessEntry {
    uint32_t id = 0;
    uint32_t parentId = 0;
    std::wstring exeName;      // executable file name as the system reports it
    uint64_t creationTime = 0; // FILETIME ticks; 0 when the snapshot does not tell
};

// The monitor's lists. Hash sets: an uninstaller may start thousands of short-lived children, and
// every entry of every snapshot is looked up in them.
struct MonitorLists {
    // Processes followed: the launched process and every descendant found, until a pass no longer
    // finds them (their children are in that pass's snapshot, so nothing is lost by dropping them).
    std::unordered_set<uint32_t> watchedIds;
    std::unordered_set<uint32_t> liveIds;          // watched processes the last pass saw running
    std::unordered_set<std::wstring> ignoredNames; // lower-case executable names never followed
    // Creation time of the process each watched id stood for when it was first seen. Windows hands
    // the id of an ended process to the next new one; the time tells the two apart.
    std::unordered_map<uint32_t, uint64_t> creationTimes;
};

// False when the id is already watched. creationTime (FILETIME ticks, 0 when not known) pins the
// id to that process: a launched process that ends before the first pass would otherwise leave
// its id open to be taken for a parent by any older process that names it (an orphan whose own
// parent once had the id), or by a stranger that gets the id next.
bool AddWatchedId(MonitorLists& lists, uint32_t processId, uint64_t creationTime = 0);
// Takes an already lower-cased name; false when it is already there (exact comparison).
bool AddIgnoredLowerName(MonitorLists& lists, std::wstring lowerCaseName);

using LowerCaseFn = std::function<std::wstring(std::wstring_view)>;

// One polling pass over a complete snapshot. Returns the states entered, in order: 10 and 12 as
// processes are found, then 11 when a live process is gone, then 100 when none is left alive.
// lowerCase is only asked for the names of candidate children.
// Where the snapshot gives creation times, a process that merely inherited an id is not taken for
// the watched process that had it: a process holding a watched id but created at another time is
// not followed (unless it is a new child of a watched process), and a process is only taken for a
// child when it is not older than its parent and not younger than whoever holds the parent's id
// now if that is someone else. Watched ids the snapshot lacks are dropped at the end of the pass:
// whatever such a process started before it ended is in this snapshot, and whatever names it as
// parent later got the id from a stranger. The snapshot must therefore be taken after every id was
// added that the pass should know (ids added meanwhile would be dropped unseen).
[[nodiscard]] std::vector<int32_t> RunMonitorPass(MonitorLists& lists, const std::vector<ProcessEntry>& snapshot,
                                                  const LowerCaseFn& lowerCase);

} // namespace tsu
