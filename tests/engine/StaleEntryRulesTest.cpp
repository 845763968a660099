#include "uninstall/engine/core/StaleEntryRules.h"

#include <gtest/gtest.h>

#include <map>

namespace tsu {
namespace {

// A small file system and environment for the portable rule; the real probe is tested under Wine.
UninstallerProbe FakeProbe() {
    static const std::map<std::wstring, FileState> files = {
        {L"C:\\Windows\\System32\\rundll32.exe", FileState::Present},
        {L"C:\\Program Files\\App\\uninst.exe", FileState::Present},
        {L"C:\\Program Files\\App", FileState::Present},
        {L"C:\\Denied\\uninst.exe", FileState::Unknown},
        {L"C:\\x\\un.exe", FileState::Present},
        {L"C:\\Tools.exe", FileState::Present},
    };
    UninstallerProbe probe;
    probe.expandVariables = [](const std::wstring& text) {
        std::wstring out = text;
        const std::wstring var = L"%SystemRoot%";
        for (size_t at = out.find(var); at != std::wstring::npos; at = out.find(var))
            out.replace(at, var.size(), L"C:\\Windows");
        return out;
    };
    probe.searchPath = [](const std::wstring& name) {
        return name == L"rundll32.exe" || name == L"RUNDLL32.EXE" ? std::wstring(L"C:\\Windows\\System32\\rundll32.exe")
                                                                  : std::wstring();
    };
    probe.queryFile = [](const std::wstring& path) {
        const auto it = files.find(path);
        return it == files.end() ? FileState::Missing : it->second;
    };
    // C: is a fixed drive; D: a network drive; no other drive is there.
    probe.isFixedDrive = [](const std::wstring& root) { return root == L"C:\\" || root == L"c:\\"; };
    return probe;
}

struct VerdictCase {
    const wchar_t* command;
    UninstallerVerdict verdict;
};

class ClassifyUninstallerTest : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(ClassifyUninstallerTest, DecidesLaunchStaleOrUnusable) {
    EXPECT_EQ(ClassifyUninstaller(GetParam().command, FakeProbe()), GetParam().verdict) << GetParam().command;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ClassifyUninstallerTest,
    ::testing::Values(
        // Present programs, whatever the quoting and letter case.
        VerdictCase{L"\"C:\\Program Files\\App\\uninst.exe\"", UninstallerVerdict::Launch},
        VerdictCase{L"\"C:\\Program Files\\App\\uninst.exe\" /S", UninstallerVerdict::Launch},
        VerdictCase{L"rundll32.exe shell32.dll,Control_RunDLL", UninstallerVerdict::Launch},
        VerdictCase{L"RUNDLL32.EXE foo", UninstallerVerdict::Launch},
        VerdictCase{L"\"%SystemRoot%\\System32\\rundll32.exe\" x.dll,Remove", UninstallerVerdict::Launch},
        // Windows Installer commands are always launched.
        VerdictCase{L"MsiExec.exe /X{6F1B7C2A-3D4E-4F50-9A61-7B8C9D0E1F21}", UninstallerVerdict::Launch},
        VerdictCase{L"msiexec.EXE /I{6F1B7C2A-3D4E-4F50-9A61-7B8C9D0E1F21}", UninstallerVerdict::Launch},
        VerdictCase{L"C:\\Gone\\MSIEXEC.EXE /x{1}", UninstallerVerdict::Launch},
        // Missing programs named by an absolute path: stale.
        VerdictCase{L"\"C:\\Program Files\\Gone\\UNINST.EXE\"", UninstallerVerdict::StaleEntry},
        VerdictCase{L"C:\\Program Files\\Gone\\uninst.exe /S", UninstallerVerdict::StaleEntry},
        VerdictCase{L"\"%SystemRoot%\\Gone\\x.exe\" /u", UninstallerVerdict::StaleEntry},
        VerdictCase{L"C:\\Gone\\remove.bat", UninstallerVerdict::StaleEntry},
        // Cannot be judged: launched, never deleted.
        VerdictCase{L"uninst.exe /S", UninstallerVerdict::Launch},               // not on the search path
        VerdictCase{L"sub\\uninst.exe", UninstallerVerdict::Launch},             // relative
        VerdictCase{L"\"%UNSET_VAR%\\uninst.exe\"", UninstallerVerdict::Launch}, // unset variable
        VerdictCase{L"C:\\%UNSET_VAR%\\uninst.exe", UninstallerVerdict::Launch},
        VerdictCase{L"\"C:\\Denied\\uninst.exe\"", UninstallerVerdict::Launch}, // access denied
        VerdictCase{L"\"C:\\Program Files\\App\"", UninstallerVerdict::Launch}, // a folder: exists
        VerdictCase{L"C:\\Windows\\System32\\rundll32 shell32.dll,X", UninstallerVerdict::Launch},
        VerdictCase{L"C:\\Tools Gone\\un.exe", UninstallerVerdict::Launch}, // tries C:\Tools.exe first
        // Read ambiguously: the quote never closes, or ".exe" runs into an argument.
        VerdictCase{L"\"C:\\x\\un.exe /S", UninstallerVerdict::Launch},
        VerdictCase{L"\"C:\\Gone\\un.exe /S", UninstallerVerdict::Launch},
        VerdictCase{L"C:\\x\\un.exe-S", UninstallerVerdict::Launch},
        VerdictCase{L"C:\\Gone\\un.exe-S /x", UninstallerVerdict::Launch},
        VerdictCase{L"\"C:\\x\\un.exe -uninstall", UninstallerVerdict::Launch},
        VerdictCase{L"\"C:\\Gone\\un.exe\"-uninstall", UninstallerVerdict::Launch},
        VerdictCase{L"\"C:\\Gone\\un.exe-S\"", UninstallerVerdict::Launch},
        VerdictCase{L"\"C:\\Gone\\un.exe /S\"", UninstallerVerdict::Launch},
        VerdictCase{L"C:\\Gone\\un.exe\" /S", UninstallerVerdict::Launch},
        // Not on a fixed local drive that is there, or not a drive path at all.
        VerdictCase{L"\\\\server\\share\\Gone\\un.exe", UninstallerVerdict::Launch},
        VerdictCase{L"\"\\\\?\\C:\\Gone\\un.exe\"", UninstallerVerdict::Launch},
        VerdictCase{L"\\\\.\\C:\\Gone\\un.exe", UninstallerVerdict::Launch},
        VerdictCase{L"C:un.exe", UninstallerVerdict::Launch},
        VerdictCase{L"\\Gone\\un.exe", UninstallerVerdict::Launch},
        VerdictCase{L"D:\\Gone\\un.exe", UninstallerVerdict::Launch},
        VerdictCase{L"\"E:\\Gone\\un.exe\" /S", UninstallerVerdict::Launch},
        // Unquoted path with blanks: the ".exe" prefix is the program.
        VerdictCase{L"C:\\Program Files\\App\\uninst.exe", UninstallerVerdict::Launch},
        // Nothing that could be started.
        VerdictCase{L"", UninstallerVerdict::Unusable}, VerdictCase{L"\"\"", UninstallerVerdict::Unusable},
        VerdictCase{L"\"\" /S", UninstallerVerdict::Unusable},
        VerdictCase{L"  \" \"  ", UninstallerVerdict::Unusable}));

TEST(UninstallerCandidatesTest, ReadsProgramNames) {
    using V = std::optional<std::vector<std::wstring>>;
    EXPECT_EQ(UninstallerCandidates(L"\"C:\\My.exe Tools\\un.exe\" /S"), V{{L"C:\\My.exe Tools\\un.exe"}});
    EXPECT_EQ(UninstallerCandidates(L"C:\\My.exe Tools\\un.exe /S"), V({L"C:\\My.exe", L"C:\\My.exe Tools\\un.exe"}));
    EXPECT_EQ(UninstallerCandidates(L"C:\\a.exefile\\un.EXE"), V{{L"C:\\a.exefile\\un.EXE"}});
    EXPECT_EQ(UninstallerCandidates(L"C:\\Program Files\\My App\\un.exe"),
              V({L"C:\\Program Files\\My App\\un.exe", L"C:\\Program.exe", L"C:\\Program Files\\My.exe"}));
    EXPECT_EQ(UninstallerCandidates(L"C:\\v1.2\\My App\\un.exe"), V({L"C:\\v1.2\\My App\\un.exe", L"C:\\v1.2\\My.exe"}));
    EXPECT_EQ(UninstallerCandidates(L"\"C:\\unterminated.exe"), std::nullopt);
    EXPECT_EQ(UninstallerCandidates(L"app uninstall now"), V{std::vector<std::wstring>{}});
}

TEST(UninstallerCandidatesTest, BothProgramReadingsMissingMeansStale) {
    EXPECT_EQ(ClassifyUninstaller(L"C:\\My.exe Tools\\un.exe /S", FakeProbe()), UninstallerVerdict::StaleEntry);
}

struct KeyPathCase {
    const wchar_t* keyPath;
    bool safe;
};

class KeyPathSafetyTest : public ::testing::TestWithParam<KeyPathCase> {};

TEST_P(KeyPathSafetyTest, KeepsCmdSyntaxOut) {
    EXPECT_EQ(IsSafeKeyPathForCommand(GetParam().keyPath), GetParam().safe);
}

INSTANTIATE_TEST_SUITE_P(
    KeyPaths, KeyPathSafetyTest,
    ::testing::Values(KeyPathCase{L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App",
                                  true},
                      KeyPathCase{L"HKEY_CURRENT_USER\\Software\\X\\A&B (x86) ^|<>!", true},
                      KeyPathCase{L"HKEY_CURRENT_USER\\Software\\X\\App\" & calc & \"", false},
                      KeyPathCase{L"HKEY_CURRENT_USER\\Software\\X\\%COMSPEC%", false},
                      KeyPathCase{L"HKEY_CURRENT_USER\\Software\\X\\line\nbreak", false},
                      KeyPathCase{L"HKEY_CURRENT_USER\\Software\\X\\tab\there", false},
                      KeyPathCase{L"HKEY_CURRENT_USER\\Software\\X\\del\x7F", false}, KeyPathCase{L"", false}));

TEST(RegDeleteCommandTest, NamesTheToolByItsPathAndQuotesTheKeyPath) {
    const std::wstring reg = L"C:\\Windows\\system32\\reg.exe";
    EXPECT_EQ(MakeRegDeleteCommand(reg, L"HKEY_CURRENT_USER\\Software\\A B"),
              L"C:\\Windows\\system32\\reg.exe delete \"HKEY_CURRENT_USER\\Software\\A B\" /f");
    // Nothing runs with a tool that could be anyone's, or that cmd would split, or with an unsafe key.
    EXPECT_EQ(MakeRegDeleteCommand(L"reg.exe", L"HKEY_CURRENT_USER\\Software\\A"), L"");
    EXPECT_EQ(MakeRegDeleteCommand(L"", L"HKEY_CURRENT_USER\\Software\\A"), L"");
    EXPECT_EQ(MakeRegDeleteCommand(L"C:\\Win dows\\system32\\reg.exe", L"HKEY_CURRENT_USER\\Software\\A"), L"");
    EXPECT_EQ(MakeRegDeleteCommand(reg, L"HKEY_CURRENT_USER\\Software\\A\" & x"), L"");
}

} // namespace
} // namespace tsu
