// tsu uninstall NAME... [--json] [--timeout SECONDS] [--quiet]: queues the named programs through the
// uninstall engine and prints each state change as the engine reports it. With a time limit, an
// uninstaller still running when the time is up is reported "timeout" and left running (never
// killed); the programs queued behind it are not started and are reported "failed". With --quiet
// each program is removed by its quiet command; one whose uninstaller would ask the user is not
// started and is reported "needs-user". After each program's final state the command reports what
// is left of it (its evidence) and decides the exit code from all of them.

#include "cli/Commands.h"
#include "cli/Evidence.h"
#include "cli/RecordJson.h"
#include "framework/MessageWindowThread.h"
#include "core/TextRules.h"
#include "uninstall/engine/EngineMessages.h"
#include "uninstall/engine/UninstallEngine.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>

namespace tsu {

namespace {

constexpr wchar_t kWindowClass[] = L"TsuConsoleEngineWindow";

constexpr size_t kMaxTimeoutDigits = 9; // over 31 years: enough, and no overflow

struct UninstallOptions {
    bool json = false;
    bool quiet = false;
    std::optional<std::chrono::seconds> timeout; // none: wait as long as the uninstallers run
    std::vector<std::wstring> names;             // exact display names, each once, in the order given
};

// A whole number of seconds, at least 1.
std::optional<std::chrono::seconds> ParseSeconds(const std::wstring& text) {
    if (text.empty() || text.size() > kMaxTimeoutDigits ||
        !std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        return std::nullopt;
    const long long seconds = std::stoll(text);
    if (seconds < 1)
        return std::nullopt;
    return std::chrono::seconds(seconds);
}

bool ParseUninstallOptions(const CommandArgs& args, UninstallOptions& options, ConsoleOutput& out) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg == L"--json") {
            options.json = true;
        } else if (arg == L"--quiet") {
            options.quiet = true;
        } else if (arg == L"--timeout") {
            options.timeout = i + 1 < args.size() ? ParseSeconds(args[i + 1]) : std::nullopt;
            if (!options.timeout) {
                out.Error(L"tsu uninstall: --timeout needs a whole number of seconds (1 or more)\n");
                return false;
            }
            ++i;
        } else if (arg.rfind(L"--", 0) == 0) {
            out.Error(L"tsu uninstall: unknown option '" + arg + L"'\n");
            return false;
        } else if (std::find(options.names.begin(), options.names.end(), arg) == options.names.end()) {
            options.names.push_back(arg);
        }
    }
    if (options.names.empty()) {
        out.Error(L"tsu uninstall: name the programs to remove (their exact display names)\n");
        return false;
    }
    return true;
}

// What the engine's messages tell the command, gathered on the window's thread.
class Progress {
public:
    Progress(const UninstallOptions& options, ConsoleOutput& out) : m_options(options), m_out(out) {}

    void OnLoaded() {
        const std::lock_guard<std::mutex> lock(m_lock);
        m_loaded = true;
        m_changed.notify_all();
    }

    // Set before the first uninstall starts; cleared before the engine goes (a worker left
    // running after a time-out may still report).
    void SetEngine(const UninstallEngine* engine) {
        const std::lock_guard<std::mutex> lock(m_lock);
        m_engine = engine;
    }

    void OnState(WPARAM state, const SoftwareRecord& record) {
        const std::lock_guard<std::mutex> lock(m_lock);
        const bool needsUser = state == kUninstallFailed && m_engine && m_engine->WasNeedsUser(record.keyPath);
        const wchar_t* word = state == kUninstallStarting ? L"uninstalling"
                              : state == kUninstallGone   ? L"removed"
                              : needsUser                 ? L"needs-user"
                              : state == kUninstallFailed ? L"failed"
                                                          : nullptr;
        if (!word)
            return;
        // After a time-out the report is written; an uninstaller that ends later changes nothing.
        if (m_timedOut || m_finalStates.count(record.displayName) != 0)
            return;
        if (state == kUninstallStarting) {
            Print(word, record);
            m_started[record.displayName] = record;
            return;
        }
        Finish(word, record);
        m_finalStates[record.displayName] = state;
        m_changed.notify_all();
    }

    void WaitForLoad() {
        std::unique_lock<std::mutex> lock(m_lock);
        m_changed.wait(lock, [&] { return m_loaded; });
    }

    // Waits until every named program has a final state (true), or the time is up (false).
    bool WaitForAll(std::chrono::steady_clock::time_point deadline) {
        std::unique_lock<std::mutex> lock(m_lock);
        const auto allFinal = [&] { return m_finalStates.size() >= m_options.names.size(); };
        if (!m_options.timeout)
            m_changed.wait(lock, allFinal);
        else if (!m_changed.wait_until(lock, deadline, allFinal))
            return false;
        return true;
    }

    // The uninstaller that is still running is reported "timeout"; from now on nothing more is
    // printed.
    void TimeOut() {
        const std::lock_guard<std::mutex> lock(m_lock);
        for (const auto& [name, record] : m_started) {
            if (m_finalStates.count(name) == 0) {
                Finish(L"timeout", record);
                m_finalStates[name] = kUninstallFailed;
            }
        }
        m_timedOut = true;
    }

    // Names that never got a final state (released from the queue after a time-out, or dropped):
    // reported "failed".
    void FailUnfinished(const std::vector<SoftwareRecord>& records) {
        const std::lock_guard<std::mutex> lock(m_lock);
        for (const SoftwareRecord& record : records) {
            if (m_finalStates.count(record.displayName) == 0) {
                Finish(L"failed", record);
                m_finalStates[record.displayName] = kUninstallFailed;
            }
        }
    }

    // Every program's final state and what is left of it, in the order their final states came.
    [[nodiscard]] std::vector<std::pair<SoftwareRecord, ProgramOutcome>> Outcomes() const {
        const std::lock_guard<std::mutex> lock(m_lock);
        return m_outcomes;
    }

private:
    // A final state: its line with the evidence of what is left (JSON), or its line and a "left" line
    // (text).
    void Finish(const wchar_t* word, const SoftwareRecord& record) {
        const ProgramEvidence evidence = GatherEvidence(record);
        const std::wstring state = word;
        const FinalState finalState = state == L"removed"      ? FinalState::Removed
                                      : state == L"timeout"    ? FinalState::Timeout
                                      : state == L"needs-user" ? FinalState::NeedsUser
                                                               : FinalState::Failed;
        m_outcomes.push_back({record, ProgramOutcome{finalState, evidence.restartPending, std::nullopt}});
        Print(word, record, &evidence);
        if (!m_options.json)
            m_out.Out(L"left\t" + record.displayName + L"\t" + EvidenceSummary(evidence) + L"\n");
    }

    void Print(const wchar_t* word, const SoftwareRecord& record, const ProgramEvidence* evidence = nullptr) {
        if (!m_options.json) {
            m_out.Out(std::wstring(word) + L"\t" + record.displayName + L"\n");
            return;
        }
        nlohmann::ordered_json line;
        line["state"] = ToUtf8(word);
        line["displayName"] = ToUtf8(record.displayName);
        line["keyPath"] = ToUtf8(record.keyPath);
        if (evidence)
            line["evidence"] = EvidenceJson(*evidence);
        try {
            // One object per line: no indentation.
            m_out.OutUtf8(line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n");
        } catch (...) {
            // A line that cannot be encoded is left out rather than ending the command.
        }
    }

    const UninstallOptions& m_options;
    ConsoleOutput& m_out;
    const UninstallEngine* m_engine = nullptr;
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_loaded = false;
    bool m_timedOut = false;
    std::map<std::wstring, SoftwareRecord> m_started;
    std::map<std::wstring, WPARAM> m_finalStates;
    std::vector<std::pair<SoftwareRecord, ProgramOutcome>> m_outcomes;
};

int DecideExitCode(const Progress& progress, const UninstallEngine& engine) {
    std::vector<ProgramOutcome> outcomes;
    for (auto [record, outcome] : progress.Outcomes()) {
        // The launched uninstaller's own exit code, where one ran (msiexec's 3010 asks for a restart).
        if (const std::optional<DWORD> code = engine.LastExitCode(record.keyPath))
            outcome.uninstallerExitCode = static_cast<uint32_t>(*code);
        outcomes.push_back(outcome);
    }
    return UninstallExitCode(false, outcomes);
}

// The engine reaches its owner only by SendMessage, so the console program gives it a hidden
// message-only window with a message loop on a thread of its own.
class EngineWindow {
public:
    explicit EngineWindow(Progress& progress)
        : m_progress(progress), m_windowThread(kWindowClass, &EngineWindow::WindowProc, this) {}
    EngineWindow(const EngineWindow&) = delete;
    EngineWindow& operator=(const EngineWindow&) = delete;

    [[nodiscard]] HWND Window() const { return m_windowThread.Window(); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<EngineWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        try {
            if (self && message == WM_SOFTWARE_LOADED) {
                self->m_progress.OnLoaded();
                return 0;
            }
            if (self && message == WM_UNINSTALL_STATE && lParam != 0) {
                self->m_progress.OnState(wParam, *reinterpret_cast<const SoftwareRecord*>(lParam));
                return 0;
            }
        } catch (...) {
            return 0; // nothing may leave a window procedure
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    Progress& m_progress;
    MessageWindowThread m_windowThread; // last: its window reaches m_progress until it ends
};

// The uninstaller launch writes a diagnostic line through the C runtime's stdout. The command's
// own lines go out through the Win32 handle (ConsoleOutput), and scripts parse them, so the
// runtime's stream is sent to NUL while the Win32 handle keeps pointing where it did.
void SilenceRuntimeStdout() {
    std::fflush(stdout);
    HANDLE original = ::GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE kept = nullptr;
    if (!original || original == INVALID_HANDLE_VALUE ||
        !::DuplicateHandle(::GetCurrentProcess(), original, ::GetCurrentProcess(), &kept, 0, FALSE,
                           DUPLICATE_SAME_ACCESS))
        return;
    const int nul = ::_wopen(L"NUL", _O_WRONLY);
    if (nul < 0) {
        ::CloseHandle(kept);
        return;
    }
    // _dup2 closes the runtime's old descriptor (and the handle under it) and may re-point the
    // process's standard handle; the duplicate is put back afterwards.
    (void)::_dup2(nul, 1);
    ::_close(nul);
    ::SetStdHandle(STD_OUTPUT_HANDLE, kept);
}

} // namespace

int RunUninstallCommand(const CommandArgs& args, ConsoleOutput& out) {
    UninstallOptions options;
    if (!ParseUninstallOptions(args, options, out))
        return 1;
    SilenceRuntimeStdout();

    Progress progress(options, out);
    EngineWindow window(progress);
    UninstallEngine engine;
    if (!engine.SetOwnerWindow(window.Window()) || !engine.SetUninstallWindow(window.Window())) {
        out.Error(L"tsu uninstall: cannot create the engine's window\n");
        return 1;
    }
    engine.SetPictureFolder(std::wstring()); // no list to show pictures in
    if (!engine.StartLoading()) {
        out.Error(L"tsu uninstall: cannot read the installed programs\n");
        return 1;
    }
    progress.WaitForLoad();

    // Every name must be installed before anything is removed.
    std::vector<SoftwareRecord> queued;
    bool allInstalled = true;
    for (const std::wstring& name : options.names) {
        const auto found = engine.Inventory().find(name);
        if (found == engine.Inventory().end()) {
            out.Error(L"tsu uninstall: '" + name + L"' is not installed\n");
            if (options.json) {
                nlohmann::ordered_json line;
                line["state"] = "not-installed";
                line["displayName"] = ToUtf8(name);
                out.OutUtf8(line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n");
            }
            allInstalled = false;
        } else {
            queued.push_back(found->second);
        }
    }
    if (!allInstalled)
        return UninstallExitCode(true, {});

    progress.SetEngine(&engine);
    struct EngineUnlink {
        Progress& progress;
        ~EngineUnlink() { progress.SetEngine(nullptr); }
    } unlink{progress};
    for (const SoftwareRecord& record : queued)
        engine.Enqueue(record, options.quiet ? UninstallMode::Quiet : UninstallMode::Normal);
    if (!engine.StartUninstallWorker()) {
        out.Error(L"tsu uninstall: cannot start the uninstall worker\n");
        return 1;
    }
    const auto deadline = std::chrono::steady_clock::now() + options.timeout.value_or(std::chrono::seconds(0));
    // Without a time limit this returns when every program has its final state.
    const bool allFinal = progress.WaitForAll(deadline);
    // Done: the watcher has nothing left to show. Or not: nothing after the running uninstaller
    // is started.
    engine.RequestStop();
    if (!allFinal) {
        // Time is up. The running uninstaller is left to run: the worker that waits for it ends
        // with this process, the uninstaller does not. The programs still queued were never started.
        progress.TimeOut();
        engine.ReleaseQueue();
        progress.FailUnfinished(queued);
    }
    return DecideExitCode(progress, engine);
}

} // namespace tsu
