#pragma once
// Decisions of the pages that need no window: which state a row shows, which row an engine
// message means, when the tool may close, when the terms viewer hides. Portable.

#include "inventory/core/SoftwareRecord.h"

#include <cstdint>
#include <optional>
#include <string>
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

// A row state that must outlive a refill of the list: a refresh rebuilds every row as "卸载", yet a
// program queued, being uninstalled or just found gone must keep showing so (and must not be
// queued a second time).
struct KeptRowState {
    std::wstring displayName;
    std::wstring keyPath;
    int kind = 0;
};

// Notes the row state of a program (same display name and key path): "卸载中", "等待卸载" and
// "卸载完成" are kept, any other kind (the button again) forgets it.
void KeepRowState(std::vector<KeptRowState>& kept, const SoftwareRecord& record, int kind);
// The operation cell of a rebuilt row: the kept state, else the "卸载" button.
[[nodiscard]] int CellKindOnRefill(const std::vector<KeptRowState>& kept, const SoftwareRecord& record);

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
// A further close request while the tool waits to close: true when it may stop waiting and close.
// Only the conventional uninstall and the reading of the programs are left behind (their engine
// outlives the window; the uninstaller keeps running); the intelligent page's tasks use the page.
[[nodiscard]] bool MayStopWaitingOnSecondClose(const BusyState& busy);

// A left click somewhere on the screen while the start page lives: the terms viewer hides when
// the click is outside the start page, or inside it but neither on the terms label nor in the
// visible viewer.
[[nodiscard]] bool ShouldHideTermsViewer(bool inStartPage, bool onTermsLabel, bool inViewer, bool viewerVisible);

} // namespace tsu
