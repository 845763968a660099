// Stale entries and bad uninstall commands on the real file system and registry: which entries the
// worker deletes with the registry tool (after a backup), which it launches, and which it refuses.
#include "log/CLogSave.h"
#include "tests/common/ProcessTestSupport.h"
#include "tests/engine/EngineTestSupport.h"
#include "uninstall/RunCommand.h"
#include "uninstall/engine/EngineMessages.h"
#include "uninstall/engine/StaleEntryBackup.h"
#include "uninstall/engine/UninstallEngine.h"
#include "uninstall/engine/UninstallerFileProbe.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <vector>

namespace tsu {
namespace {

// The worker's backups in the log folder that hold `text`.
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

// Every kind of bad entry in one queue: one worker run, one message sequence. The registry tool
// runs in our current folder: a scratch folder of this test alone, where a reg.exe is planted that a
// bare "reg" would find (it leaves a mark when run), and where an injected command would write.
TEST(BadEntriesTest, OnlyCertainlyStaleEntriesWithSafeNamesAreDeleted) {
    EXPECT_EQ(ClassifyUninstaller(L"R:\\tsu_gone_folder\\x.exe", SystemUninstallerProbe()),
              UninstallerVerdict::Launch); // no such drive
    test::ScratchKey entries(HKEY_CURRENT_USER, L"Software\\" + test::UniqueName(L"TsuEngineStale"));
    struct DropBackups { // the log folder is every test program's: this test's backups go again
        const std::wstring path;
        ~DropBackups() {
            for (const std::wstring& file : BackupsHolding(path))
                (void)::DeleteFileW(file.c_str());
        }
    } dropBackups{entries.Path()};
    const test::ScratchFolder here(L"bad_entries");
    const test::ScopedCurrentFolder inHere(here.Path());
    ASSERT_TRUE(inHere.Changed());
    const std::wstring markerName = test::UniqueName(L"tsu_injected") + L".txt", regMark = here.File(L"reg.txt");
    const test::ScopedEnvironmentVariable plantedArgs(L"TSU_HELPER_ARGS", L"--mark " + test::Quoted(regMark));
    ASSERT_TRUE(test::CopyProgram(test::HelperPath(), here.File(L"reg.exe")));
    std::wstring ignored;
    ASSERT_TRUE(RunCommand(L"reg", ignored)); // the trap works for a bare name
    ASSERT_TRUE(::DeleteFileW(regMark.c_str()));
    const std::wstring gone = L"\"C:\\" + test::UniqueName(L"tsu_gone") + L"\\UNINST.EXE\" /S";
    const std::tuple<std::wstring, std::wstring, bool> cases[] = {
        // subkey, command, deleted
        {L"Stale", gone, true},
        // cmd.exe reads nothing of this inside the quotes: the key goes, no file is made.
        {L"Amp & echo x > " + markerName + L" ^| more", gone, true},
        {L"Quote\" & echo x > " + markerName + L" & \"", gone, false},
        {L"Folder", L"\"C:\\windows\"", false},
        {L"Unknown", test::Quoted(test::HelperPath()), false}, // quiet: no technology known, never started
        {L"Empty", L"", false},
    };
    test::MessageRecorder page;
    UninstallEngine engine;
    std::vector<SoftwareRecord> records;
    std::vector<std::wstring> expected;
    for (const auto& [subkey, command, deleted] : cases) {
        const std::wstring name = L"Bad " + std::to_wstring(10 + records.size());
        records.push_back(test::WriteScratchEntry(entries, subkey, name, command));
        engine.Enqueue(records.back(), UninstallMode::Quiet);
        if (!command.empty())
            expected.push_back(L"3 " + name);
        expected.push_back((deleted ? L"1 " : L"2 ") + name);
    }
    ASSERT_TRUE(engine.SetOwnerWindow(page.Window()));
    ASSERT_TRUE(engine.StartUninstallWorker());
    ASSERT_TRUE(page.WaitForCount(WM_UNINSTALL_REMOVED, 2));
    ASSERT_TRUE(test::WaitUntil([&] { return !engine.IsWorkerRunning(); }));
    EXPECT_EQ(test::Steps(OnlyOf(page.Messages(), WM_UNINSTALL_STATE)), expected);
    for (size_t i = 0; i < records.size(); ++i) {
        const bool deleted = std::get<2>(cases[i]);
        EXPECT_EQ(test::UninstallKeyExists(HKEY_CURRENT_USER, records[i].relativeKeyPath), !deleted) << i;
        EXPECT_EQ(BackupsHolding(L"[" + records[i].keyPath + L"]").size(), deleted ? 1u : 0u) << i;
    }
    EXPECT_FALSE(engine.LastExitCode(records[0].keyPath).has_value());
    EXPECT_FALSE(test::FileExists(here.File(markerName)) || test::FileExists(regMark));
}

using RegistrySnapshot = std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>>;

// Every value below root\path, keyed by its key path below path and its name.
void TakeSnapshot(const std::wstring& path, const std::wstring& below, RegistrySnapshot& snapshot) {
    UniqueHkey key;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.Put()),
              ERROR_SUCCESS);
    wchar_t name[16384];
    std::vector<BYTE> data(65536);
    for (DWORD index = 0, chars = 16384, type = 0, size = 65536;
         ::RegEnumValueW(key.Get(), index, name, &chars, nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
         ++index, chars = 16384, size = 65536)
        snapshot[below + L"|" + std::wstring(name, chars)] = {type,
                                                              std::vector<BYTE>(data.begin(), data.begin() + size)};
    for (DWORD index = 0, chars = 256;
         ::RegEnumKeyExW(key.Get(), index, name, &chars, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++index, chars = 256)
        TakeSnapshot(path + L"\\" + std::wstring(name, chars), below + L"\\" + std::wstring(name, chars), snapshot);
}

TEST(StaleEntryBackupTest, RegImportRestoresEveryValueByteForByte) {
    test::ScratchKey entries(HKEY_CURRENT_USER, L"Software\\" + test::UniqueName(L"TsuEngineBackup"));
    const SoftwareRecord record =
        test::WriteScratchEntry(entries, L"App", L"Backup \"sample\" \\", L"C:\\gone\\un.exe");
    const std::wstring multi(L"one\0two\0\0", 9);
    const uint64_t qword = 0x0102030405060708ull;
    const BYTE bytes[] = {0x00, 0x01, 0xFF};
    ASSERT_TRUE(entries.SetString(L"App", L"", L"default") && entries.SetDword(L"App", L"Dword", 0x8000002A) &&
                entries.SetString(L"App", L"q\"uote\\back", L"C:\\x\\\"y\"") &&
                entries.SetRaw(L"App", L"Expand", REG_EXPAND_SZ, L"%SystemRoot%\\x", 30) &&
                entries.SetRaw(L"App", L"Multi", REG_MULTI_SZ, multi.data(), 18) &&
                entries.SetRaw(L"App", L"Unterminated", REG_SZ, L"ab", 4) &&
                entries.SetRaw(L"App", L"Qword", REG_QWORD, &qword, sizeof qword) &&
                entries.SetRaw(L"App", L"Binary", REG_BINARY, bytes, sizeof bytes) &&
                entries.SetRaw(L"App", L"None", REG_NONE, nullptr, 0) &&
                entries.SetRaw(L"App", L"Other", 0x1234, bytes, sizeof bytes) &&
                entries.SetString(L"App\\Child\\Grandchild", L"Deep", L"value"));
    RegistrySnapshot before, after;
    TakeSnapshot(record.relativeKeyPath, L"", before);
    ASSERT_EQ(before.size(), 13u);
    test::ScratchFolder folder(L"backup");
    std::wstring file, second;
    ASSERT_EQ(BackupUninstallEntry(record, folder.Path(), file), BackupResult::Written);
    ASSERT_EQ(BackupUninstallEntry(record, folder.Path(), second), BackupResult::Written);
    EXPECT_NE(file, second); // a second backup never takes the first one's place
    ASSERT_TRUE(test::DeleteKeyTree(HKEY_CURRENT_USER, record.relativeKeyPath));
    ASSERT_EQ(test::RunToEnd(test::Quoted(test::SystemFolderPath() + L"\\reg.exe") + L" import " + test::Quoted(file)),
              0u);
    TakeSnapshot(record.relativeKeyPath, L"", after);
    EXPECT_EQ(after, before);
    // Nowhere to write it: no backup, and the engine keeps the key.
    EXPECT_EQ(BackupUninstallEntry(record, L"relative\\folder", file), BackupResult::Failed);
}

} // namespace
} // namespace tsu
