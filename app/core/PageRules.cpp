#include "app/core/PageRules.h"

#include "controls/list/core/ListCell.h"

#include <algorithm>

namespace tsu {

int CellKindAfterQueueing(bool workerRunning, bool workerBusy) {
    if (!workerRunning)
        return CELL_UNINSTALLING;
    return workerBusy ? CELL_WAITING : CELL_UNINSTALLING;
}

std::optional<int> CellKindForUninstallState(uintptr_t state) {
    switch (state) {
    case 1:
        return CELL_DONE;
    case 2:
        return CELL_BUTTON;
    case 3:
        return CELL_UNINSTALLING;
    default:
        return std::nullopt;
    }
}

int FindRecordRow(const std::vector<const SoftwareRecord*>& rows, const SoftwareRecord* record) {
    if (!record)
        return -1;
    for (size_t i = 0; i < rows.size(); ++i) {
        const SoftwareRecord* row = rows[i];
        if (row && row->displayName == record->displayName && row->keyPath == record->keyPath)
            return static_cast<int>(i);
    }
    return -1;
}

namespace {

bool IsSameProgram(const KeptRowState& state, const SoftwareRecord& record) {
    return state.displayName == record.displayName && state.keyPath == record.keyPath;
}

} // namespace

void KeepRowState(std::vector<KeptRowState>& kept, const SoftwareRecord& record, int kind) {
    kept.erase(std::remove_if(kept.begin(), kept.end(),
                              [&](const KeptRowState& state) { return IsSameProgram(state, record); }),
               kept.end());
    if (kind == CELL_UNINSTALLING || kind == CELL_WAITING || kind == CELL_DONE)
        kept.push_back(KeptRowState{record.displayName, record.keyPath, kind});
}

int CellKindOnRefill(const std::vector<KeptRowState>& kept, const SoftwareRecord& record) {
    for (const KeptRowState& state : kept) {
        if (IsSameProgram(state, record))
            return state.kind;
    }
    return CELL_BUTTON;
}

CloseDecision DecideClose(const BusyState& busy) {
    if (busy.uninstallRunning || busy.uninstallQueued || busy.standardUninstall)
        return CloseDecision::WarnThenWait;
    if (busy.inventoryRunning || busy.analysisOrDeletion)
        return CloseDecision::WaitSilently;
    return CloseDecision::CloseNow;
}

bool IsIdle(const BusyState& busy) {
    return DecideClose(busy) == CloseDecision::CloseNow;
}

bool MayStopWaitingOnSecondClose(const BusyState& busy) {
    return !busy.standardUninstall && !busy.analysisOrDeletion;
}

bool ShouldHideTermsViewer(bool inStartPage, bool onTermsLabel, bool inViewer, bool viewerVisible) {
    if (!inStartPage)
        return !(viewerVisible && inViewer);
    if (onTermsLabel)
        return false;
    return !(viewerVisible && inViewer);
}

} // namespace tsu
