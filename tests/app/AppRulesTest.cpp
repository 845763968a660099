// The application's portable rules.

#include "app/core/DialogRules.h"
#include "app/core/PageRules.h"
#include "app/core/SelfRemovalPlan.h"
#include "app/core/WindowGeometry.h"
#include "controls/core/Scaling.h"
#include "controls/list/core/ListCell.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

TEST(WaitText, FewerThanTwoCharactersShowTheDefault) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"", kDefaultWaitText},
        {L"x", kDefaultWaitText},
        {L"\xD800\xDC00", kDefaultWaitText}, // one character in two code units, the lowest of them
        {L"\xDBFF\xDFFF", kDefaultWaitText}, // the highest
        {L"\xD83Dx", L"\xD83Dx"},            // a lone high half is a character of its own
        {L"正在", L"正在"}};
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(WaitDialogText(text), shown) << static_cast<int>(text[0]);
}

TEST(FeedbackTime, LowThirtyTwoBitsAsSignedDecimal) {
    // 2038 and later wrap.
    EXPECT_EQ(std::tuple(FeedbackTimeText(0), FeedbackTimeText(2147483647), FeedbackTimeText(2147483648LL),
                         FeedbackTimeText(0x100000005LL)),
              std::tuple(L"0", L"2147483647", L"-2147483648", L"5"));
}

TEST(PromptButtons, FollowTheStyle) {
    const struct {
        int style;
        bool secondShown, firstCentred, firstIsConfirm, secondIsCancel;
    } cases[] = {{kPromptStyleConfirm, false, true, true, false},
                 {kPromptStyleConfirmCancel, true, false, true, true},
                 {kPromptStyleYes, false, true, false, false},
                 {kPromptStyleYesNo, true, false, false, false},
                 {0, false, false, false, false},
                 {99, false, false, false, false}};
    for (const auto& c : cases) {
        const PromptButtonPlan plan = PlanPromptButtons(c.style);
        EXPECT_EQ(std::tuple(plan.secondShown, plan.firstCentred, plan.firstIsConfirm, plan.secondIsCancel),
                  std::tuple(c.secondShown, c.firstCentred, c.firstIsConfirm, c.secondIsCancel))
            << c.style;
    }
    EXPECT_TRUE(IsFirstButtonResult(1) && !IsFirstButtonResult(2) && !IsFirstButtonResult(0));
}

TEST(SelfRemoval, OrdinaryFolderRemovesOnlyTheToolsOwnFilesThenTheFolderIfEmpty) {
    const SelfRemovalPlan plan = PlanSelfRemoval(L"C:\\Tools\\My Uninstall\\TarrowSoftwareUninstall.exe", false);
    ASSERT_TRUE(plan.ShouldRemove());
    EXPECT_EQ(plan.folder, L"C:\\Tools\\My Uninstall");
    EXPECT_EQ(plan.libraryPath, L"C:\\Tools\\My Uninstall\\VeltorFeedbackInformation.dll");
    EXPECT_EQ(plan.cacheFolder, L"C:\\Tools\\My Uninstall\\Image");
    const std::wstring& p = plan.commandParameters;
    // /D: no AutoRun command of the registry runs in the elevated interpreter. The folder itself only
    // without /s: a folder that still holds anything stays.
    EXPECT_EQ(p.rfind(L"/D /C ", 0), 0u);
    for (const wchar_t* part : {L"del /f /q \"C:\\Tools\\My Uninstall\\TarrowSoftwareUninstall.exe\"",
                                L"del /f /q \"C:\\Tools\\My Uninstall\\VeltorFeedbackInformation.dll\"",
                                L"rmdir \"C:\\Tools\\My Uninstall\\Image\"", L"& rmdir \"C:\\Tools\\My Uninstall\""})
        EXPECT_NE(p.find(part), std::wstring::npos) << part;
    EXPECT_EQ(std::pair(p.find(L"/s"), p.find(L"*")), std::pair(std::wstring::npos, std::wstring::npos));
    // It waits for the tool to end before deleting anything.
    EXPECT_LT(p.find(L"set /p"), p.find(L"del "));
}

TEST(SelfRemoval, EveryDriveAndShareFolderIsRemovedByTheExecutablesOwnName) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"D:\\a\\uninstall-tool (2).exe", L"D:\\a"},
        {L"Z:\\a\\tool.exe", L"Z:\\a"},
        {L"z:\\a\\tool.exe", L"z:\\a"},
        {L"\\\\server\\share\\Tools\\tool.exe", L"\\\\server\\share\\Tools"}};
    for (const auto& [path, folder] : cases) {
        const SelfRemovalPlan plan = PlanSelfRemoval(path, false);
        ASSERT_TRUE(plan.ShouldRemove()) << path;
        EXPECT_EQ(plan.folder, folder);
        EXPECT_NE(plan.commandParameters.find(L"\"" + std::wstring(path) + L"\""), std::wstring::npos);
    }
}

TEST(SelfRemoval, RootsUnsafeAndCutPathsRemoveNothing) {
    const struct {
        const wchar_t* path;
        bool cut;
        SelfRemovalVerdict verdict;
    } cases[] = {{L"C:\\TarrowSoftwareUninstall.exe", false, SelfRemovalVerdict::RootFolder},
                 {L"\\\\server\\share\\tool.exe", false, SelfRemovalVerdict::RootFolder},
                 {L"C:\\Tools\\100%\\tool.exe", false, SelfRemovalVerdict::UnsafeCharacter},
                 {L"C:\\Tools\\x\"y\\tool.exe", false, SelfRemovalVerdict::UnsafeCharacter},
                 {L"C:\\Tools\\a\nb\\tool.exe", false, SelfRemovalVerdict::UnsafeCharacter},
                 {L"\\\\?\\C:\\Tools\\tool.exe", false, SelfRemovalVerdict::UnsafeCharacter},
                 {L"C:\\Tools\\..\\tool.exe", false, SelfRemovalVerdict::UnsafeCharacter},
                 {L"C:\\Tools\\\\tool.exe", false, SelfRemovalVerdict::UnsafeCharacter},
                 {L"C:\\Very\\Long\\Path\\Cut\\Here", true, SelfRemovalVerdict::PathCut},
                 {L"tool.exe", false, SelfRemovalVerdict::NotAbsolute},
                 {L"", false, SelfRemovalVerdict::NotAbsolute},
                 {L"\\\\\\a\\b\\tool.exe", false, SelfRemovalVerdict::NotAbsolute}, // no server name
                 {L"C:\\", false, SelfRemovalVerdict::NoFileName}};
    for (const auto& c : cases) {
        const SelfRemovalPlan plan = PlanSelfRemoval(c.path, c.cut);
        EXPECT_EQ(plan.verdict, c.verdict) << c.path;
        EXPECT_TRUE(!plan.ShouldRemove() && plan.commandParameters.empty());
    }
}

TEST(SelfRemoval, OnlyNumberedPicturesCountAsTheCache) {
    // The last: a name inside a longer buffer is read up to its own end only.
    for (std::wstring_view name : {std::wstring_view(L"0.png"), {L"299.PNG"}, {L"123456789.png"}, {L"7.pngx", 5}})
        EXPECT_TRUE(IsCachePictureName(name)) << std::wstring(name);
    for (const wchar_t* name : {L".png", L"holiday.png", L"1.png.txt", L"1.jpg", L"-1.png", L"1234567890.png"})
        EXPECT_FALSE(IsCachePictureName(name)) << name;
}

TEST(Geometry, DesignSizesAtTheUsualDpis) {
    EXPECT_EQ(ScaledSize(kMainDesignWidth, kMainDesignHeight, ScaleFactorFromDpi(96)), (WindowBox{0, 0, 806, 606}));
    EXPECT_EQ(ScaledSize(kMainDesignWidth, kMainDesignHeight, ScaleFactorFromDpi(120)), (WindowBox{0, 0, 967, 727}));
    // Pages are computed from the truncated window size.
    EXPECT_EQ(InsetBox(WindowBox{237, 209, 806, 606}, kPageInset, 1.0f), (WindowBox{240, 211, 800, 600}));
    EXPECT_EQ(InsetBox(WindowBox{156, 148, 967, 727}, kPageInset, 1.2f), (WindowBox{159, 150, 959, 719}));
    EXPECT_EQ(CentredOnScreen(806, 606, 1280, 1024), (WindowBox{237, 209, 806, 606}));
    EXPECT_EQ(CentredOnScreen(967, 727, 1280, 1024), (WindowBox{157, 149, 967, 727}));
    const WindowBox terms = TermsViewerBox(WindowBox{240, 211, 800, 600}, 1.0f);
    EXPECT_EQ(terms, (WindowBox{240 + 400 - 270, 211 + 600 - 430, 541, 402}));
}

TEST(Geometry, DraggingAChildAndPlacingItBackAgreeAtEveryScale) {
    for (float scale : {1.0f, 1.2f, 1.25f, 1.44f, 2.0f}) {
        for (const DesignInset& inset : {kPageInset, kPromptChildInset, kWaitChildInset, kFeedbackChildInset}) {
            const WindowBox host{100, 50, 410, 479};
            const WindowBox child = InsetBox(host, inset, scale);
            const WindowBox back = OutsetBox(child, inset, scale);
            EXPECT_EQ(std::pair(back.x, back.y), std::pair(host.x, host.y)) << scale;
            // Moving the host to the outset place puts the child exactly where it was.
            EXPECT_EQ(std::pair(InsetBox(back, inset, scale).x, InsetBox(back, inset, scale).y),
                      std::pair(child.x, child.y));
        }
    }
}

TEST(Geometry, DragStripIsTheTopThirtyPixelsWithoutTheRightPart) {
    EXPECT_TRUE(InDragStrip(0, 0, 800, 30, 86) && InDragStrip(713, 29, 800, 30, 86));
    EXPECT_FALSE(InDragStrip(714, 10, 800, 30, 86)); // minimise and close buttons
    EXPECT_FALSE(InDragStrip(10, 30, 800, 30, 86) || InDragStrip(-1, 10, 800, 30, 86));
}

TEST(RowState, QueueingAndEngineStatesMapToCellKinds) {
    EXPECT_EQ(std::tuple(CellKindAfterQueueing(false, false), CellKindAfterQueueing(true, true),
                         CellKindAfterQueueing(true, false)),
              std::tuple(CELL_UNINSTALLING, CELL_WAITING, CELL_UNINSTALLING));
    EXPECT_EQ(std::tuple(CellKindForUninstallState(1), CellKindForUninstallState(2), CellKindForUninstallState(3)),
              std::tuple(CELL_DONE, CELL_BUTTON, CELL_UNINSTALLING));
    for (uintptr_t state : {uintptr_t{0}, uintptr_t{4}, static_cast<uintptr_t>(-1)})
        EXPECT_FALSE(CellKindForUninstallState(state).has_value());
}

TEST(RowState, RowsAreFoundByNameAndKeyAndKeepTheirStateAcrossARefill) {
    SoftwareRecord a;
    a.displayName = L"Alpha";
    a.keyPath = L"HKEY_CURRENT_USER\\...\\Alpha";
    SoftwareRecord otherKey = a;
    otherKey.keyPath = L"HKEY_LOCAL_MACHINE\\...\\Alpha";
    SoftwareRecord otherName = a;
    otherName.displayName = L"alpha";
    const std::vector<const SoftwareRecord*> rows = {nullptr, &a, &otherKey};
    EXPECT_EQ(std::tuple(FindRecordRow(rows, &a), FindRecordRow(rows, &otherKey), FindRecordRow(rows, &otherName),
                         FindRecordRow(rows, nullptr), FindRecordRow({}, &a)),
              std::tuple(1, 2, -1, -1, -1));
    const struct {
        std::vector<int> kinds; // noted for a, in order
        int refilled;
    } cases[] = {{{}, CELL_BUTTON},
                 {{CELL_WAITING}, CELL_WAITING},
                 {{CELL_WAITING, CELL_UNINSTALLING}, CELL_UNINSTALLING},
                 {{CELL_UNINSTALLING, CELL_DONE}, CELL_DONE},
                 {{CELL_UNINSTALLING, CELL_TEXT}, CELL_BUTTON}};
    for (const auto& c : cases) {
        std::vector<KeptRowState> kept;
        for (int kind : c.kinds)
            KeepRowState(kept, a, kind);
        EXPECT_EQ(std::pair(CellKindOnRefill(kept, a), CellKindOnRefill(kept, otherKey)),
                  std::pair(c.refilled, int{CELL_BUTTON}));
        EXPECT_LE(kept.size(), 1u);
    }
}

TEST(CloseDecision, UninstallsWarnShortTasksWaitQuietly) {
    const std::pair<BusyState, CloseDecision> cases[] = {
        {BusyState{}, CloseDecision::CloseNow},
        {BusyState{true, false, false, false, false}, CloseDecision::WarnThenWait},
        {BusyState{false, true, false, false, false}, CloseDecision::WarnThenWait},
        {BusyState{false, false, false, true, false}, CloseDecision::WarnThenWait},
        {BusyState{false, false, true, false, false}, CloseDecision::WaitSilently},
        {BusyState{false, false, false, false, true}, CloseDecision::WaitSilently},
        {BusyState{true, false, true, false, true}, CloseDecision::WarnThenWait}};
    for (const auto& [state, decision] : cases)
        EXPECT_EQ(std::pair(DecideClose(state), IsIdle(state)),
                  std::pair(decision, decision == CloseDecision::CloseNow));
    // A second close leaves the engine's work behind, never the intelligent page's.
    EXPECT_TRUE(MayStopWaitingOnSecondClose(BusyState{true, true, true, false, false}));
    EXPECT_FALSE(MayStopWaitingOnSecondClose(BusyState{true, false, false, true, false}) ||
                 MayStopWaitingOnSecondClose(BusyState{false, false, false, false, true}));
}

TEST(TermsViewer, HidesOnClicksAwayFromLabelAndViewer) {
    // Outside the tool, elsewhere on the page, a hidden viewer (no target); not the label (it toggles
    // the viewer itself) nor the viewer (its scroll bar).
    EXPECT_TRUE(ShouldHideTermsViewer(false, false, false, true) && ShouldHideTermsViewer(true, false, false, true) &&
                ShouldHideTermsViewer(true, false, true, false));
    EXPECT_FALSE(ShouldHideTermsViewer(true, true, false, true) || ShouldHideTermsViewer(true, false, true, true));
}

} // namespace
} // namespace tsu
