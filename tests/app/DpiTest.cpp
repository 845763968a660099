// The tool's windows at 120 DPI. Wine reads the screen's DPI when a process starts, so this program
// sets it for a copy of itself and puts it back afterwards (the test runs alone).

#include "app/CTooltipDlg.h"
#include "app/core/TermsText.h"
#include "controls/DrawingUtils.h"
#include "tests/app/ToolWindow.h"

#include <shellapi.h>

#include <algorithm>

namespace tsu {
namespace {

// Every line wrapped to the visible width of the box: more lines than paragraphs, none reaching past it.
void ExpectTermsWrapped(HWND edit) {
    const int lines = static_cast<int>(::SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
    EXPECT_GT(lines, std::count(TermsText().begin(), TermsText().end(), L'\n') + 1);
    // A skinned box sits in a clipping window that hides its standard scroll bar.
    RECT visible{}, clip{};
    ::GetClientRect(edit, &visible);
    ::GetClientRect(::GetParent(edit), &clip);
    ::MapWindowPoints(::GetParent(edit), edit, reinterpret_cast<POINT*>(&clip), 2);
    const auto xOf = [edit](LRESULT index) {
        POINTL point{};
        ::SendMessageW(edit, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), index);
        return static_cast<int>(point.x);
    };
    for (int line = 0; line < lines; ++line) {
        const LRESULT first = ::SendMessageW(edit, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
        const LRESULT length = ::SendMessageW(edit, EM_LINELENGTH, static_cast<WPARAM>(first), 0);
        if (first >= 0 && length >= 2) // the last character's left edge plus its width
            EXPECT_LE(2 * xOf(first + length - 1) - xOf(first + length - 2), std::min(visible.right, clip.right));
    }
}

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
    test::ClickButton(tool.Start().GetSafeHwnd(), IDC_TERMS_LABEL); // STN_CLICKED is 0 as well
    ASSERT_NE(tool.Start().TermsViewer(), nullptr);
    test::PumpPending();
    ExpectTermsWrapped(tool.Start().TermsViewer()->Child().RichEdit());
    test::SaveWindowAreaPng(tool.Main(), L"terms_viewer_120dpi");
    CProblemSolvingFeedbackDlg question;
    const auto check = [&] {
        const SIZE host = SizeOf(question.GetSafeHwnd()), child = SizeOf(question.Child().GetSafeHwnd());
        EXPECT_EQ(std::tuple(host.cx, host.cy, child.cx, child.cy), std::tuple(492, 574, 480, 560));
        test::SaveWindowAreaPng(question.GetSafeHwnd(), L"feedback_dialog_120dpi");
        test::ClickButton(question.Child().GetSafeHwnd(), IDC_FEEDBACK_CLOSE);
    };
    EXPECT_NE(test::RunModal(
                  question, [&] { return question.Child().GetSafeHwnd(); }, check),
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
