// What tsu uninstall reports about what is left, and its exit codes.
#include "cli/core/EvidenceRules.h"

#include <gtest/gtest.h>

#include <vector>

namespace tsu {
namespace {

using namespace std::string_literals;

TEST(EvidenceRules, JsonAndSummaryNameWhatIsKnownAndWhatIsLeft) {
    const ProgramEvidence left{false, true, FolderEvidence{L"C:\\P\\\u00c4pp", true, 3}, {L"C:\\D\\a.lnk"}, true};
    EXPECT_EQ(EvidenceJson(left).dump(),
              R"({"entry":"present","installerRegistration":"present","folder":{"path":)"
              "\"C:\\\\P\\\\\xc3\x84pp\""
              R"(,"exists":true,"filesLeft":3},"shortcuts":["C:\\D\\a.lnk"],"restartPending":true})");
    EXPECT_EQ(EvidenceJson({true, false, std::nullopt, {}, false}).dump(),
              R"({"entry":"gone","installerRegistration":"gone","folder":null,"shortcuts":[],"restartPending":false})");
    EXPECT_TRUE(EvidenceJson(ProgramEvidence{}).at("installerRegistration").is_null());
    const std::pair<ProgramEvidence, std::wstring> cases[] = {
        {{true, std::nullopt, std::nullopt, {}, false}, L"entry gone"},
        {{false, true, FolderEvidence{L"C:\\P", true, 1}, {L"a", L"b"}, true},
         L"entry present; installer registration present; folder 1 file; 2 shortcuts; restart pending"},
        {{true, false, FolderEvidence{L"C:\\P", false, 0}, {L"a"}, false},
         L"entry gone; installer registration gone; folder gone; 1 shortcut"},
        {{true, std::nullopt, FolderEvidence{L"C:\\P", true, 0}, {}, false}, L"entry gone; folder 0 files"},
        {{true, std::nullopt, FolderEvidence{L"C:\\P", true, kMaxFilesCounted}, {}, false},
         L"entry gone; folder 10000 files or more"}};
    for (const auto& [evidence, text] : cases)
        EXPECT_EQ(EvidenceSummary(evidence), text);
}

TEST(EvidenceRules, ProductCodeOnlyForAnInstallerEntryNamedByIt) {
    const std::wstring code = L"{3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E61}",
                       lower = L"{3c8e2f41-7a5b-4d6c-9e0f-1a2b3c4d5e61}";
    const std::wstring key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    EXPECT_EQ(InstallerProductCode(key + code, L"MsiExec.exe /X" + code), code);
    EXPECT_EQ(InstallerProductCode(key + lower, L"msiexec.exe /x"), lower);
    EXPECT_FALSE(InstallerProductCode(key + code, L"\"C:\\P\\uninst.exe\""));           // no Installer command
    EXPECT_FALSE(InstallerProductCode(key + code + L"_is1", L"MsiExec.exe /X" + code)); // not the code
    EXPECT_FALSE(InstallerProductCode(key + L"{3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E6G}", L"MsiExec.exe"));
    EXPECT_FALSE(InstallerProductCode(key + L"{3C8E2F41+7A5B-4D6C-9E0F-1A2B3C4D5E61}", L"MsiExec.exe"));
    // Read no further than the text: a view of a buffer of exactly its length.
    const std::vector<wchar_t> exact(code.begin(), code.end());
    for (const std::wstring_view packed :
         {std::wstring_view(code), std::wstring_view(lower), std::wstring_view(exact.data(), exact.size())})
        EXPECT_EQ(PackedProductCode(packed), L"14F2E8C3B5A7C6D4E9F0A1B2C3D4E516");
    EXPECT_EQ(PackedProductCode(code.substr(1, 36)), L"");
}

TEST(EvidenceRules, PendingRenamesArePairsWithAnEmptyTargetForADelete) {
    const auto renames = ParsePendingRenames(L"\\??\\C:\\P\\a.dll\0\0\\??\\C:\\T\\new.dll\0!\\??\\C:\\P\\old.dll\0\0"s);
    ASSERT_EQ(renames.size(), 2u);
    EXPECT_EQ(renames[0].source + L"|" + renames[0].target, L"C:\\P\\a.dll|");
    EXPECT_EQ(renames[1].source + L"|" + renames[1].target, L"C:\\T\\new.dll|C:\\P\\old.dll");
    for (const std::wstring& cut : {L"\\??\\C:\\x"s, L""s}) // no target: cut off
        EXPECT_TRUE(ParsePendingRenames(cut).empty());
    for (const wchar_t* folder : {L"C:\\P", L"c:\\p\\", L"C:\\T", L"C:\\P\\a.dll"})
        EXPECT_TRUE(IsRestartPendingIn(renames, folder)) << folder;
    for (const wchar_t* folder : {L"C:\\Pa", L"C:\\Q", L""})
        EXPECT_FALSE(IsRestartPendingIn(renames, folder)) << folder;
}

TEST(EvidenceRules, ExitCode) {
    const ProgramOutcome ok{FinalState::Removed, false, std::nullopt}, restart{FinalState::Removed, false, 3010u};
    // clang-format off
    const std::tuple<bool, std::vector<ProgramOutcome>, int> cases[] = {
        {false, {ok, ok}, 0}, {false, {ok, {FinalState::Removed, false, 1641u}}, 0},
        {false, {ok, {FinalState::Removed, true, std::nullopt}}, 3}, {false, {restart}, 3},
        {false, {restart, {FinalState::Timeout, false, 0u}}, 1}, {true, {ok}, 2}};
    // clang-format on
    for (const auto& [unknownName, outcomes, exitCode] : cases)
        EXPECT_EQ(UninstallExitCode(unknownName, outcomes), exitCode);
}

} // namespace
} // namespace tsu
