// The tool's windows at 120 DPI. Wine reads the screen's DPI when a process starts, so this program
// sets it for a copy of itself and puts it back afterwards (the test runs alone).

#include "app/CTooltipDlg.h"
#include "controls/DrawingUtils.h"
#include "tests/app/ToolWindow.h"

#include <shellapi.h>

namespace tsu {
namespace {

SIZE SizeOf(HWND window) {
    const RECT rect = test::RectOf(window);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

TEST(At120Dpi, TheWindowsHaveTheirScaledSizes) {
    ASSERT_FLOAT_EQ(ScreenScaleFactor(), 1.2f) << "the screen is not at 120 DPI";
    test::ToolWindow tool(L"dpi");
    ASSERT_TRUE(tool.Create());
    RECT tab{};
    ASSERT_TRUE(TabCtrl_GetItemRect(tool.Function().GetDlgItem(IDC_FUNCTION_TAB), 0, &tab));
    // Pages computed in floating point from the truncated window size, and truncated again.
    EXPECT_EQ(std::tuple(SizeOf(tool.Main()).cx, SizeOf(tool.Main()).cy, SizeOf(tool.Start().GetSafeHwnd()).cx,
                         SizeOf(tool.Function().GetSafeHwnd()).cy, tab.right - tab.left),
              std::tuple(967, 727, 959, 719, 120));
    test::SaveWindowAreaPng(tool.Main(), L"start_page_120dpi");
    // The terms viewer wraps its text to the scaled box as well.
    ::SendMessageW(tool.Start().GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_TERMS_LABEL, STN_CLICKED),
                   reinterpret_cast<LPARAM>(tool.Start().GetDlgItem(IDC_TERMS_LABEL)));
    ASSERT_NE(tool.Start().TermsViewer(), nullptr);
    test::PumpPending();
    const test::TermsLayout layout = test::MeasureTermsLayout(tool.Start().TermsViewer()->Child().RichEdit());
    EXPECT_GT(layout.lines, layout.paragraphs);
    EXPECT_LE(layout.widestRight, layout.visibleRight);
    test::SaveWindowAreaPng(tool.Main(), L"terms_viewer_120dpi");
    CProblemSolvingFeedbackDlg question;
    EXPECT_NE(test::RunModal(
                  question, [&] { return question.Child().GetSafeHwnd(); },
                  [&] {
                      const SIZE host = SizeOf(question.GetSafeHwnd()), child = SizeOf(question.Child().GetSafeHwnd());
                      EXPECT_EQ(std::tuple(host.cx, host.cy, child.cx, child.cy), std::tuple(492, 574, 480, 560));
                      test::SaveWindowAreaPng(question.GetSafeHwnd(), L"feedback_dialog_120dpi");
                      test::ClickButton(question.Child().GetSafeHwnd(), IDC_FEEDBACK_CLOSE);
                  }),
              -2);
}

} // namespace
} // namespace tsu

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[argc - 1]) == "--dpi-child") {
        ::SetProcessDPIAware(); // the tool declares it in its manifest
        ::testing::InitGoogleTest(&argc, argv);
        return RUN_ALL_TESTS();
    }
    // Parent: the copy of this program runs at 120 DPI, then the old setting comes back.
    constexpr wchar_t kDesktop[] = L"Control Panel\\Desktop";
    DWORD previous = 0, size = sizeof previous, dpi = 120;
    const bool had = ::RegGetValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &previous,
                                    &size) == ERROR_SUCCESS;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const tsu::test::ProcessResult result = tsu::test::RunProcess(tsu::test::Quoted(self) + L" --dpi-child", 120000);
    if (had)
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels", REG_DWORD, &previous, sizeof previous);
    else
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels");
    std::fwrite(result.out.data(), 1, result.out.size(), stdout);
    std::fwrite(result.err.data(), 1, result.err.size(), stderr);
    return result.started ? static_cast<int>(result.exitCode) : 1;
}
