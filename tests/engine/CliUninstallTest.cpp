// tsu uninstall on real NSIS programs: the lines it prints, its exit codes, and what is left of
// the programs afterwards.

#include "core/TextRules.h"
#include "tests/common/TestProcess.h"
#include "tests/engine/EngineTestSupport.h"

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
constexpr wchar_t kQuietKey[] = L"TsuEngineCliQuiet";
constexpr wchar_t kMsiCode[] = L"{6A1F0C52-9B3D-4E7A-8C21-5D4E3F2A1B09}";

test::ProcessResult Tsu(const std::wstring& arguments) {
    return test::RunProcess(L"\"" + test::BinDir() + L"tsu.exe\" " + arguments);
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
        ASSERT_TRUE(test::InstallMsiFixture(L"fixture_engine_cli_msi"));
    }
    static void TearDownTestSuite() {
        test::RemoveNsisLeftovers(kSampleKey);
        test::RemoveNsisLeftovers(kCancelKey);
        test::RemoveNsisLeftovers(kQuietKey);
        if (test::UninstallKeyExists(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + kMsiCode))
            (void)test::RunProcess(L"\"" + test::SystemFolderPath() + L"\\msiexec.exe\" /x" + kMsiCode + L" /qn");
    }
};

TEST_F(CliUninstallTest, ANameThatIsNotInstalledStopsEverything) {
    const auto result =
        Tsu(L"uninstall \"" + std::wstring(kSampleName) + L"\" \"" + test::UniqueName(L"Not Installed") + L"\"");
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 2u);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("is not installed"), std::string::npos) << result.err;
    EXPECT_TRUE(test::FindInstalled(kSampleName).has_value());
}

TEST_F(CliUninstallTest, WithoutNamesItIsAnError) {
    const auto result = Tsu(L"uninstall --json");
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 1u);
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
    EXPECT_FALSE(test::FileExists(L"C:\\Program Files\\TsuEngineCliSample\\readme.txt"));
    EXPECT_FALSE(test::UninstallKeyExists(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + kSampleKey));
}

TEST_F(CliUninstallTest, ACancelledUninstallIsExitCodeOne) {
    const auto result = Tsu(L"uninstall \"" + std::wstring(kCancelName) + L"\"");
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_EQ(OutputLines(result.out),
              (std::vector<std::string>{"uninstalling\tEngine CLI Cancel", "failed\tEngine CLI Cancel"}));
    EXPECT_TRUE(test::UninstallKeyExists(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + kCancelKey));
}

TEST_F(CliUninstallTest, AnUninstallerThatOutlastsTheTimeoutIsLeftRunningAndNothingAfterItStarts) {
    const test::NamedEvent started(L"TsuCliTimeoutStarted");
    const test::NamedEvent release(L"TsuCliTimeoutRelease");
    const test::NamedEvent ended(L"TsuCliTimeoutEnded");
    test::ScratchKey held(HKEY_CURRENT_USER, std::wstring(kUninstallKey) + L"TsuCliTimeoutHeld");
    test::ScratchKey next(HKEY_CURRENT_USER, std::wstring(kUninstallKey) + L"TsuCliTimeoutNext");
    const std::wstring helper = L"\"" + test::HelperPath() + L"\" ";
    ASSERT_TRUE(held.SetString(L"", L"DisplayName", L"Tsu CLI Held"));
    ASSERT_TRUE(held.SetString(L"", L"UninstallString",
                               helper + L"--signal " + started.Name() + L" --wait-event " + release.Name() +
                                   L" --signal " + ended.Name()));
    ASSERT_TRUE(next.SetString(L"", L"DisplayName", L"Tsu CLI Next"));
    ASSERT_TRUE(next.SetString(L"", L"UninstallString", helper + L"--signal " + ended.Name()));

    // Every held uninstaller waits for the same word from the test.
    const auto json = Tsu(L"uninstall \"Tsu CLI Held\" --json --timeout 2");
    EXPECT_EQ(json.exitCode, 1u);
    const std::vector<std::string> lines = OutputLines(json.out);
    EXPECT_EQ(lines.size(), 2u) << json.out;
    EXPECT_EQ(nlohmann::json::parse(lines.back(), nullptr, false).value("state", ""), "timeout");

    const auto text = Tsu(L"uninstall \"Tsu CLI Held\" \"Tsu CLI Next\" --timeout 3");
    EXPECT_EQ(text.exitCode, 1u) << text.err;
    EXPECT_EQ(OutputLines(text.out), (std::vector<std::string>{"uninstalling\tTsu CLI Held", "timeout\tTsu CLI Held",
                                                               "failed\tTsu CLI Next"}));
    // Both held uninstallers started and still run after tsu has gone (never killed); the next
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
    ASSERT_TRUE(
        unknown.SetString(L"", L"UninstallString", L"\"" + test::HelperPath() + L"\" --signal " + started.Name()));

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
    EXPECT_FALSE(test::UninstallKeyExists(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + kMsiCode));
    EXPECT_FALSE(test::FindInstalled(L"Engine CLI MSI").has_value());
    EXPECT_FALSE(started.WaitFor(0));
    EXPECT_TRUE(test::UninstallKeyExists(HKEY_CURRENT_USER, std::wstring(kUninstallKey) + L"TsuCliQuietUnknown"));
}

} // namespace
} // namespace tsu
