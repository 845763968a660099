#include "smart/core/AnalysisRules.h"
#include "smart/core/CanonicalPathText.h"
#include "smart/core/ItemIdentity.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

#define PROGRAMS L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"

TEST(AnalysisRulesTest, PathParts) {
    const std::pair<const wchar_t*, const wchar_t*> names[] = {{L"C:\\Users\\u\\Desktop\\App 2.0.lnk", L"App 2"},
                                                               {L"C:\\Users\\u\\Desktop\\NoExtension", L""},
                                                               {L"App.lnk", L""}, // no folder part
                                                               {L"C:\\d.x\\.hidden.lnk", L""},
                                                               {L"C:\\Desktop\\应用程序.lnk", L"应用程序"}};
    for (const auto& [shortcut, name] : names)
        EXPECT_EQ(ProgramNameFromShortcut(shortcut), name) << shortcut;
    EXPECT_EQ(ParentFolder(L"C:\\Tools\\App\\app.exe"), L"C:\\Tools\\App");
    EXPECT_EQ(ParentFolder(L"C:\\app.exe"), L"C:");
    EXPECT_EQ(ParentFolder(L"app.exe"), L"");
    EXPECT_EQ(LastPathComponent(L"C:\\Program Files (x86)"), L"Program Files (x86)");
    EXPECT_EQ(LastPathComponent(L"C:"), L"");
    EXPECT_TRUE(HasShortcutExtension(L"C:\\x\\App.LNK"));
    for (const wchar_t* other : {L"C:\\x\\App.lnk.txt", L"C:\\x.lnk\\readme.txt", L".lnk"})
        EXPECT_FALSE(HasShortcutExtension(other)) << other;
}

TEST(AnalysisRulesTest, StartMenuFolderItemIsTheFolderHoldingTheShortcut) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {PROGRAMS L"\\App.lnk", nullptr},
        {PROGRAMS L"\\Vendor\\App.lnk", PROGRAMS L"\\Vendor"},
        {PROGRAMS L"\\Vendor\\App\\App.lnk", PROGRAMS L"\\Vendor\\App"},
        {PROGRAMS L"\\Programs Extra\\App.lnk", PROGRAMS L"\\Programs Extra"},
        {L"C:\\Elsewhere\\App.lnk", nullptr},
        {PROGRAMS, nullptr}};
    for (const auto& [shortcut, folder] : cases)
        EXPECT_EQ(StartMenuFolderItem(shortcut).value_or(L"<none>"), folder ? folder : L"<none>") << shortcut;
}

TEST(AnalysisRulesTest, OneSpellingPerPath) {
    // nullptr: no local or network path the text can name.
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\Tools\\App\\app.exe", L"C:\\Tools\\App\\app.exe"}, {L"c:/Tools//App/", L"C:\\Tools\\App"},
        {L"a:\\x", L"A:\\x"}, {L"C:\\Windows.\\", L"C:\\Windows"}, {L"C:\\.\\", L"C:\\"},
        {L"C:\\Windows \\System32. .\\x.exe", L"C:\\Windows\\System32\\x.exe"},
        {L"C:\\Tools\\..\\..\\Windows\\.\\x.exe", L"C:\\Windows\\x.exe"},
        {L"\\\\?\\C:\\Windows\\x.exe", L"C:\\Windows\\x.exe"}, {L"\\??\\d:\\x", L"D:\\x"},
        {L"\\\\?\\UNC\\server\\share\\App", L"\\\\server\\share\\App"},
        {L"\\\\localhost\\C$\\Windows", L"C:\\Windows"}, {L"\\\\127.0.0.1\\c$\\x", L"C:\\x"},
        {L"\\\\::1\\d$", L"D:\\"}, {L"\\\\.\\c$\\x", L"C:\\x"}, {L"\\\\MyPc\\c$\\x", L"C:\\x"},
        {L"//mypc.example.org/C$/x", L"C:\\x"}, {L"\\\\otherpc\\C$\\x", L"\\\\otherpc\\C$\\x"},
        {L"\\\\localhost\\Tools\\x", L"\\\\localhost\\Tools\\x"},
        {L"\\\\server\\share\\..\\..\\x", L"\\\\server\\share\\x"},
        {L"\\\\.\\PhysicalDrive0", L"\\\\.\\PhysicalDrive0"}, {L"\\\\?\\Volume{1}\\x", nullptr},
        {L"C:x.exe", nullptr}, {L"1:\\x", nullptr}, {L"\\\\?\\C:", nullptr}, {L"Tools\\x", nullptr}, {L"\\Tools\\x", nullptr},
        {L"\\\\server", nullptr}, {L"C:\\a\\...\\b", nullptr}, {L"C:\\a\\x.exe:stream", nullptr},
        {L"C:\\a\\x\x01.exe", nullptr}, {L"", nullptr}};
    for (const auto& [path, canonical] : cases)
        EXPECT_EQ(CanonicalPathText(path, {L"MYPC", L"mypc.example.org"}).value_or(L"<none>"),
                  canonical ? canonical : L"<none>")
            << path;
}

TEST(ItemIdentityTest, FinalNamesBecomeItemPaths) {
    EXPECT_EQ(PathFromFinalName(L"\\\\?\\C:\\Tools\\App\\a.dll"), L"C:\\Tools\\App\\a.dll");
    EXPECT_EQ(PathFromFinalName(L"\\\\?\\UNC\\server\\share\\a.dll"), L"\\\\server\\share\\a.dll");
    EXPECT_EQ(PathFromFinalName(L"C:\\x"), L"C:\\x");
    EXPECT_EQ(PathFromFinalName(L"\\\\?\\Volume{1}\\x"), L"\\\\?\\Volume{1}\\x"); // no drive: left alone
}

TEST(ItemIdentityTest, OnlyTheSameFileInItsPlace) {
    struct Case {
        FileIdentity now;
        const wchar_t* finalPathNow;
        const wchar_t* scopeRoot;
        bool analysed;
    };
    // Other file or volume; reached through a link out of the folder or into a look-alike; without a
    // scope the item must be where it was (letter case aside).
    const Case cases[] = {{{7, 42}, L"C:\\Tools\\App\\data.bin", L"C:\\Tools\\App", true},
                          {{7, 43}, L"C:\\Tools\\App\\sub\\data.bin", L"C:\\Tools\\App", false},
                          {{8, 42}, L"C:\\Tools\\App\\sub\\data.bin", L"C:\\Tools\\App", false},
                          {{7, 42}, L"C:\\Sentinel\\data.bin", L"C:\\Tools\\App", false},
                          {{7, 42}, L"C:\\Tools\\AppX\\data.bin", L"C:\\Tools\\App", false},
                          {{7, 42}, L"C:\\Tools\\App", L"C:\\Tools\\App", false},
                          {{7, 42}, L"c:\\tools\\app\\SUB\\data.bin", L"", true},
                          {{7, 42}, L"C:\\Tools\\App\\data.bin", L"", false},
                          {{7, 42}, L"", L"", false}};
    for (const Case& c : cases) {
        const ItemRecord record{FileIdentity{7, 42}, L"C:\\Tools\\App\\sub\\data.bin", c.scopeRoot};
        EXPECT_EQ(IsAnalysedItem(record, c.now, c.finalPathNow), c.analysed) << c.finalPathNow << c.now.fileIndex;
    }
}

TEST(AnalysisRulesTest, DeleteResultCode) {
    EXPECT_EQ(DeleteResultCode(0, 0), kDeleteNone);
    EXPECT_EQ(DeleteResultCode(0, 3), kDeleteNone);
    EXPECT_EQ(DeleteResultCode(2, 0), kDeleteAll);
    EXPECT_EQ(DeleteResultCode(2, 1), kDeletePartial);
}

} // namespace
} // namespace tsu
