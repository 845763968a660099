// Row states, row lookup, the close decision and when the terms viewer hides.

#include "app/core/PageRules.h"
#include "controls/list/core/ListCell.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

TEST(RowState, QueuedBehindARunningUninstallWaits) {
    EXPECT_EQ(CellKindAfterQueueing(false, false), CELL_UNINSTALLING);
    EXPECT_EQ(CellKindAfterQueueing(true, true), CELL_WAITING);
    EXPECT_EQ(CellKindAfterQueueing(true, false), CELL_UNINSTALLING);
}

TEST(RowState, EngineStatesMapToCellKinds) {
    EXPECT_EQ(CellKindForUninstallState(1), CELL_DONE);
    EXPECT_EQ(CellKindForUninstallState(2), CELL_BUTTON);
    EXPECT_EQ(CellKindForUninstallState(3), CELL_UNINSTALLING);
    EXPECT_FALSE(CellKindForUninstallState(0).has_value());
    EXPECT_FALSE(CellKindForUninstallState(4).has_value());
    EXPECT_FALSE(CellKindForUninstallState(static_cast<uintptr_t>(-1)).has_value());
}

TEST(RowLookup, NameAndKeyPathBothMatchExactly) {
    SoftwareRecord a;
    a.displayName = L"Alpha";
    a.keyPath = L"HKEY_LOCAL_MACHINE\\...\\Alpha";
    SoftwareRecord b = a;
    b.keyPath = L"HKEY_CURRENT_USER\\...\\Alpha";
    SoftwareRecord c;
    c.displayName = L"alpha";
    c.keyPath = a.keyPath;
    const std::vector<const SoftwareRecord*> rows = {nullptr, &a, &b};
    EXPECT_EQ(FindRecordRow(rows, &a), 1);
    EXPECT_EQ(FindRecordRow(rows, &b), 2);
    EXPECT_EQ(FindRecordRow(rows, &c), -1);
    EXPECT_EQ(FindRecordRow(rows, nullptr), -1);
    EXPECT_EQ(FindRecordRow({}, &a), -1);
}

TEST(RowState, QueuedRunningAndDoneRowsKeepTheirStateAcrossARefill) {
    SoftwareRecord a;
    a.displayName = L"Alpha";
    a.keyPath = L"HKEY_CURRENT_USER\\...\\Alpha";
    SoftwareRecord otherKey = a;
    otherKey.keyPath = L"HKEY_LOCAL_MACHINE\\...\\Alpha";
    const struct {
        std::vector<int> kinds; // noted for a, in order
        int refilled;
    } cases[] = {
        {{}, CELL_BUTTON},
        {{CELL_WAITING}, CELL_WAITING},
        {{CELL_WAITING, CELL_UNINSTALLING}, CELL_UNINSTALLING},
        {{CELL_UNINSTALLING, CELL_DONE}, CELL_DONE},
        {{CELL_WAITING, CELL_BUTTON}, CELL_BUTTON},
        {{CELL_UNINSTALLING, CELL_TEXT}, CELL_BUTTON},
    };
    for (const auto& c : cases) {
        std::vector<KeptRowState> kept;
        for (int kind : c.kinds)
            KeepRowState(kept, a, kind);
        EXPECT_EQ(CellKindOnRefill(kept, a), c.refilled);
        EXPECT_LE(kept.size(), 1u);
        EXPECT_EQ(CellKindOnRefill(kept, otherKey), CELL_BUTTON);
    }
}

TEST(CloseDecision, UninstallsWarnShortTasksWaitQuietly) {
    EXPECT_EQ(DecideClose(BusyState{}), CloseDecision::CloseNow);
    EXPECT_EQ(DecideClose(BusyState{true, false, false, false, false}), CloseDecision::WarnThenWait);
    EXPECT_EQ(DecideClose(BusyState{false, true, false, false, false}), CloseDecision::WarnThenWait);
    EXPECT_EQ(DecideClose(BusyState{false, false, false, true, false}), CloseDecision::WarnThenWait);
    EXPECT_EQ(DecideClose(BusyState{false, false, true, false, false}), CloseDecision::WaitSilently);
    EXPECT_EQ(DecideClose(BusyState{false, false, false, false, true}), CloseDecision::WaitSilently);
    EXPECT_EQ(DecideClose(BusyState{true, false, true, false, true}), CloseDecision::WarnThenWait);
    EXPECT_TRUE(IsIdle(BusyState{}));
    EXPECT_FALSE(IsIdle(BusyState{false, false, true, false, false}));
    // A second close leaves the engine's work behind, never the intelligent page's.
    EXPECT_TRUE(MayStopWaitingOnSecondClose(BusyState{true, true, true, false, false}));
    EXPECT_FALSE(MayStopWaitingOnSecondClose(BusyState{true, false, false, true, false}));
    EXPECT_FALSE(MayStopWaitingOnSecondClose(BusyState{false, false, false, false, true}));
}

TEST(TermsViewer, HidesOnClicksAwayFromLabelAndViewer) {
    EXPECT_TRUE(ShouldHideTermsViewer(false, false, false, true)); // outside the tool
    EXPECT_TRUE(ShouldHideTermsViewer(true, false, false, true));  // elsewhere on the page
    EXPECT_FALSE(ShouldHideTermsViewer(true, true, false, true));  // the label toggles it itself
    EXPECT_FALSE(ShouldHideTermsViewer(true, false, true, true));  // inside the viewer (its scroll bar)
    EXPECT_TRUE(ShouldHideTermsViewer(true, false, true, false));  // a hidden viewer is no target
}

} // namespace
} // namespace tsu
