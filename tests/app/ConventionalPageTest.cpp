#include "controls/list/core/ListCell.h"
#include "controls/list/core/ListRow.h"
#include "framework/Messages.h"
#include "tests/app/ToolWindow.h"
#include "tests/engine/EngineTestSupport.h"

namespace tsu {
namespace {

class ConventionalPage : public test::ToolTest {
protected:
    CConventionalUninstallDlg& page() { return tool.Conventional(); }
    bool Load(const std::vector<std::array<std::wstring, 3>>& programs) {
        for (const auto& [key, name, command] : programs)
            tool.inventory.AddProgram(key, name, command);
        return tool.Create() && tool.LoadPrograms();
    }
    int RowOf(const std::wstring& name) {
        for (int row = 0; row < page().List().GetRowCount(); ++row)
            if (const SoftwareRecord* record = page().RowRecord(row); record && record->displayName == name)
                return row;
        return -1;
    }
    int StateOf(const std::wstring& name) { return RowOf(name) < 0 ? -1 : page().OperationState(RowOf(name)); }
    void Press(const std::wstring& name) { // a row's "卸载" as the list reports it
        ListButtonClick click{};
        click.row = RowOf(name), click.kind = CELL_BUTTON, click.action = 1;
        ::SendMessageW(page().GetSafeHwnd(), WM_LIST_BUTTONCLICK, reinterpret_cast<WPARAM>(&click), 0);
    }
    bool StateBecomes(const std::wstring& name, int state) {
        return test::PumpUntil([&] { return StateOf(name) == state; }, test::kMustHappenMs);
    }
    // An uninstaller that says when it has started and runs until the test lets it go.
    std::wstring Held() const {
        return test::Quoted(test::HelperPath()) + L" --signal " + started.Name() + L" --wait-event " + release.Name();
    }
    bool HeldStarted() const {
        return test::PumpUntil([&] { return started.WaitFor(0); }, test::kMustHappenMs);
    }
    const std::vector<std::wstring> kGuard{L"正在有卸载的软件，请勿关闭程序"};
    test::NamedEvent started{L"TsuHeldStarted"}, release{L"TsuHeldRelease"};
};

TEST_F(ConventionalPage, RowsGoThroughUninstallingWaitingDoneAndDisappear) {
    // B's uninstaller really removes the program's entry. Unquoted: a quoted program without a hyphen
    // in the command is started without its arguments.
    ASSERT_TRUE(Load(
        {{L"TsuA", L"Tsu A held", Held()},
         {L"TsuB", L"Tsu B removed",
          test::SystemFolderPath() + L"\\reg.exe delete \"HKCU\\" + tool.inventory.entries.Path() + L"\\TsuB\" /f"},
         {L"TsuC", L"Tsu C", Quick()}}));
    Press(L"Tsu A held");
    EXPECT_EQ(StateOf(L"Tsu A held"), CELL_UNINSTALLING);
    ASSERT_TRUE(HeldStarted());
    Press(L"Tsu B removed");
    EXPECT_EQ(StateOf(L"Tsu B removed"), CELL_WAITING);
    test::SaveWindowAreaPng(tool.Main(), L"row_uninstalling_and_waiting");
    release.Set();
    // A ended with its entry still there: the button again. B removed its entry: done, then gone.
    ASSERT_TRUE(StateBecomes(L"Tsu A held", CELL_BUTTON));
    ASSERT_TRUE(StateBecomes(L"Tsu B removed", CELL_DONE));
    test::SaveWindowAreaPng(tool.Main(), L"row_done");
    ASSERT_TRUE(StateBecomes(L"Tsu B removed", -1));
    EXPECT_EQ(page().CountText(), L"2");
}

TEST_F(ConventionalPage, QueuedRowsKeepTheirStateAcrossARefreshAndAreNotQueuedTwice) {
    const std::wstring runs = test::MakeScratchFolder(L"rows-kept-runs") + L"runs.txt";
    ASSERT_TRUE(
        Load({{L"TsuH", L"Tsu H held", Held()},
              {L"TsuI", L"Tsu I queued", test::Quoted(test::HelperPath()) + L" --record " + test::Quoted(runs)}}));
    Press(L"Tsu H held");
    ASSERT_TRUE(HeldStarted());
    Press(L"Tsu I queued");
    ASSERT_TRUE(tool.Refresh()); // every row rebuilt
    EXPECT_EQ(std::pair(StateOf(L"Tsu H held"), StateOf(L"Tsu I queued")), std::pair(CELL_UNINSTALLING, CELL_WAITING));
    Press(L"Tsu I queued");
    release.Set();
    ASSERT_TRUE(StateBecomes(L"Tsu I queued", CELL_BUTTON));
    ASSERT_TRUE(test::PumpUntil([&] { return !tool.window->Engine().IsWorkerRunning(); }, test::kMustHappenMs));
    EXPECT_EQ(test::ReadRecordedIds(runs).size(), 1u);
}

TEST_F(ConventionalPage, ClosingDuringAnUninstallWarnsAndWaitsASecondCloseLeavesTheUninstallerRunning) {
    const test::NamedEvent ended(L"TsuGuardEnded");
    ASSERT_TRUE(
        Load({{L"TsuE", L"Tsu E held", Held() + L" --signal " + ended.Name()}, {L"TsuF", L"Tsu F queued", Quick()}}));
    Press(L"Tsu E held");
    ASSERT_TRUE(HeldStarted());
    Press(L"Tsu F queued");
    const test::QuestionCloser question;
    test::ClickButton(tool.Function().GetSafeHwnd(), IDC_FUNCTION_CLOSE);
    EXPECT_EQ(answerer.texts, kGuard);
    // Still open: the queued program went back to its button, the running one still runs.
    ASSERT_NE(tool.Main(), nullptr);
    EXPECT_TRUE(tool.Function().IsClosePending() && StateOf(L"Tsu F queued") == CELL_BUTTON && question.Count() == 0);
    // Asked again: the tool goes (through the question) and leaves the uninstaller running.
    test::ClickButton(tool.Function().GetSafeHwnd(), IDC_FUNCTION_CLOSE);
    EXPECT_EQ(std::pair(tool.Main(), question.Count()), std::pair(HWND{}, 1));
    EXPECT_NE(test::ToolLogText().find(L"用户再次关闭，不再等待正在运行的卸载程序"), std::wstring::npos);
    EXPECT_FALSE(ended.WaitFor(0));
    release.Set();
    EXPECT_TRUE(ended.WaitFor());
}

TEST_F(ConventionalPage, AnUninstallStartedBehindTheClosingQuestionIsWaitedFor) {
    ASSERT_TRUE(Load({{L"TsuQ", L"Tsu Q held", Held()}}));
    HWND main = tool.Main(), owner = nullptr;
    bool pagesDisabled = false;
    const auto answer = [&] {
        CProblemSolvingFeedbackDlg* question = test::FindShownDialog<CProblemSolvingFeedbackDlg>();
        owner = ::GetWindow(question->GetSafeHwnd(), GW_OWNER);
        pagesDisabled =
            !::IsWindowEnabled(tool.Function().GetSafeHwnd()) && !::IsWindowEnabled(tool.Start().GetSafeHwnd());
        Press(L"Tsu Q held"); // a click that was on its way when the question came
        test::ClickButton(question->Child().GetSafeHwnd(), IDC_FEEDBACK_CLOSE);
    };
    test::WhenReady behind([] { return test::FindShownDialog<CProblemSolvingFeedbackDlg>() != nullptr; }, answer,
                           test::kMustHappenMs);
    ::SendMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(behind.Ran());
    EXPECT_TRUE(owner == main && pagesDisabled);
    // After the answer the guard sees the uninstall: it warns and waits, the pages usable again.
    EXPECT_EQ(answerer.texts, kGuard);
    EXPECT_TRUE(tool.Main() == main && ::IsWindowEnabled(tool.Function().GetSafeHwnd()));
    release.Set();
    ASSERT_TRUE(tool.Closed());
    EXPECT_TRUE(started.WaitFor(0));
}

TEST_F(ConventionalPage, AWorkerThatCannotStartLeavesNothingQueuedAndAClosingDuringAReadingWaitsQuietly) {
    ASSERT_TRUE(Load({{L"TsuD", L"Tsu D", Quick()}}));
    page().SetWorkerStarter([] { return false; });
    Press(L"Tsu D");
    EXPECT_EQ(answerer.texts, std::vector<std::wstring>{L"卸载软件失败！"});
    EXPECT_EQ(std::pair(page().OperationState(0), DecideClose(tool.Function().CurrentBusyState())),
              std::pair(int{CELL_BUTTON}, CloseDecision::CloseNow));
    tool.Function().SelectTab(1);
    tool.Function().SelectTab(0); // starts a reading of the list
    const test::QuestionCloser question;
    ::SendMessageW(tool.Main(), WM_CLOSE, 0, 0);
    // Never gone while the reading still runs, and no warning.
    EXPECT_TRUE(tool.Main() != nullptr || !tool.window->Engine().IsInventoryWorkRunning());
    ASSERT_TRUE(tool.Closed());
    EXPECT_TRUE(answerer.texts.size() == 1 && !tool.window->Engine().IsInventoryWorkRunning());
}

} // namespace
} // namespace tsu
