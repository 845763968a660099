// tsu uninstall on real NSIS and MSI programs: the lines it prints, its exit codes, and the evidence
// of what is left.
#include "core/TextRules.h"
#include "tests/common/ProcessTestSupport.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/smart/ShortcutFiles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <memory>
#include <sstream>

namespace tsu {
namespace {

using Lines = std::vector<std::string>;
using namespace std::string_literals;
using nlohmann::json;
constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr wchar_t kMsiCode[] = L"{6A1F0C52-9B3D-4E7A-8C21-5D4E3F2A1B09}";

struct TsuRun {
    DWORD exitCode;
    Lines lines;
    std::string err;
    json Json(size_t i) const { return json::parse(i < lines.size() ? lines[i] : "", nullptr, false); }
    json Last() const { return Json(lines.size() - 1); }
};

TsuRun Tsu(const std::wstring& arguments) {
    const test::ProcessResult result = test::RunProcess(test::Quoted(test::BinDir() + L"tsu.exe") + L" " + arguments);
    TsuRun run{result.started ? result.exitCode : ~0u, {}, result.err};
    std::istringstream stream(result.out);
    for (std::string line; std::getline(stream, line);)
        run.lines.push_back(line.empty() || line.back() != '\r' ? line : line.substr(0, line.size() - 1));
    return run;
}

bool EntryExists(const std::wstring& key) {
    return test::UninstallKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey + key);
}
// data holds its terminators.
bool SetMachineValue(const std::wstring& path, const wchar_t* name, DWORD type, const std::wstring& data) {
    return ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, path.c_str(), name, type, data.data(),
                             static_cast<DWORD>(data.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

class CliUninstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test::InstallNsisFixture(L"fixture_engine_cli_nsis") &&
                    test::InstallMsiFixture(L"fixture_engine_cli_quiet_msi"));
    }
    static void TearDownTestSuite() {
        test::RemoveNsisLeftovers(L"TsuEngineCliSample");
        if (EntryExists(kMsiCode))
            (void)test::RunProcess(test::Quoted(test::SystemFolderPath() + L"\\msiexec.exe") + L" /x" + kMsiCode +
                                   L" /qn");
    }
    // The uninstaller is a copy of the helper in a folder of its own (counted for the evidence).
    void AddEntry(const std::wstring& name, const std::wstring& arguments) {
        const std::wstring helper = m_folder.File(L"un.exe");
        ASSERT_TRUE(test::FileExists(helper) || test::CopyProgram(test::HelperPath(), helper));
        m_keys.push_back(std::make_unique<test::ScratchKey>(HKEY_CURRENT_USER, kUninstallKey + test::UniqueName(name)));
        ASSERT_TRUE(m_keys.back()->SetString(L"", L"DisplayName", name) &&
                    m_keys.back()->SetString(L"", L"UninstallString", test::Quoted(helper) + arguments));
    }

    const test::ScratchFolder m_folder{L"cli_entries"};
    std::vector<std::unique_ptr<test::ScratchKey>> m_keys;
};

TEST_F(CliUninstallTest, ANameThatIsNotInstalledStopsEverything) {
    const TsuRun run = Tsu(L"uninstall \"Engine CLI Sample\" \"Not Installed 1\" --json");
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(run.lines, Lines{R"({"state":"not-installed","displayName":"Not Installed 1"})"});
    EXPECT_TRUE(EntryExists(L"TsuEngineCliSample"));
}

// A file the uninstaller leaves, to be deleted at the next restart: removed, with exit code 3.
TEST_F(CliUninstallTest, RemovesTheProgramPrintsOneJsonObjectPerLineAndReportsARestartPending) {
    const std::wstring planted = L"C:\\Program Files\\TsuEngineCliSample\\planted.txt";
    ASSERT_TRUE(test::WriteFileBytes(planted, "left behind"));
    const wchar_t* const manager = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
    const wchar_t* const renames = L"PendingFileRenameOperations";
    std::wstring original(64 * 1024, L'\0'); // put back afterwards (or removed again)
    DWORD bytes = static_cast<DWORD>(original.size() * sizeof(wchar_t));
    const bool hadValue = ::RegGetValueW(HKEY_LOCAL_MACHINE, manager, renames, RRF_RT_REG_MULTI_SZ, nullptr,
                                         original.data(), &bytes) == ERROR_SUCCESS;
    ASSERT_TRUE(SetMachineValue(manager, renames, REG_MULTI_SZ, L"\\??\\" + planted + std::wstring(L"\0\0\0", 3)));
    const TsuRun run = Tsu(L"uninstall \"Engine CLI Sample\" --json");
    (void)(hadValue ? SetMachineValue(manager, renames, REG_MULTI_SZ, original.substr(0, bytes / sizeof(wchar_t)))
                    : ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, manager, renames) == ERROR_SUCCESS);
    EXPECT_EQ(run.exitCode, 3u) << run.err;
    ASSERT_EQ(run.lines.size(), 2u);
    for (size_t i = 0; i < 2; ++i)
        EXPECT_EQ(run.Json(i).value("state", "") + "|" + run.Json(i).value("displayName", "") + "|" +
                      run.Json(i).value("keyPath", ""),
                  (i == 0 ? "uninstalling" : "removed") + "|Engine CLI Sample|HKEY_LOCAL_MACHINE\\"s +
                      ToUtf8(kUninstallKey) + "TsuEngineCliSample");
    EXPECT_EQ(run.Last()["evidence"],
              json::parse(R"({"entry":"gone","installerRegistration":null,"folder":{"path":)"
                          R"("C:\\Program Files\\TsuEngineCliSample","exists":true,"filesLeft":1},)"
                          R"("shortcuts":[],"restartPending":true})"));
    EXPECT_FALSE(test::FileExists(L"C:\\Program Files\\TsuEngineCliSample\\readme.txt"));
    EXPECT_FALSE(EntryExists(L"TsuEngineCliSample"));
}

// With --quiet the registered command "MsiExec.exe /I{code}" becomes msiexec /X{code} /qn.
TEST_F(CliUninstallTest, QuietRemovesAnInstallerProductAndItsRegistration) {
    const TsuRun removed = Tsu(L"uninstall --quiet \"Engine CLI MSI\"");
    EXPECT_EQ(removed.exitCode, 0u) << removed.err;
    EXPECT_EQ(removed.lines.back(), "left\tEngine CLI MSI\tentry gone; installer registration gone");
    EXPECT_FALSE(EntryExists(kMsiCode));
}

TEST_F(CliUninstallTest, AnUninstallerThatOutlastsTheTimeoutIsLeftRunningAndNothingAfterItStarts) {
    const test::NamedEvent started(L"TsuCliTimeoutStarted"), release(L"TsuCliTimeoutRelease"),
        ended(L"TsuCliTimeoutEnded");
    AddEntry(L"Tsu CLI Held",
             L" --signal " + started.Name() + L" --wait-event " + release.Name() + L" --signal " + ended.Name());
    AddEntry(L"Tsu CLI Next", L" --signal " + ended.Name());
    const std::wstring shortcut = test::CommonDesktop() + L"\\" + test::UniqueName(L"Tsu CLI Held") + L".lnk";
    ASSERT_TRUE(test::CreateShortcut(shortcut, m_folder.File(L"un.exe")));
    const TsuRun run = Tsu(L"uninstall \"Tsu CLI Held\" \"Tsu CLI Next\" --timeout 3");
    (void)::DeleteFileW(shortcut.c_str());
    EXPECT_EQ(run.exitCode, 1u) << run.err;
    EXPECT_EQ(run.lines, (Lines{"uninstalling\tTsu CLI Held", "timeout\tTsu CLI Held",
                                "left\tTsu CLI Held\tentry present; folder 1 file; 1 shortcut", "failed\tTsu CLI Next",
                                "left\tTsu CLI Next\tentry present; folder 1 file; 1 shortcut"}));
    // The held uninstaller started and still runs after tsu has gone (never killed); the next never started.
    EXPECT_TRUE(started.WaitFor() && !ended.WaitFor(0));
    release.Set();
    EXPECT_TRUE(ended.WaitFor());
}

} // namespace
} // namespace tsu
