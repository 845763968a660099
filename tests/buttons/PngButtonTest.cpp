#include "controls/buttons/CPngButton.h"
#include "res/ResourceIds.h"
#include "tests/buttons/ButtonTestSupport.h"

namespace tsu::test {
namespace {

constexpr UINT kButtonId = 2001;
constexpr int kWidth = 55; // the "是" pictures are 55 x 24
constexpr int kHeight = 24;
constexpr POINT kInside{20, 12};
constexpr RECT kAll{0, 0, kWidth, kHeight};

class PngButtonTest : public ButtonWindowTest {
protected:
    void SetUp() override {
        ButtonWindowTest::SetUp();
        ASSERT_TRUE(m_button.Create(L"", BS_OWNERDRAW | WS_VISIBLE, RECT{10, 10, 10 + kWidth, 10 + kHeight},
                                    m_host->GetSafeHwnd(), kButtonId));
        CountClicks(kButtonId);
    }
    void TearDown() override {
        (void)m_button.DestroyWindow();
        ButtonWindowTest::TearDown();
    }
    bool SetYesImages(UINT disabled = IDB_PNG_YES_PRESSED) {
        return m_button.SetImages(IDB_PNG_YES_NORMAL, IDB_PNG_YES_HOVER, IDB_PNG_YES_PRESSED, disabled);
    }
    static CMemoryCanvas Picture(UINT id) { return ExpectedPicture(id, ListRect{0, 0, kWidth, kHeight}, kWidth, kHeight); }
    double LooksLike(UINT id) { return MatchingShare(Capture(Button()), Picture(id)); }
    HWND Button() const { return m_button.GetSafeHwnd(); }

    CPngButton m_button;
};

TEST_F(PngButtonTest, HoverPressReleaseAndLeaveShowTheirPictures) {
    ASSERT_TRUE(SetYesImages());
    EXPECT_GT(LooksLike(IDB_PNG_YES_NORMAL), 0.95);
    MovePointerTo(Button(), kInside);
    ::SendMessageW(Button(), WM_MOUSEMOVE, 0, MAKELPARAM(kInside.x, kInside.y));
    ASSERT_TRUE(PumpUntil([&] { return m_button.GetState() == kButtonHover; }, 10000));
    EXPECT_GT(LooksLike(IDB_PNG_YES_HOVER), 0.95);
    ::SendMessageW(Button(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kInside.x, kInside.y));
    EXPECT_EQ(m_button.GetState(), kButtonPressed);
    EXPECT_GT(LooksLike(IDB_PNG_YES_PRESSED), 0.95);
    (void)SaveWindowPng(m_host->GetSafeHwnd(), L"buttons_png_pressed");
    ::SendMessageW(Button(), WM_LBUTTONUP, 0, MAKELPARAM(kInside.x, kInside.y));
    EXPECT_EQ(m_button.GetState(), kButtonHover);
    EXPECT_EQ(m_clicks, 1);
    // Off the pressed button: back to the normal look.
    ::SendMessageW(Button(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kInside.x, kInside.y));
    ::ReleaseCapture();
    MovePointerAway();
    ASSERT_TRUE(PumpUntil([&] { return m_button.GetState() == kButtonNormal; }, 10000));
    EXPECT_GT(LooksLike(IDB_PNG_YES_NORMAL), 0.95);
}

TEST_F(PngButtonTest, CaptionIsBlackThenWhiteOnHoverAndGreyOnTheDisabledPicture) {
    ASSERT_TRUE(SetYesImages(IDB_PNG_CONFIRM_NORMAL));
    UniqueHfont font = CaptionFont(-16);
    m_button.SetCaption(L"WWW");
    m_button.SetCaptionFont(font.Get());
    // More pixels of the colour than the bare picture has.
    auto more = [](const CMemoryCanvas& shot, UINT picture, COLORREF colour, int tolerance) {
        auto matches = [&](COLORREF c) { return ColorNear(c, colour, tolerance); };
        return CountPixels(shot, kAll, matches) - CountPixels(Picture(picture), kAll, matches);
    };
    EXPECT_GT(more(Capture(Button()), IDB_PNG_YES_NORMAL, RGB(0, 0, 0), 30), 10);
    ::SendMessageW(Button(), WM_MOUSEHOVER, 0, MAKELPARAM(kInside.x, kInside.y));
    EXPECT_GT(more(Capture(Button()), IDB_PNG_YES_HOVER, RGB(255, 255, 255), 30), 10);
    ::SendMessageW(Button(), WM_MOUSELEAVE, 0, 0);
    m_button.EnableWindow(false);
    const CMemoryCanvas disabled = Capture(Button());
    EXPECT_GT(more(disabled, IDB_PNG_CONFIRM_NORMAL, RGB(192, 192, 192), 6), 10);
    EXPECT_TRUE(ColorNear(disabled.PixelAt(2, 2), Picture(IDB_PNG_CONFIRM_NORMAL).PixelAt(2, 2)));
    ::SendMessageW(Button(), WM_MOUSEHOVER, 0, MAKELPARAM(kInside.x, kInside.y)); // ignored while disabled
    EXPECT_EQ(m_button.GetState(), kButtonNormal);
}

TEST_F(PngButtonTest, MissingPicturesDrawNothingButTheButtonStillWorks) {
    EXPECT_FALSE(m_button.SetImages(IDB_PNG_YES_NORMAL, 60001, IDB_PNG_YES_PRESSED, IDB_PNG_YES_PRESSED));
    EXPECT_LT(LooksLike(IDB_PNG_YES_NORMAL), 0.5);
    ::SendMessageW(Button(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kInside.x, kInside.y));
    EXPECT_EQ(m_button.GetState(), kButtonPressed);
    ::SendMessageW(Button(), WM_LBUTTONUP, 0, MAKELPARAM(kInside.x, kInside.y));
    EXPECT_EQ(m_clicks, 1);
    m_button.ReleaseImages();
    EXPECT_LT(LooksLike(IDB_PNG_YES_NORMAL), 0.5);
}

} // namespace
} // namespace tsu::test
