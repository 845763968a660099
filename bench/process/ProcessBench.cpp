// Prints how long a launch takes to notice that the last process of a tree has ended (median of
// 20 runs), and how much processor time following a sleeping tree for 30 s costs.
//
//   process_bench [--runs N] [--wait-seconds S]
//
// Starts tsu_process_helper from the build's bin folder; run it under Wine like the tests.

#include "framework/ScopedHandles.h"
#include "uninstall/LaunchUninstaller.h"
#include "uninstall/ProcessMonitor.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kDefaultRuns = 20;
constexpr int kDefaultWaitSeconds = 30;
constexpr DWORD kMustHappenMs = 30000;
constexpr int kSnapshotSamples = 50;
constexpr int kWindowMarginSeconds = 2;

using tsu::UniqueHandle;

std::wstring HelperPath() {
    return std::wstring(TSU_BENCH_BIN_DIR) + L"\\tsu_process_helper.exe";
}

double Seconds(LONGLONG ticks) {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f{};
        ::QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    return static_cast<double>(ticks) / static_cast<double>(frequency);
}

LONGLONG Now() {
    LARGE_INTEGER t{};
    ::QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double ProcessCpuSeconds() {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0.0;
    auto toSeconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return toSeconds(kernel) + toSeconds(user);
}

std::wstring UniqueName(const wchar_t* tag, int n) {
    return L"tsuprocbench_" + std::wstring(tag) + L"_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
           std::to_wstring(n);
}

// One launch whose launched process exits at once and whose child waits for an event; the time
// from the child's end to the return of the launch (the completion event, then a wait on an
// already ended process).
bool MeasureOneEnd(int run, double& latency) {
    const std::wstring ready = UniqueName(L"ready", run);
    const std::wstring release = UniqueName(L"release", run);
    UniqueHandle readyEvent(::CreateEventW(nullptr, TRUE, FALSE, ready.c_str()));
    UniqueHandle releaseEvent(::CreateEventW(nullptr, TRUE, FALSE, release.c_str()));
    wchar_t temp[MAX_PATH]{};
    if (!readyEvent || !releaseEvent || !::GetTempPathW(MAX_PATH, temp))
        return false;
    const std::wstring ids = std::wstring(temp) + UniqueName(L"ids", run) + L".txt";
    std::wstring command = L"\"" + HelperPath() + L"\" --child [ --record \"" + ids + L"\" --signal " + ready +
                           L" --wait-event " + release + L" ]";

    std::atomic<LONGLONG> returned{0};
    std::atomic<bool> result{false};
    std::thread worker([&] {
        result = tsu::LaunchUninstaller(command);
        returned = Now();
    });
    bool ok = ::WaitForSingleObject(readyEvent.Get(), kMustHappenMs) == WAIT_OBJECT_0;
    DWORD childId = 0;
    if (ok) {
        FILE* file = _wfopen(ids.c_str(), L"r");
        ok = file && std::fscanf(file, "%lu", &childId) == 1;
        if (file)
            std::fclose(file);
    }
    UniqueHandle child(ok ? ::OpenProcess(SYNCHRONIZE, FALSE, childId) : nullptr);
    // Lets the monitor settle into its rhythm with the child alive, so the end falls anywhere in a pass.
    ::Sleep(static_cast<DWORD>(300 + (run * 137) % 500));
    ::SetEvent(releaseEvent.Get());
    LONGLONG ended = 0;
    if (child && ::WaitForSingleObject(child.Get(), kMustHappenMs) == WAIT_OBJECT_0)
        ended = Now();
    worker.join();
    ::DeleteFileW(ids.c_str());
    if (!ok || !result || ended == 0)
        return false;
    latency = Seconds(returned - ended);
    return true;
}

void MeasureEndLatency(int runs) {
    std::vector<double> latencies;
    for (int run = 0; run < runs; ++run) {
        double latency = 0;
        if (MeasureOneEnd(run, latency))
            latencies.push_back(latency);
        else
            std::printf("run %d failed\n", run);
    }
    if (latencies.empty())
        return;
    std::sort(latencies.begin(), latencies.end());
    const size_t n = latencies.size();
    const double median = n % 2 ? latencies[n / 2] : (latencies[n / 2 - 1] + latencies[n / 2]) / 2;
    std::printf("end of tree -> launch returns: median %.3f s, min %.3f s, max %.3f s over %zu runs (goal <= 0.6 s)\n",
                median, latencies.front(), latencies.back(), n);
}

double ThreadCpuSeconds(HANDLE thread);

void MeasureSnapshotCost() {
    std::vector<tsu::ProcessEntry> processes;
    const LONGLONG start = Now();
    const double cpuStart = ThreadCpuSeconds(::GetCurrentThread());
    int taken = 0;
    for (int i = 0; i < kSnapshotSamples; ++i)
        taken += tsu::ProcessMonitor::TakeSystemSnapshot(processes) ? 1 : 0;
    const double each = Seconds(Now() - start) / kSnapshotSamples;
    const double cpuEach = (ThreadCpuSeconds(::GetCurrentThread()) - cpuStart) / kSnapshotSamples;
    std::printf("one process snapshot: %.2f ms wall, %.2f ms processor (%d of %d taken, %zu processes)\n",
                each * 1000.0, cpuEach * 1000.0, taken, kSnapshotSamples, processes.size());

    // For comparison: the same list through Toolhelp.
    const LONGLONG toolhelpStart = Now();
    const double toolhelpCpuStart = ThreadCpuSeconds(::GetCurrentThread());
    for (int i = 0; i < kSnapshotSamples; ++i) {
        UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        if (snapshot.Get() != INVALID_HANDLE_VALUE && ::Process32FirstW(snapshot.Get(), &entry)) {
            while (::Process32NextW(snapshot.Get(), &entry))
                entry.dwSize = sizeof(entry);
        }
    }
    std::printf("one Toolhelp snapshot, for comparison: %.2f ms wall, %.2f ms processor\n",
                Seconds(Now() - toolhelpStart) / kSnapshotSamples * 1000.0,
                (ThreadCpuSeconds(::GetCurrentThread()) - toolhelpCpuStart) / kSnapshotSamples * 1000.0);
}

std::vector<DWORD> OwnThreadIds() {
    std::vector<DWORD> ids;
    UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot.IsValid() || snapshot.Get() == INVALID_HANDLE_VALUE)
        return ids;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Thread32First(snapshot.Get(), &entry); more; more = ::Thread32Next(snapshot.Get(), &entry)) {
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId())
            ids.push_back(entry.th32ThreadID);
        entry.dwSize = sizeof(entry);
    }
    return ids;
}

double ThreadCpuSeconds(HANDLE thread) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetThreadTimes(thread, &created, &exited, &kernel, &user))
        return 0.0;
    auto toSeconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return toSeconds(kernel) + toSeconds(user);
}

void MeasureWaitCost(int seconds) {
    const std::wstring ready = UniqueName(L"sleeper_ready", 0);
    UniqueHandle readyEvent(::CreateEventW(nullptr, TRUE, FALSE, ready.c_str()));
    std::wstring command = L"\"" + HelperPath() + L"\" --child [ --signal " + ready + L" --sleep " +
                           std::to_wstring(seconds * 1000) + L" ]";
    const std::vector<DWORD> before = OwnThreadIds();
    const double processCpuBefore = ProcessCpuSeconds();
    const LONGLONG start = Now();
    std::atomic<bool> ok{false};
    std::atomic<DWORD> workerId{0};
    std::thread worker([&] {
        workerId = ::GetCurrentThreadId();
        ok = tsu::LaunchUninstaller(command);
    });
    // The monitoring thread is the one thread that the launch added besides its worker.
    std::vector<UniqueHandle> monitorThreads;
    double monitorCpu = 0;
    double window = 0;
    if (readyEvent && ::WaitForSingleObject(readyEvent.Get(), kMustHappenMs) == WAIT_OBJECT_0) {
        for (DWORD id : OwnThreadIds()) {
            if (id != workerId && std::find(before.begin(), before.end(), id) == before.end())
                monitorThreads.emplace_back(::OpenThread(THREAD_QUERY_INFORMATION, FALSE, id));
        }
        // Wine reports the times of a thread only while it runs, so the window closes before the tree ends.
        const LONGLONG windowStart = Now();
        for (const UniqueHandle& thread : monitorThreads)
            monitorCpu -= ThreadCpuSeconds(thread.Get());
        ::Sleep(static_cast<DWORD>(seconds > kWindowMarginSeconds ? seconds - kWindowMarginSeconds : 1) * 1000);
        for (const UniqueHandle& thread : monitorThreads)
            monitorCpu += ThreadCpuSeconds(thread.Get());
        window = Seconds(Now() - windowStart);
    }
    worker.join();
    const double wall = Seconds(Now() - start);
    const double processCpu = ProcessCpuSeconds() - processCpuBefore;
    std::printf("following a sleeping tree for %.1f s (%s): monitor thread %.3f s processor in %.1f s = %.3f %% of a "
                "core (goal < 1 %%; %zu thread(s)); whole process %.3f %%\n",
                wall, ok ? "ok" : "FAILED", monitorCpu, window, window > 0 ? 100.0 * monitorCpu / window : 0.0,
                monitorThreads.size(), wall > 0 ? 100.0 * processCpu / wall : 0.0);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int runs = kDefaultRuns;
    int waitSeconds = kDefaultWaitSeconds;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::wstring(argv[i]) == L"--runs")
            runs = _wtoi(argv[i + 1]);
        else if (std::wstring(argv[i]) == L"--wait-seconds")
            waitSeconds = _wtoi(argv[i + 1]);
    }
    if (!tsu::LaunchCompletionEvent()) {
        std::printf("no completion event\n");
        return 1;
    }
    MeasureSnapshotCost();
    MeasureEndLatency(runs);
    MeasureWaitCost(waitSeconds);
    return 0;
}
