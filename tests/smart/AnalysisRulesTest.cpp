#include "smart/core/AnalysisRules.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

struct NameCase {
    const wchar_t* shortcut;
    const wchar_t* programName;
};

class ProgramNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ProgramNameTest, TakesTheFileNameUpToItsFirstDot) {
    EXPECT_EQ(ProgramNameFromShortcut(GetParam().shortcut), GetParam().programName);
}

INSTANTIATE_TEST_SUITE_P(Shortcuts, ProgramNameTest,
                         ::testing::Values(NameCase{L"C:\\Users\\u\\Desktop\\App 2.0.lnk", L"App 2"},
                                           NameCase{L"C:\\Users\\u\\Desktop\\Notepad.lnk", L"Notepad"},
                                           NameCase{L"C:\\Users\\u\\Desktop\\NoExtension", L""},
                                           NameCase{L"App.lnk", L""}, // no folder part
                                           NameCase{L"C:\\d.x\\.hidden.lnk", L""},
                                           NameCase{L"C:\\Desktop\\应用程序.lnk", L"应用程序"}));

TEST(AnalysisRulesTest, FolderParts) {
    EXPECT_EQ(ParentFolder(L"C:\\Tools\\App\\app.exe"), L"C:\\Tools\\App");
    EXPECT_EQ(ParentFolder(L"C:\\app.exe"), L"C:");
    EXPECT_EQ(ParentFolder(L"app.exe"), L"");
    EXPECT_EQ(LastPathComponent(L"C:\\Program Files (x86)"), L"Program Files (x86)");
    EXPECT_EQ(LastPathComponent(L"C:"), L"");
}

TEST(AnalysisRulesTest, ShortcutExtensionInAnyCase) {
    EXPECT_TRUE(HasShortcutExtension(L"C:\\x\\App.lnk"));
    EXPECT_TRUE(HasShortcutExtension(L"C:\\x\\App.LNK"));
    EXPECT_FALSE(HasShortcutExtension(L"C:\\x\\App.lnk.txt"));
    EXPECT_FALSE(HasShortcutExtension(L"C:\\x.lnk\\readme.txt"));
    EXPECT_FALSE(HasShortcutExtension(L".lnk"));
}

struct FolderItemCase {
    const wchar_t* shortcut;
    const wchar_t* folder; // empty: no folder item
};

class StartMenuFolderItemTest : public ::testing::TestWithParam<FolderItemCase> {};

TEST_P(StartMenuFolderItemTest, TheFolderHoldingTheShortcut) {
    const auto item = StartMenuFolderItem(GetParam().shortcut);
    if (*GetParam().folder == L'\0') {
        EXPECT_FALSE(item.has_value()) << *item;
    } else {
        ASSERT_TRUE(item.has_value());
        EXPECT_EQ(*item, GetParam().folder);
    }
}

#define PROGRAMS L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"
INSTANTIATE_TEST_SUITE_P(
    StartMenu, StartMenuFolderItemTest,
    ::testing::Values(FolderItemCase{PROGRAMS L"\\App.lnk", L""},
                      FolderItemCase{PROGRAMS L"\\Vendor\\App.lnk", PROGRAMS L"\\Vendor"},
                      FolderItemCase{PROGRAMS L"\\Vendor\\App\\App.lnk", PROGRAMS L"\\Vendor\\App"},
                      FolderItemCase{PROGRAMS L"\\Programs Extra\\App.lnk", PROGRAMS L"\\Programs Extra"},
                      FolderItemCase{L"C:\\Elsewhere\\App.lnk", L""}, FolderItemCase{PROGRAMS, L""}));
#undef PROGRAMS

TEST(DeleteResultCodeTest, CountsDecideTheCode) {
    EXPECT_EQ(DeleteResultCode(0, 0), kDeleteNone);
    EXPECT_EQ(DeleteResultCode(0, 3), kDeleteNone);
    EXPECT_EQ(DeleteResultCode(2, 0), kDeleteAll);
    EXPECT_EQ(DeleteResultCode(2, 1), kDeletePartial);
}

} // namespace
} // namespace tsu
