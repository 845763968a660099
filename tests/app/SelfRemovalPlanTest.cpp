// What the tool removes of itself: only its own files, never a root, never a path cmd could
// misread, every path quoted.

#include "app/core/SelfRemovalPlan.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

TEST(SelfRemoval, OrdinaryFolderRemovesOnlyTheToolsOwnFilesThenTheFolderIfEmpty) {
    const SelfRemovalPlan plan = PlanSelfRemoval(L"C:\\Tools\\My Uninstall\\TarrowSoftwareUninstall.exe", false);
    ASSERT_TRUE(plan.ShouldRemove());
    EXPECT_EQ(plan.folder, L"C:\\Tools\\My Uninstall");
    EXPECT_EQ(plan.libraryPath, L"C:\\Tools\\My Uninstall\\VeltorFeedbackInformation.dll");
    EXPECT_EQ(plan.cacheFolder, L"C:\\Tools\\My Uninstall\\Image");
    const std::wstring& p = plan.commandParameters;
    // /D: no AutoRun command of the registry runs in the elevated interpreter.
    EXPECT_EQ(p.rfind(L"/D /C ", 0), 0u);
    EXPECT_NE(p.find(L"del /f /q \"C:\\Tools\\My Uninstall\\TarrowSoftwareUninstall.exe\""), std::wstring::npos);
    EXPECT_NE(p.find(L"del /f /q \"C:\\Tools\\My Uninstall\\VeltorFeedbackInformation.dll\""), std::wstring::npos);
    EXPECT_NE(p.find(L"rmdir \"C:\\Tools\\My Uninstall\\Image\""), std::wstring::npos);
    // The folder itself only without /s: a folder that still holds anything stays.
    EXPECT_NE(p.find(L"& rmdir \"C:\\Tools\\My Uninstall\""), std::wstring::npos);
    EXPECT_EQ(p.find(L"/s"), std::wstring::npos);
    EXPECT_EQ(p.find(L"*"), std::wstring::npos);
    // It waits for the tool to end before deleting anything.
    EXPECT_LT(p.find(L"set /p"), p.find(L"del "));
}

TEST(SelfRemoval, RenamedExecutableIsDeletedByItsOwnName) {
    const SelfRemovalPlan plan = PlanSelfRemoval(L"D:\\a\\uninstall-tool (2).exe", false);
    ASSERT_TRUE(plan.ShouldRemove());
    EXPECT_NE(plan.commandParameters.find(L"\"D:\\a\\uninstall-tool (2).exe\""), std::wstring::npos);
}

struct RefusedCase {
    const wchar_t* path;
    bool cut;
    SelfRemovalVerdict verdict;
};

class SelfRemovalRefused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(SelfRemovalRefused, NothingIsRemoved) {
    const RefusedCase& c = GetParam();
    const SelfRemovalPlan plan = PlanSelfRemoval(c.path, c.cut);
    EXPECT_EQ(plan.verdict, c.verdict);
    EXPECT_FALSE(plan.ShouldRemove());
    EXPECT_TRUE(plan.commandParameters.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, SelfRemovalRefused,
    ::testing::Values(RefusedCase{L"C:\\TarrowSoftwareUninstall.exe", false, SelfRemovalVerdict::RootFolder},
                      RefusedCase{L"\\\\server\\share\\tool.exe", false, SelfRemovalVerdict::RootFolder},
                      RefusedCase{L"C:\\Tools\\%TEMP%\\tool.exe", false, SelfRemovalVerdict::UnsafeCharacter},
                      RefusedCase{L"C:\\Tools\\100%\\tool.exe", false, SelfRemovalVerdict::UnsafeCharacter},
                      RefusedCase{L"C:\\Tools\\x\"y\\tool.exe", false, SelfRemovalVerdict::UnsafeCharacter},
                      RefusedCase{L"C:\\Tools\\a\nb\\tool.exe", false, SelfRemovalVerdict::UnsafeCharacter},
                      RefusedCase{L"\\\\?\\C:\\Tools\\tool.exe", false, SelfRemovalVerdict::UnsafeCharacter},
                      RefusedCase{L"C:\\Tools\\..\\tool.exe", false, SelfRemovalVerdict::UnsafeCharacter},
                      RefusedCase{L"C:\\Tools\\\\tool.exe", false, SelfRemovalVerdict::UnsafeCharacter},
                      RefusedCase{L"C:\\Very\\Long\\Path\\Cut\\Here", true, SelfRemovalVerdict::PathCut},
                      RefusedCase{L"tool.exe", false, SelfRemovalVerdict::NotAbsolute},
                      RefusedCase{L"Tools\\tool.exe", false, SelfRemovalVerdict::NotAbsolute},
                      RefusedCase{L"", false, SelfRemovalVerdict::NotAbsolute},
                      RefusedCase{L"C:\\Tools\\", false, SelfRemovalVerdict::NoFileName}));

TEST(SelfRemoval, OnlyNumberedPicturesCountAsTheCache) {
    EXPECT_TRUE(IsCachePictureName(L"0.png"));
    EXPECT_TRUE(IsCachePictureName(L"299.PNG"));
    EXPECT_FALSE(IsCachePictureName(L".png"));
    EXPECT_FALSE(IsCachePictureName(L"holiday.png"));
    EXPECT_FALSE(IsCachePictureName(L"1.png.txt"));
    EXPECT_FALSE(IsCachePictureName(L"1.jpg"));
    EXPECT_FALSE(IsCachePictureName(L"-1.png"));
    EXPECT_FALSE(IsCachePictureName(L"12345678901.png"));
}

} // namespace
} // namespace tsu
