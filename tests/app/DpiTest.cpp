// The tool's windows at 120 DPI: the main window 967 x 727, the pages 959 x 719 (each computed in
// floating point from the truncated window size and truncated again), tabs 120 wide, the terms
// wrapped to their box, the closing question 492 x 574 around its 480 x 560 child. Wine reads the
// screen's DPI when a process starts, so this program sets it for a copy of itself and puts it
// back afterwards (the test runs alone).

#include "app/CProblemSolvingFeedbackDlg.h"
#include "app/CPromptDlg.h"
#include "app/CTooltipDlg.h"
#include "controls/DrawingUtils.h"
#include "framework/ScopedHandles.h"
#include "tests/app/TermsLayout.h"
#include "tests/app/ToolWindow.h"
#include "tests/common/TestProcess.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <optional>

namespace tsu {
namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kLogPixels[] = L"LogPixels";

TEST(At120Dpi, TheWindowsHaveTheirScaledSizes) {
    ASSERT_FLOAT_EQ(ScreenScaleFactor(), 1.2f) << "the screen is not at 120 DPI";
    test::ToolWindow tool(L"dpi");
    ASSERT_TRUE(tool.Create());
    RECT main{}, start{}, function{};
    ::GetWindowRect(tool.window->GetSafeHwnd(), &main);
    ::GetWindowRect(tool.Start().GetSafeHwnd(), &start);
    ::GetWindowRect(tool.Function().GetSafeHwnd(), &function);
    EXPECT_EQ(main.right - main.left, 967);
    EXPECT_EQ(main.bottom - main.top, 727);
    EXPECT_EQ(start.right - start.left, 959);
    EXPECT_EQ(start.bottom - start.top, 719);
    EXPECT_EQ(start.left - main.left, 3);
    EXPECT_EQ(start.top - main.top, 2);
    EXPECT_TRUE(::EqualRect(&start, &function));
    test::SaveWindowAreaPng(tool.window->GetSafeHwnd(), L"start_page_120dpi");
    RECT tab{};
    ASSERT_TRUE(TabCtrl_GetItemRect(tool.Function().GetDlgItem(IDC_FUNCTION_TAB), 0, &tab));
    EXPECT_EQ(tab.right - tab.left, 120);
    // The terms viewer wraps its text to the scaled box as well.
    HWND label = tool.Start().GetDlgItem(IDC_TERMS_LABEL);
    ::SendMessageW(tool.Start().GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_TERMS_LABEL, STN_CLICKED),
                   reinterpret_cast<LPARAM>(label));
    ASSERT_NE(tool.Start().TermsViewer(), nullptr);
    test::PumpPending();
    const test::TermsLayout layout = test::MeasureTermsLayout(tool.Start().TermsViewer()->Child().RichEdit());
    EXPECT_GT(layout.lines, layout.paragraphs);
    EXPECT_LE(layout.widestRight, layout.visibleRight);
    test::SaveWindowAreaPng(tool.window->GetSafeHwnd(), L"terms_viewer_120dpi");
    ::SendMessageW(tool.Start().GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_TERMS_LABEL, STN_CLICKED),
                   reinterpret_cast<LPARAM>(label));

    CProblemSolvingFeedbackDlg question;
    SIZE host{}, child{};
    test::WhenReady measure([&] { return question.GetSafeHwnd() && question.Child().IsWindowVisible(); },
                            [&] {
                                const RECT h = question.GetWindowRect();
                                const RECT c = question.Child().GetWindowRect();
                                host = SIZE{h.right - h.left, h.bottom - h.top};
                                child = SIZE{c.right - c.left, c.bottom - c.top};
                                test::SaveWindowAreaPng(question.GetSafeHwnd(), L"feedback_dialog_120dpi");
                                test::ClickButton(question.Child().GetSafeHwnd(), IDC_FEEDBACK_CLOSE);
                            });
    (void)question.DoModal();
    EXPECT_EQ(host.cx, 492);
    EXPECT_EQ(host.cy, 574);
    EXPECT_EQ(child.cx, 480);
    EXPECT_EQ(child.cy, 560);
}

std::optional<DWORD> ReadLogPixels() {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void WriteLogPixels(std::optional<DWORD> value) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    if (value)
        ::RegSetValueExW(key, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*value), sizeof(DWORD));
    else
        ::RegDeleteValueW(key, kLogPixels);
    ::RegCloseKey(key);
}

} // namespace
} // namespace tsu

int main(int argc, char** argv) {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    const bool child = arguments && count > 1 && std::wstring(arguments[count - 1]) == L"--dpi-child";
    if (arguments)
        ::LocalFree(arguments);
    if (child) {
        // The tool declares itself DPI-aware in its manifest; this program does it here.
        ::SetProcessDPIAware();
        ::testing::InitGoogleTest(&argc, argv);
        return RUN_ALL_TESTS();
    }
    // Parent: the copy of this program runs at 120 DPI, then the old setting comes back.
    const std::optional<DWORD> previous = tsu::ReadLogPixels();
    tsu::WriteLogPixels(120);
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const tsu::test::ProcessResult result =
        tsu::test::RunProcess(L"\"" + std::wstring(self) + L"\" --dpi-child", 120000);
    tsu::WriteLogPixels(previous);
    std::fwrite(result.out.data(), 1, result.out.size(), stdout);
    std::fwrite(result.err.data(), 1, result.err.size(), stderr);
    return result.started ? static_cast<int>(result.exitCode) : 1;
}
