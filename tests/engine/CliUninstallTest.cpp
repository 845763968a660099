// tsu uninstall on real NSIS and MSI programs: the lines it prints, its exit codes, and what is
// left of the programs afterwards (the evidence it reports).

#include "core/TextRules.h"
#include "tests/common/TestProcess.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/smart/ShortcutFiles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

namespace tsu {
namespace {

constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr wchar_t kSampleName[] = L"Engine CLI Sample";
constexpr wchar_t kSampleKey[] = L"TsuEngineCliSample";
constexpr wchar_t kCancelName[] = L"Engine CLI Cancel";
constexpr wchar_t kCancelKey[] = L"TsuEngineCliCancel";
constexpr wchar_t kMsiName[] = L"Engine CLI MSI Sample";
constexpr wchar_t kMsiCode[] = L"{5A1D2C3B-6E4F-4B7A-8C9D-0E1F2A3B4C71}";
constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kQuietKey[] = L"TsuEngineCliQuiet";
constexpr wchar_t kQuietMsiCode[] = L"{6A1F0C52-9B3D-4E7A-8C21-5D4E3F2A1B09}";

test::ProcessResult Tsu(const std::wstring& arguments) {
    return test::RunProcess(L"\"" + test::BinDir() + L"tsu.exe\" " + arguments);
}

nlohmann::json LastJsonLine(const std::string& out) {
    const size_t start = out.find_last_of('\n', out.size() >= 2 ? out.size() - 2 : 0);
    return nlohmann::json::parse(out.substr(start == std::string::npos ? 0 : start + 1), nullptr, false);
}

std::vector<std::string> OutputLines(const std::string& out) {
    std::vector<std::string> lines;
    std::istringstream stream(out);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

class CliUninstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test::InstallNsisFixture(L"fixture_engine_cli_nsis"));
        ASSERT_TRUE(test::InstallNsisFixture(L"fixture_engine_cli_cancel"));
        ASSERT_TRUE(test::InstallNsisFixture(L"fixture_engine_cli_quiet"));
        ASSERT_TRUE(test::InstallMsiFixture(L"fixture_engine_cli_quiet_msi"));
    }
    static void TearDownTestSuite() {
        test::RemoveNsisLeftovers(kSampleKey);
        test::RemoveNsisLeftovers(kCancelKey);
        test::RemoveNsisLeftovers(kQuietKey);
        for (const wchar_t* code : {kMsiCode, kQuietMsiCode}) {
            if (test::UninstallKeyExists(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + code))
                (void)test::RunProcess(L"\"" + test::SystemFolderPath() + L"\\msiexec.exe\" /x" + code + L" /qn");
        }
    }
};

TEST_F(CliUninstallTest, ANameThatIsNotInstalledStopsEverythingAndNoNameIsAnError) {
    const auto result = Tsu(L"uninstall \"" + std::wstring(kSampleName) + L"\" \"Not Installed 1\" --json");
    EXPECT_EQ(result.exitCode, 2u);
    EXPECT_EQ(OutputLines(result.out),
              std::vector<std::string>{R"({"state":"not-installed","displayName":"Not Installed 1"})"});
    EXPECT_TRUE(test::FindInstalled(kSampleName).has_value());
    EXPECT_EQ(Tsu(L"uninstall --json").exitCode, 1u);
}

TEST_F(CliUninstallTest, RemovesTheProgramAndPrintsOneJsonObjectPerLine) {
    ASSERT_TRUE(test::FileExists(L"C:\\Program Files\\TsuEngineCliSample\\readme.txt"));
    const auto result = Tsu(L"uninstall \"" + std::wstring(kSampleName) + L"\" --json");
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 0u) << result.out << result.err;

    std::vector<std::string> states;
    for (const std::string& line : OutputLines(result.out)) {
        const auto json = nlohmann::json::parse(line, nullptr, false);
        ASSERT_FALSE(json.is_discarded()) << "not JSON: " << line;
        EXPECT_EQ(json.value("displayName", ""), "Engine CLI Sample");
        EXPECT_EQ(json.value("keyPath", ""),
                  ToUtf8(L"HKEY_LOCAL_MACHINE\\" + std::wstring(kUninstallKey) + kSampleKey));
        states.push_back(json.value("state", ""));
    }
    EXPECT_EQ(states, (std::vector<std::string>{"uninstalling", "removed"}));
    EXPECT_EQ(LastJsonLine(result.out)["evidence"],
              nlohmann::json::parse(R"({"entry":"gone","installerRegistration":null,"folder":{"path":)"
                                    R"("C:\\Program Files\\TsuEngineCliSample","exists":false,"filesLeft":0},)"
                                    R"("shortcuts":[],"restartPending":false})"));
    EXPECT_FALSE(test::FileExists(L"C:\\Program Files\\TsuEngineCliSample\\readme.txt"));
    EXPECT_FALSE(test::UninstallKeyExists(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + kSampleKey));
}

TEST_F(CliUninstallTest, ACancelledUninstallIsExitCodeOneAndLeavesEverything) {
    const std::wstring shortcut = test::CommonDesktop() + L"\\Engine CLI Cancel.lnk";
    ASSERT_TRUE(test::CreateShortcut(shortcut, L"C:\\Program Files\\TsuEngineCliCancel\\TsuEngineCliCancel.exe"));
    const auto result = Tsu(L"uninstall \"" + std::wstring(kCancelName) + L"\"");
    (void)::DeleteFileW(shortcut.c_str());
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_EQ(OutputLines(result.out),
              (std::vector<std::string>{"uninstalling\tEngine CLI Cancel", "failed\tEngine CLI Cancel",
                                        "left\tEngine CLI Cancel\tentry present; folder 3 files; 1 shortcut"}));
    EXPECT_TRUE(test::UninstallKeyExists(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + kCancelKey));
}

TEST_F(CliUninstallTest, AFileLeftWithARenamePendingIsExitCodeThree) {
    ASSERT_TRUE(test::InstallNsisFixture(L"fixture_engine_cli_nsis"));
    const std::wstring planted = L"C:\\Program Files\\TsuEngineCliSample\\planted.txt";
    ASSERT_TRUE(test::WriteFileBytes(planted, "left behind"));
    // The value is put back as it was afterwards (or removed again).
    const std::wstring renames = L"\\??\\" + planted + std::wstring(L"\0\0\0", 3);
    HKEY manager = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &manager),
              ERROR_SUCCESS);
    std::wstring original(64 * 1024, L'\0');
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(original.size() * sizeof(wchar_t));
    const bool hadValue = ::RegQueryValueExW(manager, L"PendingFileRenameOperations", nullptr, &type,
                                             reinterpret_cast<BYTE*>(original.data()), &bytes) == ERROR_SUCCESS;
    ASSERT_EQ(::RegSetValueExW(manager, L"PendingFileRenameOperations", 0, REG_MULTI_SZ,
                               reinterpret_cast<const BYTE*>(renames.data()),
                               static_cast<DWORD>(renames.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);

    const auto result = Tsu(L"uninstall \"" + std::wstring(kSampleName) + L"\" --json");

    if (hadValue)
        (void)::RegSetValueExW(manager, L"PendingFileRenameOperations", 0, type,
                               reinterpret_cast<const BYTE*>(original.data()), bytes);
    else
        (void)::RegDeleteValueW(manager, L"PendingFileRenameOperations");
    ::RegCloseKey(manager);
    test::RemoveNsisLeftovers(kSampleKey);

    EXPECT_EQ(result.exitCode, 3u) << result.out << result.err;
    const auto line = LastJsonLine(result.out);
    EXPECT_EQ(line.value("state", ""), "removed");
    EXPECT_EQ(line["evidence"]["folder"]["filesLeft"], 1);
    EXPECT_EQ(line["evidence"]["restartPending"], true);
}

TEST_F(CliUninstallTest, AnInstallerProductsRegistrationIsReported) {
    ASSERT_TRUE(test::InstallMsiFixture(L"fixture_engine_cli_msi"));
    const std::wstring entry = std::wstring(kUninstallKey) + kMsiCode;
    // Another product's removal fails at once and leaves this one registered; then its own.
    ASSERT_TRUE(test::SetRegistryString(HKEY_LOCAL_MACHINE, entry, L"UninstallString",
                                        L"MsiExec.exe /X{5A1D2C3B-6E4F-4B7A-8C9D-0E1F2A3B4C00} /qn"));
    const auto failed = Tsu(L"uninstall \"" + std::wstring(kMsiName) + L"\" --json");
    ASSERT_TRUE(test::SetRegistryString(HKEY_LOCAL_MACHINE, entry, L"UninstallString",
                                        std::wstring(L"MsiExec.exe /X") + kMsiCode + L" /qn"));
    const auto removed = Tsu(L"uninstall \"" + std::wstring(kMsiName) + L"\"");

    EXPECT_EQ(failed.exitCode, 1u);
    EXPECT_EQ(LastJsonLine(failed.out)["evidence"],
              nlohmann::json::parse(R"({"entry":"present","installerRegistration":"present","folder":null,)"
                                    R"("shortcuts":[],"restartPending":false})"));
    EXPECT_EQ(removed.exitCode, 0u) << removed.out;
    EXPECT_EQ(OutputLines(removed.out).back(), "left\tEngine CLI MSI Sample\tentry gone; installer registration gone");
}

TEST_F(CliUninstallTest, AnUninstallerThatOutlastsTheTimeoutIsLeftRunningAndNothingAfterItStarts) {
    const test::NamedEvent started(L"TsuCliTimeoutStarted");
    const test::NamedEvent release(L"TsuCliTimeoutRelease");
    const test::NamedEvent ended(L"TsuCliTimeoutEnded");
    test::ScratchKey held(HKEY_CURRENT_USER, std::wstring(kUninstallKey) + L"TsuCliTimeoutHeld");
    test::ScratchKey next(HKEY_CURRENT_USER, std::wstring(kUninstallKey) + L"TsuCliTimeoutNext");
    // A copy of the helper in a folder of its own: what is left of it is counted for the evidence.
    const test::ScratchFolder folder(L"timeout");
    ASSERT_TRUE(test::CopyProgram(test::HelperPath(), folder.File(L"un.exe")));
    const std::wstring helper = test::Quoted(folder.File(L"un.exe")) + L" ";
    ASSERT_TRUE(held.SetString(L"", L"DisplayName", L"Tsu CLI Held"));
    ASSERT_TRUE(held.SetString(L"", L"UninstallString",
                               helper + L"--signal " + started.Name() + L" --wait-event " + release.Name() +
                                   L" --signal " + ended.Name()));
    ASSERT_TRUE(next.SetString(L"", L"DisplayName", L"Tsu CLI Next"));
    ASSERT_TRUE(next.SetString(L"", L"UninstallString", helper + L"--signal " + ended.Name()));

    const auto text = Tsu(L"uninstall \"Tsu CLI Held\" \"Tsu CLI Next\" --timeout 3");
    EXPECT_EQ(text.exitCode, 1u) << text.err;
    EXPECT_EQ(OutputLines(text.out),
              (std::vector<std::string>{"uninstalling\tTsu CLI Held", "timeout\tTsu CLI Held",
                                        "left\tTsu CLI Held\tentry present; folder 1 file", "failed\tTsu CLI Next",
                                        "left\tTsu CLI Next\tentry present; folder 1 file"}));
    // The held uninstaller started and still runs after tsu has gone (never killed); the next
    // program never started.
    EXPECT_TRUE(started.WaitFor());
    EXPECT_FALSE(ended.WaitFor(0));
    release.Set();
    EXPECT_TRUE(ended.WaitFor());
}

// The NSIS uninstaller (which refuses without /S) gets /S, the MSI product msiexec /X{code} /qn
// (its registered command is "/I{code}"), and the stand-in uninstaller, which no technology marks,
// is never started.
TEST_F(CliUninstallTest, QuietRemovesNsisAndMsiProgramsAndStartsNoUnknownUninstaller) {
    EXPECT_EQ(Tsu(L"uninstall \"Engine CLI Quiet\"").exitCode, 1u);
    const test::NamedEvent started(L"TsuCliQuietUnknownStarted");
    test::ScratchKey unknown(HKEY_CURRENT_USER, std::wstring(kUninstallKey) + L"TsuCliQuietUnknown");
    ASSERT_TRUE(unknown.SetString(L"", L"DisplayName", L"Tsu CLI Quiet Unknown"));
    const test::ScratchFolder folder(L"quiet"); // a small folder for the evidence to count
    ASSERT_TRUE(test::CopyProgram(test::HelperPath(), folder.File(L"un.exe")));
    ASSERT_TRUE(unknown.SetString(L"", L"UninstallString", test::Quoted(folder.File(L"un.exe")) + L" --signal " +
                                                               started.Name()));

    const auto result =
        Tsu(L"uninstall --quiet --json \"Engine CLI Quiet\" \"Engine CLI MSI\" \"Tsu CLI Quiet Unknown\"");
    EXPECT_EQ(result.exitCode, 1u) << result.out << result.err;
    std::vector<std::string> states;
    for (const std::string& line : OutputLines(result.out)) {
        const auto json = nlohmann::json::parse(line, nullptr, false);
        states.push_back(json.value("state", "") + " " + json.value("displayName", ""));
    }
    EXPECT_EQ(states,
              (std::vector<std::string>{"uninstalling Engine CLI Quiet", "removed Engine CLI Quiet",
                                        "uninstalling Engine CLI MSI", "removed Engine CLI MSI",
                                        "uninstalling Tsu CLI Quiet Unknown", "needs-user Tsu CLI Quiet Unknown"}));
    EXPECT_FALSE(test::FileExists(L"C:\\Program Files\\TsuEngineCliQuiet\\readme.txt"));
    EXPECT_FALSE(test::UninstallKeyExists(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + kQuietMsiCode));
    EXPECT_FALSE(test::FindInstalled(L"Engine CLI MSI").has_value());
    EXPECT_FALSE(started.WaitFor(0));
    EXPECT_TRUE(test::UninstallKeyExists(HKEY_CURRENT_USER, std::wstring(kUninstallKey) + L"TsuCliQuietUnknown"));
}

} // namespace
} // namespace tsu
