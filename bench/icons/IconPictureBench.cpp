// Picture pass over 500 records of mixed kinds (executables with and without icon groups,
// libraries, icon files, missing files), twice with the same cache and 17 sources shared among the
// records, then once with every record's source spelled its own way (letter case), so that no
// rendering is shared: milliseconds per record and per kind, and the process's GDI and USER
// objects before and after.
//
// Wine's GetGuiResources and GetProcessHandleCount are stubs that answer 0. There the GDI count
// comes from the process's GDI handle table (PEB, as on Windows); every icon holds two or three
// GDI bitmaps there, so an icon that is not destroyed shows up in that count as well. Kernel
// handles are counted by probing the handle values.

#include "icons/IconPngCache.h"
#include "icons/PicturePass.h"
#include "inventory/core/SoftwareRecord.h"

#include <windows.h>
#include <winternl.h>

#include <chrono>
#include <cwctype>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace tsu;

constexpr size_t kRecords = 500;

struct Source {
    std::wstring path;
    int32_t kind;
    const char* label;
};

std::vector<Source> Sources() {
    const std::wstring bin = std::wstring(TSU_TEST_BIN_DIR) + L"\\";
    const std::wstring fixtures = std::wstring(TSU_SOURCE_DIR) + L"\\tests\\icons\\fixtures\\";
    const std::wstring nsis = L"Z:\\usr\\share\\nsis\\";
    wchar_t windows[MAX_PATH] = {};
    const UINT chars = ::GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring system = std::wstring(windows, chars) + L"\\system32\\";
    return {
        {bin + L"icons_fixture_app.exe", kIconKindExe, "exe, own group"},
        {system + L"notepad.exe", kIconKindExe, "exe, own group"},
        {system + L"regedit.exe", kIconKindExe, "exe, own group"},
        {nsis + L"Contrib\\UIs\\modern.exe", kIconKindExe, "exe, no group (shell)"},
        {nsis + L"Contrib\\UIs\\default.exe", kIconKindExe, "exe, no group (shell)"},
        {L"C:\\no\\such\\program.exe", kIconKindExe, "missing"},
        {bin + L"icons_fixture_app.exe", kIconKindDll, "library"},
        {system + L"shell32.dll", kIconKindDll, "library, many groups"},
        {system + L"user32.dll", kIconKindDll, "library"},
        {bin + L"icons_fixture_pngfirst.dll", kIconKindDll, "library, PNG only"},
        {fixtures + L"multi.ico", kIconKindOther, "icon file"},
        {fixtures + L"small16.ico", kIconKindOther, "icon file"},
        {nsis + L"Contrib\\Graphics\\Icons\\modern-install.ico", kIconKindOther, "icon file"},
        {nsis + L"Contrib\\Graphics\\Icons\\orange-install.ico", kIconKindOther, "icon file"},
        {nsis + L"Contrib\\Graphics\\Icons\\classic-install.ico", kIconKindOther, "icon file"},
        {nsis + L"Contrib\\Graphics\\Icons\\llama-blue.ico", kIconKindOther, "icon file"},
        {L"C:\\no\\such\\icon.ico", kIconKindOther, "missing"},
    };
}

// Entries of the GDI handle table in use (GDI_HANDLE_ENTRY: 24 bytes, type byte at 14).
size_t GdiTableObjects() {
    constexpr size_t kPebGdiSharedHandleTable = 0xF8; // 64-bit PEB
    constexpr size_t kEntryBytes = 24;
    constexpr size_t kTypeOffset = 14;
    constexpr size_t kEntries = 0x10000;
    PROCESS_BASIC_INFORMATION basic{};
    if (::NtQueryInformationProcess(::GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof(basic), nullptr) !=
        0)
        return 0;
    const auto* peb = reinterpret_cast<const uint8_t*>(basic.PebBaseAddress);
    const auto* table = *reinterpret_cast<const uint8_t* const*>(peb + kPebGdiSharedHandleTable);
    if (!table)
        return 0;
    size_t used = 0;
    for (size_t i = 0; i < kEntries; ++i)
        used += table[i * kEntryBytes + kTypeOffset] != 0 ? 1 : 0;
    return used;
}

struct Objects {
    DWORD gdi = 0;
    DWORD user = 0;
    size_t gdiTable = 0;
    DWORD kernel = 0;
};

Objects CountObjects() {
    Objects objects;
    objects.gdi = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    objects.user = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    objects.gdiTable = GdiTableObjects();
    if (!::GetProcessHandleCount(::GetCurrentProcess(), &objects.kernel) || objects.kernel == 0) {
        // Wine answers 0: count the handle values that name an object (they are multiples of 4).
        DWORD flags = 0;
        for (uintptr_t value = 4; value < 0x10000; value += 4)
            objects.kernel += ::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    }
    return objects;
}

void PrintObjects(const char* label, const Objects& o) {
    std::printf("%-22s GDI (GetGuiResources) %lu, USER %lu, GDI handle table %zu, kernel handles %lu\n", label,
                static_cast<unsigned long>(o.gdi), static_cast<unsigned long>(o.user), o.gdiTable,
                static_cast<unsigned long>(o.kernel));
}

// CPU time of this process (user + kernel), in milliseconds: on a busy machine wall-clock time
// mostly measures the other processes.
double ProcessCpuMilliseconds() {
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0.0;
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The same path with the case of its letters flipped where the bits of `spelling` say: another
// source to the pass, the same file to Windows.
std::wstring SpelledApart(std::wstring path, size_t spelling) {
    for (wchar_t& c : path) {
        if (!std::iswalpha(c))
            continue;
        if (spelling & 1)
            c = std::iswupper(c) ? std::towlower(c) : std::towupper(c);
        spelling >>= 1;
    }
    return path;
}

void DeleteFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileW((folder + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                (void)::DeleteFileW((folder + data.cFileName).c_str());
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    (void)::RemoveDirectoryW(folder.c_str());
}

} // namespace

// An argument names the cache folder (ending in "\\") and keeps it, pictures included, to compare
// the pictures of two builds.
int wmain(int argc, wchar_t** argv) {
    const std::vector<Source> sources = Sources();
    SoftwareMap software;
    std::vector<const Source*> sourceOf;
    for (size_t i = 0; i < kRecords; ++i) {
        const Source& source = sources[i % sources.size()];
        wchar_t name[32];
        std::swprintf(name, 32, L"Program %04zu", i);
        SoftwareRecord record;
        record.iconPath = source.path;
        record.iconKind = source.kind;
        software[name] = record;
        sourceOf.push_back(&source);
    }
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD tempChars = ::GetTempPathW(MAX_PATH, temp);
    const bool keep = argc > 1;
    const std::wstring folder =
        keep ? std::wstring(argv[1])
             : std::wstring(temp, tempChars) + L"tsu_icons_bench_" + std::to_wstring(::GetCurrentProcessId()) + L"\\";

    std::printf("picture pass over %zu records of %zu sources\n", kRecords, sources.size());
    PrintObjects("at start", CountObjects());
    std::map<std::string, std::pair<double, int>> perKind;
    Objects start;
    Objects afterFirstPass;
    {
        IconPngCache cache(folder);
        // One request of each source first: GDI+, the codecs and the shell's image lists make
        // their own objects once, on first use; growth is measured from after that.
        for (const Source& source : sources) {
            std::wstring png;
            (void)cache.MakeIconPng(source.path, L"warm", source.kind, png);
        }
        start = CountObjects();
        PrintObjects("before (warmed up)", start);
        for (int pass = 1; pass <= 3; ++pass) {
            size_t spelling = 0;
            for (auto& [name, record] : software) {
                record.imagePath.clear();
                if (pass == 3)
                    record.iconPath = SpelledApart(record.iconPath, ++spelling);
            }
            const auto begin = std::chrono::steady_clock::now();
            const double cpuBegin = ProcessCpuMilliseconds();
            const size_t made = RunPicturePass(software, cache);
            const double ms = Milliseconds(std::chrono::steady_clock::now() - begin);
            const double cpu = ProcessCpuMilliseconds() - cpuBegin;
            std::printf("pass %d (%s): %zu pictures in %.0f ms wall (%.2f ms per record, %.2f ms per picture), "
                        "%.0f ms CPU (%.2f ms per record, %.2f ms per picture)\n",
                        pass, pass == 3 ? "no source shared" : "sources shared", made, ms, ms / kRecords,
                        made ? ms / made : 0.0, cpu, cpu / kRecords, made ? cpu / made : 0.0);
            const Objects after = CountObjects();
            PrintObjects("after pass", after);
            if (pass == 1)
                afterFirstPass = after;
        }
        // Per kind: each source once more, CPU time of each request (the clock ticks in 1 ms
        // steps or coarser, hence 20 rounds).
        size_t stem = 1000;
        for (size_t round = 0; round < 20; ++round) {
            for (const Source& source : sources) {
                std::wstring png;
                const double cpuBegin = ProcessCpuMilliseconds();
                (void)cache.MakeIconPng(PictureIconPath(source.path), std::to_wstring(stem++), source.kind, png);
                auto& entry = perKind[source.label];
                entry.first += ProcessCpuMilliseconds() - cpuBegin;
                entry.second += 1;
            }
        }
    }
    for (const auto& [label, entry] : perKind)
        std::printf("  %-24s %.2f ms CPU per request\n", label.c_str(), entry.first / entry.second);
    const Objects end = CountObjects();
    PrintObjects("after (cache dropped)", end);
    std::printf("growth: GDI table %+lld, USER %+ld, kernel handles %+ld\n",
                static_cast<long long>(end.gdiTable) - static_cast<long long>(start.gdiTable),
                static_cast<long>(end.user) - static_cast<long>(start.user),
                static_cast<long>(end.kernel) - static_cast<long>(start.kernel));
    // Objects made once by the first pass (its worker threads' first use of shared state) are
    // not growth per picture: the figures since then.
    std::printf("growth since pass 1: GDI table %+lld, USER %+ld, kernel handles %+ld\n",
                static_cast<long long>(end.gdiTable) - static_cast<long long>(afterFirstPass.gdiTable),
                static_cast<long>(end.user) - static_cast<long>(afterFirstPass.user),
                static_cast<long>(end.kernel) - static_cast<long>(afterFirstPass.kernel));
    if (!keep)
        DeleteFolder(folder);
    return 0;
}
