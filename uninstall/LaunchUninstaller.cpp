#include "uninstall/LaunchUninstaller.h"

#include "framework/ScopedHandles.h"
#include "log/CLogSave.h"
#include "uninstall/ProcessMonitor.h"
#include "uninstall/core/UninstallCommandRules.h"

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace tsu {

namespace {

constexpr uint32_t kMonitorUserValue = 0;

// When the process was created, in FILETIME ticks as the process list reports it; 0 when unknown.
uint64_t CreationTimeOf(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// The completion event and the monitor exist once, so two launches at the same moment (an engine
// uninstall and a standard uninstall of the intelligent page) would take each other's end signal.
std::mutex& LaunchLock() {
    static std::mutex lock;
    return lock;
}

void WriteDiagnosticLine(const char* line) {
    std::fputs(line, stdout);
    std::fflush(stdout);
}

} // namespace

HANDLE LaunchCompletionEvent() {
    static const UniqueHandle event(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    return event.Get();
}

void OnMonitorEvent(int32_t stateCode, const wchar_t* /*stateText*/, uint32_t /*userValue*/) {
    if (stateCode != kMonitorStateFinished)
        return;
    if (HANDLE event = LaunchCompletionEvent())
        ::SetEvent(event);
}

bool LaunchUninstaller(std::wstring& command) {
    return LaunchUninstaller(command, ProcessMonitor::GetInstance());
}

bool LaunchUninstaller(std::wstring& command, ProcessMonitor& monitor) {
    std::lock_guard<std::mutex> guard(LaunchLock());

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION info{};

    (void)ApplyFixedProductCodeRule(command);
    const std::wstring launchText = BuildLaunchText(command);
    // Refused whole rather than cut: a cut command could start something else.
    if (launchText.empty() || launchText.size() > kMaxCommandLineChars)
        return false;
    // CreateProcessW may write into its command line, so it gets a private, terminated copy.
    std::vector<wchar_t> commandLine(launchText.begin(), launchText.end());
    commandLine.push_back(L'\0');
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                          &startup, &info)) {
        WriteToolLog(L"Uninstaller could not be started, error " + std::to_wstring(::GetLastError()) + L": " +
                     launchText);
        return false;
    }
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);

    HANDLE completion = LaunchCompletionEvent();
    if (completion)
        ::ResetEvent(completion);

    // A fresh run: nothing of an earlier launch is followed, and the browsers are known before the
    // first pass can meet them.
    monitor.ResetLists();
    (void)monitor.AddWatchedProcess(info.dwProcessId, CreationTimeOf(process.Get()));
    for (const std::wstring& name : IgnoredBrowserNames(command))
        (void)monitor.AddIgnoredName(name);

    bool followed = false;
    if (completion && monitor.StartMonitor(&OnMonitorEvent, kMonitorUserValue))
        followed = ::WaitForSingleObject(completion, INFINITE) == WAIT_OBJECT_0;
    if (!followed)
        WriteToolLog(L"Uninstaller not followed by the process monitor; waiting for the launched process only");

    if (::WaitForSingleObject(process.Get(), INFINITE) == WAIT_OBJECT_0)
        WriteDiagnosticLine("Process is signaled...\n");
    else
        WriteDiagnosticLine("Invalid process handle...\n");
    return true;
}

} // namespace tsu
