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
    // Share of the 16 x 16 mark that matches the strip state.
    static double MarkLooksLike(const CMemoryCanvas& screen, bool checked, float scale = 1.0f) {
        const ListRect mark = CheckBoxMarkRect(ListRect{0, 0, kWidth, kHeight}, scale);
        CMemoryCanvas part;
        EXPECT_TRUE(part.CreateDib32(mark.Width(), mark.Height()));
        ::BitBlt(part.Dc(), 0, 0, mark.Width(), mark.Height(), screen.Dc(), mark.left, mark.top, SRCCOPY);
        return MatchingShare(part, ExpectedPicture(IDB_PNG_CHECKBOX_STRIP, ListRect::FromSize(checked ? 16 : 0, 0, 16, 16),
                                                   mark.Width(), mark.Height()));
    }
    double MarkNow(bool checked) { return MarkLooksLike(ScreenNow(m_box.GetSafeHwnd()), checked); }

    CCheckBoxBtn m_box;
};

TEST_F(CheckBoxBtnTest, EveryToggleIsRepaintedAtOnce) {
    (void)Capture(m_box.GetSafeHwnd()); // first paint
    EXPECT_GT(MarkNow(false), 0.9);
    Click(m_box.GetSafeHwnd(), POINT{5, 10});
    ASSERT_EQ(m_box.GetCheck(), BST_CHECKED);
    EXPECT_GT(MarkNow(true), 0.9);
    (void)SaveWindowPng(m_host->GetSafeHwnd(), L"buttons_checkbox_checked");
    Click(m_box.GetSafeHwnd(), POINT{5, 10});
    ASSERT_EQ(m_box.GetCheck(), BST_UNCHECKED);
    EXPECT_GT(MarkNow(false), 0.9);
    // By the program (the page ticks the box at start), by the keyboard, across disable and enable.
    m_box.SetCheck(BST_CHECKED);
    EXPECT_GT(MarkNow(true), 0.9);
    m_box.DisableButton();
    EXPECT_FALSE(m_box.IsWindowEnabled());
    EXPECT_GT(MarkNow(true), 0.9);
    m_box.EnableButton();
    EXPECT_TRUE(m_box.IsWindowEnabled());
    ::SendMessageW(m_box.GetSafeHwnd(), WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageW(m_box.GetSafeHwnd(), WM_KEYUP, VK_SPACE, 0);
    ASSERT_EQ(m_box.GetCheck(), BST_UNCHECKED);
    EXPECT_GT(MarkNow(false), 0.9);
}

TEST_F(CheckBoxBtnTest, TextIsDrawnBesideTheBoxInItsColourAndTheBoxScales) {
    m_box.SetTextColor(RGB(255, 0, 0));
    const CMemoryCanvas screen = Capture(m_box.GetSafeHwnd());
    // Anti-aliased glyphs: count pixels where red clearly dominates.
    auto red = [](COLORREF c) { return GetRValue(c) > GetGValue(c) + 60 && GetRValue(c) > GetBValue(c) + 60; };
    EXPECT_GT(CountPixels(screen, RECT{18, 0, kWidth, kHeight}, red), 20);
    EXPECT_EQ(CountPixels(screen, RECT{0, 0, 16, kHeight}, red), 0);
    m_box.SetScale(1.2f);
    m_box.SetCheck(BST_CHECKED);
    EXPECT_GT(MarkLooksLike(Capture(m_box.GetSafeHwnd()), true, 1.2f), 0.85);
}

TEST_F(CheckBoxBtnTest, MissingStripLeavesTheBoxOutButKeepsTheText) {
    SetResourceModule(::GetModuleHandleW(L"kernel32.dll")); // an executable that lost its PNGs
    CCheckBoxBtn bare;
    ASSERT_TRUE(bare.Create(L"WWWW", BS_AUTOCHECKBOX | WS_VISIBLE, RECT{10, 100, 10 + kWidth, 100 + kHeight},
                            m_host->GetSafeHwnd(), kCheckId + 1));
    bare.SetFontFromParent();
    bare.SetCheck(BST_CHECKED);
    const CMemoryCanvas screen = Capture(bare.GetSafeHwnd());
    EXPECT_FALSE(bare.HasCheckImage());
    EXPECT_EQ(CountNonBackground(screen, RECT{0, 0, 16, kHeight}, RGB(255, 255, 255)), 0);
    EXPECT_GT(CountNonBackground(screen, RECT{18, 0, kWidth, kHeight}, RGB(255, 255, 255)), 10);
    Click(bare.GetSafeHwnd(), POINT{5, 10}); // still a working check box
    EXPECT_EQ(bare.GetCheck(), BST_UNCHECKED);
}

} // namespace
} // namespace tsu::test
