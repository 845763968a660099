#include "uninstall/core/MonitorPass.h"

#include <gtest/gtest.h>
#include <cwctype>
#include <string>
#include <unordered_set>
#include <vector>

namespace tsu {
namespace {

using Ids = std::unordered_set<uint32_t>;
using States = std::vector<int32_t>;
using Snapshot = std::vector<ProcessEntry>;
constexpr int32_t N = kMonitorStateNewProcess, C = kMonitorStateClose, A = kMonitorStateActivity,
                  F = kMonitorStateFinished;
// Windows hands the id of an ended process to the next new one: creation times tell them apart.
constexpr uint64_t kT0 = 1'000'000;

std::vector<int32_t> Pass(MonitorLists& lists, const Snapshot& extra) {
    // A system with a few unrelated processes around the ones a test cares about.
    Snapshot snapshot{
        {0, 0, L"[System Process]"}, {4, 0, L"System"}, {300, 4, L"services.exe"}, {512, 300, L"explorer.exe"}};
    snapshot.insert(snapshot.end(), extra.begin(), extra.end());
    return RunMonitorPass(lists, snapshot, [](std::wstring_view text) {
        std::wstring lower(text);
        for (wchar_t& c : lower)
            c = static_cast<wchar_t>(std::towlower(c));
        return lower;
    });
}

// The launched process 1000 is watched (with the creation time the launch knows, if any), then each
// snapshot is one pass; at the end the same ids are live and watched.
struct PassCase {
    const char* name;
    uint64_t launchTime;
    std::vector<std::pair<Snapshot, States>> passes;
    Ids followed;
    const wchar_t* ignored = L"";
};

const ProcessEntry kU0{1000, 512, L"u.exe"}; // no creation time
const ProcessEntry kU{1000, 512, L"u.exe", kT0}, kA{1100, 1000, L"a.exe", kT0 + 10}, kG{1200, 1100, L"g.exe"};

// clang-format off
const PassCase kPassCases[] = {
    {"GoneBeforeTheFirstPass", 0, {{{}, {F}}}, {}},
    // The NSIS pattern: the uninstaller starts its copy in %TEMP% and exits at once.
    {"CopyOutlivesTheLaunchedProcess", 0,
     {{{kU0, {1100, 1000, L"Au_.exe"}}, {A, N, A}}, {{{1100, 1000, L"Au_.exe"}}, {C}}, {{}, {C, F}}}, {}},
    // The grandchild g is listed before the child: recognised only once its parent is watched, and
    // not lost meanwhile; it outlives the child.
    {"GrandchildListedBeforeItsParent", 0,
     {{{kG, {1100, 1000, L"c.exe"}}, {N, A}}, {{kG, {1100, 1000, L"c.exe"}}, {N, A}}, {{kG}, {C}}, {{}, {C, F}}}, {}},
    {"IgnoredChildAndItsChildrenAreNotFollowed", 0,
     {{{kU0, {1100, 1000, L"IEXPLORE.EXE"}, {1150, 1100, L"iexplore.exe"}}, {A}},
      {{{1100, 1000, L"IEXPLORE.EXE"}, {1150, 1100, L"iexplore.exe"}}, {C, F}}}, {}, L"iexplore.exe"},
    {"WithoutCreationTimesIdsAreTakenAtTheirWord", 0, {{{kU0, {2000, 1000, L"x.exe"}}, {A, N, A}}}, {1000, 2000}},
    // The child ends and a tab started by explorer gets its id: not waited for.
    {"StrangerWithTheIdOfAnEndedChild", 0, {{{kU, kA}, {A, N, A}}, {{kU, {1100, 512, L"tab.exe", kT0 + 50}}, {C}},
     {{{1100, 512, L"tab.exe", kT0 + 50}}, {C, F}}}, {}},
    {"NewChildThatGotTheIdOfAnEndedChild", 0, {{{kU, kA}, {A, N, A}}, {{kU, {1100, 1000, L"b.exe", kT0 + 60}}, {N}}},
     {1000, 1100}},
    // explorer.exe's parent ended long ago and its id went to the launched uninstaller.
    {"OlderThanTheWatchedParentIsNoChild", 0,
     {{{{1000, 4, L"u.exe", kT0}, {2000, 1000, L"explorer.exe", kT0 - 500}}, {A}}}, {1000}},
    // 1100 ended and a stranger got its id; neither the stranger nor its child is followed.
    {"ChildOfTheNewHolderOfAParentId", 0, {{{kU, kA}, {A, N, A}},
     {{kU, {1100, 512, L"stranger.exe", kT0 + 90}, {1300, 1100, L"s.exe", kT0 + 95}}, {C}}}, {1000}},
    // a.exe started b.exe and ended; a stranger holds 1100 now, but b.exe is older than it.
    {"ChildMadeBeforeItsParentEnded", 0, {{{kU, kA}, {A, N, A}},
     {{kU, {1100, 512, L"stranger.exe", kT0 + 90}, {1200, 1100, L"b.exe", kT0 + 20}}, {N, A, C}}}, {1000, 1200}},
    // Once a pass found 1100 gone, what names it as parent later got the id from a stranger.
    {"MadeAfterAPassFoundItsParentGone", kT0, {{{kU, kA}, {A, N, A}}, {{kU}, {C}},
     {{kU, {1300, 1100, L"tray.exe", kT0 + 150}}, {}}, {{{1300, 1100, L"tray.exe", kT0 + 150}}, {C, F}}}, {}},
    {"MadeBeforeThePassThatFoundItsParentGone", kT0,
     {{{kU, kA}, {A, N, A}}, {{kU, {1200, 1100, L"b.exe", kT0 + 50}}, {N, A, C}}}, {1000, 1200}},
    {"NewHolderOfAGoneChildsIdHasItsChildrenFollowed", kT0, {{{kU, kA}, {A, N, A}}, {{kU}, {C}},
     {{kU, {1100, 1000, L"b.exe", kT0 + 150}}, {N, A}},
     {{kU, {1100, 1000, L"b.exe", kT0 + 150}, {1400, 1100, L"c.exe", kT0 + 250}}, {N, A}}}, {1000, 1100, 1400}},
    // The launched process ended before the first pass; its creation time still ties the id.
    {"LaunchedGoneAdoptsNoOlderOrphan", kT0, {{{{2000, 1000, L"services.exe", kT0 - 500}}, {F}}}, {}},
    {"LaunchedGoneStrangerWithItsIdIsNotWaitedFor", kT0, {{{{1000, 512, L"x.exe", kT0 + 90}}, {F}}}, {}},
    {"LaunchedGoneItsCopyIsFollowed", kT0, {{{{1100, 1000, L"Un_A.exe", kT0 + 10}}, {N, A}}}, {1100}},
};
// clang-format on

TEST(MonitorPassTest, Scenarios) {
    for (const PassCase& c : kPassCases) {
        SCOPED_TRACE(c.name);
        MonitorLists lists;
        ASSERT_TRUE(AddWatchedId(lists, 1000, c.launchTime));
        if (*c.ignored) {
            ASSERT_TRUE(AddIgnoredLowerName(lists, c.ignored));
            EXPECT_FALSE(AddIgnoredLowerName(lists, c.ignored));
        }
        for (size_t i = 0; i < c.passes.size(); ++i)
            EXPECT_EQ(Pass(lists, c.passes[i].first), c.passes[i].second) << "pass " << i;
        EXPECT_EQ(lists.liveIds, c.followed);
        EXPECT_EQ(lists.watchedIds, c.followed);
    }
}

} // namespace
} // namespace tsu
