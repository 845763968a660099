// Times the full inventory sequence over 1,000 and 5,000 uninstall entries: in-process, as the
// whole `tsu list` process, and Wine's own `uninstaller --list` over the same keys.
// Run it in a scratch prefix (bench/inventory/run does): it writes and removes real entries.

#include "bench/BenchTiming.h"
#include "framework/ScopedHandles.h"
#include "inventory/InventorySequence.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace tsu;
using tsu::bench::Median;

namespace {

constexpr wchar_t kUninstall[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr int kRepeats = 5;

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool CreateEntries(int count) {
    for (int i = 0; i < count; ++i) {
        const std::wstring sub = std::wstring(kUninstall) + L"\\TsuBench-" + std::to_wstring(i);
        UniqueHkey key;
        if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                              nullptr, key.Put(), nullptr) != ERROR_SUCCESS)
            return false;
        const std::wstring name = L"Bench Program " + std::to_wstring(i);
        const DWORD size = 1000 + static_cast<DWORD>(i);
        SetText(key.Get(), L"DisplayName", name);
        SetText(key.Get(), L"DisplayVersion", L"1.0." + std::to_wstring(i));
        SetText(key.Get(), L"Publisher", L"Bench Makers");
        SetText(key.Get(), L"InstallLocation", L"C:\\Program Files\\Bench" + std::to_wstring(i));
        SetText(key.Get(), L"DisplayIcon", L"\"C:\\Program Files\\Bench" + std::to_wstring(i) + L"\\app.exe\",0");
        SetText(key.Get(), L"UninstallString", L"\"C:\\Program Files\\Bench" + std::to_wstring(i) + L"\\un.exe\"");
        ::RegSetValueExW(key.Get(), L"EstimatedSize", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&size), sizeof size);
    }
    return true;
}

void DeleteEntries(int count) {
    UniqueHkey root;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstall, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, root.Put()) !=
        ERROR_SUCCESS)
        return;
    for (int i = 0; i < count; ++i)
        ::RegDeleteKeyExW(root.Get(), (L"TsuBench-" + std::to_wstring(i)).c_str(), KEY_WOW64_64KEY, 0);
}

// Runs a command line with its output thrown away; milliseconds from start to exit.
double TimeProcess(const std::wstring& commandLine) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueFileHandle nul(::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = nul.Get();
    startup.hStdError = nul.Get();
    PROCESS_INFORMATION info{};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    const double start = NowMs();
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                          &info))
        return -1;
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    ::WaitForSingleObject(process.Get(), INFINITE);
    return NowMs() - start;
}

std::wstring ExeDir() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

} // namespace

int wmain() {
    const std::wstring tsu = L"\"" + ExeDir() + L"tsu.exe\" list";
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring peer = L"\"" + std::wstring(system) + L"\\uninstaller.exe\" --list";

    std::printf("%-8s %16s %16s %22s %8s\n", "entries", "in-process ms", "tsu list ms", "uninstaller --list ms",
                "ratio");
    int created = 0;
    for (int count : {1000, 5000}) {
        if (!CreateEntries(count)) {
            std::printf("cannot create %d entries\n", count);
            DeleteEntries(count);
            return 1;
        }
        created = count;
        std::vector<double> inProcess, tsuTimes, peerTimes;
        size_t listed = 0;
        for (int r = 0; r < kRepeats; ++r) {
            ProductIconMap icons;
            SoftwareMap map;
            const double start = NowMs();
            (void)RunInventorySequence(icons, map);
            inProcess.push_back(NowMs() - start);
            listed = map.size();
            tsuTimes.push_back(TimeProcess(tsu));
            peerTimes.push_back(TimeProcess(peer));
        }
        const double tsuMs = Median(tsuTimes);
        const double peerMs = Median(peerTimes);
        std::printf("%-8d %16.1f %16.1f %22.1f %8.2f   (%zu listed, medians of %d)\n", count, Median(inProcess), tsuMs,
                    peerMs, tsuMs / peerMs, listed, kRepeats);
    }
    DeleteEntries(created);
    return 0;
}
