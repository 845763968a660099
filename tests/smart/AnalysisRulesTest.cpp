#include "smart/core/AnalysisRules.h"
#include "smart/core/CanonicalPathText.h"
#include "smart/core/SharedFolders.h"

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

struct SpellingCase {
    const wchar_t* path;
    const wchar_t* canonical; // nullptr: no local or network path the text can name
};

class CanonicalPathTextTest : public ::testing::TestWithParam<SpellingCase> {};

TEST_P(CanonicalPathTextTest, OneSpellingPerPath) {
    const auto canonical = CanonicalPathText(GetParam().path, {L"MYPC", L"mypc.example.org"});
    if (!GetParam().canonical)
        EXPECT_FALSE(canonical.has_value()) << *canonical;
    else
        EXPECT_EQ(canonical.value_or(L"<none>"), GetParam().canonical) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, CanonicalPathTextTest,
    ::testing::Values(
        SpellingCase{L"C:\\Tools\\App\\app.exe", L"C:\\Tools\\App\\app.exe"},
        SpellingCase{L"c:/Tools//App/", L"C:\\Tools\\App"}, SpellingCase{L"C:\\Windows.\\", L"C:\\Windows"},
        SpellingCase{L"C:\\.\\", L"C:\\"},
        SpellingCase{L"C:\\Windows \\System32. .\\x.exe", L"C:\\Windows\\System32\\x.exe"},
        SpellingCase{L"C:\\Tools\\..\\..\\Windows\\.\\x.exe", L"C:\\Windows\\x.exe"},
        SpellingCase{L"\\\\?\\C:\\Windows\\x.exe", L"C:\\Windows\\x.exe"}, SpellingCase{L"\\??\\d:\\x", L"D:\\x"},
        SpellingCase{L"\\\\?\\UNC\\server\\share\\App", L"\\\\server\\share\\App"},
        SpellingCase{L"\\\\localhost\\C$\\Windows", L"C:\\Windows"}, SpellingCase{L"\\\\127.0.0.1\\c$\\x", L"C:\\x"},
        SpellingCase{L"\\\\::1\\d$", L"D:\\"}, SpellingCase{L"\\\\.\\c$\\x", L"C:\\x"},
        SpellingCase{L"\\\\MyPc\\c$\\x", L"C:\\x"}, SpellingCase{L"//mypc.example.org/C$/x", L"C:\\x"},
        SpellingCase{L"\\\\otherpc\\C$\\x", L"\\\\otherpc\\C$\\x"},
        SpellingCase{L"\\\\localhost\\Tools\\x", L"\\\\localhost\\Tools\\x"},
        SpellingCase{L"\\\\server\\share\\..\\..\\x", L"\\\\server\\share\\x"},
        SpellingCase{L"\\\\.\\PhysicalDrive0", L"\\\\.\\PhysicalDrive0"}, SpellingCase{L"\\\\?\\Volume{1}\\x", nullptr},
        SpellingCase{L"C:x.exe", nullptr}, SpellingCase{L"\\\\?\\C:", nullptr}, SpellingCase{L"Tools\\x", nullptr},
        SpellingCase{L"\\Tools\\x", nullptr}, SpellingCase{L"\\\\server", nullptr},
        SpellingCase{L"C:\\a\\...\\b", nullptr}, SpellingCase{L"C:\\a\\x.exe:stream", nullptr},
        SpellingCase{L"C:\\a\\x\x01.exe", nullptr}, SpellingCase{L"", nullptr}));

struct ProfileCase {
    const wchar_t* folder;
    bool shared;
};

class ProfileFolderTest : public ::testing::TestWithParam<ProfileCase> {};

// The shell names only the running account's folders; every profile's are shared alike.
TEST_P(ProfileFolderTest, EveryProfilesStandardFoldersAreShared) {
    const SharedFolders folders(L"C:\\windows", L"C:\\users", {});
    EXPECT_EQ(folders.IsShared(GetParam().folder), GetParam().shared) << GetParam().folder;
}

INSTANTIATE_TEST_SUITE_P(Profiles, ProfileFolderTest,
                         ::testing::Values(ProfileCase{L"C:\\users\\other", true},
                                           ProfileCase{L"C:\\Users\\OTHER\\desktop\\", true},
                                           ProfileCase{L"C:\\users\\Public\\Documents", true},
                                           ProfileCase{L"C:\\users\\other\\Downloads", true},
                                           ProfileCase{L"C:\\users\\other\\Videos", true},
                                           ProfileCase{L"C:\\users\\other\\AppData\\LocalLow", true},
                                           ProfileCase{L"C:\\users\\other\\appdata\\roaming", true},
                                           ProfileCase{L"C:\\users\\other\\OneDrive", true},
                                           ProfileCase{L"C:\\users\\other\\OneDrive - Contoso Ltd", true},
                                           ProfileCase{L"C:\\users\\other\\OneDrive\\Desktop", true},
                                           ProfileCase{L"C:\\users\\other\\Desktop\\App", false},
                                           ProfileCase{L"C:\\users\\other\\AppData\\Local\\Vendor", false},
                                           ProfileCase{L"C:\\users\\other\\OneDriveTools", false},
                                           ProfileCase{L"C:\\users\\other\\OneDrive\\App", false},
                                           ProfileCase{L"C:\\Tools\\Desktop", false}));

TEST(DeleteResultCodeTest, CountsDecideTheCode) {
    EXPECT_EQ(DeleteResultCode(0, 0), kDeleteNone);
    EXPECT_EQ(DeleteResultCode(0, 3), kDeleteNone);
    EXPECT_EQ(DeleteResultCode(2, 0), kDeleteAll);
    EXPECT_EQ(DeleteResultCode(2, 1), kDeletePartial);
}

} // namespace
} // namespace tsu
