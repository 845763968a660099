#include "controls/buttons/CCheckBoxBtn.h"
#include "controls/buttons/core/ButtonRules.h"
#include "framework/ResourceModule.h"
#include "res/ResourceIds.h"
#include "tests/buttons/ButtonTestSupport.h"

namespace tsu::test {
namespace {

constexpr UINT kCheckId = 2003;
constexpr int kWidth = 140;
constexpr int kHeight = 20;

class CheckBoxBtnTest : public ButtonWindowTest {
protected:
    void SetUp() override {
        ButtonWindowTest::SetUp();
        ASSERT_TRUE(m_box.Create(L"同意 terms", BS_AUTOCHECKBOX | WS_VISIBLE | WS_TABSTOP,
                                 RECT{10, 60, 10 + kWidth, 60 + kHeight}, m_host->GetSafeHwnd(), kCheckId));
        m_box.SetFontFromParent();
    }
    void TearDown() override {
        (void)m_box.DestroyWindow();
        SetResourceModule(nullptr);
        ButtonWindowTest::TearDown();
    }
    // What the screen shows right now, without asking anybody to repaint first.
    CMemoryCanvas ScreenNow() {
        CMemoryCanvas canvas;
        EXPECT_TRUE(canvas.CreateDib32(kWidth, kHeight));
        HDC windowDc = ::GetDC(m_box.GetSafeHwnd());
        EXPECT_TRUE(::BitBlt(canvas.Dc(), 0, 0, kWidth, kHeight, windowDc, 0, 0, SRCCOPY));
        ::ReleaseDC(m_box.GetSafeHwnd(), windowDc);
        return canvas;
    }
    // Share of the 16 x 16 mark that matches the strip state.
    double MarkLooksLike(const CMemoryCanvas& screen, bool checked, float scale = 1.0f) {
        const ListRect mark = CheckBoxMarkRect(ListRect{0, 0, kWidth, kHeight}, scale);
        CMemoryCanvas part;
        EXPECT_TRUE(part.CreateDib32(mark.Width(), mark.Height()));
        ::BitBlt(part.Dc(), 0, 0, mark.Width(), mark.Height(), screen.Dc(), mark.left, mark.top, SRCCOPY);
        return MatchingShare(part,
                             ExpectedPicture(IDB_PNG_CHECKBOX_STRIP, ListRect::FromSize(checked ? 16 : 0, 0, 16, 16),
                                             mark.Width(), mark.Height()));
    }
    void Click() {
        ::SendMessageW(m_box.GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 10));
        ::SendMessageW(m_box.GetSafeHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 10));
    }

    CCheckBoxBtn m_box;
};

TEST_F(CheckBoxBtnTest, EveryToggleIsRepaintedAtOnce) {
    (void)Capture(m_box.GetSafeHwnd()); // first paint
    EXPECT_GT(MarkLooksLike(ScreenNow(), false), 0.9);

    Click();
    ASSERT_EQ(m_box.GetCheck(), BST_CHECKED);
    EXPECT_GT(MarkLooksLike(ScreenNow(), true), 0.9);
    (void)SaveWindowPng(m_host->GetSafeHwnd(), L"buttons_checkbox_checked");

    Click();
    ASSERT_EQ(m_box.GetCheck(), BST_UNCHECKED);
    EXPECT_GT(MarkLooksLike(ScreenNow(), false), 0.9);

    // A toggle by the program (the page ticks the box at start) and by the keyboard.
    m_box.SetCheck(BST_CHECKED);
    EXPECT_GT(MarkLooksLike(ScreenNow(), true), 0.9);
    ::SendMessageW(m_box.GetSafeHwnd(), WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageW(m_box.GetSafeHwnd(), WM_KEYUP, VK_SPACE, 0);
    ASSERT_EQ(m_box.GetCheck(), BST_UNCHECKED);
    EXPECT_GT(MarkLooksLike(ScreenNow(), false), 0.9);
}

TEST_F(CheckBoxBtnTest, TextIsDrawnBesideTheBoxInItsColour) {
    m_box.SetTextColor(RGB(255, 0, 0));
    const CMemoryCanvas screen = Capture(m_box.GetSafeHwnd());
    // Anti-aliased glyphs: count pixels where red clearly dominates.
    auto red = [](COLORREF c) { return GetRValue(c) > GetGValue(c) + 60 && GetRValue(c) > GetBValue(c) + 60; };
    EXPECT_GT(CountPixels(screen, RECT{18, 0, kWidth, kHeight}, red), 20);
    EXPECT_EQ(CountPixels(screen, RECT{0, 0, 16, kHeight}, red), 0);
}

TEST_F(CheckBoxBtnTest, ScaledBoxAt120Dpi) {
    m_box.SetScale(1.2f);
    m_box.SetCheck(BST_CHECKED);
    EXPECT_GT(MarkLooksLike(Capture(m_box.GetSafeHwnd()), true, 1.2f), 0.85);
}

TEST_F(CheckBoxBtnTest, MissingStripLeavesTheBoxOutButKeepsTheText) {
    // A module without PNG resources stands for an executable that lost them.
    SetResourceModule(::GetModuleHandleW(L"kernel32.dll"));
    CCheckBoxBtn bare;
    ASSERT_TRUE(bare.Create(L"WWWW", BS_AUTOCHECKBOX | WS_VISIBLE, RECT{10, 100, 10 + kWidth, 100 + kHeight},
                            m_host->GetSafeHwnd(), kCheckId + 1));
    bare.SetFontFromParent();
    bare.SetCheck(BST_CHECKED);
    const CMemoryCanvas screen = Capture(bare.GetSafeHwnd());
    EXPECT_FALSE(bare.HasCheckImage());
    EXPECT_EQ(CountNonBackground(screen, RECT{0, 0, 16, kHeight}, RGB(255, 255, 255)), 0);
    EXPECT_GT(CountNonBackground(screen, RECT{18, 0, kWidth, kHeight}, RGB(255, 255, 255)), 10);
    // Still a working check box.
    ::SendMessageW(bare.GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 10));
    ::SendMessageW(bare.GetSafeHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 10));
    EXPECT_EQ(bare.GetCheck(), BST_UNCHECKED);
}

TEST_F(CheckBoxBtnTest, DisableAndEnableKeepTheCustomLook) {
    m_box.SetCheck(BST_CHECKED);
    m_box.DisableButton();
    EXPECT_FALSE(m_box.IsWindowEnabled());
    EXPECT_GT(MarkLooksLike(ScreenNow(), true), 0.9);
    m_box.EnableButton();
    EXPECT_TRUE(m_box.IsWindowEnabled());
    EXPECT_GT(MarkLooksLike(ScreenNow(), true), 0.9);
}

} // namespace
} // namespace tsu::test
