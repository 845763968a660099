// The conventional page with the real uninstall engine and real uninstallers (the process-control
// tests' stand-in and reg.exe): each state of a row, the queue behind a running uninstall, a row
// that disappears once its program is gone, a worker that cannot start, row states across a
// refresh, and closing the tool while uninstalls run or wait.

#include "app/CProblemSolvingFeedbackDlg.h"
#include "controls/list/core/ListCell.h"
#include "controls/list/core/ListRow.h"
#include "framework/Messages.h"
#include "tests/app/ToolWindow.h"
#include "tests/common/TestProcess.h"
#include "tests/engine/EngineTestSupport.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

constexpr DWORD kMustMs = 30000;

// The last lines of the tool's log, for failure messages.
std::wstring LogTail() {
    const std::wstring log = test::ToolLogText();
    constexpr size_t kTailChars = 800;
    return log.size() > kTailChars ? log.substr(log.size() - kTailChars) : log;
}

// Presses a row's "卸载" as the list reports it.
void PressRowButton(CConventionalUninstallDlg& page, int row) {
    ListButtonClick click;
    click.row = row;
    click.kind = CELL_BUTTON;
    click.action = 1;
    ::SendMessageW(page.GetSafeHwnd(), WM_LIST_BUTTONCLICK, reinterpret_cast<WPARAM>(&click), 0);
}

int RowOf(CConventionalUninstallDlg& page, const std::wstring& name) {
    for (int row = 0; row < page.List().GetRowCount(); ++row) {
        if (const SoftwareRecord* record = page.RowRecord(row); record && record->displayName == name)
            return row;
    }
    return -1;
}

int StateOf(CConventionalUninstallDlg& page, const std::wstring& name) {
    const int row = RowOf(page, name);
    return row < 0 ? -1 : page.OperationState(row);
}

// An uninstaller that says when it has started and runs until the test lets it go.
std::wstring HeldUninstaller(const test::NamedEvent& started, const test::NamedEvent& release) {
    return L"\"" + test::HelperPath() + L"\" --signal " + started.Name() + L" --wait-event " + release.Name();
}

// An uninstaller that really removes the program's entry.
std::wstring RemovingUninstaller(const test::ScratchInventory& inventory, const std::wstring& keyName) {
    const InventoryLocations locations = inventory.Locations();
    return L"\"" + test::SystemFolderPath() + L"\\reg.exe\" delete \"HKCU\\" + locations.uninstallKeys64[0].path +
           L"\\" + keyName + L"\" /f";
}

TEST(ConventionalPage, RowsGoThroughUninstallingWaitingDoneAndDisappear) {
    test::ToolWindow tool(L"rows");
    const test::NamedEvent startedA(L"TsuRowsStartedA");
    const test::NamedEvent releaseA(L"TsuRowsReleaseA");
    tool.inventory.AddProgram(L"TsuA", L"Tsu A held", L"1", HeldUninstaller(startedA, releaseA));
    tool.inventory.AddProgram(L"TsuB", L"Tsu B removed", L"1", RemovingUninstaller(tool.inventory, L"TsuB"));
    tool.inventory.AddProgram(L"TsuC", L"Tsu C", L"1", L"\"" + test::HelperPath() + L"\" --exit 0");
    ASSERT_TRUE(tool.Create());
    ASSERT_TRUE(tool.LoadPrograms());
    CConventionalUninstallDlg& page = tool.Conventional();
    ASSERT_EQ(page.CountText(), L"3");
    HWND main = tool.window->GetSafeHwnd();

    PressRowButton(page, RowOf(page, L"Tsu A held"));
    EXPECT_EQ(StateOf(page, L"Tsu A held"), CELL_UNINSTALLING);
    // Waited for while the thread keeps handling the engine's messages.
    ASSERT_TRUE(test::PumpUntil([&] { return startedA.WaitFor(0); }, kMustMs));
    // Queued behind the running uninstall.
    PressRowButton(page, RowOf(page, L"Tsu B removed"));
    EXPECT_EQ(StateOf(page, L"Tsu B removed"), CELL_WAITING);
    test::SaveWindowAreaPng(main, L"row_uninstalling_and_waiting");

    releaseA.Set();
    // A's uninstaller ended with its entry still there: the button again. B starts and removes its
    // entry: done, then the row goes and the count drops.
    ASSERT_TRUE(test::PumpUntil([&] { return StateOf(page, L"Tsu A held") == CELL_BUTTON; }, kMustMs));
    ASSERT_TRUE(test::PumpUntil([&] { return StateOf(page, L"Tsu B removed") == CELL_DONE; }, kMustMs));
    test::SaveWindowAreaPng(main, L"row_done");
    ASSERT_TRUE(test::PumpUntil([&] { return RowOf(page, L"Tsu B removed") < 0; }, kMustMs));
    EXPECT_EQ(page.CountText(), L"2");
    EXPECT_EQ(page.List().GetRowCount(), 2);
    test::SaveWindowAreaPng(main, L"row_removed");

    // A program removed behind the tool's back: its row still answers, and goes.
    ASSERT_TRUE(tool.inventory.Uninstall().DeleteSubkey(L"TsuC"));
    PressRowButton(page, RowOf(page, L"Tsu C"));
    EXPECT_TRUE(test::PumpUntil([&] { return RowOf(page, L"Tsu C") < 0; }, kMustMs))
        << "state " << StateOf(page, L"Tsu C") << ", the tool log ends:\n"
        << LogTail();
    EXPECT_EQ(page.CountText(), L"1");
}

TEST(ConventionalPage, AWorkerThatCannotStartLeavesNothingQueued) {
    test::ToolWindow tool(L"worker-fails");
    tool.inventory.AddProgram(L"TsuD", L"Tsu D", L"1", L"\"" + test::HelperPath() + L"\" --exit 0");
    ASSERT_TRUE(tool.Create());
    ASSERT_TRUE(tool.LoadPrograms());
    CConventionalUninstallDlg& page = tool.Conventional();
    page.SetWorkerStarter([] { return false; });
    test::PromptAnswerer answerer;
    PressRowButton(page, 0);
    ASSERT_EQ(answerer.Texts(), std::vector<std::wstring>{L"卸载软件失败！"});
    EXPECT_EQ(answerer.Seen()[0].style, 3);
    // Out of the queue, back to its button; nothing runs that the close would wait for.
    EXPECT_EQ(page.OperationState(0), CELL_BUTTON);
    EXPECT_FALSE(tool.window->Engine().IsWorkerRunning());
    EXPECT_EQ(DecideClose(tool.Function().CurrentBusyState()), CloseDecision::CloseNow);
    // With a worker that starts, the same row uninstalls (and is not run twice).
    page.SetWorkerStarter([&] { return tool.window->Engine().StartUninstallWorker(); });
    PressRowButton(page, 0);
    EXPECT_TRUE(test::PumpUntil([&] { return page.OperationState(0) == CELL_BUTTON; }, kMustMs));
    EXPECT_EQ(answerer.Texts().size(), 1u);
}

TEST(ConventionalPage, ClosingDuringAnUninstallWarnsAndWaitsASecondCloseLeavesTheUninstallerRunning) {
    test::ToolWindow tool(L"close-guard");
    const test::NamedEvent started(L"TsuGuardStarted");
    const test::NamedEvent release(L"TsuGuardRelease");
    const test::NamedEvent ended(L"TsuGuardEnded");
    tool.inventory.AddProgram(L"TsuE", L"Tsu E held", L"1",
                              HeldUninstaller(started, release) + L" --signal " + ended.Name());
    tool.inventory.AddProgram(L"TsuF", L"Tsu F queued", L"1", L"\"" + test::HelperPath() + L"\" --exit 0");
    ASSERT_TRUE(tool.Create());
    ASSERT_TRUE(tool.LoadPrograms());
    CConventionalUninstallDlg& page = tool.Conventional();
    PressRowButton(page, RowOf(page, L"Tsu E held"));
    ASSERT_TRUE(test::PumpUntil([&] { return started.WaitFor(0); }, kMustMs));
    PressRowButton(page, RowOf(page, L"Tsu F queued"));
    ASSERT_EQ(StateOf(page, L"Tsu F queued"), CELL_WAITING);

    test::PromptAnswerer answerer;
    answerer.onPrompt = [](CPromptDlg& prompt) {
        test::SaveWindowAreaPng(prompt.GetSafeHwnd(), L"prompt_close_guard");
    };
    const test::QuestionCloser question(60000);
    test::ClickButton(tool.Function().GetSafeHwnd(), IDC_FUNCTION_CLOSE);
    EXPECT_EQ(answerer.Texts(), std::vector<std::wstring>{L"正在有卸载的软件，请勿关闭程序"});
    // Still open: the queued program went back to its button, the running one still runs.
    ASSERT_NE(tool.window->GetSafeHwnd(), nullptr);
    EXPECT_TRUE(tool.Function().IsClosePending());
    EXPECT_EQ(StateOf(page, L"Tsu F queued"), CELL_BUTTON);
    EXPECT_EQ(question.Count(), 0);
    // Asked again while it waits: the tool goes (through the question) and leaves the uninstaller
    // running, never killed.
    test::ClickButton(tool.Function().GetSafeHwnd(), IDC_FUNCTION_CLOSE);
    EXPECT_EQ(tool.window->GetSafeHwnd(), nullptr);
    EXPECT_EQ(answerer.Texts().size(), 1u);
    EXPECT_EQ(question.Count(), 1);
    EXPECT_NE(test::ToolLogText().find(L"用户再次关闭，不再等待正在运行的卸载程序"), std::wstring::npos) << LogTail();
    EXPECT_FALSE(ended.WaitFor(0));
    release.Set();
    EXPECT_TRUE(ended.WaitFor(kMustMs));
}

TEST(ConventionalPage, AnUninstallStartedBehindTheClosingQuestionIsWaitedFor) {
    test::ToolWindow tool(L"close-question");
    const test::NamedEvent started(L"TsuQuestionStarted");
    const test::NamedEvent release(L"TsuQuestionRelease");
    tool.inventory.AddProgram(L"TsuQ", L"Tsu Q held", L"1", HeldUninstaller(started, release));
    ASSERT_TRUE(tool.Create());
    ASSERT_TRUE(tool.LoadPrograms());
    HWND main = tool.window->GetSafeHwnd();
    HWND owner = nullptr;
    bool pagesDisabled = false;
    int asked = 0;
    test::WhenReady behind([] { return test::FindShownDialog<CProblemSolvingFeedbackDlg>() != nullptr; },
                           [&] {
                               CProblemSolvingFeedbackDlg* question =
                                   test::FindShownDialog<CProblemSolvingFeedbackDlg>();
                               ++asked;
                               owner = ::GetWindow(question->GetSafeHwnd(), GW_OWNER);
                               pagesDisabled = !::IsWindowEnabled(tool.Function().GetSafeHwnd()) &&
                                               !::IsWindowEnabled(tool.Start().GetSafeHwnd());
                               // A click that was on its way when the question came up.
                               PressRowButton(tool.Conventional(), 0);
                               test::ClickButton(question->Child().GetSafeHwnd(), IDC_FEEDBACK_CLOSE);
                           },
                           60000);
    test::PromptAnswerer answerer;
    ::SendMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(behind.Ran());
    EXPECT_EQ(owner, main);
    EXPECT_TRUE(pagesDisabled);
    // After the answer the guard sees the uninstall: it warns and waits, the pages usable again.
    EXPECT_EQ(answerer.Texts(), std::vector<std::wstring>{L"正在有卸载的软件，请勿关闭程序"});
    EXPECT_EQ(tool.window->GetSafeHwnd(), main);
    EXPECT_TRUE(::IsWindowEnabled(tool.Function().GetSafeHwnd()));
    release.Set();
    ASSERT_TRUE(test::PumpUntil([&] { return tool.window->GetSafeHwnd() == nullptr; }, kMustMs));
    EXPECT_TRUE(started.WaitFor(0));
    EXPECT_EQ(asked, 1);
}

TEST(ConventionalPage, QueuedRowsKeepTheirStateAcrossARefreshAndAreNotQueuedTwice) {
    test::ToolWindow tool(L"rows-kept");
    const test::NamedEvent started(L"TsuKeptStarted");
    const test::NamedEvent release(L"TsuKeptRelease");
    const std::wstring runs = test::MakeScratchFolder(L"rows-kept-runs") + L"runs.txt";
    tool.inventory.AddProgram(L"TsuH", L"Tsu H held", L"1", HeldUninstaller(started, release));
    tool.inventory.AddProgram(L"TsuI", L"Tsu I queued", L"1",
                              L"\"" + test::HelperPath() + L"\" --record \"" + runs + L"\"");
    ASSERT_TRUE(tool.Create());
    ASSERT_TRUE(tool.LoadPrograms());
    CConventionalUninstallDlg& page = tool.Conventional();
    PressRowButton(page, RowOf(page, L"Tsu H held"));
    ASSERT_TRUE(test::PumpUntil([&] { return started.WaitFor(0); }, kMustMs));
    PressRowButton(page, RowOf(page, L"Tsu I queued"));

    // Away and back: the list is read anew and every row rebuilt.
    tool.Function().SelectTab(1);
    tool.Function().SelectTab(0);
    EXPECT_TRUE(test::PumpUntil([&] { return !tool.window->Engine().IsInventoryWorkRunning(); }, kMustMs));
    test::PumpPending();
    EXPECT_EQ(StateOf(page, L"Tsu H held"), CELL_UNINSTALLING);
    EXPECT_EQ(StateOf(page, L"Tsu I queued"), CELL_WAITING);
    PressRowButton(page, RowOf(page, L"Tsu I queued"));
    EXPECT_EQ(StateOf(page, L"Tsu I queued"), CELL_WAITING);

    release.Set();
    ASSERT_TRUE(test::PumpUntil([&] { return !tool.window->Engine().IsWorkerRunning(); }, kMustMs));
    EXPECT_EQ(test::ReadRecordedIds(runs).size(), 1u);
    EXPECT_EQ(StateOf(page, L"Tsu I queued"), CELL_BUTTON);
}

TEST(ConventionalPage, ClosingWhileTheListIsReadWaitsForTheReading) {
    test::ToolWindow tool(L"close-load");
    tool.inventory.AddProgram(L"TsuG", L"Tsu G", L"1", L"\"" + test::HelperPath() + L"\" --exit 0");
    ASSERT_TRUE(tool.Create());
    ASSERT_TRUE(tool.LoadPrograms());
    // A refresh runs (the tab switch back to the list starts one); closing now waits quietly.
    tool.Function().SelectTab(1);
    tool.Function().SelectTab(0);
    const bool refreshing = tool.window->Engine().IsInventoryWorkRunning();
    test::PromptAnswerer answerer;
    const test::QuestionCloser question(60000);
    ::SendMessageW(tool.window->GetSafeHwnd(), WM_CLOSE, 0, 0);
    // Never gone while the reading still runs.
    if (refreshing) {
        EXPECT_TRUE(tool.window->GetSafeHwnd() != nullptr || !tool.window->Engine().IsInventoryWorkRunning());
    }
    ASSERT_TRUE(test::PumpUntil([&] { return tool.window->GetSafeHwnd() == nullptr; }, kMustMs));
    EXPECT_TRUE(answerer.Texts().empty()); // no warning for a short task
    EXPECT_FALSE(tool.window->Engine().IsInventoryWorkRunning());
}

} // namespace
} // namespace tsu
