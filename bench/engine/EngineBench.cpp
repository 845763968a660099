// Prints two figures of the engines:
//  - how long after an uninstaller's last process has ended the uninstall engine reports the
//    program gone (WM_UNINSTALL_STATE 1): median, minimum and maximum of 20 runs;
//  - how long the analysis of a shortcut takes when the program's folder holds 10,000 files in
//    500 folders and the start menu holds 300 shortcuts.
//
//   engine_bench [--runs N] [--skip-latency] [--skip-analysis]
//
// Uses tsu_process_helper from the build's bin folder as the uninstaller; run it under Wine like
// the tests. Everything it creates is removed at the end.

#include "smart/IntelligenceEngine.h"
#include "tests/common/ProcessTestSupport.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/smart/ShortcutFiles.h"
#include "uninstall/engine/EngineMessages.h"
#include "uninstall/engine/UninstallEngine.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using tsu::test::MessageRecorder;
using tsu::test::RecordedMessage;

constexpr int kDefaultRuns = 20;
constexpr int kFolders = 500;
constexpr int kFilesPerFolder = 20; // 10,000 files in all
constexpr int kStartMenuFolders = 30;
constexpr int kShortcutsPerFolder = 10; // 300 shortcuts in all
constexpr int kAnalysisRuns = 3;

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

void PrintSummary(const char* what, std::vector<double> values) {
    if (values.empty()) {
        std::printf("%s: no successful run\n", what);
        return;
    }
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    std::printf("%s: median %.0f ms, min %.0f ms, max %.0f ms over %zu runs\n", what, median, values.front(),
                values.back(), n);
}

// One uninstall whose uninstaller ends when told to, after the bench has removed its entry; the
// time from the end of that process to the engine's "gone" message.
bool MeasureOneUninstall(tsu::UninstallEngine& engine, MessageRecorder& page, tsu::test::ScratchKey& entries, int run,
                         double& latencyMs) {
    const tsu::test::NamedEvent started(L"TsuBenchStarted");
    const tsu::test::NamedEvent go(L"TsuBenchGo");
    const std::wstring folder = tsu::test::MakeScratchFolder(L"bench" + std::to_wstring(run));
    const std::wstring pidFile = folder + L"pid.txt";
    const std::wstring subkey = L"Entry" + std::to_wstring(run);
    const std::wstring name = L"Bench Program " + std::to_wstring(run);
    const tsu::SoftwareRecord record =
        tsu::test::WriteScratchEntry(entries, subkey, name,
                                     L"\"" + tsu::test::HelperPath() + L"\" --record \"" + pidFile + L"\" --signal " +
                                         started.Name() + L" --wait-event " + go.Name());
    const size_t before = page.Messages().size();
    engine.Enqueue(record);
    if (!engine.StartUninstallWorker() || !started.WaitFor())
        return false;
    const std::string recorded = tsu::test::ReadFileBytes(pidFile);
    const DWORD pid = static_cast<DWORD>(std::strtoul(recorded.c_str(), nullptr, 10));
    const tsu::UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process)
        return false;
    // The uninstaller's work: the entry goes, then its last process ends.
    (void)entries.DeleteSubkey(subkey);
    go.Set();
    if (::WaitForSingleObject(process.Get(), tsu::test::kMustHappenMs) != WAIT_OBJECT_0)
        return false;
    const Clock::time_point ended = Clock::now();
    const bool reported = page.WaitFor([&](const std::vector<RecordedMessage>& messages) {
        return std::any_of(
            messages.begin() + static_cast<std::ptrdiff_t>(before), messages.end(), [&](const RecordedMessage& m) {
                return m.message == tsu::WM_UNINSTALL_STATE && m.wParam == tsu::kUninstallGone && m.text == name;
            });
    });
    if (!reported)
        return false;
    for (const RecordedMessage& message : page.Messages()) {
        if (message.message == tsu::WM_UNINSTALL_STATE && message.wParam == tsu::kUninstallGone && message.text == name)
            latencyMs = Milliseconds(message.at - ended);
    }
    tsu::test::RemoveTree(folder);
    return true;
}

void RunLatency(int runs) {
    MessageRecorder page;
    tsu::UninstallEngine engine;
    (void)engine.SetOwnerWindow(page.Window());
    tsu::test::ScratchKey entries(HKEY_CURRENT_USER, L"Software\\" + tsu::test::UniqueName(L"TsuEngineBench"));
    std::vector<double> latencies;
    for (int run = 0; run < runs; ++run) {
        double latency = 0;
        if (MeasureOneUninstall(engine, page, entries, run, latency)) {
            latencies.push_back(latency);
            std::printf("  run %2d: %.0f ms\n", run + 1, latency);
        } else {
            std::printf("  run %2d: failed\n", run + 1);
        }
    }
    PrintSummary("last uninstaller process ended -> WM_UNINSTALL_STATE 1", latencies);
}

void RunAnalysis() {
    const std::wstring app = L"C:\\" + tsu::test::UniqueName(L"TsuBenchApp");
    const std::wstring menu =
        std::wstring(tsu::IntelligenceEngine::kStartMenuRoot) + L"\\" + tsu::test::UniqueName(L"TsuBenchMenu");
    const std::wstring shortcut = tsu::test::CommonDesktop() + L"\\" + tsu::test::UniqueName(L"TsuBenchApp") + L".lnk";
    std::printf("preparing %d files in %d folders and %d shortcuts...\n", kFolders * kFilesPerFolder, kFolders,
                kStartMenuFolders * kShortcutsPerFolder);
    for (int folder = 0; folder < kFolders; ++folder) {
        const std::wstring path =
            app + L"\\part" + std::to_wstring(folder / 25) + L"\\folder" + std::to_wstring(folder);
        (void)tsu::test::CreateFolders(path);
        for (int file = 0; file < kFilesPerFolder; ++file)
            (void)tsu::test::WriteFileBytes(path + L"\\file" + std::to_wstring(file) + L".dat", "x");
    }
    (void)tsu::test::WriteFileBytes(app + L"\\app.exe", "x");
    for (int folder = 0; folder < kStartMenuFolders; ++folder) {
        const std::wstring path = menu + L"\\Vendor" + std::to_wstring(folder);
        (void)tsu::test::CreateFolders(path);
        for (int link = 0; link < kShortcutsPerFolder; ++link) {
            // One of them points to the analysed program; the others to other programs.
            const bool own = folder == 0 && link == 0;
            const std::wstring target =
                own ? app + L"\\app.exe" : L"C:\\Other\\Program" + std::to_wstring(folder * 100 + link) + L"\\run.exe";
            (void)tsu::test::CreateShortcut(path + L"\\Link" + std::to_wstring(link) + L".lnk", target);
        }
    }
    (void)tsu::test::CreateShortcut(shortcut, app + L"\\app.exe");

    std::vector<double> times;
    for (int run = 0; run < kAnalysisRuns; ++run) {
        tsu::IntelligenceEngine engine;
        const Clock::time_point start = Clock::now();
        (void)engine.AnalyzeNow(shortcut);
        const double ms = Milliseconds(Clock::now() - start);
        times.push_back(ms);
        std::printf("  run %d: %.0f ms, %zu items\n", run + 1, ms, engine.Items().size());
    }
    PrintSummary("analysis of a shortcut (10,000 files, 300 start-menu shortcuts)", times);

    // Where the time goes.
    tsu::IntelligenceEngine parts;
    Clock::time_point start = Clock::now();
    parts.ScanStartMenu(tsu::IntelligenceEngine::kStartMenuRoot, app + L"\\app.exe");
    std::printf("  of which start-menu scan: %.0f ms\n", Milliseconds(Clock::now() - start));
    start = Clock::now();
    parts.ScanFolder(app);
    std::printf("  of which folder scan: %.0f ms\n", Milliseconds(Clock::now() - start));
    start = Clock::now();
    (void)parts.MatchRegistryEntry();
    std::printf("  of which registry match: %.0f ms\n", Milliseconds(Clock::now() - start));

    ::DeleteFileW(shortcut.c_str());
    tsu::test::RemoveTree(app);
    tsu::test::RemoveTree(menu);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int runs = kDefaultRuns;
    bool latency = true;
    bool analysis = true;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--runs" && i + 1 < argc)
            runs = std::max(1, _wtoi(argv[++i]));
        else if (arg == L"--skip-latency")
            latency = false;
        else if (arg == L"--skip-analysis")
            analysis = false;
    }
    try {
        if (latency)
            RunLatency(runs);
        if (analysis)
            RunAnalysis();
    } catch (...) {
        std::printf("engine_bench: internal error\n");
        return 1;
    }
    return 0;
}
