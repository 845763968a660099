// The intelligent page with the real engine, real shortcut files and a real NSIS program: drops of
// one shortcut and of things that are none, the result list with its count, deleting ticked items,
// nothing ticked, the standard-uninstall notice and the refusal of drops while it runs.

#include "app/AppMessages.h"
#include "app/CExecutePromptDlg.h"
#include "app/CProblemSolvingFeedbackDlg.h"
#include "controls/list/core/ListCell.h"
#include "framework/Messages.h"
#include "framework/ScopedHandles.h"
#include "tests/app/ToolWindow.h"
#include "tests/common/TestProcess.h"
#include "tests/engine/EngineTestSupport.h"
#include "uninstall/LaunchUninstaller.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <thread>

namespace tsu {
namespace {

constexpr DWORD kMustMs = 30000;

bool MakeShortcut(const std::wstring& shortcut, const std::wstring& target) {
    IShellLinkW* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(target.c_str());
    IPersistFile* file = nullptr;
    bool saved = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        saved = SUCCEEDED(file->Save(shortcut.c_str(), TRUE));
        file->Release();
    }
    link->Release();
    return saved;
}

// What the shell hands a window when files are dropped on it.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
    size_t chars = 1;
    for (const std::wstring& path : paths)
        chars += path.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(header) + sizeof(DROPFILES));
    for (const std::wstring& path : paths) {
        std::memcpy(text, path.c_str(), path.size() * sizeof(wchar_t));
        text += path.size() + 1;
    }
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// A launch of the stand-in uninstaller that waits for Release (or the end of the scope); while it
// waits, every other launch of this process waits behind it.
class LauncherHold {
public:
    LauncherHold() {
        // A launch starts a quoted program without its arguments: the helper reads them from the
        // environment it inherits.
        const test::ScopedEnvironmentVariable args(
            L"TSU_HELPER_ARGS", L"--signal " + m_started.Name() + L" --wait-event " + m_release.Name());
        m_thread = std::thread([this] {
            std::wstring command = test::Quoted(test::HelperPath());
            (void)LaunchUninstaller(command);
        });
        m_running = m_started.WaitFor();
    }
    ~LauncherHold() {
        Release();
        m_thread.join();
    }
    LauncherHold(const LauncherHold&) = delete;
    LauncherHold& operator=(const LauncherHold&) = delete;
    [[nodiscard]] bool Started() const { return m_running; }
    void Release() const { m_release.Set(); }

private:
    test::NamedEvent m_started{L"TsuSmartHoldStarted"};
    test::NamedEvent m_release{L"TsuSmartHoldRelease"};
    std::thread m_thread;
    bool m_running = false;
};

class IntelligentPage : public ::testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        // The analysis matches programs against the system's uninstall entries.
        tool = std::make_unique<test::ToolWindow>(L"smart-" + std::to_wstring(++counter), true);
        ASSERT_TRUE(tool->Create());
        // Straight to the function page (the scratch inventory is empty), then the second tab.
        ::SendMessageW(tool->window->GetSafeHwnd(), WM_SHOW_PAGE, kShowFunctionPage, 0);
        tool->Function().SelectTab(1);
        ASSERT_TRUE(page().IsWindowVisible());
    }
    CIntelligenceUninstallDlg& page() { return *tool->Function().IntelligencePage(); }
    // Drops paths on the input box; returns once the analysis and its wait dialog are over.
    void Drop(const std::vector<std::wstring>& paths) {
        ::SendMessageW(page().GetDlgItem(IDC_DROP_EDIT), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    }
    void PressUninstall() { test::ClickButton(page().GetSafeHwnd(), IDC_SMART_UNINSTALL_BUTTON); }

    std::unique_ptr<test::ToolWindow> tool;
};

TEST_F(IntelligentPage, AShortcutsProgramFilesAreListedTickedAndDeletedWhenConfirmed) {
    const std::wstring folder = test::MakeScratchFolder(L"smart-program");
    ::CreateDirectoryW((folder + L"TsuSmartProg").c_str(), nullptr);
    const std::wstring program = folder + L"TsuSmartProg\\prog.exe";
    ASSERT_TRUE(::CopyFileW(test::HelperPath().c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(test::WriteFileBytes(folder + L"TsuSmartProg\\data.txt", "data"));
    const std::wstring shortcut = folder + L"Tsu Smart Prog.lnk";
    ASSERT_TRUE(MakeShortcut(shortcut, program));

    bool waitShown = false;
    test::WhenReady watch([] { return test::FindShownDialog<CExecutePromptDlg>() != nullptr; },
                          [&] {
                              waitShown = true;
                              test::SaveWindowAreaPng(test::FindShownDialog<CExecutePromptDlg>()->GetSafeHwnd(),
                                                      L"wait_dialog_analysis");
                          });
    Drop({shortcut});
    EXPECT_TRUE(page().IsListShown());
    EXPECT_FALSE(page().IsNoticeShown());
    CMultilineList& list = page().List();
    ASSERT_GE(list.GetRowCount(), 3); // the shortcut and both files
    EXPECT_EQ(page().CountText(), std::to_wstring(list.GetRowCount()));
    EXPECT_TRUE(page().IsCountShown());
    EXPECT_EQ(page().TitleText(), L"文件和文件夹分析结果（");
    EXPECT_EQ(page().InputText(), program);
    for (int row = 0; row < list.GetRowCount(); ++row)
        EXPECT_TRUE(list.GetCellCheck(row, 0)) << row;
    // The count is drawn in blue.
    test::PumpPending();
    CMemoryCanvas canvas;
    ASSERT_TRUE(test::CaptureWindow(page().GetDlgItem(IDC_RESULT_COUNT), canvas));
    EXPECT_GT(
        test::CountPixels(canvas, RECT{0, 0, canvas.Width(), canvas.Height()},
                          [](COLORREF c) { return GetBValue(c) > 150 && GetRValue(c) < 120 && GetGValue(c) < 120; }),
        0);
    test::SaveWindowAreaPng(tool->window->GetSafeHwnd(), L"function_page_intelligent_results");

    // Nothing ticked: the user is asked to choose.
    ::SendMessageW(list.GetSafeHwnd(), WM_HEADER_CHECKALL, 0, 0);
    test::PromptAnswerer answerer;
    answerer.Plan({test::PromptAnswerer::First, test::PromptAnswerer::First, test::PromptAnswerer::First});
    PressUninstall();
    ASSERT_EQ(answerer.Texts(), std::vector<std::wstring>{L"请选择要卸载的文件？"});
    // Everything ticked, confirmed: deleted, reported, the rows of deleted items go.
    ::SendMessageW(list.GetSafeHwnd(), WM_HEADER_CHECKALL, 1, 0);
    PressUninstall();
    // The worker sends its result after closing the wait dialog: it may arrive once the click is over.
    ASSERT_TRUE(test::PumpUntil([&] { return answerer.Texts().size() >= 3; }, kMustMs));
    ASSERT_EQ(answerer.Texts().size(), 3u);
    EXPECT_EQ(answerer.Texts()[1], L"您确定卸载当前选择的文件？");
    EXPECT_EQ(answerer.Seen()[1].style, 4);
    EXPECT_EQ(answerer.Texts()[2], L"卸载成功！");
    EXPECT_FALSE(test::FileExists(program));
    EXPECT_FALSE(test::FileExists(shortcut));
    EXPECT_EQ(list.GetRowCount(), 0);
    EXPECT_EQ(page().CountText(), L"0");
    test::RemoveTree(folder);
}

TEST_F(IntelligentPage, SeveralFilesAreIgnoredAndOtherDropsGiveEmptyResults) {
    const std::wstring folder = test::MakeScratchFolder(L"smart-bad");
    ASSERT_TRUE(test::WriteFileBytes(folder + L"note.txt", "not a shortcut"));
    ASSERT_TRUE(test::WriteFileBytes(folder + L"broken.lnk", "not a shortcut either"));
    ::CreateDirectoryW((folder + L"gone").c_str(), nullptr);
    ASSERT_TRUE(test::WriteFileBytes(folder + L"gone\\gone.exe", "x"));
    ASSERT_TRUE(MakeShortcut(folder + L"vanished.lnk", folder + L"gone\\gone.exe"));
    test::RemoveTree(folder + L"gone");

    int waits = 0;
    test::WhenReady watch([] { return test::FindShownDialog<CExecutePromptDlg>() != nullptr; }, [&] { ++waits; });
    Drop({folder + L"note.txt", folder + L"broken.lnk"});
    EXPECT_EQ(page().ProgressDialog(), nullptr) << "two files started an analysis";
    for (const std::wstring& path : {folder + L"note.txt", folder + L"broken.lnk", folder, folder + L"vanished.lnk"}) {
        Drop({path});
        // The analysis ended and nothing of it stays on screen; no row is a file that is not there.
        ASSERT_NE(page().ProgressDialog(), nullptr);
        EXPECT_FALSE(::IsWindow(page().ProgressDialog()->GetSafeHwnd()));
        for (int row = 0; row < page().List().GetRowCount(); ++row)
            EXPECT_NE(page().RowItem(row), nullptr);
    }
    test::RemoveTree(folder);
}

TEST_F(IntelligentPage, ARegisteredProgramShowsTheNoticeAndItsUninstallerRunsOnlyWhenConfirmedTwice) {
    const std::wstring key = L"TsuAppSmartNsis";
    test::RemoveNsisLeftovers(key);
    ASSERT_TRUE(test::InstallNsisFixture(L"fixture_app_smart_nsis"));
    // Another launch holds the launcher (one runs at a time), so the program's own uninstaller
    // starts only when the test lets it: the checks made while the uninstall runs cannot race its
    // end, and the uninstaller runs exactly as registered.
    LauncherHold hold;
    ASSERT_TRUE(hold.Started());
    const std::wstring folder = test::MakeScratchFolder(L"smart-registered");
    const std::wstring shortcut = folder + L"Tsu Smart NSIS.lnk";
    ASSERT_TRUE(MakeShortcut(shortcut, L"C:\\Program Files\\" + key + L"\\" + key + L".exe"));
    Drop({shortcut});
    EXPECT_TRUE(page().IsNoticeShown());
    EXPECT_FALSE(page().IsListShown());
    EXPECT_FALSE(page().IsCountShown());
    EXPECT_EQ(page().TitleText(), L"文件和文件夹分析结果");
    test::SaveWindowAreaPng(tool->window->GetSafeHwnd(), L"function_page_intelligent_standard_notice");

    test::PromptAnswerer answerer;
    // Cancelled at the first question, then at the second: nothing runs.
    answerer.Plan({test::PromptAnswerer::Second, test::PromptAnswerer::First, test::PromptAnswerer::Close,
                   test::PromptAnswerer::First, test::PromptAnswerer::First, test::PromptAnswerer::First,
                   test::PromptAnswerer::First, test::PromptAnswerer::First});
    PressUninstall();
    PressUninstall();
    EXPECT_FALSE(page().IsStandardUninstallRunning());
    ASSERT_EQ(answerer.Texts().size(), 3u);
    EXPECT_EQ(answerer.Texts()[0], L"当前软件有标准卸载方式，点击确定进行标准卸载，点击取消不卸载");
    EXPECT_EQ(answerer.Texts()[2], L"您确定卸载当前软件？");
    // Confirmed twice: the program's own uninstaller runs; a drop meanwhile is refused.
    PressUninstall();
    ASSERT_TRUE(page().IsStandardUninstallRunning());
    Drop({shortcut});
    EXPECT_EQ(answerer.Texts().back(), L"正在卸载软件，请稍后再试！");
    PressUninstall();
    EXPECT_EQ(answerer.Texts().back(), L"正在卸载软件，请稍后再试！");
    EXPECT_TRUE(page().IsNoticeShown()); // the drop changed nothing
    // Closing now warns and waits for the program's own uninstaller.
    ::SendMessageW(tool->window->GetSafeHwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(answerer.Texts().back(), L"正在有卸载的软件，请勿关闭程序");
    ASSERT_NE(tool->window->GetSafeHwnd(), nullptr);
    EXPECT_TRUE(tool->Function().IsClosePending());
    const test::QuestionCloser question;
    // The uninstaller ends, its result is shown, then the tool closes and asks its question once.
    hold.Release();
    ASSERT_TRUE(test::PumpUntil([&] { return tool->window->GetSafeHwnd() == nullptr; }, kMustMs));
    EXPECT_EQ(question.Count(), 1);
    EXPECT_EQ(answerer.Texts().back(), L"卸载成功！");
    EXPECT_FALSE(test::FileExists(L"C:\\Program Files\\" + key + L"\\readme.txt"));
    test::RemoveNsisLeftovers(key);
    test::RemoveTree(folder);
}

} // namespace
} // namespace tsu
