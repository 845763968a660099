// Stale entries and bad uninstall commands, on the real file system and registry: which entries
// the worker deletes with the registry tool, which it launches, and which it refuses.

#include "log/CLogSave.h"
#include "tests/common/TestProcess.h"
#include "tests/engine/EngineTestSupport.h"
#include "uninstall/RunCommand.h"
#include "uninstall/engine/EngineMessages.h"
#include "uninstall/engine/StaleEntryBackup.h"
#include "uninstall/engine/UninstallEngine.h"
#include "uninstall/engine/UninstallerFileProbe.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace tsu {
namespace {

// The rule has its table; this is its wiring to the real file system and drives.
TEST(SystemProbeTest, ClassifiesAgainstTheRealSystem) {
    EXPECT_EQ(ClassifyUninstaller(L"C:\\windows\\tsu_gone_uninstaller.exe", SystemUninstallerProbe()),
              UninstallerVerdict::StaleEntry);
    EXPECT_EQ(ClassifyUninstaller(L"R:\\tsu_gone_folder\\x.exe", SystemUninstallerProbe()),
              UninstallerVerdict::Launch); // no such drive
}

// The backups of keys whose path holds `text`, in the log folder, as the worker writes them
// before a delete.
std::vector<std::wstring> BackupsHolding(const std::wstring& text) {
    const std::wstring folder = CLogSave::GetInstance()->LogDirectory();
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found{};
    const UniqueFindHandle search(::FindFirstFileW((folder + L"StaleEntry_*.reg").c_str(), &found));
    for (bool more = search.IsValid(); more; more = ::FindNextFileW(search.Get(), &found) != FALSE) {
        if (test::ReadUtf16File(folder + found.cFileName).find(text) != std::wstring::npos)
            files.push_back(folder + found.cFileName);
    }
    return files;
}

// A copy of the stand-in helper under another name, removed again at the end.
class PlantedProgram {
public:
    explicit PlantedProgram(std::wstring path) : m_path(std::move(path)) {
        m_planted = test::CopyProgram(test::HelperPath(), m_path);
    }
    ~PlantedProgram() { (void)::DeleteFileW(m_path.c_str()); }
    PlantedProgram(const PlantedProgram&) = delete;
    PlantedProgram& operator=(const PlantedProgram&) = delete;
    [[nodiscard]] bool Planted() const { return m_planted; }

private:
    std::wstring m_path;
    bool m_planted = false;
};

// Every kind of bad entry in one queue: one worker run, one message sequence.
class BadEntriesTest : public ::testing::Test {
protected:
    BadEntriesTest() : m_entries(HKEY_CURRENT_USER, L"Software\\" + test::UniqueName(L"TsuEngineStale")) {}
    // The log folder is every test program's: this test's backups go again.
    ~BadEntriesTest() override {
        for (const std::wstring& file : BackupsHolding(m_entries.Path()))
            (void)::DeleteFileW(file.c_str());
    }

    SoftwareRecord Add(const std::wstring& subkey, const std::wstring& name, const std::wstring& command,
                       UninstallMode mode = UninstallMode::Normal) {
        SoftwareRecord record = test::WriteScratchEntry(m_entries, subkey, name, command);
        m_engine.Enqueue(record, mode);
        return record;
    }

    test::ScratchKey m_entries;
    test::MessageRecorder m_page;
    UninstallEngine m_engine;
};

TEST_F(BadEntriesTest, OnlyCertainlyStaleEntriesWithSafeNamesAreDeleted) {
    const std::wstring gone = L"\"C:\\" + test::UniqueName(L"tsu_gone") + L"\\UNINST.EXE\" /S";
    // The registry tool runs in our current folder: a scratch folder of this test alone, where a
    // reg.exe is planted that a bare "reg" would find (it leaves a mark when run), and where an
    // injected command would write its file.
    const test::ScratchFolder here(L"bad_entries");
    const test::ScopedCurrentFolder inHere(here.Path());
    ASSERT_TRUE(inHere.Changed());
    const std::wstring markerName = test::UniqueName(L"tsu_injected") + L".txt";
    const std::wstring marker = here.File(markerName);
    const std::wstring regMark = here.File(L"planted_reg.txt");
    const test::ScopedEnvironmentVariable plantedArgs(L"TSU_HELPER_ARGS", L"--mark " + test::Quoted(regMark));
    const PlantedProgram regHere(here.File(L"reg.exe"));
    ASSERT_TRUE(regHere.Planted());
    std::wstring ignored;
    ASSERT_TRUE(RunCommand(L"reg", ignored)); // the trap works for a bare name
    ASSERT_TRUE(test::FileExists(regMark));
    ASSERT_TRUE(::DeleteFileW(regMark.c_str()));

    // A quiet removal keeps the same rule: the stale entry is backed up and deleted, nothing started.
    const SoftwareRecord stale = Add(L"Stale", L"Bad 01 stale", gone, UninstallMode::Quiet);
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
    // The quote never closes: the file exists, so this is no stale entry (and it cannot start).
    const SoftwareRecord unclosed =
        Add(L"Unclosed", L"Bad 12 unclosed", L"\"" + test::SystemFolderPath() + L"\\rundll32.exe /S");
    const SoftwareRecord empty = test::WriteScratchEntry(m_entries, L"Empty", L"Bad 13 empty", L"");
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
                          L"3 Bad 11 folder",   L"2 Bad 11 folder",   L"3 Bad 12 unclosed",    L"2 Bad 12 unclosed",
                          L"2 Bad 13 empty"}));

    EXPECT_FALSE(test::UninstallKeyExists(HKEY_CURRENT_USER, stale.relativeKeyPath));
    EXPECT_FALSE(test::UninstallKeyExists(HKEY_CURRENT_USER, ampersand.relativeKeyPath));
    EXPECT_EQ(BackupsHolding(L"[" + stale.keyPath + L"]").size(), 1u);
    EXPECT_EQ(BackupsHolding(L"[" + ampersand.keyPath + L"]").size(), 1u);
    EXPECT_FALSE(m_engine.LastExitCode(stale.keyPath).has_value());
    EXPECT_FALSE(test::FileExists(marker));
    EXPECT_FALSE(test::FileExists(regMark));
    for (const SoftwareRecord* kept :
         {&quote, &percent, &rundll, &msi, &variable, &onlyQuotes, &relative, &unset, &folder, &unclosed, &empty})
        EXPECT_TRUE(test::UninstallKeyExists(HKEY_CURRENT_USER, kept->relativeKeyPath)) << kept->displayName;
}

using RegistrySnapshot = std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>>;

// Every value below root\path, keyed by its key path below path and its name.
void TakeSnapshot(HKEY root, const std::wstring& path, const std::wstring& below, RegistrySnapshot& snapshot) {
    UniqueHkey key;
    ASSERT_EQ(::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.Put()), ERROR_SUCCESS) << path;
    wchar_t name[16384];
    std::vector<BYTE> data(65536);
    for (DWORD index = 0;; ++index) {
        DWORD nameChars = 16384;
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        if (::RegEnumValueW(key.Get(), index, name, &nameChars, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            break;
        snapshot[below + L"|" + std::wstring(name, nameChars)] = {type,
                                                                  std::vector<BYTE>(data.begin(), data.begin() + size)};
    }
    for (DWORD index = 0;; ++index) {
        DWORD nameChars = 256;
        if (::RegEnumKeyExW(key.Get(), index, name, &nameChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::wstring subkey(name, nameChars);
        TakeSnapshot(root, path + L"\\" + subkey, below + L"\\" + subkey, snapshot);
    }
}

TEST(StaleEntryBackupTest, RegImportRestoresEveryValueByteForByte) {
    test::ScratchKey entries(HKEY_CURRENT_USER, L"Software\\" + test::UniqueName(L"TsuEngineBackup"));
    const SoftwareRecord record =
        test::WriteScratchEntry(entries, L"App", L"Backup \"sample\" \\", L"C:\\gone\\un.exe");
    const std::wstring multi(L"one\0two\0\0", 9);
    const std::wstring noTerminator = L"ab";
    const uint64_t qword = 0x0102030405060708ull;
    const BYTE bytes[] = {0x00, 0x01, 0xFF};
    ASSERT_TRUE(entries.SetString(L"App", L"", L"default"));
    ASSERT_TRUE(entries.SetString(L"App", L"q\"uote\\back", L"C:\\x\\\"y\""));
    ASSERT_TRUE(entries.SetRaw(L"App", L"Expand", REG_EXPAND_SZ, L"%SystemRoot%\\x", 30));
    ASSERT_TRUE(entries.SetRaw(L"App", L"Multi", REG_MULTI_SZ, multi.data(), 18));
    ASSERT_TRUE(entries.SetRaw(L"App", L"Unterminated", REG_SZ, noTerminator.data(), 4));
    ASSERT_TRUE(entries.SetDword(L"App", L"Dword", 0x8000002A));
    ASSERT_TRUE(entries.SetRaw(L"App", L"Qword", REG_QWORD, &qword, sizeof qword));
    ASSERT_TRUE(entries.SetRaw(L"App", L"Binary", REG_BINARY, bytes, sizeof bytes));
    ASSERT_TRUE(entries.SetRaw(L"App", L"None", REG_NONE, nullptr, 0));
    ASSERT_TRUE(entries.SetRaw(L"App", L"Other", 0x1234, bytes, sizeof bytes));
    ASSERT_TRUE(entries.SetString(L"App\\Child\\Grandchild", L"Deep", L"value"));
    RegistrySnapshot before;
    TakeSnapshot(HKEY_CURRENT_USER, record.relativeKeyPath, L"", before);
    ASSERT_EQ(before.size(), 13u);

    test::ScratchFolder folder(L"backup");
    std::wstring file;
    std::wstring second;
    ASSERT_EQ(BackupUninstallEntry(record, folder.Path(), file), BackupResult::Written);
    ASSERT_EQ(BackupUninstallEntry(record, folder.Path(), second), BackupResult::Written);
    EXPECT_NE(file, second); // a second backup never takes the first one's place
    ASSERT_TRUE(test::DeleteKeyTree(HKEY_CURRENT_USER, record.relativeKeyPath));
    ASSERT_EQ(test::RunToEnd(test::Quoted(test::SystemFolderPath() + L"\\reg.exe") + L" import " + test::Quoted(file)),
              0u);
    RegistrySnapshot after;
    TakeSnapshot(HKEY_CURRENT_USER, record.relativeKeyPath, L"", after);
    EXPECT_EQ(after, before);

    // Nowhere to write it: no backup, and the engine keeps the key.
    std::wstring none;
    EXPECT_EQ(BackupUninstallEntry(record, folder.File(L"missing"), none), BackupResult::Failed);
    EXPECT_EQ(BackupUninstallEntry(record, L"relative\\folder", none), BackupResult::Failed);
}

} // namespace
} // namespace tsu
