#include "smart/core/RegistryMatchRules.h"
#include "smart/core/SharedFolders.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

const SharedFolders kFolders(L"C:\\windows", L"C:\\users",
                             {L"C:\\Program Files", L"C:\\Program Files (x86)", L"C:\\Program Files\\Common Files",
                              L"C:\\ProgramData", L"C:\\users\\tester\\Desktop", L"C:\\users\\tester\\Downloads",
                              L"C:\\users\\Public"});

TEST(SharedFolderTest, OnlyProgramFoldersMayBeScanned) {
    // The shell names only the running account's folders; every profile's are shared alike.
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"C:", true}, {L"D:\\", true}, {L"\\\\server\\share", true}, {L"C:\\WINDOWS", true},
        {L"c:\\program files", true}, {L"D:\\Program Files (x86)", true}, {L"C:\\Program Files\\Common Files", true},
        {L"C:\\ProgramData\\", true}, {L"C:\\Users", true}, {L"C:\\Users\\someone", true},
        {L"C:\\users\\tester\\desktop", true}, {L"C:\\users\\tester\\Downloads", true}, {L"", true},
        {L"C:\\Users\\OTHER\\desktop\\", true}, {L"C:\\users\\Public\\Documents", true},
        {L"C:\\users\\other\\Downloads", true}, {L"C:\\users\\other\\Videos", true},
        {L"C:\\users\\other\\AppData\\LocalLow", true}, {L"C:\\users\\other\\appdata\\roaming", true},
        {L"C:\\users\\other\\OneDrive", true}, {L"C:\\users\\other\\OneDrive - Contoso Ltd", true},
        {L"C:\\users\\other\\OneDrive\\Desktop", true}, {L"C:\\Tools\\App", false},
        {L"C:\\Program Files\\App", false}, {L"C:\\windows\\system32\\drivers", false},
        {L"C:\\Users\\someone\\App", false}, {L"\\\\server\\share\\App", false},
        {L"C:\\users\\other\\Desktop\\App", false}, {L"C:\\users\\other\\AppData\\Local\\Vendor", false},
        {L"C:\\users\\other\\OneDriveTools", false}, {L"C:\\users\\other\\OneDrive\\App", false},
        {L"C:\\Tools\\Desktop", false}};
    for (const auto& [folder, shared] : cases)
        EXPECT_EQ(kFolders.IsShared(folder), shared) << folder;
    // Profiles alone, without the shell's list.
    EXPECT_TRUE(SharedFolders(L"C:\\windows", L"C:\\users", {}).IsShared(L"C:\\users\\other\\Desktop"));
}

TEST(SharedFolderTest, WindowsFolderTestIgnoresCaseAndNeedsTheRealFolder) {
    EXPECT_TRUE(kFolders.IsInWindowsFolder(L"c:\\WINDOWS\\notepad.exe"));
    EXPECT_FALSE(kFolders.IsInWindowsFolder(L"D:\\Games\\Windows\\game.exe"));
    EXPECT_FALSE(kFolders.IsInWindowsFolder(L"C:\\WindowsApps\\x.exe"));
    EXPECT_FALSE(SharedFolders().IsInWindowsFolder(L"C:\\Windows\\notepad.exe"));
}

TEST(PathValueTest, ContainmentAtPathBoundaries) {
    struct Case {
        const wchar_t* value;
        const wchar_t* folder;
        bool ignoreCase;
        bool matches;
        bool command = false; // an uninstall command rather than a location or icon file
    };
    const Case cases[] = {
        {L"C:\\Tools\\App", L"C:\\Tools\\App", true, true},
        {L"C:\\Tools\\App\\", L"c:\\tools\\app", true, true},
        {L"C:\\Tools\\App\\", L"c:\\tools\\app", false, false}, // 32-bit rules: exact case
        {L"\"C:\\Tools\\App\\uninst.exe\" /S", L"C:\\Tools\\App", true, true, true},
        {L"C:\\Tools\\App\\uninst.exe /S", L"c:\\tools\\app", true, true, true},
        {L"C:\\Tools\\uninst.exe", L"C:\\Tools\\App\\bin", true, true, true},
        // Only the program counts, not a folder named in its arguments; a bare name never.
        {L"\"D:\\Other\\uninst.exe\" C:\\Tools\\App", L"C:\\Tools\\App", true, false, true},
        {L"MsiExec.exe /X{0AB1C2D3-0000-0000-0000-000000000000}", L"C:\\Tools\\App", true, false, true},
        {L"C:\\Tools\\App\\bin", L"C:\\Tools\\App", true, true},
        // A prefix at a path boundary only, never a piece of a path or a relative one.
        {L"ools\\App", L"D:\\Tools\\App", true, false},
        {L"\\Tools\\App", L"D:\\Tools\\App", true, false},
        {L"Tools\\App\\bin", L"Tools\\App", true, false},
        {L"E:\\Backup\\Tools\\App", L"C:\\Tools\\App", true, false},
        {L"C:\\Tools\\App\\..\\..\\Windows", L"C:\\Tools\\App", true, false},
        {L"C:\\Tools\\App\\app.exe", L"C:\\Tools\\App", true, true},
        {L"C:\\Tools", L"C:\\Tools\\App\\bin", true, true},
        {L"C:\\Tools\\AppSuite", L"C:\\Tools\\App", true, false},
        {L"C:\\Tools\\AppSuite\\x.exe", L"C:\\Tools\\App", true, false},
        {L"C:\\Tools\\Ap", L"C:\\Tools\\App", true, false},
        // Three characters or fewer, after quotes and a trailing backslash, and shared folders: never.
        {L"C:\\", L"C:\\Tools\\App", true, false},
        {L"\"C:\\\"", L"C:\\Tools\\App", true, false},
        {L"C:", L"C:\\Tools\\App", true, false},
        {L"C:\\Tools\\App", L"C:", true, false},
        {L"C:\\Program Files", L"C:\\Program Files\\App", true, false},
        {L"C:\\ProgramData\\", L"C:\\ProgramData\\Vendor\\App", true, false}};
    for (const Case& c : cases)
        EXPECT_EQ(c.command ? CommandMatchesFolder(c.value, c.folder, c.ignoreCase, &kFolders)
                            : PathValueMatchesFolder(c.value, c.folder, c.ignoreCase, &kFolders),
                  c.matches)
            << c.value << L" / " << c.folder;
}

TEST(MatchesRecordTest, NameFirstThenLocationIconAndCommand) {
    struct Case {
        const wchar_t* name;
        const wchar_t* location;
        const wchar_t* icon;
        const wchar_t* command;
        const wchar_t* programName;
        const wchar_t* folder;
        bool on64Bit;
        bool matches;
    };
    // Names are compared case-sensitively, and one of three characters or fewer is in too many
    // display names; on 32-bit Windows only the install location counts, compared exactly; a
    // target in a shared folder matches by name only.
    const wchar_t* elsewhere = L"\"D:\\Elsewhere\\uninst.exe\"";
    const Case cases[] = {
        {L"Sample Editor 3", L"", L"", elsewhere, L"Sample Editor", L"E:\\Other", true, true},
        {L"sample editor 3", L"", L"", elsewhere, L"Sample Editor", L"E:\\Other", true, false},
        {L"Mapper Suite", L"", L"", elsewhere, L"App", L"E:\\Other", true, false},
        {L"Mapper Suite", L"", L"", elsewhere, L"Mapp", L"E:\\Other", true, true},
        {L"Anything", L"", L"", elsewhere, L"", L"E:\\Other", true, false},
        {L"X", L"C:\\TOOLS\\APP", L"", elsewhere, L"Unrelated", L"C:\\Tools\\App", true, true},
        {L"X", L"", L"C:\\Tools\\App\\app.exe", elsewhere, L"Unrelated", L"C:\\Tools\\App", true, true},
        {L"X", L"", L"", L"\"C:\\Tools\\App\\uninst.exe\"", L"Unrelated", L"C:\\Tools\\App", true, true},
        {L"X", L"C:\\TOOLS\\APP", L"", elsewhere, L"Unrelated", L"C:\\Tools\\App", false, false},
        {L"X", L"", L"C:\\Tools\\App\\app.exe", elsewhere, L"Unrelated", L"C:\\Tools\\App", false, false},
        {L"X", L"", L"", L"\"C:\\Tools\\App\\uninst.exe\"", L"Unrelated", L"C:\\Tools\\App", false, false},
        {L"X", L"C:\\Tools\\App", L"", elsewhere, L"Unrelated", L"C:\\Tools\\App", false, true},
        {L"Root Entry", L"C:\\", L"", elsewhere, L"App", L"C:\\Tools\\App", true, false},
        {L"Other Program", L"C:\\Program Files\\Other", L"", L"\"C:\\Program Files (x86)\\Other\\uninst.exe\"",
         L"App", L"C:\\Program Files", true, false},
        {L"Other Program", L"C:\\Program Files\\Other", L"", L"\"C:\\Program Files (x86)\\Other\\uninst.exe\"",
         L"App", L"C:\\Program Files (x86)", false, false},
        {L"Other Program", L"C:\\users\\tester\\Desktop\\x", L"", elsewhere, L"App", L"C:\\users\\tester\\Desktop",
         true, false},
        {L"Other Program", L"C:\\Program Files\\Other", L"", elsewhere, L"Other", L"C:\\Program Files", true, true}};
    for (const Case& c : cases) {
        SoftwareRecord record;
        record.displayName = c.name;
        record.installLocation = c.location;
        record.iconPath = c.icon;
        record.uninstallString = c.command;
        MatchCriteria criteria;
        criteria.programName = c.programName;
        criteria.folder = c.folder;
        criteria.folderName = criteria.folder.substr(criteria.folder.rfind(L'\\') + 1);
        criteria.on64BitWindows = c.on64Bit;
        criteria.folderUsable = !kFolders.IsShared(c.folder);
        criteria.sharedFolders = &kFolders;
        EXPECT_EQ(MatchesRecord(record, criteria), c.matches) << c.name << L" / " << c.folder << c.on64Bit;
    }
}

} // namespace
} // namespace tsu
