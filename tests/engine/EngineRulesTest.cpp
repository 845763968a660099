#include "core/PathText.h"
#include "uninstall/engine/core/StaleEntryRules.h"
#include "uninstall/engine/core/EngineRules.h"
#include "uninstall/engine/core/RegFileText.h"
#include "inventory/core/SoftwareRecord.h"
#include "uninstall/engine/core/RemovalPacer.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <tuple>

namespace tsu {
namespace {

using namespace std::chrono_literals;
using Clock = RemovalPacer::Clock;

TEST(PathTextTest, FindIgnoresAsciiCaseOnlyAndSeparators) {
    EXPECT_EQ(FindIgnoreCase(L"a.exe b.EXE", L".exe", 2), 7u);
    EXPECT_EQ(FindIgnoreCase(L"short", L"longer text"), std::wstring_view::npos);
    // Letters outside ASCII compare exactly.
    EXPECT_FALSE(ContainsIgnoreCase(L"\u00C4pp", L"\u00E4pp"));
    EXPECT_FALSE(EqualsIgnoreCase(L"C:\\Windows", L"C:\\Windows2"));
    EXPECT_EQ(TrimTrailingSeparators(L"C:\\Tools\\\\"), L"C:\\Tools");
    EXPECT_EQ(TrimTrailingSeparators(L"C:\\"), L"C:\\");
    EXPECT_EQ(TrimTrailingSeparators(L"C:\\\\"), L"C:\\");
}

TEST(PathTextTest, ClassifiesPaths) {
    // clang-format off
    const std::tuple<const wchar_t*, bool, bool, bool> cases[] = { // absolute, bare name, root
        {L"C:\\Program Files\\App\\uninst.exe", true, false, false}, {L"c:\\", true, false, true},
        {L"z:", false, false, true}, {L"C:uninst.exe", false, false, false}, {L"uninst.exe", false, true, false},
        {L"\\uninst.exe", false, false, false},
        {L"\\\\server\\share\\app.exe", true, false, false}, {L"\\\\server\\share\\", true, false, true},
        {L"\\\\server", true, false, true}, {L"", false, false, false}};
    // clang-format on
    for (const auto& [path, absolute, bare, root] : cases) {
        EXPECT_EQ(IsAbsolutePath(path), absolute) << path;
        EXPECT_EQ(IsBareFileName(path), bare) << path;
        EXPECT_EQ(IsRootPath(path), root) << path;
    }
}

TEST(PathTextTest, BelowNeedsAWholeComponent) {
    // clang-format off
    const std::tuple<const wchar_t*, const wchar_t*, bool> cases[] = {
        {L"C:\\WINDOWS\\system32\\notepad.exe", L"C:\\windows", true}, {L"C:\\windows\\x", L"C:\\windows\\", true},
        {L"C:\\Windows2\\x.exe", L"C:\\Windows", false}, {L"C:\\Windows", L"C:\\Windows", false},
        {L"C:\\app.exe", L"C:\\", true}, {L"C:\\app.exe", L"", false},
        {L"C:\\Windows\\", L"C:\\Windows", false}};
    // clang-format on
    for (const auto& [path, base, below] : cases)
        EXPECT_EQ(IsPathBelow(path, base), below) << path << L" " << base;
    EXPECT_TRUE(SamePath(L"C:\\Tools\\App\\", L"c:\\tools\\app"));
}

// A small file system and environment for the portable rule; the real probe is tested under Wine.
UninstallerProbe FakeProbe() {
    constexpr FileState P = FileState::Present;
    static const std::map<std::wstring, FileState> files = {{L"C:\\Windows\\System32\\rundll32.exe", P},
                                                            {L"C:\\Program Files\\App\\uninst.exe", P},
                                                            {L"C:\\Denied\\uninst.exe", FileState::Unknown},
                                                            {L"C:\\Tools.exe", P}};
    UninstallerProbe probe;
    probe.expandVariables = [](const std::wstring& text) {
        std::wstring out = text;
        for (size_t at = out.find(L"%SystemRoot%"); at != std::wstring::npos; at = out.find(L"%SystemRoot%"))
            out.replace(at, 12, L"C:\\Windows");
        return out;
    };
    probe.searchPath = [](const std::wstring& name) {
        return name == L"rundll32.exe" ? std::wstring(L"C:\\Windows\\System32\\rundll32.exe") : std::wstring();
    };
    probe.queryFile = [](const std::wstring& path) { return files.count(path) ? files.at(path) : FileState::Missing; };
    // C: is a fixed drive; D: a network drive; no other drive is there.
    probe.isFixedDrive = [](const std::wstring& root) { return root == L"C:\\" || root == L"c:\\"; };
    return probe;
}

TEST(ClassifyUninstallerTest, DecidesLaunchStaleOrUnusable) {
    constexpr UninstallerVerdict L = UninstallerVerdict::Launch, S = UninstallerVerdict::StaleEntry,
                                 U = UninstallerVerdict::Unusable;
    // clang-format off
    const std::pair<const wchar_t*, UninstallerVerdict> cases[] = {
        // Present programs; Installer commands launch even when the path is gone.
        {L"\"C:\\Program Files\\App\\uninst.exe\" /S", L}, {L"rundll32.exe shell32.dll,Control_RunDLL", L},
        {L"C:\\Gone\\MSIEXEC.EXE /x{1}", L},
        // Missing programs named by an absolute path: stale.
        {L"C:\\Program Files\\Gone\\uninst.exe /S", S}, {L"\"%SystemRoot%\\Gone\\x.exe\" /u", S},
        {L"C:\\Gone\\remove.bat", S},
        // Cannot be judged (not on the search path, unset variable, access denied, no ".exe" before a
        // blank, C:\Tools.exe tried first): launched, never deleted.
        {L"uninst.exe /S", L}, {L"\"%UNSET_VAR%\\uninst.exe\"", L}, {L"\"C:\\Denied\\uninst.exe\"", L},
        {L"C:\\Windows\\System32\\rundll32 shell32.dll,X", L}, {L"C:\\Tools Gone\\un.exe", L},
        // Read ambiguously: the quote never closes, or ".exe" runs into an argument.
        {L"\"C:\\Gone\\un.exe /S", L}, {L"C:\\x\\un.exe-S", L}, {L"C:\\Gone\\a.exe-b c.exe", L},
        {L"\"C:\\Gone\\un.exe\"-uninstall", L}, {L"\"C:\\Gone\\un.exe /S\"", L}, {L"C:\\Gone\\un.exe\" /S", L},
        // Not on a fixed local drive that is there, or not a drive path at all.
        {L"\\\\server\\share\\Gone\\un.exe", L}, {L"C:un.exe", L}, {L"D:\\Gone\\un.exe", L},
        {L"\"\" /S", U}, {L"  \" \"  ", U}}; // nothing that could be started
    // clang-format on
    for (const auto& [command, verdict] : cases)
        EXPECT_EQ(ClassifyUninstaller(command, FakeProbe()), verdict) << command;
}

TEST(UninstallerCandidatesTest, ReadsProgramNames) {
    using V = std::vector<std::wstring>;
    // clang-format off
    const std::pair<const wchar_t*, std::optional<V>> cases[] = {
        {L"\"C:\\My.exe Tools\\un.exe\" /S", V{L"C:\\My.exe Tools\\un.exe"}}, {L"\"C:\\unterminated.exe", std::nullopt},
        {L"C:\\My.exe Tools\\un.exe /S", V{L"C:\\My.exe", L"C:\\My.exe Tools\\un.exe"}}, {L"app uninstall now", V{}},
        {L"C:\\a.exefile\\un.EXE", V{L"C:\\a.exefile\\un.EXE"}},
        {L"C:\\Program Files\\My App\\un.exe",
         V{L"C:\\Program Files\\My App\\un.exe", L"C:\\Program.exe", L"C:\\Program Files\\My.exe"}},
        {L"C:\\v1.2\\My App\\un.exe", V{L"C:\\v1.2\\My App\\un.exe", L"C:\\v1.2\\My.exe"}},
        {L"C:\\My  App\\un.exe", V{L"C:\\My  App\\un.exe", L"C:\\My.exe"}}}; // a run of blanks: one try
    // clang-format on
    for (const auto& [command, candidates] : cases)
        EXPECT_EQ(UninstallerCandidates(command), candidates) << command;
}

TEST(KeyPathSafetyTest, KeepsCmdSyntaxOut) {
    const std::wstring key = L"HKEY_CURRENT_USER\\Software\\X\\";
    EXPECT_TRUE(
        IsSafeKeyPathForCommand(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App"));
    EXPECT_TRUE(IsSafeKeyPathForCommand(key + L"A&B (x86) ^|<>!"));
    for (const std::wstring& unsafe :
         {key + L"App\" & calc & \"", key + L"%COMSPEC%", key + L"line\nbreak", key + L"del\x7F", std::wstring()})
        EXPECT_FALSE(IsSafeKeyPathForCommand(unsafe)) << unsafe.size();
    // Nothing runs with a tool that could be anyone's, or that cmd would split, or with an unsafe key.
    const std::wstring reg = L"C:\\Windows\\system32\\reg.exe";
    EXPECT_EQ(MakeRegDeleteCommand(reg, key + L"A B"), reg + L" delete \"" + key + L"A B\" /f");
    for (const auto& [tool, keyPath] :
         {std::pair{std::wstring(L"reg.exe"), key}, std::pair{std::wstring(L"C:\\Win dows\\system32\\reg.exe"), key},
          std::pair{reg, key + L"A\" & x"}})
        EXPECT_EQ(MakeRegDeleteCommand(tool, keyPath), L"") << tool;
}

SoftwareMap Map(std::initializer_list<std::array<const wchar_t*, 3>> entries) {
    SoftwareMap map;
    for (const auto& [name, key, command] : entries) {
        SoftwareRecord record;
        record.displayName = name;
        record.keyPath = key;
        record.uninstallString = command;
        InsertFirstWins(map, name, record);
    }
    return map;
}

TEST(PruneInventoryTest, RemovesOnlyEntriesThatChangedOrVanished) {
    SoftwareMap inventory =
        Map({{L"Kept", L"K1", L"C1"}, {L"Gone", L"K2", L"C2"}, {L"Moved", L"K3", L"C3"}, {L"Recommand", L"K4", L"C4"}});
    inventory[L"Kept"].imagePath = L"C:\\Image\\0.png";
    // Letter case counts; new entries are never added.
    EXPECT_EQ(PruneInventory(inventory, Map({{L"Kept", L"K1", L"C1"},
                                             {L"Moved", L"K3-elsewhere", L"C3"},
                                             {L"Recommand", L"K4", L"c4"},
                                             {L"New", L"K5", L"C5"}})),
              3u);
    ASSERT_EQ(inventory.size(), 1u);
    EXPECT_EQ(inventory.begin()->first + L"|" + inventory.begin()->second.imagePath, L"Kept|C:\\Image\\0.png");
}

TEST(WindowsVersionTest, AcceptsSevenToTen) {
    const std::tuple<uint32_t, uint32_t, bool> cases[] = {{5, 1, false}, {6, 0, false}, {6, 1, true},   {6, 3, true},
                                                          {6, 4, false}, {10, 0, true}, {10, 1, false}, {11, 0, false}};
    for (const auto& [major, minor, supported] : cases)
        EXPECT_EQ(IsSupportedWindowsVersion(major, minor), supported) << major << "." << minor;
}

std::vector<uint8_t> Utf16(std::wstring_view text) {
    std::vector<uint8_t> bytes;
    for (const wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    return bytes;
}

TEST(RegFileTextTest, WritesWhatImportGivesBack) {
    const std::pair<RegValueData, const wchar_t*> cases[] = {
        {{L"", kRegSz, Utf16(std::wstring(L"default\0", 8))}, L"@=\"default\""},
        {{L"a\"b\\c", kRegSz, Utf16(std::wstring(L"q\"\\\0", 4))}, L"\"a\\\"b\\\\c\"=\"q\\\"\\\\\""},
        // Strings "text" cannot carry exactly: no terminator, odd length, a control character.
        {{L"s", kRegSz, Utf16(L"ab")}, L"\"s\"=hex(1):61,00,62,00"},
        {{L"s", kRegSz, {0x61, 0x00, 0x00}}, L"\"s\"=hex(1):61,00,00"},
        {{L"s", kRegSz, Utf16(std::wstring(L"a\nb\0", 4))}, L"\"s\"=hex(1):61,00,0a,00,62,00,00,00"},
        {{L"s", kRegSz, {}}, L"\"s\"=hex(1):"},
        {{L"s", kRegSz, {0, 0}}, L"\"s\"=\"\""}, // an empty string is still text
        {{L"d", kRegDword, {0x2a, 0x00, 0x00, 0x80}}, L"\"d\"=dword:8000002a"},
        {{L"d", kRegDword, {0x01, 0x02, 0x03}}, L"\"d\"=hex(4):01,02,03"},
        {{L"b", kRegBinary, {0x00, 0xff}}, L"\"b\"=hex:00,ff"},
        {{L"n", kRegNone, {}}, L"\"n\"=hex(0):"},
        {{L"x", 0x1234, {0xab}}, L"\"x\"=hex(1234):ab"},
        {{L"w", kRegBinary, std::vector<uint8_t>(26, 0x11)},
         L"\"w\"=hex:11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,\\\r\n  11"}};
    for (const auto& [value, line] : cases) {
        const std::optional<std::wstring> text = MakeRegFileText({RegKeyData{L"HKEY_CURRENT_USER\\K", {value}}});
        EXPECT_EQ(text, std::wstring(L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n") + line +
                            L"\r\n");
    }
}

TEST(RegFileTextTest, KeysInOrderAndControlCharactersRefused) {
    const std::optional<std::wstring> text = MakeRegFileText(
        {RegKeyData{L"HKEY_LOCAL_MACHINE\\A", {}}, RegKeyData{L"HKEY_LOCAL_MACHINE\\A\\B ]x", {{L"v", kRegNone, {}}}}});
    EXPECT_EQ(text, std::wstring(L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\r\n"
                                 L"[HKEY_LOCAL_MACHINE\\A\\B ]x]\r\n\"v\"=hex(0):\r\n"));
    EXPECT_FALSE(MakeRegFileText({RegKeyData{L"HKEY_CURRENT_USER\\K", {{L"line\nbreak", kRegNone, {}}}}}));
    EXPECT_FALSE(MakeRegFileText({RegKeyData{L"HKEY_CURRENT_USER\\K\r", {}}}));
    EXPECT_EQ(RegistryRootName(kRootLocalMachine), L"HKEY_LOCAL_MACHINE");
    EXPECT_EQ(RegistryRootName(kRootCurrentUser), L"HKEY_CURRENT_USER");
    EXPECT_EQ(RegistryRootName(0x80000000u), L"");
}

TEST(RemovalPacerTest, EachRecordWaitsTheIntervalAfterTheLastRemoval) {
    RemovalPacer pacer;
    const Clock::time_point t0{};
    pacer.OnWaiting(t0);
    EXPECT_EQ(pacer.TimeUntilDue(t0), RemovalPacer::kInterval);
    EXPECT_EQ(pacer.TimeUntilDue(t0 + 599ms), 1ms);
    EXPECT_EQ(pacer.TimeUntilDue(t0 + 600ms), Clock::duration::zero());
    pacer.OnWaiting(t0 + 300ms); // a second record arriving does not move the first one's time
    EXPECT_EQ(pacer.TimeUntilDue(t0 + 600ms), Clock::duration::zero());

    pacer.OnRemoved(t0 + 650ms); // the next one waits a full interval from here
    pacer.OnWaiting(t0 + 700ms);
    EXPECT_EQ(pacer.TimeUntilDue(t0 + 700ms), 550ms);
    EXPECT_EQ(pacer.TimeUntilDue(t0 + 1250ms), Clock::duration::zero());
    pacer.OnRemoved(t0 + 1250ms); // a record after an empty spell waits from its arrival
    pacer.OnEmpty();
    pacer.OnWaiting(t0 + 5s);
    EXPECT_EQ(pacer.TimeUntilDue(t0 + 5s), RemovalPacer::kInterval);
}

} // namespace
} // namespace tsu
