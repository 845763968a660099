#include "smart/core/AnalysisRules.h"
#include "smart/core/CanonicalPathText.h"
#include "smart/core/ItemIdentity.h"
#include "smart/core/RegistryMatchRules.h"
#include "smart/core/SharedFolders.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

#define PROGRAMS L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"

// nullptr in a row: no value.
std::wstring Text(const std::optional<std::wstring>& value) {
    return value.value_or(L"<none>");
}
std::wstring Text(const wchar_t* value) {
    return value ? value : L"<none>";
}

TEST(AnalysisRulesTest, PathPartsAndDeleteResult) {
    const std::pair<const wchar_t*, const wchar_t*> names[] = {{L"C:\\Users\\u\\Desktop\\App 2.0.lnk", L"App 2"},
                                                               {L"C:\\Users\\u\\Desktop\\NoExtension", L""},
                                                               {L"C:\\d.x\\.hidden.lnk", L""}};
    for (const auto& [shortcut, name] : names)
        EXPECT_EQ(ProgramNameFromShortcut(shortcut), name) << shortcut;
    EXPECT_EQ(ParentFolder(L"C:\\Tools\\App\\app.exe") + L"|" + ParentFolder(L"C:\\app.exe") + L"|" +
                  ParentFolder(L"app.exe"),
              L"C:\\Tools\\App|C:|");
    EXPECT_EQ(LastPathComponent(L"C:\\Program Files (x86)") + L"|" + LastPathComponent(L"C:"), L"Program Files (x86)|");
    EXPECT_TRUE(HasShortcutExtension(L"C:\\x\\App.LNK"));
    for (const wchar_t* other : {L"C:\\x.lnk\\readme.txt", L".lnk"})
        EXPECT_FALSE(HasShortcutExtension(other)) << other;
    const std::pair<const wchar_t*, const wchar_t*> folders[] = {
        {PROGRAMS L"\\App.lnk", nullptr}, {PROGRAMS L"\\Vendor\\App\\App.lnk", PROGRAMS L"\\Vendor\\App"},
        {PROGRAMS L"\\Programs Extra\\App.lnk", PROGRAMS L"\\Programs Extra"}, {L"C:\\Elsewhere\\App.lnk", nullptr}};
    for (const auto& [shortcut, folder] : folders)
        EXPECT_EQ(Text(StartMenuFolderItem(shortcut)), Text(folder)) << shortcut;
    EXPECT_EQ(std::vector<int>({DeleteResultCode(0, 3), DeleteResultCode(2, 0), DeleteResultCode(2, 1)}),
              std::vector<int>({kDeleteNone, kDeleteAll, kDeletePartial}));
}

TEST(AnalysisRulesTest, OneSpellingPerPath) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"c:/Tools//App/", L"C:\\Tools\\App"}, {L"C:\\.\\", L"C:\\"},
        {L"C:\\Windows \\System32. .\\x.exe", L"C:\\Windows\\System32\\x.exe"},
        {L"C:\\Tools\\..\\..\\Windows\\.\\x.exe", L"C:\\Windows\\x.exe"}, {L"\\??\\d:\\x", L"D:\\x"},
        {L"\\\\?\\UNC\\server\\share\\App", L"\\\\server\\share\\App"}, {L"\\\\::1\\d$", L"D:\\"},
        {L"\\\\MyPc\\c$\\x", L"C:\\x"}, {L"\\\\otherpc\\C$\\x", L"\\\\otherpc\\C$\\x"},
        {L"\\\\localhost\\Tools\\x", L"\\\\localhost\\Tools\\x"},
        {L"\\\\server\\share\\..\\..\\x", L"\\\\server\\share\\x"}, {L"\\\\?\\Volume{1}\\x", nullptr},
        {L"C:x.exe", nullptr}, {L"1:\\x", nullptr}, {L"Tools\\x", nullptr}, {L"\\\\server", nullptr},
        {L"C:\\a\\...\\b", nullptr}, {L"C:\\a\\x.exe:stream", nullptr}, {L"C:\\a\\x\x01.exe", nullptr}};
    for (const auto& [path, canonical] : cases)
        EXPECT_EQ(Text(CanonicalPathText(path, {L"MYPC", L"mypc.example.org"})), Text(canonical)) << path;
}

TEST(ItemIdentityTest, OnlyTheSameFileInItsPlace) {
    EXPECT_EQ(PathFromFinalName(L"\\\\?\\Volume{1}\\x"), L"\\\\?\\Volume{1}\\x"); // no drive: left alone
    // Other file or volume; reached through a link out of the folder or into a look-alike; without a
    // scope the item must be where it was (letter case aside).
    const std::tuple<FileIdentity, const wchar_t*, const wchar_t*, bool> cases[] = {
        {{7, 42}, L"C:\\Tools\\App\\data.bin", L"C:\\Tools\\App", true},
        {{7, 43}, L"C:\\Tools\\App\\sub\\data.bin", L"C:\\Tools\\App", false},
        {{8, 42}, L"C:\\Tools\\App\\sub\\data.bin", L"C:\\Tools\\App", false},
        {{7, 42}, L"C:\\Sentinel\\data.bin", L"C:\\Tools\\App", false},
        {{7, 42}, L"C:\\Tools\\AppX\\data.bin", L"C:\\Tools\\App", false},
        {{7, 42}, L"C:\\Tools\\App", L"C:\\Tools\\App", false}, {{7, 42}, L"c:\\tools\\app\\SUB\\data.bin", L"", true},
        {{7, 42}, L"C:\\Tools\\App\\data.bin", L"", false}};
    for (const auto& [now, finalPathNow, scopeRoot, analysed] : cases) {
        const ItemRecord record{FileIdentity{7, 42}, L"C:\\Tools\\App\\sub\\data.bin", scopeRoot};
        EXPECT_EQ(IsAnalysedItem(record, now, finalPathNow), analysed) << finalPathNow << now.fileIndex;
    }
}

const SharedFolders kFolders(L"C:\\windows", L"C:\\users",
                             {L"C:\\Program Files", L"C:\\Program Files (x86)", L"C:\\Program Files\\Common Files",
                              L"C:\\ProgramData", L"C:\\users\\tester\\Desktop", L"C:\\users\\tester\\Downloads",
                              L"C:\\users\\Public"});

TEST(SharedFolderTest, OnlyProgramFoldersMayBeScanned) {
    // The shell names only the running account's folders; every profile's are shared alike.
    // clang-format off
    for (const wchar_t* shared : {L"C:", L"\\\\server\\share", L"C:\\WINDOWS", L"c:\\program files",
             L"D:\\Program Files (x86)", L"C:\\ProgramData\\", L"C:\\Users", L"C:\\Users\\someone", L"",
             L"C:\\Users\\OTHER\\desktop\\", L"C:\\users\\Public\\Documents", L"C:\\users\\other\\AppData\\LocalLow",
             L"C:\\users\\other\\OneDrive - Contoso Ltd", L"C:\\users\\other\\OneDrive\\Desktop"})
        // clang-format on
        EXPECT_TRUE(kFolders.IsShared(shared)) << shared;
    for (const wchar_t* own :
         {L"C:\\Program Files\\App", L"C:\\windows\\system32\\drivers", L"C:\\users\\other\\Desktop\\App",
          L"C:\\users\\other\\AppData\\Local\\Vendor", L"C:\\users\\other\\OneDriveTools", L"C:\\Tools\\Desktop"})
        EXPECT_FALSE(kFolders.IsShared(own)) << own;
    // Profiles alone, without the shell's list.
    EXPECT_TRUE(SharedFolders(L"C:\\windows", L"C:\\users", {}).IsShared(L"C:\\users\\other\\Desktop"));
    // The Windows folder test ignores case and needs the real folder.
    EXPECT_TRUE(kFolders.IsInWindowsFolder(L"c:\\WINDOWS\\notepad.exe"));
    EXPECT_FALSE(kFolders.IsInWindowsFolder(L"D:\\Games\\Windows\\game.exe") ||
                 kFolders.IsInWindowsFolder(L"C:\\WindowsApps\\x.exe") ||
                 SharedFolders().IsInWindowsFolder(L"C:\\Windows\\notepad.exe"));
}

TEST(PathValueTest, ContainmentAtPathBoundaries) {
    // Against C:\Tools\App, ignoring case: a prefix at a path boundary only, never a piece of a path, a
    // relative one, three characters or fewer (after quotes and a trailing backslash) or a shared folder.
    for (const wchar_t* value : {L"C:\\Tools\\App\\", L"C:\\Tools\\App\\bin"})
        EXPECT_TRUE(PathValueMatchesFolder(value, L"c:\\tools\\app", true, &kFolders)) << value;
    for (const wchar_t* value :
         {L"\\Tools\\App", L"E:\\Backup\\Tools\\App", L"C:\\Tools\\App\\..\\..\\Windows", L"C:\\Tools\\AppSuite",
          L"\"C:\\\""})
        EXPECT_FALSE(PathValueMatchesFolder(value, L"C:\\Tools\\App", true, &kFolders)) << value;
    // value, folder, ignore case, matches, an uninstall command rather than a location or icon file.
    const std::tuple<const wchar_t*, const wchar_t*, bool, bool, bool> cases[] = {
        {L"C:\\Tools\\App\\", L"c:\\tools\\app", false, false, false}, // 32-bit rules: exact case
        {L"\"C:\\Tools\\App\\uninst.exe\" /S", L"C:\\Tools\\App", true, true, true},
        {L"C:\\Tools\\uninst.exe", L"C:\\Tools\\App\\bin", true, true, true},
        // Unquoted: up to the first ".exe" that ends a word.
        {L"C:\\Program Files\\App\\uninst.exe", L"C:\\Program Files\\App", true, true, true},
        {L"C:\\Tools\\A.exeB\\uninst.exe /S", L"C:\\Tools\\Else", true, false, true},
        {L"C:\\Tools\\App\\uninst.exe/S /Q", L"C:\\Tools\\App", true, true, true},
        // Without ".exe" the program is the whole command, and only when it has no blank.
        {L"C:\\Tools\\App\\uninst", L"C:\\Tools\\App", true, true, true},
        {L"C:\\Tools\\App\\uninst /S", L"C:\\Tools\\App", true, false, true},
        // Only the program counts, not a folder named in its arguments; a bare name never.
        {L"\"D:\\Other\\uninst.exe\" C:\\Tools\\App", L"C:\\Tools\\App", true, false, true},
        {L"MsiExec.exe /X{0AB1C2D3-0000-0000-0000-000000000000}", L"C:\\Tools\\App", true, false, true},
        {L"C:\\Tools", L"C:\\Tools\\App\\bin", true, true, false},
        {L"C:\\Tools\\App", L"C:", true, false, false},
        {L"C:\\Program Files", L"C:\\Program Files\\App", true, false, false}};
    for (const auto& [value, folder, ignoreCase, matches, command] : cases)
        EXPECT_EQ(command ? CommandMatchesFolder(value, folder, ignoreCase, &kFolders)
                          : PathValueMatchesFolder(value, folder, ignoreCase, &kFolders),
                  matches)
            << value << L" / " << folder;
}

TEST(MatchesRecordTest, NameFirstThenLocationIconAndCommand) {
    // Names are compared case-sensitively, and one of three characters or fewer is in too many
    // display names; on 32-bit Windows only the install location counts, compared exactly; a
    // target in a shared folder matches by name only.
    // name, location, icon, command (empty: elsewhere), program name, folder, 64-bit, matches
    using Case = std::tuple<const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*,
                            const wchar_t*, bool, bool>;
    const wchar_t* own = L"\"C:\\Tools\\App\\uninst.exe\"";
    const wchar_t* otherProgram = L"\"C:\\Program Files (x86)\\Other\\uninst.exe\"";
    const Case cases[] = {
        {L"Sample Editor 3", L"", L"", L"", L"Sample Editor", L"E:\\Other", true, true},
        {L"sample editor 3", L"", L"", L"", L"Sample Editor", L"E:\\Other", true, false},
        {L"Mapper Suite", L"", L"", L"", L"App", L"E:\\Other", true, false},
        {L"Anything", L"", L"", L"", L"", L"E:\\Other", true, false},
        {L"X", L"C:\\TOOLS\\APP", L"", L"", L"Unrelated", L"C:\\Tools\\App", true, true},
        {L"X", L"", L"C:\\Tools\\App\\app.exe", L"", L"Unrelated", L"C:\\Tools\\App", true, true},
        {L"X", L"", L"", own, L"Unrelated", L"C:\\Tools\\App", true, true},
        {L"X", L"C:\\TOOLS\\APP", L"", L"", L"Unrelated", L"C:\\Tools\\App", false, false},
        {L"X", L"", L"", own, L"Unrelated", L"C:\\Tools\\App", false, false},
        {L"X", L"C:\\Tools\\App", L"", L"", L"Unrelated", L"C:\\Tools\\App", false, true},
        {L"Root Entry", L"C:\\", L"", L"", L"App", L"C:\\Tools\\App", true, false},
        {L"Other Program", L"C:\\Program Files\\Other", L"", otherProgram, L"App", L"C:\\Program Files", true, false},
        {L"Other Program", L"C:\\users\\tester\\Desktop\\x", L"", L"", L"App", L"C:\\users\\tester\\Desktop", true,
         false},
        {L"Other Program", L"C:\\Program Files\\Other", L"", L"", L"Other", L"C:\\Program Files", true, true}};
    for (const auto& [name, location, icon, command, programName, folder, on64Bit, matches] : cases) {
        SoftwareRecord record;
        record.displayName = name;
        record.installLocation = location;
        record.iconPath = icon;
        record.uninstallString = *command ? command : L"\"D:\\Elsewhere\\uninst.exe\"";
        const MatchCriteria criteria{
            programName, folder, LastPathComponent(folder), on64Bit, !kFolders.IsShared(folder), &kFolders};
        EXPECT_EQ(MatchesRecord(record, criteria), matches) << name << L" / " << folder << on64Bit;
    }
}

} // namespace
} // namespace tsu
