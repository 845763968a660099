#pragma once
// The non-window object behind the conventional uninstall: owns the inventory of installed
// programs, loads and refreshes it on worker threads, runs queued uninstallers one after the other
// on a worker thread, decides from the registry whether each program is gone, deletes entries
// whose uninstaller no longer exists, and tells windows about every step by SendMessage (see
// EngineMessages.h). Workers never touch a window otherwise, so the GUI thread must never wait for
// a worker while it handles these messages.
//
// Receivers: load and refresh results go to the window last given to SetOwnerWindow (the page that
// shows the inventory). Messages of uninstalls (states, removed rows, released queue) go to the
// uninstall window (the conventional page), so that neither a tab switch during an uninstall nor
// an uninstall click during a refresh sends a result to a page that ignores it. The uninstall
// window is the one given to SetUninstallWindow (the page calls it on every uninstall click), or
// the owner window while none was given (the console program's single window).
//
// Every worker reports its end, also when its work fails: the pages' progress dialogs and the
// close guard wait for those messages.
//
// The engine's state lives as long as any of its threads: destroying the engine asks them to stop
// and never waits for them (an uninstaller may run for hours).

#include "inventory/InventoryReader.h"
#include "inventory/core/SoftwareRecord.h"
#include "uninstall/engine/core/StaleEntryRules.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

namespace tsu {

// How a queued program is removed. Quiet starts the entry's quiet command instead (see
// uninstall/core/QuietCommand.h) and never starts an uninstaller that would ask the user: such a
// program is reported still installed (wParam kUninstallFailed) and WasNeedsUser answers true.
enum class UninstallMode {
    Normal,
    Quiet,
};

class UninstallEngine {
public:
    explicit UninstallEngine(InventoryLocations locations = InventoryLocations::Default());
    // reader: how the load and refresh read the installed programs; probe: the file system behind
    // the stale-entry rule of the uninstall worker.
    UninstallEngine(InventoryReader reader, UninstallerProbe probe);
    ~UninstallEngine();
    UninstallEngine(const UninstallEngine&) = delete;
    UninstallEngine& operator=(const UninstallEngine&) = delete;

    // False and no change for a null handle.
    [[nodiscard]] bool SetOwnerWindow(HWND window);
    [[nodiscard]] bool SetUninstallWindow(HWND window);

    // Start the load or refresh worker. False when a load or refresh still runs (nothing started)
    // or when the thread cannot be created (logged).
    [[nodiscard]] bool StartLoading();
    [[nodiscard]] bool StartRefresh();
    // True from a successful StartLoading/StartRefresh until its worker has sent its last message.
    [[nodiscard]] bool IsInventoryWorkRunning() const;

    // Appends a copy to the uninstall queue.
    void Enqueue(SoftwareRecord record, UninstallMode mode = UninstallMode::Normal);
    // Starts the uninstall worker unless one runs (then the running one takes the queued records).
    // The worker counts as running from before its thread starts. False (logged) when the thread
    // cannot be created.
    [[nodiscard]] bool StartUninstallWorker();
    [[nodiscard]] bool IsWorkerRunning() const;
    [[nodiscard]] bool IsBusy() const;
    // Takes every queued record out and reports each, in queue order, as still installed.
    void ReleaseQueue();
    // The workers end at their next loop start; a running uninstaller is waited for first.
    void RequestStop();

    // The exit code of the uninstaller last launched for the entry with this key path; nothing
    // when none was launched for it (a stale entry, a program that needs the user, a failed start).
    [[nodiscard]] std::optional<DWORD> LastExitCode(const std::wstring& keyPath) const;
    // Whether the last quiet removal of that entry started nothing because its uninstaller would
    // ask the user.
    [[nodiscard]] bool WasNeedsUser(const std::wstring& keyPath) const;

    // Windows 7, 8, 8.1 or 10, as RtlGetVersion reports it; the start-up check asks this.
    [[nodiscard]] static bool IsSystemSupported();

    // Read only after WM_SOFTWARE_LOADED with kSoftwareLoaded, while no load or refresh runs.
    [[nodiscard]] const SoftwareMap& Inventory() const;

    // Where the load writes each program's picture (a PNG of its icon, for the list): by default
    // "\Image\" beside the executable; an empty folder makes no pictures (the console program).
    // Set before the first load.
    void SetPictureFolder(std::wstring folder);

    struct State;

private:
    std::shared_ptr<State> m_state;
};

} // namespace tsu
