// What tsu uninstall reports about what is left, and its exit codes.

#include "cli/core/EvidenceRules.h"

#include <gtest/gtest.h>

#include <vector>

namespace tsu {
namespace {

using namespace std::string_literals;

TEST(EvidenceRules, JsonHasEveryFieldInOrder) {
    ProgramEvidence left;
    left.installerRegistered = true;
    left.folder = FolderEvidence{L"C:\\P\\\u00c4pp", true, 3};
    left.shortcuts = {L"C:\\D\\a.lnk"};
    left.restartPending = true;
    EXPECT_EQ(EvidenceJson(left).dump(),
              R"({"entry":"present","installerRegistration":"present","folder":{"path":"C:\\P\\)"
              "\xc3\x84"
              R"(pp","exists":true,"filesLeft":3},"shortcuts":["C:\\D\\a.lnk"],"restartPending":true})");
    ProgramEvidence gone;
    gone.entryGone = true;
    gone.installerRegistered = false;
    EXPECT_EQ(EvidenceJson(gone).dump(),
              R"({"entry":"gone","installerRegistration":"gone","folder":null,"shortcuts":[],"restartPending":false})");
    EXPECT_TRUE(EvidenceJson(ProgramEvidence{}).at("installerRegistration").is_null());
}

struct SummaryCase {
    ProgramEvidence evidence;
    std::wstring text;
};

TEST(EvidenceRules, SummaryNamesWhatIsKnownAndWhatIsLeft) {
    const SummaryCase cases[] = {
        {{true, std::nullopt, std::nullopt, {}, false}, L"entry gone"},
        {{false, true, FolderEvidence{L"C:\\P", true, 1}, {L"a", L"b"}, true},
         L"entry present; installer registration present; folder 1 file; 2 shortcuts; restart pending"},
        {{true, false, FolderEvidence{L"C:\\P", false, 0}, {L"a"}, false},
         L"entry gone; installer registration gone; folder gone; 1 shortcut"},
        {{true, std::nullopt, FolderEvidence{L"C:\\P", true, 0}, {}, false}, L"entry gone; folder 0 files"},
        {{true, std::nullopt, FolderEvidence{L"C:\\P", true, kMaxFilesCounted}, {}, false},
         L"entry gone; folder 10000 files or more"},
    };
    for (const SummaryCase& c : cases)
        EXPECT_EQ(EvidenceSummary(c.evidence), c.text) << c.text;
}

TEST(EvidenceRules, ProductCodeOnlyForAnInstallerEntryNamedByIt) {
    const std::wstring code = L"{3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E61}";
    const std::wstring key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    EXPECT_EQ(InstallerProductCode(key + code, L"MsiExec.exe /X" + code), code);
    EXPECT_EQ(InstallerProductCode(key + L"{3c8e2f41-7a5b-4d6c-9e0f-1a2b3c4d5e61}", L"msiexec.exe /x"),
              L"{3c8e2f41-7a5b-4d6c-9e0f-1a2b3c4d5e61}");
    EXPECT_FALSE(InstallerProductCode(key + code, L"\"C:\\P\\uninst.exe\""));           // no Installer command
    EXPECT_FALSE(InstallerProductCode(key + code + L"_is1", L"MsiExec.exe /X" + code)); // not the code
    EXPECT_FALSE(InstallerProductCode(key + L"{3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E6G}", L"MsiExec.exe"));
    EXPECT_FALSE(InstallerProductCode(key + L"{3C8E2F41+7A5B-4D6C-9E0F-1A2B3C4D5E61}", L"MsiExec.exe"));
}

TEST(EvidenceRules, PackedProductCode) {
    EXPECT_EQ(PackedProductCode(L"{3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E61}"), L"14F2E8C3B5A7C6D4E9F0A1B2C3D4E516");
    EXPECT_EQ(PackedProductCode(L"{3c8e2f41-7a5b-4d6c-9e0f-1a2b3c4d5e61}"), L"14F2E8C3B5A7C6D4E9F0A1B2C3D4E516");
    EXPECT_EQ(PackedProductCode(L"3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E61"), L"");
    // Read no further than the text: a view of a buffer of exactly its length.
    const std::wstring_view code = L"{3C8E2F41-7A5B-4D6C-9E0F-1A2B3C4D5E61}";
    const std::vector<wchar_t> exact(code.begin(), code.end());
    EXPECT_EQ(PackedProductCode(std::wstring_view(exact.data(), exact.size())), L"14F2E8C3B5A7C6D4E9F0A1B2C3D4E516");
}

TEST(EvidenceRules, PendingRenamesArePairsWithAnEmptyTargetForADelete) {
    const std::wstring value = L"\\??\\C:\\P\\a.dll\0\0\\??\\C:\\T\\new.dll\0!\\??\\C:\\P\\old.dll\0\0"s;
    const auto renames = ParsePendingRenames(value);
    ASSERT_EQ(renames.size(), 2u);
    EXPECT_EQ(renames[0].source + L"|" + renames[0].target, L"C:\\P\\a.dll|");
    EXPECT_EQ(renames[1].source + L"|" + renames[1].target, L"C:\\T\\new.dll|C:\\P\\old.dll");
    for (const std::wstring& cut : {L"\\??\\C:\\x"s, L"\\??\\C:\\x\0"s, L""s}) // no target: cut off
        EXPECT_TRUE(ParsePendingRenames(cut).empty());

    const struct {
        const wchar_t* folder;
        bool pending;
    } folders[] = {{L"C:\\P", true},   {L"c:\\p\\", true}, {L"C:\\T", true}, {L"C:\\P\\a.dll", true},
                   {L"C:\\Pa", false}, {L"C:\\Q", false},  {L"", false}};
    for (const auto& f : folders)
        EXPECT_EQ(IsRestartPendingIn(renames, f.folder), f.pending) << f.folder;
    // A pair elsewhere; a folder named like the start of a file is not its folder.
    EXPECT_FALSE(IsRestartPendingIn({{L"C:\\T\\new.dll", L""}}, L"C:\\P"));
    EXPECT_FALSE(IsRestartPendingIn({{L"C:\\P\\old.dll", L""}}, L"C:\\P\\old"));
}

TEST(EvidenceRules, ExitCode) {
    const ProgramOutcome removed{FinalState::Removed, false, std::nullopt};
    const ProgramOutcome removedRestart{FinalState::Removed, false, 3010u};
    const struct {
        bool unknownName;
        std::vector<ProgramOutcome> outcomes;
        int exitCode;
    } cases[] = {{false, {removed, removed}, 0},
                 {false, {removed, {FinalState::Removed, false, 1641u}}, 0},
                 {false, {removed, {FinalState::Removed, true, std::nullopt}}, 3},
                 {false, {removedRestart}, 3},
                 {false, {removedRestart, {FinalState::Failed, false, 0u}}, 1},
                 {false, {removed, {FinalState::Timeout, false, std::nullopt}}, 1},
                 {false, {{FinalState::NeedsUser, false, std::nullopt}, removed}, 1},
                 {true, {}, 2},
                 {true, {removed}, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(UninstallExitCode(c.unknownName, c.outcomes), c.exitCode);
}

} // namespace
} // namespace tsu
