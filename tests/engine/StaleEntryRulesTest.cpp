#include "uninstall/engine/core/StaleEntryRules.h"

#include <gtest/gtest.h>

#include <map>

namespace tsu {
namespace {

// A small file system and environment for the portable rule; the real probe is tested under Wine.
UninstallerProbe FakeProbe() {
    constexpr FileState P = FileState::Present;
    static const std::map<std::wstring, FileState> files = {{L"C:\\Windows\\System32\\rundll32.exe", P},
                                                            {L"C:\\Program Files\\App\\uninst.exe", P},
                                                            {L"C:\\Program Files\\App", P},
                                                            {L"C:\\Denied\\uninst.exe", FileState::Unknown},
                                                            {L"C:\\x\\un.exe", P},
                                                            {L"C:\\Tools.exe", P}};
    UninstallerProbe probe;
    probe.expandVariables = [](const std::wstring& text) {
        std::wstring out = text;
        for (size_t at = out.find(L"%SystemRoot%"); at != std::wstring::npos; at = out.find(L"%SystemRoot%"))
            out.replace(at, 12, L"C:\\Windows");
        return out;
    };
    probe.searchPath = [](const std::wstring& name) {
        return name == L"rundll32.exe" || name == L"RUNDLL32.EXE" ? std::wstring(L"C:\\Windows\\System32\\rundll32.exe")
                                                                  : std::wstring();
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
        // Present programs, whatever the quoting and letter case; Installer commands always launch.
        {L"\"C:\\Program Files\\App\\uninst.exe\" /S", L}, {L"rundll32.exe shell32.dll,Control_RunDLL", L},
        {L"RUNDLL32.EXE foo", L}, {L"\"%SystemRoot%\\System32\\rundll32.exe\" x.dll,Remove", L},
        {L"MsiExec.exe /X{6F1B7C2A-3D4E-4F50-9A61-7B8C9D0E1F21}", L}, {L"C:\\Gone\\MSIEXEC.EXE /x{1}", L},
        // Missing programs named by an absolute path: stale.
        {L"\"C:\\Program Files\\Gone\\UNINST.EXE\"", S}, {L"C:\\Program Files\\Gone\\uninst.exe /S", S},
        {L"\"%SystemRoot%\\Gone\\x.exe\" /u", S}, {L"C:\\Gone\\remove.bat", S}, {L"C:\\My.exe Tools\\un.exe /S", S},
        // Cannot be judged (not on the search path, relative, unset variable, access denied, a
        // folder, C:\Tools.exe tried first): launched, never deleted.
        {L"uninst.exe /S", L}, {L"sub\\uninst.exe", L}, {L"\"%UNSET_VAR%\\uninst.exe\"", L},
        {L"C:\\%UNSET_VAR%\\uninst.exe", L}, {L"\"C:\\Denied\\uninst.exe\"", L}, {L"\"C:\\Program Files\\App\"", L},
        {L"C:\\Windows\\System32\\rundll32 shell32.dll,X", L}, {L"C:\\Tools Gone\\un.exe", L},
        // Read ambiguously: the quote never closes, or ".exe" runs into an argument.
        {L"\"C:\\x\\un.exe /S", L}, {L"\"C:\\Gone\\un.exe /S", L}, {L"C:\\x\\un.exe-S", L},
        {L"C:\\Gone\\un.exe-S /x", L}, {L"C:\\Gone\\a.exe-b c.exe", L}, {L"\"C:\\x\\un.exe -uninstall", L},
        {L"\"C:\\Gone\\un.exe\"-uninstall", L}, {L"\"C:\\Gone\\un.exe-S\"", L}, {L"\"C:\\Gone\\un.exe /S\"", L},
        {L"C:\\Gone\\un.exe\" /S", L},
        // Not on a fixed local drive that is there, or not a drive path at all.
        {L"\\\\server\\share\\Gone\\un.exe", L}, {L"\"\\\\?\\C:\\Gone\\un.exe\"", L}, {L"\\\\.\\C:\\Gone\\un.exe", L},
        {L"C:un.exe", L}, {L"\\Gone\\un.exe", L}, {L"D:\\Gone\\un.exe", L}, {L"\"E:\\Gone\\un.exe\" /S", L},
        {L"C:\\Program Files\\App\\uninst.exe", L}, // unquoted with blanks: the ".exe" prefix is the program
        {L"", U}, {L"\"\"", U}, {L"\"\" /S", U}, {L"  \" \"  ", U}}; // nothing that could be started
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
    for (const std::wstring& unsafe : {key + L"App\" & calc & \"", key + L"%COMSPEC%", key + L"line\nbreak",
                                       key + L"tab\there", key + L"del\x7F", std::wstring()})
        EXPECT_FALSE(IsSafeKeyPathForCommand(unsafe)) << unsafe.size();
    // Nothing runs with a tool that could be anyone's, or that cmd would split, or with an unsafe key.
    const std::wstring reg = L"C:\\Windows\\system32\\reg.exe";
    EXPECT_EQ(MakeRegDeleteCommand(reg, key + L"A B"), reg + L" delete \"" + key + L"A B\" /f");
    for (const auto& [tool, keyPath] :
         {std::pair{std::wstring(L"reg.exe"), key}, std::pair{std::wstring(), key},
          std::pair{std::wstring(L"C:\\Win dows\\system32\\reg.exe"), key}, std::pair{reg, key + L"A\" & x"}})
        EXPECT_EQ(MakeRegDeleteCommand(tool, keyPath), L"") << tool;
}

} // namespace
} // namespace tsu
