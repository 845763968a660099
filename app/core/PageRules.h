#pragma once
// Decisions of the pages that need no window: which state a row shows, which row an engine
// message means, when the tool may close, when the terms viewer hides. Portable.

#include "inventory/core/SoftwareRecord.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tsu {

// The row's operation cell after its "卸载" was pressed and the record queued: "卸载中" when the
// engine will start it at once (no worker yet, or one that has not picked up work), "等待卸载"
// behind a running uninstall.
[[nodiscard]] int CellKindAfterQueueing(bool workerRunning, bool workerBusy);

// The operation cell for a WM_UNINSTALL_STATE value: 1 done, 2 the button again, 3 uninstalling;
// nothing for other values.
[[nodiscard]] std::optional<int> CellKindForUninstallState(uintptr_t state);

// The first row (from 0) whose record has the same display name and key path, both compared
// exactly; -1 when none (or for a null record). Rows without a record are skipped.
[[nodiscard]] int FindRecordRow(const std::vector<const SoftwareRecord*>& rows, const SoftwareRecord* record);

// What the tool is doing when the user asks it to close.
struct BusyState {
    bool uninstallRunning = false;   // the engine works on a program
    bool uninstallQueued = false;    // a worker exists or records wait, nothing picked up yet
    bool inventoryRunning = false;   // a load or refresh runs
    bool standardUninstall = false;  // the intelligent page's uninstaller runs
    bool analysisOrDeletion = false; // the intelligent page's analysis or deletion runs
};

enum class CloseDecision {
    CloseNow,     // nothing runs: close (through the feedback dialog)
    WarnThenWait, // an uninstall runs or waits: tell the user, then close once all is over
    WaitSilently, // a short task (reading the programs, an analysis) runs: close after it
};

[[nodiscard]] CloseDecision DecideClose(const BusyState& busy);
[[nodiscard]] bool IsIdle(const BusyState& busy);

// A left click somewhere on the screen while the start page lives: the terms viewer hides when
// the click is outside the start page, or inside it but neither on the terms label nor in the
// visible viewer.
[[nodiscard]] bool ShouldHideTermsViewer(bool inStartPage, bool onTermsLabel, bool inViewer, bool viewerVisible);

} // namespace tsu
