// The related-items analysis and the registry match on real shortcut files in the test prefix.

#include "smart/IntelligenceEngine.h"
#include "smart/SystemFolders.h"
#include "smart/core/AnalysisRules.h"
#include "tests/common/TestProcess.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/smart/ShortcutFiles.h"
#include "uninstall/engine/EngineMessages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace tsu {
namespace {

using test::RecordedMessage;
using Lines = std::vector<std::wstring>;

std::wstring Line(const wchar_t* description, const std::wstring& path) { return description + (L" " + path); }
Lines LinesOf(const std::vector<RelatedItem>& items) {
    Lines lines;
    for (const RelatedItem& item : items)
        lines.push_back(Line(item.description.c_str(), item.path));
    return lines;
}

// A program in a folder of its own with start-menu shortcuts in a vendor sub-folder and a link loop
// in both; what a test adds goes again (links first, so no removal walks through them).
class AnalysisTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test::CreateFolders(s_app + L"\\sub\\deeper") && test::CreateFolders(s_vendor + L"\\TsuApp"));
        for (const wchar_t* file : {L"\\app.exe", L"\\readme.txt", L"\\sub\\data.bin", L"\\sub\\deeper\\x.dat"})
            ASSERT_TRUE(test::WriteFileBytes(s_app + file, "x"));
        std::wstring upper = s_app + L"\\app.exe";
        std::transform(upper.begin(), upper.end(), upper.begin(), ::towupper);
        ASSERT_TRUE(test::CreateShortcut(s_vendor + L"\\TsuApp\\App.lnk", s_app + L"\\app.exe"));
        ASSERT_TRUE(test::CreateShortcut(s_vendor + L"\\Upper Case.LNK", upper));
        ASSERT_TRUE(test::CreateShortcut(s_vendor + L"\\Unrelated.lnk", L"C:\\windows\\system32\\notepad.exe"));
        ASSERT_TRUE(test::WriteFileBytes(s_vendor + L"\\notes.txt", "not a shortcut"));
        ASSERT_TRUE(test::CreateDirectoryLink(s_vendor + L"\\TsuApp\\loop", L".."));
        ASSERT_TRUE(test::CreateDirectoryLink(s_app + L"\\sub\\loop", L".."));
    }
    static void TearDownTestSuite() {
        test::RemoveDirectoryLink(s_vendor + L"\\TsuApp\\loop");
        test::RemoveDirectoryLink(s_app + L"\\sub\\loop");
        test::RemoveTree(s_app);
        test::RemoveTree(s_vendor);
    }
    void SetUp() override { ASSERT_TRUE(m_engine.SetOwnerWindow(m_page.Window())); }
    void TearDown() override {
        for (const std::wstring& link : m_links)
            test::RemoveDirectoryLink(link);
        for (const std::wstring& tree : m_trees)
            test::RemoveTree(tree);
        for (const std::wstring& path : m_files)
            ::DeleteFileW(path.c_str());
    }
    std::wstring File(const std::wstring& path) {
        EXPECT_TRUE(test::WriteFileBytes(path, "x")) << path;
        m_files.push_back(path);
        return path;
    }
    std::wstring DesktopShortcut(const std::wstring& tag, const std::wstring& target) {
        const std::wstring path = test::CommonDesktop() + L"\\" + test::UniqueName(tag) + L".lnk";
        EXPECT_TRUE(test::CreateShortcut(path, target)) << path;
        m_files.push_back(path);
        return path;
    }
    // Runs one analysis on the worker thread and waits for its end.
    void Analyze(IntelligenceEngine& engine, const std::wstring& path) {
        m_page.Clear();
        ASSERT_TRUE(engine.StartAnalysis(path));
        ASSERT_TRUE(m_page.WaitFor([](const std::vector<RecordedMessage>& messages) {
            return std::any_of(messages.begin(), messages.end(), [](const RecordedMessage& m) {
                return m.message == WM_ANALYSIS_STATE && m.lParam == kAnalysisFinished;
            });
        }));
        ASSERT_TRUE(test::WaitUntil([&] { return !engine.IsAnalysisRunning(); }));
    }

    static inline const std::wstring s_app = L"C:\\Tools\\" + test::UniqueName(L"TsuSmartApp");
    static inline const std::wstring s_vendor =
        std::wstring(IntelligenceEngine::kStartMenuRoot) + L"\\" + test::UniqueName(L"TsuSmartVendor");
    std::vector<std::wstring> m_files, m_trees, m_links;
    test::MessageRecorder m_page; // outlives the engine that sends to it
    IntelligenceEngine m_engine;
};

// Start-menu matches first, each followed by the folder that holds it; the unrelated shortcut, the
// plain file and the loops add nothing; the letter case of a target does not matter.
TEST_F(AnalysisTest, ProgramInItsOwnFolderListsEveryFileAndItsStartMenuShortcuts) {
    const std::wstring shortcut = DesktopShortcut(L"TsuSmartApp", s_app + L"\\app.exe");
    Analyze(m_engine, shortcut);
    EXPECT_EQ(m_engine.ProgramName(), test::UniqueName(L"TsuSmartApp"));
    Lines lines = LinesOf(m_engine.Items());
    ASSERT_EQ(lines.size(), 9u) << ::testing::PrintToString(lines);
    for (size_t i = 0; i < 4; i += 2)
        EXPECT_EQ(lines[i + 1], Line(kStartMenuShortcutText, ParentFolder(m_engine.Items()[i].path)));
    std::sort(lines.begin(), lines.begin() + 4);
    std::sort(lines.begin() + 5, lines.end());
    EXPECT_EQ(lines, (Lines{Line(kStartMenuShortcutText, s_vendor), Line(kStartMenuShortcutText, s_vendor + L"\\TsuApp"),
                            Line(kStartMenuShortcutText, s_vendor + L"\\TsuApp\\App.lnk"),
                            Line(kStartMenuShortcutText, s_vendor + L"\\Upper Case.LNK"),
                            Line(kDesktopShortcutText, shortcut), Line(kRelatedFileText, s_app + L"\\app.exe"),
                            Line(kRelatedFileText, s_app + L"\\readme.txt"),
                            Line(kRelatedFileText, s_app + L"\\sub\\data.bin"),
                            Line(kRelatedFileText, s_app + L"\\sub\\deeper\\x.dat")}));
    EXPECT_FALSE(m_engine.HasStandardUninstall());
}

// The Windows folder, Program Files, a drive root, the desktop of this or another account (with a
// neighbour file each), a folder, and a folder reached through a link: the target alone is listed.
TEST_F(AnalysisTest, TargetsInSharedOrLinkedFoldersAreListedAlone) {
    const std::wstring name = test::UniqueName(L"TsuSmartAlone");
    const std::wstring profile = ParentFolder(ParentFolder(test::CommonDesktop())) + L"\\" + name;
    const std::wstring linked = L"C:\\Tools\\" + name;
    ASSERT_TRUE(test::CreateFolders(profile + L"\\Desktop") && test::CreateFolders(linked + L"\\real\\App"));
    m_trees = {profile, linked};
    m_links = {linked + L"\\parent", linked + L"\\folder"};
    ASSERT_TRUE(test::CreateDirectoryLink(m_links[0], L"real") && test::CreateDirectoryLink(m_links[1], L"real/App"));
    for (const std::wstring& neighbour : {profile + L"\\Desktop\\sentinel.txt", test::CommonDesktop() + L"\\" + name +
                                          L".txt", linked + L"\\real\\App\\sentinel.txt", linked + L"\\real\\App\\app.exe"})
        File(neighbour);
    for (const std::wstring& target :
         {std::wstring(L"C:\\windows\\system32\\notepad.exe"), std::wstring(L"C:\\WINDOWS\\SYSTEM32\\NOTEPAD.EXE"),
          File(L"C:\\Program Files\\" + name + L".exe"), File(L"C:\\" + name + L".exe"),
          File(test::CommonDesktop() + L"\\" + name + L".exe"), File(profile + L"\\Desktop\\app.exe"), s_app,
          linked + L"\\parent\\App\\app.exe", linked + L"\\folder\\app.exe"}) {
        const std::wstring shortcut = DesktopShortcut(L"TsuSmartAlone", target);
        Analyze(m_engine, shortcut);
        const std::wstring& resolved = m_engine.TargetPath();
        EXPECT_TRUE(resolved == target || test::FileExists(resolved)) << resolved;
        EXPECT_EQ(LinesOf(m_engine.Items()), (Lines{Line(kDesktopShortcutText, shortcut), Line(kRelatedFileText, resolved)}));
        EXPECT_FALSE(m_engine.HasStandardUninstall());
        const auto messages = m_page.Messages();
        ASSERT_EQ(messages.size(), 2u) << test::Describe(messages);
        EXPECT_EQ(messages[0].lParam, kAnalysisStarted);
        EXPECT_EQ(messages[0].text, resolved);
        EXPECT_EQ(messages[1].lParam, kAnalysisFinished);
    }
}

// The guards see one spelling of a path however the shortcut writes it; another machine's share, a
// missing target, and the drive root and Program Files spelt another way are never scanned.
TEST_F(AnalysisTest, EverySpellingOfAPathMeetsTheSameGuards) {
    const SharedFolders shared = QuerySharedFolders();
    const std::wstring inC = s_app.substr(3) + L"\\app.exe"; // "Tools\\...\\app.exe"
    const std::wstring shortApp = test::ShortSpelling(s_app);
    ASSERT_NE(shortApp, s_app);
    std::wstring slashes = L"c:/" + inC;
    std::replace(slashes.begin(), slashes.end(), L'\\', L'/');
    for (const std::wstring& spelling : {s_app + L"\\app.exe", slashes, L"C:\\.\\Tools.\\..\\" + inC, L"\\\\?\\C:\\" + inC,
                                         L"\\\\localhost\\C$\\" + inC, L"\\\\127.0.0.1\\c$\\" + inC, shortApp + L"\\app.exe"})
        EXPECT_EQ(ProgramFolderToScan(spelling, shared).value_or(L"<none>"), s_app) << spelling;
    for (const wchar_t* system : {L"C:\\Windows.\\system32\\notepad.exe", L"c:/tools/../windows/notepad.exe",
                                  L"\\\\?\\C:\\windows\\notepad.exe", L"\\\\localhost\\C$\\windows\\notepad.exe"})
        EXPECT_TRUE(IsSystemProgram(system, shared)) << system;
    const std::wstring name = test::UniqueName(L"TsuSmartSpelt") + L".exe";
    File(L"C:\\" + name);
    File(L"C:\\Program Files\\" + name);
    for (const std::wstring& unscanned : {std::wstring(L"\\\\otherhost\\share\\app.exe"), s_app + L"\\missing.exe",
                                          L"C:\\Tools\\..\\" + name, L"\\\\localhost\\c$\\" + name,
                                          test::ShortSpelling(L"C:\\Program Files") + L"\\" + name})
        EXPECT_FALSE(ProgramFolderToScan(unscanned, shared).has_value()) << unscanned;
}

// A text file, a corrupt link, a link to no file, a link whose target is longer than MAX_PATH: no
// items, or never a cut target (which would name a folder above it).
TEST_F(AnalysisTest, UnusableDropsFinishWithoutItems) {
    const std::wstring base = test::CommonDesktop() + L"\\" + test::UniqueName(L"TsuSmartUnusable");
    m_files = {base + L".txt", base + L"_corrupt.lnk", base + L"_nothing.lnk", base + L"_long.lnk"};
    std::string longTarget = "C:\\TsuLongTarget";
    while (longTarget.size() < 300)
        longTarget += "\\abcdefghijklmnopqrstuvwxyz";
    longTarget += "\\app.exe";
    const std::wstring wideTarget(longTarget.begin(), longTarget.end());
    ASSERT_TRUE(test::WriteFileBytes(m_files[0], "just text"));
    ASSERT_TRUE(test::WriteFileBytes(m_files[1], std::string("L\0\0\0\x01\x14\x02garbage", 14)));
    ASSERT_TRUE(test::CreateShortcutToNothing(m_files[2]));
    ASSERT_TRUE(test::WriteLongTargetShortcut(m_files[3], longTarget));
    const std::wstring resolved = IntelligenceEngine::ResolveShortcut(m_files[3]);
    EXPECT_TRUE(resolved.empty() || resolved == wideTarget) << resolved.size();
    for (const std::wstring& path : std::vector<std::wstring>(m_files)) {
        Analyze(m_engine, path);
        for (const RelatedItem& item : m_engine.Items())
            EXPECT_TRUE(path == m_files[3] && (item.path == path || item.path == wideTarget))
                << item.path.size() << L" " << path;
        EXPECT_FALSE(m_engine.HasStandardUninstall());
        if (path != m_files[3])
            EXPECT_EQ(m_page.Messages().size(), 1u) << test::Describe(m_page.Messages()); // finished only
    }
}

// The real limit takes too long to fill under Wine (each new name is looked up in the whole folder);
// the engine takes a smaller one. The limit itself is still listed.
TEST_F(AnalysisTest, AFolderOfMoreFilesThanTheLimitListsOnlyShortcutAndTarget) {
    const std::wstring folder = L"C:\\Tools\\" + test::UniqueName(L"TsuSmartMany");
    ASSERT_TRUE(test::CreateFolders(folder + L"\\sub"));
    m_trees.push_back(folder);
    const std::wstring target = File(folder + L"\\app.exe");
    IntelligenceEngine engine(InventoryLocations::Default(), 3);
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    for (const auto& [more, count] : {std::pair{L"\\sub\\1", 3u}, {L"\\sub\\2", 4u}, {L"\\sub\\3", 2u}}) {
        File(folder + more);
        Analyze(engine, DesktopShortcut(L"TsuSmartMany", target));
        EXPECT_EQ(engine.Items().size(), count) << more;
    }
    EXPECT_EQ(engine.Items().back().path, target);
}

TEST_F(AnalysisTest, AnAnalysisWhileOneRunsIsRefused) {
    const std::wstring shortcut = DesktopShortcut(L"TsuSmartBusy", s_app + L"\\app.exe");
    const test::NamedEvent release(L"TsuSmartBusy");
    m_page.SetHook([&](const RecordedMessage& message) {
        if (message.message == WM_ANALYSIS_STATE && message.lParam == kAnalysisStarted)
            (void)release.WaitFor();
    });
    ASSERT_TRUE(m_engine.StartAnalysis(shortcut));
    ASSERT_TRUE(m_page.WaitForCount(WM_ANALYSIS_STATE, 1));
    EXPECT_FALSE(m_engine.StartAnalysis(shortcut));
    release.Set();
    ASSERT_TRUE(m_page.WaitForCount(WM_ANALYSIS_STATE, 2));
    m_page.SetHook(nullptr);
    // The engine takes a new drop once the running analysis has ended.
    ASSERT_TRUE(test::WaitUntil([&] { return m_engine.StartAnalysis(shortcut); }));
    ASSERT_TRUE(m_page.WaitForCount(WM_ANALYSIS_STATE, 4));
}

// The owner window lives on this thread: the worker's messages can only be handled while the
// destructor waits.
TEST_F(AnalysisTest, DestroyingTheEngineWaitsForItsWorkerEvenWhenItSendsToThisThread) {
    const std::wstring shortcut = DesktopShortcut(L"TsuSmartGone", s_app + L"\\app.exe");
    static int received;
    received = 0;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        received += message == WM_ANALYSIS_STATE ? 1 : 0;
        return message == WM_ANALYSIS_STATE ? 1 : ::DefWindowProcW(window, message, wParam, lParam);
    };
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TsuSmartLocalOwner";
    (void)::RegisterClassW(&windowClass);
    const HWND owner = ::CreateWindowW(L"TsuSmartLocalOwner", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       windowClass.hInstance, nullptr);
    ASSERT_NE(owner, nullptr);
    {
        IntelligenceEngine engine;
        ASSERT_TRUE(engine.SetOwnerWindow(owner));
        ASSERT_TRUE(engine.StartAnalysis(shortcut));
    } // destroyed at once, while its worker runs
    EXPECT_EQ(received, 2);
    ::DestroyWindow(owner);
}

// The display name first, then the location, in any spelling of the target; never an entry located
// in the drive root or in a sibling folder that merely starts like the program's; with no dot in the
// shortcut's name no display name. A reader that fails leaves nothing offered.
TEST_F(AnalysisTest, TheRegistryMatchTakesTheProgramsOwnEntry) {
    test::ScratchInventory inventory(L"TsuSmartMatch");
    const std::wstring named = L"AAB " + test::UniqueName(L"TsuSmartNamed") + L" Suite";
    const std::wstring other = L"C:\\Tools\\" + test::UniqueName(L"TsuSmartOther");
    ASSERT_TRUE(test::CreateFolders(other));
    m_trees.push_back(other);
    const std::wstring noDot = test::CommonDesktop() + L"\\" + test::UniqueName(L"TsuSmartNoDot");
    ASSERT_TRUE(test::CreateShortcut(noDot, File(other + L"\\other.exe")));
    m_files.push_back(noDot);
    for (const auto& [key, name, location] : {std::tuple{L"Root", L"AAA Root Entry", std::wstring(L"C:\\")},
                                              {L"Sibling", L"BBB Sibling", s_app + L"Suite"},
                                              {L"Own", L"Zed Program", s_app + L"\\"}, {L"Named", named.c_str(), L""}}) {
        (void)test::WriteScratchEntry(inventory.entries, key, name, L"\"D:\\x\\uninst.exe\"");
        ASSERT_TRUE(location.empty() || inventory.entries.SetString(key, L"InstallLocation", location));
    }
    ASSERT_TRUE(inventory.entries.SetString(L"Root", L"DisplayIcon", L"\"C:\\\",0"));
    IntelligenceEngine engine(inventory.Locations());
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    for (const auto& [shortcut, match] :
         {std::pair{noDot, std::wstring()}, {DesktopShortcut(L"TsuSmartMatch", s_app + L"\\app.exe"), L"Zed Program"},
          {DesktopShortcut(L"TsuSmartShort", test::ShortSpelling(s_app) + L"\\app.exe"), L"Zed Program"},
          {DesktopShortcut(L"TsuSmartNamed", s_app + L"\\app.exe"), named}}) {
        Analyze(engine, shortcut);
        EXPECT_EQ(engine.HasStandardUninstall() ? engine.MatchedRecord().displayName : L"", match) << shortcut;
    }
    EXPECT_TRUE(engine.MatchRegistryEntry()); // callable on its own as well

    IntelligenceEngine failing([](auto&&...) -> InventoryResult { throw std::runtime_error("unreadable"); },
                               IntelligenceEngine::kMaxRelatedFiles);
    ASSERT_TRUE(failing.SetOwnerWindow(m_page.Window()));
    Analyze(failing, DesktopShortcut(L"TsuSmartFail", s_app + L"\\app.exe"));
    EXPECT_EQ(OnlyOf(m_page.Messages(), WM_ANALYSIS_STATE).size(), 2u);
    EXPECT_TRUE(failing.Items().empty());
    EXPECT_FALSE(failing.HasStandardUninstall());
}

} // namespace
} // namespace tsu
