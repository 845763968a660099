// The related-items analysis on real shortcut files in the test prefix: the desktop, the all-users
// start menu and its sub-folders, programs in the Windows folder, directly in Program Files and in
// a folder of their own.

#include "framework/Encoding.h"
#include "smart/IntelligenceEngine.h"
#include "smart/SystemFolders.h"
#include "smart/core/AnalysisRules.h"
#include "tests/common/TestProcess.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/smart/ShortcutFiles.h"
#include "uninstall/engine/EngineMessages.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tsu {
namespace {

using test::RecordedMessage;

const std::wstring kPrograms = IntelligenceEngine::kStartMenuRoot;

std::vector<std::wstring> Lines(const std::vector<RelatedItem>& items) {
    std::vector<std::wstring> lines;
    for (const RelatedItem& item : items)
        lines.push_back(item.description + L" " + item.path);
    return lines;
}

std::wstring Joined(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const std::wstring& line : lines)
        text += L"\n  " + line;
    return text;
}

std::wstring Related(const std::wstring& path) {
    return std::wstring(kRelatedFileText) + L" " + path;
}
std::wstring Desktop(const std::wstring& path) {
    return std::wstring(kDesktopShortcutText) + L" " + path;
}
std::wstring StartMenu(const std::wstring& path) {
    return std::wstring(kStartMenuShortcutText) + L" " + path;
}

// The page's side of an analysis: a recording owner window and shortcut files removed afterwards.
class SmartPageTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::wstring& path : m_cleanup) {
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileW(path.c_str());
        }
    }

    static std::wstring DesktopFolder() { return test::CommonDesktop() + L"\\"; }

    std::wstring DesktopShortcut(const std::wstring& name, const std::wstring& target) {
        const std::wstring path = DesktopFolder() + name;
        EXPECT_TRUE(test::CreateShortcut(path, target)) << path;
        m_cleanup.push_back(path);
        return path;
    }

    // Runs one analysis on the worker thread and waits for its end.
    void AnalyzeOnWorker(IntelligenceEngine& engine, const std::wstring& path) {
        m_page.Clear();
        ASSERT_TRUE(engine.StartAnalysis(path));
        ASSERT_TRUE(m_page.WaitFor([](const std::vector<RecordedMessage>& messages) {
            return std::any_of(messages.begin(), messages.end(), [](const RecordedMessage& m) {
                return m.message == WM_ANALYSIS_STATE && m.lParam == kAnalysisFinished;
            });
        }));
        ASSERT_TRUE(test::WaitUntil([&] { return !engine.IsAnalysisRunning(); }));
    }

    std::vector<std::wstring> m_cleanup;
    test::MessageRecorder m_page;
};

// A program in a folder of its own, with start-menu shortcuts in a vendor sub-folder.
class AnalysisTest : public SmartPageTest {
protected:
    static void SetUpTestSuite() {
        s_app = L"C:\\Tools\\" + test::UniqueName(L"TsuSmartApp");
        s_vendor = kPrograms + L"\\" + test::UniqueName(L"TsuSmartVendor");
        s_desktop = DesktopFolder();
        ASSERT_TRUE(test::CreateFolders(s_app + L"\\sub\\deeper"));
        for (const wchar_t* file : {L"\\app.exe", L"\\readme.txt", L"\\sub\\data.bin", L"\\sub\\deeper\\x.dat"})
            ASSERT_TRUE(test::WriteFileBytes(s_app + file, "x"));
        ASSERT_TRUE(test::CreateFolders(s_vendor + L"\\TsuApp"));
        ASSERT_TRUE(test::CreateShortcut(s_vendor + L"\\TsuApp\\App.lnk", s_app + L"\\app.exe"));
        ASSERT_TRUE(test::CreateShortcut(s_vendor + L"\\Upper Case.LNK", ToUpper(s_app + L"\\app.exe")));
        ASSERT_TRUE(test::CreateShortcut(s_vendor + L"\\Unrelated.lnk", L"C:\\windows\\system32\\notepad.exe"));
        ASSERT_TRUE(test::WriteFileBytes(s_vendor + L"\\notes.txt", "not a shortcut"));
        // A loop in the start menu and one in the program's folder.
        ASSERT_TRUE(test::CreateDirectoryLink(s_vendor + L"\\TsuApp\\loop", L".."));
        ASSERT_TRUE(test::CreateDirectoryLink(s_app + L"\\sub\\loop", L".."));
    }
    static void TearDownTestSuite() {
        // The links first, so that the tree removal never walks through them.
        test::RemoveDirectoryLink(s_vendor + L"\\TsuApp\\loop");
        test::RemoveDirectoryLink(s_app + L"\\sub\\loop");
        test::RemoveTree(s_app);
        test::RemoveTree(s_vendor);
    }

    static std::wstring ToUpper(std::wstring text) {
        std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return ::towupper(c); });
        return text;
    }

    static std::wstring s_app;
    static std::wstring s_vendor;
    static std::wstring s_desktop;
};
std::wstring AnalysisTest::s_app;
std::wstring AnalysisTest::s_vendor;
std::wstring AnalysisTest::s_desktop;

TEST_F(AnalysisTest, ProgramInTheWindowsFolderListsShortcutAndTargetOnly) {
    IntelligenceEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    for (const wchar_t* target : {L"C:\\windows\\system32\\notepad.exe", L"C:\\WINDOWS\\SYSTEM32\\NOTEPAD.EXE"}) {
        const std::wstring shortcut = DesktopShortcut(test::UniqueName(L"TsuSmartNotepad") + L".lnk", target);
        AnalyzeOnWorker(engine, shortcut);
        EXPECT_TRUE(engine.TargetPath() == target || test::FileExists(engine.TargetPath()));
        EXPECT_EQ(Lines(engine.Items()), (std::vector<std::wstring>{Desktop(shortcut), Related(engine.TargetPath())}));
        EXPECT_FALSE(engine.HasStandardUninstall());
        const auto messages = m_page.Messages();
        ASSERT_EQ(messages.size(), 2u) << test::Describe(messages);
        EXPECT_EQ(messages[0].lParam, kAnalysisStarted);
        EXPECT_EQ(messages[0].text, engine.TargetPath());
        EXPECT_EQ(messages[1].lParam, kAnalysisFinished);
    }
}

TEST_F(AnalysisTest, ProgramInItsOwnFolderListsEveryFileAndItsStartMenuShortcuts) {
    const std::wstring shortcut = DesktopShortcut(test::UniqueName(L"TsuSmartApp") + L".lnk", s_app + L"\\app.exe");
    IntelligenceEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    AnalyzeOnWorker(engine, shortcut);

    EXPECT_EQ(engine.TargetPath(), s_app + L"\\app.exe");
    EXPECT_EQ(engine.ProgramName(), test::UniqueName(L"TsuSmartApp"));
    const std::vector<std::wstring> lines = Lines(engine.Items());
    // Start-menu matches first, each followed by the folder that holds it; the unrelated shortcut,
    // the plain file and the loop add nothing. The letter case of a target does not matter.
    std::vector<std::wstring> startMenu(lines.begin(), lines.begin() + std::min<size_t>(lines.size(), 4));
    std::sort(startMenu.begin(), startMenu.end());
    std::vector<std::wstring> expectedStartMenu = {StartMenu(s_vendor), StartMenu(s_vendor + L"\\TsuApp"),
                                                   StartMenu(s_vendor + L"\\TsuApp\\App.lnk"),
                                                   StartMenu(s_vendor + L"\\Upper Case.LNK")};
    std::sort(expectedStartMenu.begin(), expectedStartMenu.end());
    EXPECT_EQ(startMenu, expectedStartMenu) << Joined(lines);
    for (size_t i = 0; i + 1 < 4 && i + 1 < lines.size(); i += 2)
        EXPECT_EQ(lines[i + 1], StartMenu(ParentFolder(engine.Items()[i].path))) << Joined(lines);

    ASSERT_EQ(lines.size(), 9u) << Joined(lines);
    EXPECT_EQ(lines[4], Desktop(shortcut));
    std::vector<std::wstring> files(lines.begin() + 5, lines.end());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::wstring>{Related(s_app + L"\\app.exe"), Related(s_app + L"\\readme.txt"),
                                                Related(s_app + L"\\sub\\data.bin"),
                                                Related(s_app + L"\\sub\\deeper\\x.dat")}));
    EXPECT_FALSE(engine.HasStandardUninstall());
}

TEST_F(AnalysisTest, ProgramDirectlyInProgramFilesListsOnlyItsOwnFile) {
    const std::wstring target = L"C:\\Program Files\\" + test::UniqueName(L"TsuSmartDirect") + L".exe";
    ASSERT_TRUE(test::WriteFileBytes(target, "x"));
    m_cleanup.push_back(target);
    const std::wstring startMenuLink = kPrograms + L"\\" + test::UniqueName(L"TsuSmartDirect") + L".lnk";
    ASSERT_TRUE(test::CreateShortcut(startMenuLink, target));
    m_cleanup.push_back(startMenuLink);
    const std::wstring shortcut = DesktopShortcut(test::UniqueName(L"TsuSmartDirect") + L".lnk", target);

    IntelligenceEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    AnalyzeOnWorker(engine, shortcut);
    // A shortcut directly in "Programs" adds no folder item.
    EXPECT_EQ(Lines(engine.Items()),
              (std::vector<std::wstring>{StartMenu(startMenuLink), Desktop(shortcut), Related(target)}));
}

TEST_F(AnalysisTest, ShortcutToAFolderListsTheFolderAloneNeverItsContent) {
    const std::wstring shortcut = DesktopShortcut(test::UniqueName(L"TsuSmartFolder") + L".lnk", s_app);
    IntelligenceEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    AnalyzeOnWorker(engine, shortcut);
    EXPECT_EQ(Lines(engine.Items()), (std::vector<std::wstring>{Desktop(shortcut), Related(s_app)}));
}

TEST_F(AnalysisTest, ProgramsInSharedFoldersNeverListTheirNeighbours) {
    // Directly on the desktop: the desktop's other files are not the program's.
    const std::wstring target = s_desktop + test::UniqueName(L"TsuSmartOnDesktop") + L".exe";
    ASSERT_TRUE(test::WriteFileBytes(target, "x"));
    m_cleanup.push_back(target);
    const std::wstring neighbour = s_desktop + test::UniqueName(L"TsuSmartNeighbour") + L".txt";
    ASSERT_TRUE(test::WriteFileBytes(neighbour, "x"));
    m_cleanup.push_back(neighbour);
    const std::wstring shortcut = DesktopShortcut(test::UniqueName(L"TsuSmartOnDesktop") + L".lnk", target);
    IntelligenceEngine engine;
    (void)engine.SetOwnerWindow(m_page.Window());
    AnalyzeOnWorker(engine, shortcut);
    EXPECT_EQ(Lines(engine.Items()), (std::vector<std::wstring>{Desktop(shortcut), Related(target)}));

    // Directly in a drive root.
    const std::wstring rootTarget = L"C:\\" + test::UniqueName(L"TsuSmartRoot") + L".exe";
    ASSERT_TRUE(test::WriteFileBytes(rootTarget, "x"));
    m_cleanup.push_back(rootTarget);
    const std::wstring rootShortcut = DesktopShortcut(test::UniqueName(L"TsuSmartRoot") + L".lnk", rootTarget);
    AnalyzeOnWorker(engine, rootShortcut);
    EXPECT_EQ(Lines(engine.Items()), (std::vector<std::wstring>{Desktop(rootShortcut), Related(rootTarget)}));

    // On the desktop of another account than the one the tool runs as.
    const std::wstring profile =
        ParentFolder(ParentFolder(test::CommonDesktop())) + L"\\" + test::UniqueName(L"TsuOtherUser");
    const std::wstring otherTarget = profile + L"\\Desktop\\app.exe";
    ASSERT_TRUE(test::CreateFolders(profile + L"\\Desktop"));
    ASSERT_TRUE(test::WriteFileBytes(otherTarget, "x"));
    ASSERT_TRUE(test::WriteFileBytes(profile + L"\\Desktop\\sentinel.txt", "x"));
    const std::wstring otherShortcut = DesktopShortcut(test::UniqueName(L"TsuSmartOther") + L".lnk", otherTarget);
    AnalyzeOnWorker(engine, otherShortcut);
    EXPECT_EQ(Lines(engine.Items()), (std::vector<std::wstring>{Desktop(otherShortcut), Related(otherTarget)}));
    test::RemoveTree(profile);
}

// The guards see one spelling of a path however the shortcut writes it.
TEST_F(AnalysisTest, EverySpellingOfAPathMeetsTheSameGuards) {
    const SharedFolders shared = QuerySharedFolders();
    const std::wstring inC = s_app.substr(3) + L"\\app.exe"; // "Tools\\...\\app.exe"
    const std::wstring shortApp = test::ShortSpelling(s_app);
    ASSERT_NE(shortApp, s_app);
    std::wstring slashes = L"c:/" + inC;
    std::replace(slashes.begin(), slashes.end(), L'\\', L'/');
    for (const std::wstring& spelling :
         {s_app + L"\\app.exe", slashes, L"C:\\.\\Tools.\\..\\" + inC, L"\\\\?\\C:\\" + inC,
          L"\\\\localhost\\C$\\" + inC, L"\\\\127.0.0.1\\c$\\" + inC, shortApp + L"\\app.exe"})
        EXPECT_EQ(ProgramFolderToScan(spelling, shared).value_or(L"<none>"), s_app) << spelling;
    for (const wchar_t* system : {L"C:\\Windows.\\system32\\notepad.exe", L"c:/tools/../windows/notepad.exe",
                                  L"\\\\?\\C:\\windows\\notepad.exe", L"\\\\localhost\\C$\\windows\\notepad.exe"})
        EXPECT_TRUE(IsSystemProgram(system, shared)) << system;
    // Another machine's share, a missing target, and the drive root and Program Files spelt another
    // way are never scanned.
    const std::wstring name = test::UniqueName(L"TsuSmartSpelt") + L".exe";
    ASSERT_TRUE(test::WriteFileBytes(L"C:\\" + name, "x"));
    ASSERT_TRUE(test::WriteFileBytes(L"C:\\Program Files\\" + name, "x"));
    m_cleanup.insert(m_cleanup.end(), {L"C:\\" + name, L"C:\\Program Files\\" + name});
    for (const std::wstring& unscanned :
         {std::wstring(L"\\\\otherhost\\share\\app.exe"), s_app + L"\\missing.exe", L"C:\\Tools\\..\\" + name,
          L"\\\\localhost\\c$\\" + name, test::ShortSpelling(L"C:\\Program Files") + L"\\" + name})
        EXPECT_FALSE(ProgramFolderToScan(unscanned, shared).has_value()) << unscanned;
}

// A link above the program's folder, or the folder itself a link: the files behind it are not
// listed, whatever they are.
TEST_F(SmartPageTest, NoScanThroughAFolderLink) {
    const std::wstring base = L"C:\\Tools\\" + test::UniqueName(L"TsuSmartLinked");
    ASSERT_TRUE(test::CreateFolders(base + L"\\real\\App"));
    ASSERT_TRUE(test::WriteFileBytes(base + L"\\real\\App\\app.exe", "x"));
    ASSERT_TRUE(test::WriteFileBytes(base + L"\\real\\App\\sentinel.txt", "x"));
    ASSERT_TRUE(test::CreateDirectoryLink(base + L"\\parent", L"real"));
    ASSERT_TRUE(test::CreateDirectoryLink(base + L"\\folder", L"real/App"));
    IntelligenceEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    for (const std::wstring& target : {base + L"\\parent\\App\\app.exe", base + L"\\folder\\app.exe"}) {
        const std::wstring shortcut = DesktopShortcut(test::UniqueName(L"TsuSmartLinked") + L".lnk", target);
        AnalyzeOnWorker(engine, shortcut);
        EXPECT_EQ(Lines(engine.Items()), (std::vector<std::wstring>{Desktop(shortcut), Related(target)}));
    }
    test::RemoveDirectoryLink(base + L"\\parent");
    test::RemoveDirectoryLink(base + L"\\folder");
    test::RemoveTree(base);
}

struct UnusableCase {
    const char* name;
    int kind; // 0 text file, 1 corrupt link, 2 link to nothing
};

class UnusableDropTest : public SmartPageTest, public ::testing::WithParamInterface<UnusableCase> {};

TEST_P(UnusableDropTest, FinishesWithoutItems) {
    const std::wstring path = DesktopFolder() + test::UniqueName(L"TsuSmartUnusable") + L"_" +
                              std::to_wstring(GetParam().kind) + (GetParam().kind == 0 ? L".txt" : L".lnk");
    m_cleanup.push_back(path);
    switch (GetParam().kind) {
    case 0:
        ASSERT_TRUE(test::WriteFileBytes(path, "just text"));
        break;
    case 1:
        ASSERT_TRUE(test::WriteFileBytes(path, std::string("L\0\0\0\x01\x14\x02garbage", 14)));
        break;
    default:
        ASSERT_TRUE(test::CreateShortcutToNothing(path));
        break;
    }
    IntelligenceEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    AnalyzeOnWorker(engine, path);
    EXPECT_TRUE(engine.Items().empty()) << Joined(Lines(engine.Items()));
    EXPECT_FALSE(engine.HasStandardUninstall());
    const auto messages = m_page.Messages();
    ASSERT_EQ(messages.size(), 1u) << test::Describe(messages);
    EXPECT_EQ(messages[0].lParam, kAnalysisFinished);
}

INSTANTIATE_TEST_SUITE_P(Drops, UnusableDropTest,
                         ::testing::Values(UnusableCase{"TextFile", 0}, UnusableCase{"CorruptLink", 1},
                                           UnusableCase{"LinkToNothing", 2}),
                         [](const ::testing::TestParamInfo<UnusableCase>& info) { return info.param.name; });

TEST_F(AnalysisTest, ATargetLongerThanMaxPathIsNeverCut) {
    std::string target = "C:\\TsuLongTarget";
    while (target.size() < 300)
        target += "\\abcdefghijklmnopqrstuvwxyz";
    target += "\\app.exe";
    const std::wstring path = s_desktop + test::UniqueName(L"TsuSmartLong") + L".lnk";
    m_cleanup.push_back(path);
    ASSERT_TRUE(test::WriteLongTargetShortcut(path, target));
    const std::wstring wideTarget(target.begin(), target.end());

    const std::wstring resolved = IntelligenceEngine::ResolveShortcut(path);
    EXPECT_TRUE(resolved.empty() || resolved == wideTarget) << resolved.size();
    IntelligenceEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    AnalyzeOnWorker(engine, path);
    for (const RelatedItem& item : engine.Items())
        EXPECT_TRUE(item.path == path || item.path == wideTarget || wideTarget.rfind(item.path, 0) != 0)
            << item.path.size();
}

TEST_F(AnalysisTest, ScansDoNotFollowDirectoryLinks) {
    IntelligenceEngine engine;
    engine.ScanFolder(s_app);
    EXPECT_EQ(engine.Items().size(), 4u) << Joined(Lines(engine.Items()));
    IntelligenceEngine startMenu;
    startMenu.ScanStartMenu(s_vendor, s_app + L"\\app.exe");
    EXPECT_EQ(startMenu.Items().size(), 4u) << Joined(Lines(startMenu.Items()));
}

// The real limit takes too long to fill under Wine (each new name is looked up in the whole folder);
// the engine takes a smaller one.
TEST_F(SmartPageTest, AFolderOfMoreFilesThanTheLimitListsOnlyShortcutAndTarget) {
    constexpr size_t kLimit = 3;
    const std::wstring folder = L"C:\\Tools\\" + test::UniqueName(L"TsuSmartMany");
    const std::wstring target = folder + L"\\app.exe";
    ASSERT_TRUE(test::CreateFolders(folder + L"\\sub"));
    for (const wchar_t* file : {L"\\app.exe", L"\\sub\\1", L"\\sub\\2"})
        ASSERT_TRUE(test::WriteFileBytes(folder + file, "x"));
    IntelligenceEngine engine(InventoryLocations::Default(), kLimit);
    EXPECT_TRUE(engine.ScanFolder(folder)); // the limit itself is still listed
    EXPECT_EQ(engine.Items().size(), kLimit);

    ASSERT_TRUE(test::WriteFileBytes(folder + L"\\sub\\3", "x"));
    const std::wstring log = L"C:\\ProgramData\\ToolLog\\软件卸载工具.txt";
    const size_t logBefore = test::ReadFileBytes(log).size();
    const std::wstring shortcut = DesktopShortcut(test::UniqueName(L"TsuSmartMany") + L".lnk", target);
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    AnalyzeOnWorker(engine, shortcut);
    EXPECT_EQ(Lines(engine.Items()), (std::vector<std::wstring>{Desktop(shortcut), Related(target)}));
    EXPECT_NE(test::ReadFileBytes(log).find(ToCp936(L"相关文件超过3个，只列出快捷方式和目标文件"), logBefore),
              std::string::npos);
    test::RemoveTree(folder);
}

TEST_F(AnalysisTest, AnAnalysisWhileOneRunsIsRefused) {
    const std::wstring shortcut = DesktopShortcut(test::UniqueName(L"TsuSmartBusy") + L".lnk", s_app + L"\\app.exe");
    IntelligenceEngine engine;
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    const test::NamedEvent release(L"TsuSmartBusy");
    m_page.SetHook([&](const RecordedMessage& message) {
        if (message.message == WM_ANALYSIS_STATE && message.lParam == kAnalysisStarted)
            (void)release.WaitFor();
    });
    ASSERT_TRUE(engine.StartAnalysis(shortcut));
    ASSERT_TRUE(m_page.WaitForCount(WM_ANALYSIS_STATE, 1));
    EXPECT_FALSE(engine.StartAnalysis(shortcut));
    release.Set();
    ASSERT_TRUE(m_page.WaitForCount(WM_ANALYSIS_STATE, 2));
    m_page.SetHook(nullptr);
    // The engine takes a new drop once the running analysis has ended.
    ASSERT_TRUE(test::WaitUntil([&] { return engine.StartAnalysis(shortcut); }));
    ASSERT_TRUE(m_page.WaitForCount(WM_ANALYSIS_STATE, 4));
}

TEST_F(AnalysisTest, DestroyingTheEngineWaitsForItsWorkerEvenWhenItSendsToThisThread) {
    const std::wstring shortcut = DesktopShortcut(test::UniqueName(L"TsuSmartGone") + L".lnk", s_app + L"\\app.exe");
    // The owner window lives on this thread: the worker's messages can only be handled while the
    // destructor waits.
    struct Counter {
        static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
            if (message == WM_ANALYSIS_STATE) {
                ++*reinterpret_cast<int*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
                return 1;
            }
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
    };
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &Counter::Proc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TsuSmartLocalOwner";
    (void)::RegisterClassW(&windowClass);
    const HWND owner = ::CreateWindowW(L"TsuSmartLocalOwner", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       windowClass.hInstance, nullptr);
    ASSERT_NE(owner, nullptr);
    int received = 0;
    ::SetWindowLongPtrW(owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&received));
    {
        IntelligenceEngine engine;
        ASSERT_TRUE(engine.SetOwnerWindow(owner));
        ASSERT_TRUE(engine.StartAnalysis(shortcut));
    } // destroyed at once, while its worker runs
    EXPECT_EQ(received, 2);
    ::DestroyWindow(owner);
}

} // namespace
} // namespace tsu
