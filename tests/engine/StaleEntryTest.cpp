// Stale entries and bad uninstall commands, on the real file system and registry: which entries
// the worker deletes with the registry tool, which it launches, and which it refuses.

#include "tests/common/TestProcess.h"
#include "tests/engine/EngineTestSupport.h"
#include "uninstall/engine/EngineMessages.h"
#include "uninstall/engine/UninstallEngine.h"
#include "uninstall/engine/UninstallerFileProbe.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

struct ProbeCase {
    const wchar_t* command;
    UninstallerVerdict verdict;
};

class SystemProbeTest : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(SystemProbeTest, ClassifiesAgainstTheRealSystem) {
    EXPECT_EQ(ClassifyUninstaller(GetParam().command, SystemUninstallerProbe()), GetParam().verdict)
        << GetParam().command;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SystemProbeTest,
    ::testing::Values(ProbeCase{L"rundll32.exe advpack.dll,DelNodeRunDLL32 C:\\nothing", UninstallerVerdict::Launch},
                      ProbeCase{L"RUNDLL32.EXE advpack.dll,DelNodeRunDLL32 C:\\nothing", UninstallerVerdict::Launch},
                      ProbeCase{L"\"%SystemRoot%\\System32\\RunDll32.exe\" x.dll,Remove", UninstallerVerdict::Launch},
                      ProbeCase{L"\"%windir%\\system32\\CMD.EXE\"", UninstallerVerdict::Launch},
                      ProbeCase{L"MsiExec.exe /X{00000000-0000-0000-0000-000000000000}", UninstallerVerdict::Launch},
                      ProbeCase{L"msiexec /x{00000000-0000-0000-0000-000000000000}", UninstallerVerdict::Launch},
                      ProbeCase{L"\"C:\\windows\"", UninstallerVerdict::Launch},           // a folder
                      ProbeCase{L"tsu_nowhere_uninst.exe /S", UninstallerVerdict::Launch}, // not on the path
                      ProbeCase{L"\"%TSU_SURELY_UNSET_VARIABLE%\\uninst.exe\"", UninstallerVerdict::Launch},
                      ProbeCase{L"\"C:\\tsu_gone_folder\\UNINST.EXE\" /S", UninstallerVerdict::StaleEntry},
                      ProbeCase{L"C:\\windows\\tsu_gone_uninstaller.exe", UninstallerVerdict::StaleEntry},
                      ProbeCase{L"\"%SystemRoot%\\tsu_gone_folder\\x.exe\"", UninstallerVerdict::StaleEntry},
                      ProbeCase{L"\"\"", UninstallerVerdict::Unusable}));

// Every kind of bad entry in one queue: one worker run, one message sequence.
class BadEntriesTest : public ::testing::Test {
protected:
    BadEntriesTest() : m_entries(HKEY_CURRENT_USER, L"Software\\" + test::UniqueName(L"TsuEngineStale")) {}

    SoftwareRecord Add(const std::wstring& subkey, const std::wstring& name, const std::wstring& command) {
        SoftwareRecord record = test::WriteScratchEntry(m_entries, subkey, name, command);
        m_engine.Enqueue(record);
        return record;
    }

    test::ScratchKey m_entries;
    test::MessageRecorder m_page;
    UninstallEngine m_engine;
};

TEST_F(BadEntriesTest, OnlyCertainlyStaleEntriesWithSafeNamesAreDeleted) {
    const std::wstring gone = L"\"C:\\" + test::UniqueName(L"tsu_gone") + L"\\UNINST.EXE\" /S";
    // An injected command would write this file into the registry tool's current folder, ours.
    const std::wstring markerName = test::UniqueName(L"tsu_injected") + L".txt";
    wchar_t currentFolder[MAX_PATH] = {};
    ASSERT_GT(::GetCurrentDirectoryW(MAX_PATH, currentFolder), 0u);
    const std::wstring marker = std::wstring(currentFolder) + L"\\" + markerName;
    const SoftwareRecord stale = Add(L"Stale", L"Bad 01 stale", gone);
    // cmd.exe reads nothing of this inside the quotes: the key goes, no file is made.
    const SoftwareRecord ampersand = Add(L"Amp & echo x > " + markerName + L" ^| more", L"Bad 02 ampersand", gone);
    const SoftwareRecord quote = Add(L"Quote\" & echo x > " + markerName + L" & \"", L"Bad 03 quote", gone);
    const SoftwareRecord percent = Add(L"Percent %COMSPEC%", L"Bad 04 percent", gone);
    const SoftwareRecord rundll = Add(L"Rundll", L"Bad 05 rundll",
                                      L"RUNDLL32.EXE advpack.dll,DelNodeRunDLL32 C:\\" + test::UniqueName(L"tsu_none"));
    // A Windows Installer command is never judged by its file (the real one is run in the MSI test;
    // here one that cannot start, so the slow installer service stays out of this test).
    const SoftwareRecord msi =
        Add(L"Msi", L"Bad 06 msi",
            L"\"C:\\" + test::UniqueName(L"tsu_gone") + L"\\MSIEXEC.EXE\" /X{0D1C2B3A-0000-4000-8000-0000000000FF}");
    const SoftwareRecord variable = Add(L"Var", L"Bad 07 variable", L"\"%SystemRoot%\\System32\\rundll32.exe\" x,y");
    const SoftwareRecord onlyQuotes = Add(L"Quotes", L"Bad 08 only quotes", L"\"\"");
    const SoftwareRecord relative = Add(L"Relative", L"Bad 09 relative", L"tsu_nowhere_uninst.exe /S");
    const SoftwareRecord unset = Add(L"Unset", L"Bad 10 unset", L"\"%TSU_SURELY_UNSET_VARIABLE%\\uninst.exe\"");
    const SoftwareRecord folder = Add(L"Folder", L"Bad 11 folder", L"\"C:\\windows\"");
    const SoftwareRecord empty = test::WriteScratchEntry(m_entries, L"Empty", L"Bad 12 empty", L"");
    m_engine.Enqueue(empty);

    ASSERT_TRUE(m_engine.SetOwnerWindow(m_page.Window()));
    ASSERT_TRUE(m_engine.StartUninstallWorker());
    ASSERT_TRUE(m_page.WaitForCount(WM_UNINSTALL_REMOVED, 2));
    ASSERT_TRUE(test::WaitUntil([&] { return !m_engine.IsWorkerRunning(); }));

    std::vector<std::wstring> states;
    for (const auto& message : OnlyOf(m_page.Messages(), WM_UNINSTALL_STATE))
        states.push_back(std::to_wstring(message.wParam) + L" " + message.text);
    EXPECT_EQ(states, (std::vector<std::wstring>{
                          L"3 Bad 01 stale",    L"1 Bad 01 stale",    L"3 Bad 02 ampersand",   L"1 Bad 02 ampersand",
                          L"3 Bad 03 quote",    L"2 Bad 03 quote",    L"3 Bad 04 percent",     L"2 Bad 04 percent",
                          L"3 Bad 05 rundll",   L"2 Bad 05 rundll",   L"3 Bad 06 msi",         L"2 Bad 06 msi",
                          L"3 Bad 07 variable", L"2 Bad 07 variable", L"3 Bad 08 only quotes", L"2 Bad 08 only quotes",
                          L"3 Bad 09 relative", L"2 Bad 09 relative", L"3 Bad 10 unset",       L"2 Bad 10 unset",
                          L"3 Bad 11 folder",   L"2 Bad 11 folder",   L"2 Bad 12 empty"}));

    EXPECT_FALSE(test::UninstallKeyExists(HKEY_CURRENT_USER, stale.relativeKeyPath));
    EXPECT_FALSE(test::UninstallKeyExists(HKEY_CURRENT_USER, ampersand.relativeKeyPath));
    EXPECT_FALSE(test::FileExists(marker));
    for (const SoftwareRecord* kept :
         {&quote, &percent, &rundll, &msi, &variable, &onlyQuotes, &relative, &unset, &folder, &empty})
        EXPECT_TRUE(test::UninstallKeyExists(HKEY_CURRENT_USER, kept->relativeKeyPath)) << kept->displayName;
}

} // namespace
} // namespace tsu
