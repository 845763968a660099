#include "smart/core/RegistryMatchRules.h"
#include "smart/core/SharedFolders.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

SharedFolders TestFolders() {
    return SharedFolders(L"C:\\windows", L"C:\\users",
                         {L"C:\\Program Files", L"C:\\Program Files (x86)", L"C:\\Program Files\\Common Files",
                          L"C:\\ProgramData", L"C:\\users\\tester\\Desktop", L"C:\\users\\tester\\Downloads",
                          L"C:\\users\\Public"});
}

struct SharedCase {
    const wchar_t* folder;
    bool shared;
};

class SharedFolderTest : public ::testing::TestWithParam<SharedCase> {};

TEST_P(SharedFolderTest, OnlyProgramFoldersMayBeScanned) {
    const SharedFolders folders = TestFolders();
    EXPECT_EQ(folders.IsShared(GetParam().folder), GetParam().shared) << GetParam().folder;
}

INSTANTIATE_TEST_SUITE_P(
    Folders, SharedFolderTest,
    ::testing::Values(SharedCase{L"C:", true}, SharedCase{L"D:\\", true}, SharedCase{L"\\\\server\\share", true},
                      SharedCase{L"C:\\WINDOWS", true}, SharedCase{L"c:\\program files", true},
                      SharedCase{L"D:\\Program Files (x86)", true},
                      SharedCase{L"C:\\Program Files\\Common Files", true}, SharedCase{L"C:\\ProgramData\\", true},
                      SharedCase{L"C:\\Users", true}, SharedCase{L"C:\\Users\\someone", true},
                      SharedCase{L"C:\\users\\tester\\desktop", true},
                      SharedCase{L"C:\\users\\tester\\Downloads", true}, SharedCase{L"", true},
                      SharedCase{L"C:\\Tools\\App", false}, SharedCase{L"C:\\Program Files\\App", false},
                      SharedCase{L"C:\\windows\\system32\\drivers", false},
                      SharedCase{L"C:\\Users\\someone\\App", false}, SharedCase{L"\\\\server\\share\\App", false}));

TEST(SharedFolderTest, WindowsFolderTestIgnoresCaseAndNeedsTheRealFolder) {
    const SharedFolders folders = TestFolders();
    EXPECT_TRUE(folders.IsInWindowsFolder(L"C:\\Windows\\System32\\notepad.exe"));
    EXPECT_TRUE(folders.IsInWindowsFolder(L"c:\\WINDOWS\\notepad.exe"));
    EXPECT_FALSE(folders.IsInWindowsFolder(L"D:\\Games\\Windows\\game.exe"));
    EXPECT_FALSE(folders.IsInWindowsFolder(L"C:\\WindowsApps\\x.exe"));
    EXPECT_FALSE(SharedFolders().IsInWindowsFolder(L"C:\\Windows\\notepad.exe"));
}

struct ValueCase {
    const wchar_t* value;
    const wchar_t* folder;
    bool ignoreCase;
    bool matches;
    bool command = false; // an uninstall command rather than a location or icon file
};

class PathValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(PathValueTest, ContainmentAtPathBoundaries) {
    const SharedFolders folders = TestFolders();
    const ValueCase& c = GetParam();
    EXPECT_EQ(c.command ? CommandMatchesFolder(c.value, c.folder, c.ignoreCase, &folders)
                        : PathValueMatchesFolder(c.value, c.folder, c.ignoreCase, &folders),
              c.matches)
        << c.value << L" / " << c.folder;
}

INSTANTIATE_TEST_SUITE_P(
    Values, PathValueTest,
    ::testing::Values(
        ValueCase{L"C:\\Tools\\App", L"C:\\Tools\\App", true, true},
        ValueCase{L"C:\\Tools\\App\\", L"c:\\tools\\app", true, true},
        ValueCase{L"C:\\Tools\\App\\", L"c:\\tools\\app", false, false}, // 32-bit rules: exact case
        ValueCase{L"\"C:\\Tools\\App\\uninst.exe\" /S", L"C:\\Tools\\App", true, true, true},
        ValueCase{L"C:\\Tools\\App\\uninst.exe /S", L"c:\\tools\\app", true, true, true},
        ValueCase{L"C:\\Tools\\uninst.exe", L"C:\\Tools\\App\\bin", true, true, true},
        // Only the program counts, not a folder named in its arguments; a bare name never.
        ValueCase{L"\"D:\\Other\\uninst.exe\" C:\\Tools\\App", L"C:\\Tools\\App", true, false, true},
        ValueCase{L"MsiExec.exe /X{0AB1C2D3-0000-0000-0000-000000000000}", L"C:\\Tools\\App", true, false, true},
        ValueCase{L"C:\\Tools\\App\\bin", L"C:\\Tools\\App", true, true}, // below the folder
        // A prefix at a path boundary only, never a piece of a path or a relative one.
        ValueCase{L"ools\\App", L"D:\\Tools\\App", true, false},
        ValueCase{L"\\Tools\\App", L"D:\\Tools\\App", true, false},
        ValueCase{L"Tools\\App\\bin", L"Tools\\App", true, false},
        ValueCase{L"E:\\Backup\\Tools\\App", L"C:\\Tools\\App", true, false},
        ValueCase{L"C:\\Tools\\App\\..\\..\\Windows", L"C:\\Tools\\App", true, false},
        ValueCase{L"C:\\Tools\\App\\app.exe", L"C:\\Tools\\App", true, true},
        ValueCase{L"C:\\Tools", L"C:\\Tools\\App\\bin", true, true}, // the location above the folder
        ValueCase{L"C:\\Tools\\AppSuite", L"C:\\Tools\\App", true, false},
        ValueCase{L"C:\\Tools\\AppSuite\\x.exe", L"C:\\Tools\\App", true, false},
        ValueCase{L"C:\\Tools\\Ap", L"C:\\Tools\\App", true, false},
        // Three characters or fewer, after quotes and a trailing backslash: never.
        ValueCase{L"C:\\", L"C:\\Tools\\App", true, false}, ValueCase{L"\"C:\\\"", L"C:\\Tools\\App", true, false},
        ValueCase{L"C:", L"C:\\Tools\\App", true, false}, ValueCase{L"C:\\Tools\\App", L"C:", true, false},
        // A shared folder is nobody's location.
        ValueCase{L"C:\\Program Files", L"C:\\Program Files\\App", true, false},
        ValueCase{L"C:\\ProgramData\\", L"C:\\ProgramData\\Vendor\\App", true, false}));

SoftwareRecord Entry(const std::wstring& name) {
    SoftwareRecord record;
    record.displayName = name;
    record.uninstallString = L"\"D:\\Elsewhere\\uninst.exe\"";
    return record;
}

MatchCriteria Criteria(const SharedFolders& folders, const std::wstring& programName, const std::wstring& folder,
                       bool on64Bit = true) {
    MatchCriteria criteria;
    criteria.programName = programName;
    criteria.folder = folder;
    const size_t slash = folder.rfind(L'\\');
    criteria.folderName = slash == std::wstring::npos ? std::wstring() : folder.substr(slash + 1);
    criteria.on64BitWindows = on64Bit;
    criteria.folderUsable = !folders.IsShared(folder);
    criteria.sharedFolders = &folders;
    return criteria;
}

TEST(MatchesRecordTest, DisplayNameContainsProgramNameCaseSensitively) {
    const SharedFolders folders = TestFolders();
    EXPECT_TRUE(MatchesRecord(Entry(L"Sample Editor 3"), Criteria(folders, L"Sample Editor", L"E:\\Other")));
    EXPECT_FALSE(MatchesRecord(Entry(L"sample editor 3"), Criteria(folders, L"Sample Editor", L"E:\\Other")));
    // Names of three characters or fewer are in too many display names.
    EXPECT_FALSE(MatchesRecord(Entry(L"Mapper Suite"), Criteria(folders, L"App", L"E:\\Other")));
    EXPECT_TRUE(MatchesRecord(Entry(L"Mapper Suite"), Criteria(folders, L"Mapp", L"E:\\Other")));
}

TEST(MatchesRecordTest, EmptyProgramNameSkipsTheNameTest) {
    const SharedFolders folders = TestFolders();
    EXPECT_FALSE(MatchesRecord(Entry(L"Anything"), Criteria(folders, L"", L"E:\\Other")));
}

TEST(MatchesRecordTest, LocationIconAndCommandOn64BitWindows) {
    const SharedFolders folders = TestFolders();
    SoftwareRecord byLocation = Entry(L"X");
    byLocation.installLocation = L"C:\\TOOLS\\APP";
    SoftwareRecord byIcon = Entry(L"X");
    byIcon.iconPath = L"C:\\Tools\\App\\app.exe";
    SoftwareRecord byCommand = Entry(L"X");
    byCommand.uninstallString = L"\"C:\\Tools\\App\\uninst.exe\"";
    const MatchCriteria criteria = Criteria(folders, L"Unrelated", L"C:\\Tools\\App");
    EXPECT_TRUE(MatchesRecord(byLocation, criteria));
    EXPECT_TRUE(MatchesRecord(byIcon, criteria));
    EXPECT_TRUE(MatchesRecord(byCommand, criteria));

    // 32-bit Windows: only the install location, compared exactly.
    const MatchCriteria on32 = Criteria(folders, L"Unrelated", L"C:\\Tools\\App", false);
    EXPECT_FALSE(MatchesRecord(byLocation, on32));
    EXPECT_FALSE(MatchesRecord(byIcon, on32));
    EXPECT_FALSE(MatchesRecord(byCommand, on32));
    byLocation.installLocation = L"C:\\Tools\\App";
    EXPECT_TRUE(MatchesRecord(byLocation, on32));
}

TEST(MatchesRecordTest, DriveRootLocationMatchesNothing) {
    const SharedFolders folders = TestFolders();
    SoftwareRecord rootEntry = Entry(L"Root Entry");
    rootEntry.installLocation = L"C:\\";
    EXPECT_FALSE(MatchesRecord(rootEntry, Criteria(folders, L"App", L"C:\\Tools\\App")));
}

TEST(MatchesRecordTest, TargetInASharedFolderMatchesByNameOnly) {
    const SharedFolders folders = TestFolders();
    SoftwareRecord entry = Entry(L"Other Program");
    entry.installLocation = L"C:\\Program Files\\Other";
    entry.uninstallString = L"\"C:\\Program Files (x86)\\Other\\uninst.exe\"";
    EXPECT_FALSE(MatchesRecord(entry, Criteria(folders, L"App", L"C:\\Program Files")));
    EXPECT_FALSE(MatchesRecord(entry, Criteria(folders, L"App", L"C:\\Program Files (x86)", false)));
    EXPECT_FALSE(MatchesRecord(entry, Criteria(folders, L"App", L"C:\\users\\tester\\Desktop")));
    EXPECT_TRUE(MatchesRecord(entry, Criteria(folders, L"Other", L"C:\\Program Files")));
}

} // namespace
} // namespace tsu
