#include "uninstall/LaunchUninstaller.h"

#include "framework/ScopedHandles.h"
#include "framework/StartupHardening.h"
#include "log/CLogSave.h"
#include "uninstall/ProcessMonitor.h"
#include "uninstall/UninstallerJob.h"
#include "uninstall/core/UninstallCommandRules.h"

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace tsu {

namespace {

constexpr uint32_t kMonitorUserValue = 0;

// The completion event and the monitor exist once, so two launches at the same moment (an engine
// uninstall and a standard uninstall of the intelligent page) would take each other's end signal.
std::mutex& LaunchLock() {
    static std::mutex lock;
    return lock;
}

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void WriteDiagnosticLine(const char* line) {
    std::fputs(line, stdout);
    std::fflush(stdout);
}

bool StartAndFollow(const std::wstring& launchText, const std::wstring& command, ProcessMonitor& monitor,
                    DWORD* exitCode);

} // namespace

// Process creation is handed this path, so it never searches the tool's folder, the current
// folder or PATH, and never tries C:\Program.exe for an unquoted C:\Program Files\... path.
std::wstring LaunchProgramPath(const std::wstring& launchText) {
    const LaunchProgram program = PickLaunchProgram(launchText);
    std::vector<std::wstring> found;
    if (program.kind == LaunchProgram::Kind::SystemProgram) {
        for (const std::wstring& folder : {SystemFolder(), WindowsFolder()}) {
            const std::wstring path = folder + L"\\" + program.candidates.front();
            if (!folder.empty() && IsExistingFile(path)) {
                found.push_back(path);
                break;
            }
        }
    } else {
        for (const std::wstring& candidate : program.candidates) {
            if (IsExistingFile(candidate))
                found.push_back(candidate);
        }
    }
    if (found.size() == 1)
        return found.front();
    WriteToolLog(found.empty() ? L"未启动卸载程序，找不到程序: " + launchText
                               : L"未启动卸载程序，命令可能指向多个程序: " + launchText);
    return std::wstring();
}

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

bool LaunchUninstaller(std::wstring& command, DWORD* exitCode) {
    return LaunchUninstaller(command, ProcessMonitor::GetInstance(), exitCode);
}

bool LaunchUninstaller(std::wstring& command, ProcessMonitor& monitor, DWORD* exitCode) {
    std::lock_guard<std::mutex> guard(LaunchLock());
    ApplyFixedProductCodeRule(command);
    return StartAndFollow(BuildLaunchText(command), command, monitor, exitCode);
}

bool LaunchQuietUninstaller(const std::wstring& commandLine, DWORD* exitCode) {
    return LaunchQuietUninstaller(commandLine, ProcessMonitor::GetInstance(), exitCode);
}

bool LaunchQuietUninstaller(const std::wstring& commandLine, ProcessMonitor& monitor, DWORD* exitCode) {
    std::lock_guard<std::mutex> guard(LaunchLock());
    return StartAndFollow(commandLine, commandLine, monitor, exitCode);
}

namespace {

// Starts launchText (command decides which browsers are not waited for) and follows it to its
// end. Called under the launch lock.
bool StartAndFollow(const std::wstring& launchText, const std::wstring& command, ProcessMonitor& monitor,
                    DWORD* exitCode) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION info{};

    // Refused whole rather than cut: a cut command could start something else.
    if (launchText.empty() || launchText.size() > kMaxCommandLineChars)
        return false;
    const std::wstring program = LaunchProgramPath(launchText);
    if (program.empty())
        return false;
    // CreateProcessW may write into its command line, so it gets a private, terminated copy.
    std::vector<wchar_t> commandLine(launchText.begin(), launchText.end());
    commandLine.push_back(L'\0');
    // Suspended until it is in its job: nothing it starts may escape being counted.
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED, nullptr, nullptr, &startup, &info)) {
        WriteToolLog(L"无法启动卸载程序，错误 " + std::to_wstring(::GetLastError()) + L": " +
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
    monitor.AddWatchedProcess(info.dwProcessId, ProcessCreationTime(process.Get()));
    for (const std::wstring& name : IgnoredBrowserNames(command))
        monitor.AddIgnoredName(name);

    // The job reports every process of the tree, however short-lived; the snapshots still find
    // what runs outside it (a service the uninstaller asks for, a child that broke away). The run
    // ends when the job has no member left that is waited for and a pass finds nothing alive.
    UninstallerJob job(monitor);
    job.Follow(process.Get());
    if (::ResumeThread(thread.Get()) == static_cast<DWORD>(-1)) {
        WriteToolLog(L"无法恢复卸载程序运行，错误 " + std::to_wstring(::GetLastError()) + L": " +
                     launchText);
        (void)::TerminateProcess(process.Get(), 1);
        return false;
    }

    bool followed = false;
    if (completion && monitor.StartMonitor(&OnMonitorEvent, kMonitorUserValue))
        followed = ::WaitForSingleObject(completion, INFINITE) == WAIT_OBJECT_0;
    // The job's own list has the last word: a member still running that is waited for is followed
    // by another run of the monitor (with what it starts outside the job), until none is left.
    for (auto left = job.MembersWaitedFor(); followed && !left.empty(); left = job.MembersWaitedFor()) {
        ::ResetEvent(completion);
        for (const UninstallerJob::RunningMember& member : left)
            monitor.AddWatchedProcess(member.id, member.creationTime);
        followed = monitor.StartMonitor(&OnMonitorEvent, kMonitorUserValue) &&
                   ::WaitForSingleObject(completion, INFINITE) == WAIT_OBJECT_0;
    }
    if (!followed)
        WriteToolLog(L"进程监视未能跟踪卸载程序，只等待启动的进程结束");

    if (::WaitForSingleObject(process.Get(), INFINITE) == WAIT_OBJECT_0)
        WriteDiagnosticLine("Process is signaled...\n");
    else
        WriteDiagnosticLine("Invalid process handle...\n");
    DWORD code = 0;
    if (exitCode && ::GetExitCodeProcess(process.Get(), &code))
        *exitCode = code;
    return true;
}

} // namespace

} // namespace tsu
