#include "controls/buttons/CPngButton.h"
#include "res/ResourceIds.h"
#include "tests/buttons/ButtonTestSupport.h"

namespace tsu::test {
namespace {

constexpr UINT kButtonId = 2001;
constexpr int kWidth = 55; // the "是" pictures are 55 x 24
constexpr int kHeight = 24;

class PngButtonTest : public ButtonWindowTest {
protected:
    void SetUp() override {
        ButtonWindowTest::SetUp();
        ASSERT_TRUE(m_button.Create(L"", BS_OWNERDRAW | WS_VISIBLE, RECT{10, 10, 10 + kWidth, 10 + kHeight},
                                    m_host->GetSafeHwnd(), kButtonId));
    }
    void TearDown() override {
        (void)m_button.DestroyWindow();
        ButtonWindowTest::TearDown();
    }
    double LooksLike(UINT id) {
        return MatchingShare(Capture(m_button.GetSafeHwnd()),
                             ExpectedPicture(id, ListRect{0, 0, kWidth, kHeight}, kWidth, kHeight));
    }
    HWND Button() const { return m_button.GetSafeHwnd(); }

    CPngButton m_button;
};

TEST_F(PngButtonTest, HoverPressAndLeaveShowTheirPictures) {
    ASSERT_TRUE(m_button.SetImages(IDB_PNG_YES_NORMAL, IDB_PNG_YES_HOVER, IDB_PNG_YES_PRESSED, IDB_PNG_YES_PRESSED));
    EXPECT_GT(LooksLike(IDB_PNG_YES_NORMAL), 0.95);

    MovePointerTo(Button(), POINT{20, 12});
    ::SendMessageW(Button(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 12));
    ASSERT_TRUE(PumpUntil([&] { return m_button.GetState() == kButtonHover; }, 3000));
    EXPECT_GT(LooksLike(IDB_PNG_YES_HOVER), 0.95);

    ::SendMessageW(Button(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 12));
    EXPECT_EQ(m_button.GetState(), kButtonPressed);
    EXPECT_GT(LooksLike(IDB_PNG_YES_PRESSED), 0.95);
    (void)SaveWindowPng(m_host->GetSafeHwnd(), L"buttons_png_pressed");

    // Off the pressed button: back to the normal look.
    ::ReleaseCapture();
    MovePointerAway();
    ASSERT_TRUE(PumpUntil([&] { return m_button.GetState() == kButtonNormal; }, 3000));
    EXPECT_GT(LooksLike(IDB_PNG_YES_NORMAL), 0.95);
}

TEST_F(PngButtonTest, ReleaseReturnsToHoverAndClicks) {
    ASSERT_TRUE(m_button.SetImages(IDB_PNG_YES_NORMAL, IDB_PNG_YES_HOVER, IDB_PNG_YES_PRESSED, IDB_PNG_YES_PRESSED));
    int clicks = 0;
    m_host->OnMessage = [&](UINT msg, WPARAM wp, LPARAM, LRESULT*) {
        if (msg == WM_COMMAND && LOWORD(wp) == kButtonId && HIWORD(wp) == BN_CLICKED)
            ++clicks;
        return false;
    };
    MovePointerTo(Button(), POINT{20, 12});
    ::SendMessageW(Button(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 12));
    ::SendMessageW(Button(), WM_LBUTTONUP, 0, MAKELPARAM(20, 12));
    EXPECT_EQ(m_button.GetState(), kButtonHover);
    EXPECT_EQ(clicks, 1);
}

TEST_F(PngButtonTest, DisabledButtonShowsItsPictureAndAGreyCaption) {
    ASSERT_TRUE(m_button.SetImages(IDB_PNG_YES_NORMAL, IDB_PNG_YES_HOVER, IDB_PNG_YES_PRESSED, IDB_PNG_CONFIRM_NORMAL));
    UniqueHfont font(::CreateFontW(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    m_button.SetCaption(L"WWW");
    m_button.SetCaptionFont(font.Get());
    m_button.EnableWindow(false);
    const CMemoryCanvas actual = Capture(Button());
    const CMemoryCanvas expected =
        ExpectedPicture(IDB_PNG_CONFIRM_NORMAL, ListRect{0, 0, kWidth, kHeight}, kWidth, kHeight);
    const RECT all{0, 0, kWidth, kHeight};
    auto grey = [](COLORREF c) { return ColorNear(c, RGB(192, 192, 192), 6); };
    EXPECT_GT(CountPixels(actual, all, grey), CountPixels(expected, all, grey) + 10);
    // The disabled picture, not the normal one, lies around the caption.
    EXPECT_TRUE(ColorNear(PixelOf(actual, 2, 2), PixelOf(expected, 2, 2)));

    // Mouse events leave a disabled button's look alone.
    ::SendMessageW(Button(), WM_MOUSEHOVER, 0, MAKELPARAM(20, 12));
    EXPECT_EQ(m_button.GetState(), kButtonNormal);
}

TEST_F(PngButtonTest, EnabledCaptionIsBlackThenWhiteOnHover) {
    ASSERT_TRUE(m_button.SetImages(IDB_PNG_YES_NORMAL, IDB_PNG_YES_HOVER, IDB_PNG_YES_PRESSED, IDB_PNG_YES_PRESSED));
    UniqueHfont font(::CreateFontW(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    m_button.SetCaption(L"WWW");
    m_button.SetCaptionFont(font.Get());
    const RECT all{0, 0, kWidth, kHeight};
    auto black = [](COLORREF c) { return ColorNear(c, RGB(0, 0, 0), 30); };
    auto white = [](COLORREF c) { return ColorNear(c, RGB(255, 255, 255), 30); };
    const CMemoryCanvas normal = Capture(Button());
    const CMemoryCanvas normalPicture =
        ExpectedPicture(IDB_PNG_YES_NORMAL, ListRect{0, 0, kWidth, kHeight}, kWidth, kHeight);
    EXPECT_GT(CountPixels(normal, all, black), CountPixels(normalPicture, all, black) + 10);

    ::SendMessageW(Button(), WM_MOUSEHOVER, 0, MAKELPARAM(20, 12));
    const CMemoryCanvas hover = Capture(Button());
    const CMemoryCanvas hoverPicture =
        ExpectedPicture(IDB_PNG_YES_HOVER, ListRect{0, 0, kWidth, kHeight}, kWidth, kHeight);
    EXPECT_GT(CountPixels(hover, all, white), CountPixels(hoverPicture, all, white) + 10);
}

TEST_F(PngButtonTest, MissingPicturesDrawNothingButTheButtonStillWorks) {
    EXPECT_FALSE(m_button.SetImages(IDB_PNG_YES_NORMAL, 60001, IDB_PNG_YES_PRESSED, IDB_PNG_YES_PRESSED));
    int clicks = 0;
    m_host->OnMessage = [&](UINT msg, WPARAM wp, LPARAM, LRESULT*) {
        if (msg == WM_COMMAND && LOWORD(wp) == kButtonId && HIWORD(wp) == BN_CLICKED)
            ++clicks;
        return false;
    };
    EXPECT_LT(LooksLike(IDB_PNG_YES_NORMAL), 0.5);
    ::SendMessageW(Button(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 12));
    EXPECT_EQ(m_button.GetState(), kButtonPressed);
    ::SendMessageW(Button(), WM_LBUTTONUP, 0, MAKELPARAM(20, 12));
    EXPECT_EQ(clicks, 1);
    m_button.ReleaseImages();
    EXPECT_LT(LooksLike(IDB_PNG_YES_NORMAL), 0.5);
}

TEST_F(PngButtonTest, ZeroSizeButtonPaintsWithoutHarm) {
    ASSERT_TRUE(m_button.SetImages(IDB_PNG_YES_NORMAL, IDB_PNG_YES_HOVER, IDB_PNG_YES_PRESSED, IDB_PNG_YES_PRESSED));
    ASSERT_TRUE(m_button.MoveWindow(RECT{10, 10, 10, 10}));
    ::RedrawWindow(Button(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    PumpPending();
    EXPECT_TRUE(::IsWindow(Button()));
}

} // namespace
} // namespace tsu::test
