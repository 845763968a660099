// Times the full inventory sequence over 1,000 and 5,000 uninstall entries spread over the 32-bit,
// 64-bit and per-user keys: in-process, as the whole `tsu list` process, and Wine's own
// `uninstaller --list` over the same keys.
// Run it in a scratch prefix (bench/inventory/run does): it writes and removes real entries.
//
//   inventory_bench [--reference FILE | --compare FILE]
// --reference keeps the `tsu list --json` output over the 5,000 entries in FILE; --compare checks
// the output byte for byte against such a file and prints "json identical" or the first difference.

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

// Entry i goes to the 32-bit, the 64-bit or the user key in turn. Some share a name across the
// keys (the first scanned wins), some are system components, and some carry values that are too
// long, fill the buffer exactly, have another type or come in other case, so that the json check
// covers more than the plain path.
struct Place {
    HKEY root;
    REGSAM view;
};
const Place kPlaces[] = {
    {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY}, {HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY}, {HKEY_CURRENT_USER, 0}};

bool CreateEntries(int count) {
    for (int i = 0; i < count; ++i) {
        const Place& place = kPlaces[i % 3];
        const std::wstring sub = std::wstring(kUninstall) + L"\\TsuBench-" + std::to_wstring(i);
        UniqueHkey key;
        if (::RegCreateKeyExW(place.root, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | place.view, nullptr, key.Put(),
                              nullptr) != ERROR_SUCCESS)
            return false;
        const std::wstring name =
            i % 97 == 0 ? L"Bench Shared " + std::to_wstring(i / 291) : L"Bench Program " + std::to_wstring(i);
        const DWORD size = 1000 + static_cast<DWORD>(i);
        SetText(key.Get(), L"DisplayName", name);
        SetText(key.Get(), i % 89 == 0 ? L"DISPLAYVERSION" : L"DisplayVersion", L"1.0." + std::to_wstring(i));
        SetText(key.Get(), L"Publisher", L"Bench Makers");
        SetText(key.Get(), L"InstallLocation", L"C:\\Program Files\\Bench" + std::to_wstring(i));
        SetText(key.Get(), L"DisplayIcon", L"\"C:\\Program Files\\Bench" + std::to_wstring(i) + L"\\app.exe\",0");
        SetText(key.Get(), L"UninstallString", L"\"C:\\Program Files\\Bench" + std::to_wstring(i) + L"\\un.exe\"");
        SetText(key.Get(), L"InstallDate", L"2024" + std::to_wstring(1000 + i % 1000));
        ::RegSetValueExW(key.Get(), L"EstimatedSize", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&size), sizeof size);
        if (i % 101 == 0) {
            const DWORD one = 1;
            ::RegSetValueExW(key.Get(), L"SystemComponent", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                             sizeof one);
        }
        if (i % 103 == 0) // one character more than the 1,024-byte buffer; below, one that fills it exactly
            SetText(key.Get(), L"InstallLocation", std::wstring(512, L'L'));
        if (i % 107 == 0) {
            const std::wstring full(511, L'V'); // with the terminator the call adds: 1,024 bytes
            ::RegSetValueExW(key.Get(), L"DisplayVersion", 0, REG_EXPAND_SZ,
                             reinterpret_cast<const BYTE*>(full.c_str()),
                             static_cast<DWORD>(full.size() * sizeof(wchar_t)));
        }
        if (i % 109 == 0)
            ::RegSetValueExW(key.Get(), L"EstimatedSize", 0, REG_BINARY, reinterpret_cast<const BYTE*>(L"12"), 6);
        if (i % 113 == 0)
            SetText(key.Get(), L"QuietUninstallString", L"un.exe /S");
        if (i % 127 == 0)
            SetText(key.Get(), L"ReleaseType", L"Hotfix");
    }
    return true;
}

void DeleteEntries(int count) {
    for (const Place& place : kPlaces) {
        UniqueHkey root;
        if (::RegOpenKeyExW(place.root, kUninstall, 0, KEY_ALL_ACCESS | place.view, root.Put()) != ERROR_SUCCESS)
            continue;
        for (int i = 0; i < count; ++i)
            ::RegDeleteKeyExW(root.Get(), (L"TsuBench-" + std::to_wstring(i)).c_str(), place.view, 0);
    }
}

// Runs a command line with its output going to outputPath (thrown away when empty); milliseconds
// from start to exit.
double TimeProcess(const std::wstring& commandLine, const std::wstring& outputPath = std::wstring()) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueFileHandle nul(::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
    UniqueFileHandle output;
    if (!outputPath.empty())
        output.Reset(
            ::CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outputPath.empty() ? nul.Get() : output.Get();
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

std::string ReadAll(const std::wstring& path) {
    std::string text;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        char chunk[65536];
        for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
            text.append(chunk, got);
        std::fclose(file);
    }
    return text;
}

// "json identical", or where the output first differs from the reference, with some text around it.
void CompareJson(const std::wstring& referencePath, const std::wstring& outputPath) {
    const std::string reference = ReadAll(referencePath), output = ReadAll(outputPath);
    if (reference.empty()) {
        std::printf("no reference json\n");
        return;
    }
    if (reference == output) {
        std::printf("json identical (%zu bytes)\n", output.size());
        return;
    }
    const size_t at = static_cast<size_t>(
        std::mismatch(reference.begin(), reference.end(), output.begin(), output.end()).first - reference.begin());
    const size_t from = at < 80 ? 0 : at - 80;
    std::printf("json DIFFERS at byte %zu (sizes %zu and %zu)\nreference: %s\noutput:    %s\n", at, reference.size(),
                output.size(), reference.substr(from, 160).c_str(), output.substr(from, 160).c_str());
}

std::wstring ExeDir() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring referencePath, comparePath;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::wstring option = argv[i];
        if (option == L"--reference")
            referencePath = argv[i + 1];
        else if (option == L"--compare")
            comparePath = argv[i + 1];
    }
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
    const std::wstring json = tsu + L" --json";
    if (!referencePath.empty()) {
        TimeProcess(json, referencePath);
        std::printf("reference json kept (%zu bytes)\n", ReadAll(referencePath).size());
    } else if (!comparePath.empty()) {
        const std::wstring outputPath = comparePath + L".now";
        TimeProcess(json, outputPath);
        CompareJson(comparePath, outputPath);
    }
    DeleteEntries(created);
    return 0;
}
