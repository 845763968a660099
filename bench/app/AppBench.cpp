// Figures of the real TarrowSoftwareUninstall.exe under Wine:
//   1. process start until the start page shows (median of several starts);
//   2. "开始运行", pressed once the start page is ready (the tool idle, the page painted), until the
//      list of 300 extra installed programs stands still on screen, pictures included, first runs
//      (no pictures made yet), median of five;
//   3. the private bytes of the process with those programs listed.
// The 300 programs are uninstall entries of the current user, written for the run and removed
// afterwards; their icons are real executables and libraries of the system.

#include "framework/ScopedHandles.h"
#include "tests/common/ProcessTestSupport.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPrograms = 300;
constexpr int kStarts = 5;
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr UINT kStartButton = 1014;
constexpr UINT kCountLabel = 1023;
constexpr UINT kSoftwareList = 1026;

struct Search {
    DWORD processId;
    UINT id;
    HWND found = nullptr;
};

HWND FindControl(DWORD processId, UINT id) {
    Search search{processId, id};
    ::EnumWindows(
        [](HWND top, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(top, &owner);
            if (owner != s->processId || !::IsWindowVisible(top))
                return TRUE;
            ::EnumChildWindows(
                top,
                [](HWND child, LPARAM lp2) -> BOOL {
                    auto* s2 = reinterpret_cast<Search*>(lp2);
                    if (static_cast<UINT>(::GetDlgCtrlID(child)) == s2->id && ::IsWindowVisible(child)) {
                        s2->found = child;
                        return FALSE;
                    }
                    return TRUE;
                },
                lp);
            return s->found ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring TextOf(HWND window) {
    wchar_t text[64] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied);
    return text;
}

struct Tool {
    tsu::UniqueHandle process;
    DWORD id = 0;
};

Tool Start(const std::wstring& program) {
    Tool tool;
    std::wstring commandLine = L"\"" + program + L"\" --keep-folder";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &info)) {
        ::CloseHandle(info.hThread);
        tool.process.Reset(info.hProcess);
        tool.id = info.dwProcessId;
    }
    return tool;
}

// Polls every millisecond (a window in another process announces itself to nobody).
template <typename Condition> bool WaitFor(const Tool& tool, Condition condition, DWORD timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        if (condition())
            return true;
        if (::WaitForSingleObject(tool.process.Get(), 1) == WAIT_OBJECT_0)
            return false;
    }
    return false;
}

// A user presses the start button once it is on the screen: the tool idle and nothing of the start
// page left to paint. A press posted before would time the rest of the start-up as well.
bool ReadyForPress(HWND startButton) {
    const HWND page = ::GetParent(startButton);
    DWORD_PTR answer = 0;
    return ::SendMessageTimeoutW(page, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) &&
           !::GetUpdateRect(page, nullptr, FALSE) && !::GetUpdateRect(startButton, nullptr, FALSE);
}

bool WaitUntilReady(const Tool& tool, HWND startButton) {
    return ::WaitForInputIdle(tool.process.Get(), 30000) == 0 &&
           WaitFor(tool, [startButton] { return ReadyForPress(startButton); }, 30000);
}

void Stop(Tool& tool) {
    ::TerminateProcess(tool.process.Get(), 0);
    ::WaitForSingleObject(tool.process.Get(), 10000);
}

// Committed private memory of the process, summed over its regions (Wine leaves PrivateUsage of
// GetProcessMemoryInfo at 0).
double PrivateMegabytes(HANDLE process) {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const BYTE* address = nullptr; ::VirtualQueryEx(process, address, &region, sizeof region) == sizeof region;
         address = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        if (region.RegionSize == 0)
            break;
    }
    return total / (1024.0 * 1024.0);
}

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void WritePrograms(bool create, bool withIcons = true) {
    // Real files with icons, so the picture pass does its whole work.
    const wchar_t* icons[] = {L"C:\\windows\\notepad.exe",
                              L"C:\\windows\\regedit.exe",
                              L"C:\\windows\\system32\\shell32.dll,3",
                              L"C:\\windows\\system32\\cmd.exe",
                              L"C:\\windows\\system32\\msiexec.exe",
                              L"C:\\windows\\explorer.exe"};
    for (int i = 0; i < kPrograms; ++i) {
        wchar_t name[64];
        swprintf(name, 64, L"TsuBench%03d", i);
        const std::wstring path = std::wstring(kUninstallKey) + L"\\" + name;
        if (!create) {
            ::RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
            ::RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
            continue;
        }
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            continue;
        const std::wstring display = L"Bench Program " + std::to_wstring(i);
        const std::wstring version = L"1." + std::to_wstring(i);
        const std::wstring uninstall = L"\"C:\\Program Files\\Bench\\" + std::wstring(name) + L"\\uninst.exe\"";
        const std::wstring icon = icons[i % (sizeof icons / sizeof icons[0])];
        const DWORD size = static_cast<DWORD>(1024 + i * 37);
        const auto set = [&](const wchar_t* value, const std::wstring& text) {
            ::RegSetValueExW(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        };
        set(L"DisplayName", display);
        set(L"DisplayVersion", version);
        set(L"UninstallString", uninstall);
        if (withIcons)
            set(L"DisplayIcon", icon);
        ::RegSetValueExW(key, L"EstimatedSize", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&size), sizeof size);
        ::RegCloseKey(key);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // "--no-icons": the same programs without icons, to tell the picture pass from the rest.
    const bool noIcons = argc > 1 && std::wstring(argv[1]) == L"--no-icons";
    const std::wstring folder = tsu::test::MakeScratchFolder(L"app-bench");
    const std::wstring program = folder + L"TarrowSoftwareUninstall.exe";
    const std::wstring bin = tsu::test::BinDir();
    if (!::CopyFileW((bin + L"TarrowSoftwareUninstall.exe").c_str(), program.c_str(), FALSE) ||
        !::CopyFileW((bin + L"VeltorFeedbackInformation.dll").c_str(),
                     (folder + L"VeltorFeedbackInformation.dll").c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy the tool\n");
        return 1;
    }

    // 1. Start until the start page shows.
    std::vector<double> starts;
    for (int i = 0; i < kStarts; ++i) {
        const auto begin = Clock::now();
        Tool tool = Start(program);
        if (!tool.process || !WaitFor(
                                 tool, [&] { return FindControl(tool.id, kStartButton) != nullptr; }, 30000)) {
            std::fprintf(stderr, "the start page did not show\n");
            Stop(tool);
            return 1;
        }
        starts.push_back(Milliseconds(Clock::now() - begin));
        Stop(tool);
    }
    std::sort(starts.begin(), starts.end());
    std::printf("start to start page shown: median %.0f ms (min %.0f, max %.0f, %d starts)\n",
                starts[starts.size() / 2], starts.front(), starts.back(), kStarts);

    // 2. and 3. "开始运行" with 300 more programs until the list stands still on screen (the count
    // shown and nothing left to paint), each a first run with no pictures made yet; then the memory.
    WritePrograms(true, !noIcons);
    std::vector<double> fills, counted;
    int status = 0;
    for (int run = 0; run < kStarts && status == 0; ++run) {
        tsu::test::RemoveTree(folder + L"Image");
        Tool tool = Start(program);
        HWND start = nullptr;
        if (!WaitFor(
                tool, [&] { return (start = FindControl(tool.id, kStartButton)) != nullptr; }, 30000)) {
            std::fprintf(stderr, "the start page did not show\n");
            status = 1;
        } else if (!WaitUntilReady(tool, start)) {
            std::fprintf(stderr, "the start page was not ready for a press\n");
            status = 1;
        } else {
            const auto begin = Clock::now();
            ::PostMessageW(::GetParent(start), WM_COMMAND, MAKEWPARAM(kStartButton, BN_CLICKED),
                           reinterpret_cast<LPARAM>(start));
            HWND count = nullptr, list = nullptr;
            double countedMs = 0;
            const bool settled = WaitFor(
                tool,
                [&] {
                    count = FindControl(tool.id, kCountLabel);
                    list = FindControl(tool.id, kSoftwareList);
                    if (!count || !list || _wtoi(TextOf(count).c_str()) < kPrograms)
                        return false;
                    if (countedMs == 0)
                        countedMs = Milliseconds(Clock::now() - begin);
                    return !::GetUpdateRect(list, nullptr, FALSE) && !::GetUpdateRect(::GetParent(list), nullptr, FALSE);
                },
                120000);
            counted.push_back(countedMs);
            fills.push_back(Milliseconds(Clock::now() - begin));
            if (!settled) {
                std::fprintf(stderr, "the list was not filled\n");
                status = 1;
            } else if (run == kStarts - 1) {
                std::sort(fills.begin(), fills.end());
                std::printf("开始运行 to the list of %ls programs settled on screen (%d added, %s, first runs): "
                            "median %.0f ms (min %.0f, max %.0f, %d runs)\n",
                            TextOf(count).c_str(), kPrograms, noIcons ? "none with a picture" : "pictures included",
                            fills[fills.size() / 2], fills.front(), fills.back(), kStarts);
                std::sort(counted.begin(), counted.end());
                std::printf("  of which until the count showed: median %.0f ms\n", counted[counted.size() / 2]);
                PROCESS_MEMORY_COUNTERS_EX memory{};
                memory.cb = sizeof memory;
                (void)::GetProcessMemoryInfo(tool.process.Get(),
                                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
                std::printf("private bytes with the list shown: %.1f MB committed private (working set %.1f MB)\n",
                            PrivateMegabytes(tool.process.Get()), memory.WorkingSetSize / (1024.0 * 1024.0));
            }
        }
        Stop(tool);
    }
    WritePrograms(false);
    tsu::test::RemoveTree(folder);
    return status;
}
