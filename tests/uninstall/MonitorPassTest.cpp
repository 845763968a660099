#include "uninstall/core/MonitorPass.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <unordered_set>
#include <vector>

namespace tsu {
namespace {

std::wstring AsciiLower(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(std::towlower(c));
    return lower;
}

using Ids = std::unordered_set<uint32_t>;

std::vector<int32_t> Pass(MonitorLists& lists, const std::vector<ProcessEntry>& snapshot) {
    return RunMonitorPass(lists, snapshot, &AsciiLower);
}

// A system with a few unrelated processes around the ones a test cares about.
std::vector<ProcessEntry> System(std::vector<ProcessEntry> extra) {
    std::vector<ProcessEntry> snapshot{
        {0, 0, L"[System Process]"}, {4, 0, L"System"}, {300, 4, L"services.exe"}, {512, 300, L"explorer.exe"}};
    snapshot.insert(snapshot.end(), extra.begin(), extra.end());
    return snapshot;
}

TEST(MonitorStateTextTest, TextsOfEveryState) {
    EXPECT_EQ(MonitorStateText(kMonitorStateStart), L"Start Monitor Process");
    EXPECT_EQ(MonitorStateText(kMonitorStateNewProcess), L"Create New Process");
    EXPECT_EQ(MonitorStateText(kMonitorStateClose), L"Process Close");
    EXPECT_EQ(MonitorStateText(kMonitorStateActivity), L"ACTIVITY Process");
    EXPECT_EQ(MonitorStateText(kMonitorStateFinished), L"Surveillance missions over");
    EXPECT_TRUE(MonitorStateText(kMonitorStateIdle).empty());
    EXPECT_TRUE(MonitorStateText(2).empty());
}

TEST(MonitorListsTest, WatchedIdsAndIgnoredNamesHaveNoDuplicates) {
    MonitorLists lists;
    EXPECT_TRUE(AddWatchedId(lists, 1000));
    EXPECT_FALSE(AddWatchedId(lists, 1000));
    EXPECT_TRUE(AddWatchedId(lists, 1004));
    EXPECT_EQ(lists.watchedIds, (Ids{1000, 1004}));
    EXPECT_TRUE(AddIgnoredLowerName(lists, L"chrome.exe"));
    EXPECT_FALSE(AddIgnoredLowerName(lists, L"chrome.exe"));
    EXPECT_EQ(lists.ignoredNames.size(), 1u);
}

TEST(MonitorPassTest, ProcessGoneBeforeTheFirstPassEndsMonitoringAtOnce) {
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000));
    EXPECT_EQ(Pass(lists, System({})), (std::vector<int32_t>{kMonitorStateFinished}));
}

TEST(MonitorPassTest, LaunchedProcessSeenRunningThenGone) {
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000));
    EXPECT_EQ(Pass(lists, System({{1000, 512, L"uninst.exe"}})), (std::vector<int32_t>{kMonitorStateActivity}));
    EXPECT_EQ(lists.liveIds, (Ids{1000}));
    // Still running: nothing new to say.
    EXPECT_TRUE(Pass(lists, System({{1000, 512, L"uninst.exe"}})).empty());
    EXPECT_EQ(Pass(lists, System({})), (std::vector<int32_t>{kMonitorStateClose, kMonitorStateFinished}));
    EXPECT_TRUE(lists.liveIds.empty());
}

TEST(MonitorPassTest, CopyThatOutlivesTheLaunchedProcessIsFollowed) {
    // The NSIS pattern: the uninstaller starts its copy in %TEMP% and exits at once.
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000));
    EXPECT_EQ(Pass(lists, System({{1000, 512, L"uninst.exe"}, {1100, 1000, L"Au_.exe"}})),
              (std::vector<int32_t>{kMonitorStateActivity, kMonitorStateNewProcess, kMonitorStateActivity}));
    EXPECT_EQ(Pass(lists, System({{1100, 1000, L"Au_.exe"}})), (std::vector<int32_t>{kMonitorStateClose}));
    EXPECT_EQ(lists.liveIds, (Ids{1100}));
    EXPECT_EQ(Pass(lists, System({})), (std::vector<int32_t>{kMonitorStateClose, kMonitorStateFinished}));
}

TEST(MonitorPassTest, GrandchildListedBeforeItsParentIsFollowedInTheNextPass) {
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000));
    // The launched process has gone; the snapshot lists the grandchild before the child, so the
    // grandchild is only recognised once its parent is watched, and must not be lost meanwhile.
    const std::vector<ProcessEntry> tree{{1200, 1100, L"grandchild.exe"}, {1100, 1000, L"child.exe"}};
    EXPECT_EQ(Pass(lists, System(tree)), (std::vector<int32_t>{kMonitorStateNewProcess, kMonitorStateActivity}));
    EXPECT_EQ(Pass(lists, System(tree)), (std::vector<int32_t>{kMonitorStateNewProcess, kMonitorStateActivity}));
    EXPECT_EQ(lists.watchedIds, (Ids{1100, 1200})); // the launched process was gone
    // The child ends first: the grandchild keeps the run going.
    EXPECT_EQ(Pass(lists, System({tree[0]})), (std::vector<int32_t>{kMonitorStateClose}));
    EXPECT_EQ(Pass(lists, System({})), (std::vector<int32_t>{kMonitorStateClose, kMonitorStateFinished}));
}

TEST(MonitorPassTest, IgnoredChildAndItsChildrenAreNotFollowed) {
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000));
    ASSERT_TRUE(AddIgnoredLowerName(lists, L"iexplore.exe"));
    const std::vector<ProcessEntry> tree{
        {1000, 512, L"uninst.exe"}, {1100, 1000, L"IEXPLORE.EXE"}, {1150, 1100, L"iexplore.exe"}};
    EXPECT_EQ(Pass(lists, System(tree)), (std::vector<int32_t>{kMonitorStateActivity}));
    EXPECT_EQ(lists.watchedIds, (Ids{1000}));
    // The uninstaller ends; the browser it opened does not hold up the end.
    EXPECT_EQ(Pass(lists, System({tree[1], tree[2]})),
              (std::vector<int32_t>{kMonitorStateClose, kMonitorStateFinished}));
}

TEST(MonitorPassTest, ThousandsOfShortChildrenAreDroppedOnceGone) {
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000));
    std::vector<ProcessEntry> children{{1000, 512, L"u.exe"}};
    for (uint32_t id = 5000; id < 7000; ++id)
        children.push_back({id, 1000, L"step.exe"});
    EXPECT_EQ(Pass(lists, System(children)).size(), 1u + 2 * 2000u);
    EXPECT_EQ(lists.watchedIds.size(), 2001u);
    EXPECT_EQ(Pass(lists, System({children[0]})), (std::vector<int32_t>{kMonitorStateClose}));
    EXPECT_EQ(lists.watchedIds, (Ids{1000}));
    EXPECT_EQ(lists.creationTimes.count(5000), 0u);
}

TEST(MonitorPassTest, UnrelatedProcessesAreNeverFollowed) {
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000));
    const std::vector<int32_t> states = Pass(lists, System({{2000, 512, L"notepad.exe"}, {2100, 2000, L"x.exe"}}));
    EXPECT_EQ(states, (std::vector<int32_t>{kMonitorStateFinished}));
    EXPECT_TRUE(lists.watchedIds.empty());
}

TEST(MonitorPassTest, EveryNewChildIsReportedOnceAndIdsStayUnique) {
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000));
    const std::vector<ProcessEntry> tree{{1000, 512, L"u.exe"}, {1100, 1000, L"a.exe"}, {1101, 1000, L"b.exe"}};
    EXPECT_EQ(Pass(lists, System(tree)),
              (std::vector<int32_t>{kMonitorStateActivity, kMonitorStateNewProcess, kMonitorStateActivity,
                                    kMonitorStateNewProcess, kMonitorStateActivity}));
    EXPECT_TRUE(Pass(lists, System(tree)).empty());
    EXPECT_EQ(lists.watchedIds, (Ids{1000, 1100, 1101}));
    EXPECT_EQ(lists.liveIds, (Ids{1000, 1100, 1101}));
}

// Windows hands the id of an ended process to the next new one. With creation times in the
// snapshot, a stranger that got a watched id, or whose parent id is a watched one by accident,
// must not hold up the end of the uninstall.
constexpr uint64_t kT0 = 1'000'000;

TEST(MonitorPassIdReuseTest, StrangerWithTheIdOfAnEndedChildIsNotWaitedFor) {
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000));
    EXPECT_EQ(Pass(lists, System({{1000, 512, L"u.exe", kT0}, {1100, 1000, L"step.exe", kT0 + 10}})),
              (std::vector<int32_t>{kMonitorStateActivity, kMonitorStateNewProcess, kMonitorStateActivity}));
    // The child ends; a browser tab started by explorer gets its id. The launched process still runs.
    EXPECT_EQ(Pass(lists, System({{1000, 512, L"u.exe", kT0}, {1100, 512, L"tab.exe", kT0 + 50}})),
              (std::vector<int32_t>{kMonitorStateClose}));
    EXPECT_EQ(lists.liveIds, (Ids{1000}));
    EXPECT_EQ(Pass(lists, System({{1100, 512, L"tab.exe", kT0 + 50}})),
              (std::vector<int32_t>{kMonitorStateClose, kMonitorStateFinished}));
}

TEST(MonitorPassIdReuseTest, NewChildThatGotTheIdOfAnEndedChildIsFollowed) {
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000));
    (void)Pass(lists, System({{1000, 512, L"u.exe", kT0}, {1100, 1000, L"step1.exe", kT0 + 10}}));
    const std::vector<int32_t> states =
        Pass(lists, System({{1000, 512, L"u.exe", kT0}, {1100, 1000, L"step2.exe", kT0 + 60}}));
    EXPECT_EQ(states, (std::vector<int32_t>{kMonitorStateNewProcess}));
    EXPECT_EQ(lists.creationTimes[1100], kT0 + 60);
    EXPECT_EQ(lists.liveIds, (Ids{1000, 1100}));
}

TEST(MonitorPassIdReuseTest, ProcessOlderThanTheWatchedParentIsNoChild) {
    // explorer.exe's parent (userinit) ended long ago; its id went to the launched uninstaller.
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000));
    const std::vector<int32_t> states =
        Pass(lists, System({{1000, 4, L"u.exe", kT0}, {2000, 1000, L"explorer.exe", kT0 - 500}}));
    EXPECT_EQ(states, (std::vector<int32_t>{kMonitorStateActivity}));
    EXPECT_EQ(lists.watchedIds, (Ids{1000}));
}

TEST(MonitorPassIdReuseTest, ChildOfTheNewHolderOfAParentIdIsNoChild) {
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000));
    (void)Pass(lists, System({{1000, 512, L"u.exe", kT0}, {1100, 1000, L"a.exe", kT0 + 10}}));
    // 1100 ended and a stranger got its id; the stranger's own child names 1100 as its parent.
    // 1000 runs on, so the run is not over, but neither stranger is followed.
    const std::vector<ProcessEntry> later{
        {1000, 512, L"u.exe", kT0}, {1100, 512, L"stranger.exe", kT0 + 90}, {1300, 1100, L"s.exe", kT0 + 95}};
    EXPECT_EQ(Pass(lists, System(later)), (std::vector<int32_t>{kMonitorStateClose}));
    EXPECT_EQ(lists.watchedIds, (Ids{1000}));
    EXPECT_EQ(lists.liveIds, (Ids{1000}));
}

TEST(MonitorPassIdReuseTest, ChildMadeBeforeItsParentEndedIsStillFollowed) {
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000));
    (void)Pass(lists, System({{1000, 512, L"u.exe", kT0}, {1100, 1000, L"a.exe", kT0 + 10}}));
    // a.exe started b.exe and ended; a stranger now holds 1100, but b.exe is older than the stranger.
    const std::vector<ProcessEntry> later{
        {1000, 512, L"u.exe", kT0}, {1100, 512, L"stranger.exe", kT0 + 90}, {1200, 1100, L"b.exe", kT0 + 20}};
    EXPECT_EQ(Pass(lists, System(later)),
              (std::vector<int32_t>{kMonitorStateNewProcess, kMonitorStateActivity, kMonitorStateClose}));
    EXPECT_EQ(lists.liveIds, (Ids{1000, 1200}));
}

// A pass that no longer finds a followed process stops following it; what is made after that names
// it as parent only because a stranger had its id in between.
TEST(MonitorPassIdReuseTest, ProcessMadeAfterAPassFoundItsParentGoneIsNoChild) {
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000, kT0));
    (void)Pass(lists, System({{1000, 512, L"u.exe", kT0}, {1100, 1000, L"a.exe", kT0 + 10}}));
    EXPECT_EQ(Pass(lists, System({{1000, 512, L"u.exe", kT0}})), (std::vector<int32_t>{kMonitorStateClose}));
    // A stranger got 1100, started a long-lived program and ended before this pass.
    EXPECT_EQ(Pass(lists, System({{1000, 512, L"u.exe", kT0}, {1300, 1100, L"tray.exe", kT0 + 150}})),
              (std::vector<int32_t>{}));
    EXPECT_EQ(Pass(lists, System({{1300, 1100, L"tray.exe", kT0 + 150}})),
              (std::vector<int32_t>{kMonitorStateClose, kMonitorStateFinished}));
}

TEST(MonitorPassIdReuseTest, ChildMadeBeforeThePassThatFoundItsParentGoneIsFollowed) {
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000, kT0));
    (void)Pass(lists, System({{1000, 512, L"u.exe", kT0}, {1100, 1000, L"a.exe", kT0 + 10}}));
    // a.exe started b.exe and ended between two passes.
    EXPECT_EQ(Pass(lists, System({{1000, 512, L"u.exe", kT0}, {1200, 1100, L"b.exe", kT0 + 50}})),
              (std::vector<int32_t>{kMonitorStateNewProcess, kMonitorStateActivity, kMonitorStateClose}));
    EXPECT_EQ(lists.liveIds, (Ids{1000, 1200}));
}

TEST(MonitorPassIdReuseTest, NewChildThatTookTheIdOfAGoneOneHasItsOwnChildrenFollowed) {
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000, kT0));
    (void)Pass(lists, System({{1000, 512, L"u.exe", kT0}, {1100, 1000, L"step1.exe", kT0 + 10}}));
    (void)Pass(lists, System({{1000, 512, L"u.exe", kT0}}));
    EXPECT_EQ(Pass(lists, System({{1000, 512, L"u.exe", kT0}, {1100, 1000, L"step2.exe", kT0 + 150}})),
              (std::vector<int32_t>{kMonitorStateNewProcess, kMonitorStateActivity}));
    EXPECT_EQ(Pass(lists, System({{1000, 512, L"u.exe", kT0},
                                  {1100, 1000, L"step2.exe", kT0 + 150},
                                  {1400, 1100, L"step3.exe", kT0 + 250}})),
              (std::vector<int32_t>{kMonitorStateNewProcess, kMonitorStateActivity}));
    EXPECT_EQ(lists.liveIds, (Ids{1000, 1100, 1400}));
}

// The launched process may end before the first pass sees it; the time it was created, known from
// the launch, still ties its id to it.
TEST(MonitorPassIdReuseTest, LaunchedProcessGoneBeforeTheFirstPassAdoptsNoOlderOrphan) {
    // services.exe was started by a process that ended long ago and whose id the launch got.
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000, kT0));
    EXPECT_EQ(Pass(lists, System({{2000, 1000, L"services.exe", kT0 - 500}})),
              (std::vector<int32_t>{kMonitorStateFinished}));
    EXPECT_TRUE(lists.watchedIds.empty());
}

TEST(MonitorPassIdReuseTest, StrangerWithTheIdOfALaunchedProcessGoneBeforeTheFirstPassIsNotWaitedFor) {
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000, kT0));
    EXPECT_EQ(Pass(lists, System({{1000, 512, L"stranger.exe", kT0 + 90}})),
              (std::vector<int32_t>{kMonitorStateFinished}));
}

TEST(MonitorPassIdReuseTest, CopyOfALaunchedProcessGoneBeforeTheFirstPassIsFollowed) {
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000, kT0));
    EXPECT_EQ(lists.creationTimes[1000], kT0);
    EXPECT_EQ(Pass(lists, System({{1100, 1000, L"Un_A.exe", kT0 + 10}})),
              (std::vector<int32_t>{kMonitorStateNewProcess, kMonitorStateActivity}));
    EXPECT_EQ(lists.liveIds, (Ids{1100}));
}

TEST(MonitorPassIdReuseTest, WithoutCreationTimesIdsAreTakenAtTheirWord) {
    // Toolhelp gives no creation times: the plain id rules apply.
    MonitorLists lists;
    ASSERT_TRUE(AddWatchedId(lists, 1000));
    EXPECT_EQ(Pass(lists, System({{1000, 512, L"u.exe"}, {2000, 1000, L"x.exe"}})),
              (std::vector<int32_t>{kMonitorStateActivity, kMonitorStateNewProcess, kMonitorStateActivity}));
}

} // namespace
} // namespace tsu
