#include "controls/DrawingUtils.h"
#include "controls/buttons/CImageButton.h"
#include "res/ResourceIds.h"
#include "tests/buttons/ButtonTestSupport.h"

namespace tsu::test {
namespace {

constexpr UINT kButtonId = 2002;
// PNG 202 holds four 158 x 40 states.
constexpr int kStripWidth = 632;
constexpr int kWidth = 158;
constexpr int kHeight = 40;

class ImageButtonTest : public ButtonWindowTest {
protected:
    void SetUp() override {
        ButtonWindowTest::SetUp();
        ASSERT_TRUE(m_button.Create(L"", BS_OWNERDRAW | WS_VISIBLE, RECT{20, 20, 20 + kWidth, 20 + kHeight},
                                    m_host->GetSafeHwnd(), kButtonId));
    }
    void TearDown() override {
        (void)m_button.DestroyWindow();
        ButtonWindowTest::TearDown();
    }
    double LooksLikeQuarter(ButtonImageSlot slot) {
        return MatchingShare(
            Capture(m_button.GetSafeHwnd()),
            ExpectedPicture(IDB_PNG_UNINSTALL_STRIP, StripQuarter(kStripWidth, kHeight, slot), kWidth, kHeight));
    }
    HWND Button() const { return m_button.GetSafeHwnd(); }

    CImageButton m_button;
};

TEST_F(ImageButtonTest, StripShowsTheQuarterOfEachState) {
    ASSERT_TRUE(m_button.SetImageStrip(IDB_PNG_UNINSTALL_STRIP));
    EXPECT_TRUE(m_button.IsStripMode());
    EXPECT_GT(LooksLikeQuarter(kSlotNormal), 0.95);

    MovePointerTo(Button(), POINT{80, 20});
    ::SendMessageW(Button(), WM_MOUSEMOVE, 0, MAKELPARAM(80, 20));
    ASSERT_TRUE(PumpUntil([&] { return m_button.GetState() == kButtonHover; }, 3000));
    EXPECT_GT(LooksLikeQuarter(kSlotHover), 0.95);

    ::SendMessageW(Button(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(80, 20));
    EXPECT_GT(LooksLikeQuarter(kSlotPressed), 0.95);
    (void)SaveWindowPng(m_host->GetSafeHwnd(), L"buttons_image_strip_pressed");
    ::SendMessageW(Button(), WM_LBUTTONUP, 0, MAKELPARAM(80, 20));
    EXPECT_EQ(m_button.GetState(), kButtonHover);
}

TEST_F(ImageButtonTest, DisabledStripShowsTheFourthQuarter) {
    ASSERT_TRUE(m_button.SetImageStrip(IDB_PNG_UNINSTALL_STRIP));
    m_button.EnableWindow(false);
    // No forced repaint here: disabling alone must bring the disabled look.
    PumpPending();
    CMemoryCanvas canvas;
    ASSERT_TRUE(canvas.CreateDib32(kWidth, kHeight));
    HDC windowDc = ::GetDC(Button());
    ASSERT_TRUE(::BitBlt(canvas.Dc(), 0, 0, kWidth, kHeight, windowDc, 0, 0, SRCCOPY));
    ::ReleaseDC(Button(), windowDc);
    EXPECT_GT(
        MatchingShare(canvas, ExpectedPicture(IDB_PNG_UNINSTALL_STRIP,
                                              StripQuarter(kStripWidth, kHeight, kSlotDisabled), kWidth, kHeight)),
        0.95);
}

TEST_F(ImageButtonTest, PressOutsideTheClientAreaKeepsTheLook) {
    ASSERT_TRUE(m_button.SetImageStrip(IDB_PNG_UNINSTALL_STRIP));
    ::SendMessageW(Button(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, -5));
    EXPECT_EQ(m_button.GetState(), kButtonNormal);
    ::ReleaseCapture();
}

TEST_F(ImageButtonTest, FourPicturesAndCaptionColour) {
    ::MoveWindow(Button(), 20, 20, 266, 60, TRUE); // the "解决" pictures are 266 x 60
    ASSERT_TRUE(m_button.SetImages(IDB_PNG_SOLVED_NORMAL, IDB_PNG_SOLVED_HOVER, IDB_PNG_SOLVED_PRESSED,
                                   IDB_PNG_SOLVED_DISABLED));
    EXPECT_FALSE(m_button.IsStripMode());
    EXPECT_GT(
        MatchingShare(Capture(Button()), ExpectedPicture(IDB_PNG_SOLVED_NORMAL, ListRect{0, 0, 266, 60}, 266, 60)),
        0.95);
    UniqueHfont font(::CreateFontW(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    m_button.SetCaption(L"WWW");
    m_button.SetCaptionFont(font.Get());
    m_button.SetCaptionColor(RGB(255, 0, 0));
    const CMemoryCanvas withCaption = Capture(Button());
    EXPECT_GT(
        CountPixels(withCaption, RECT{0, 0, 266, 60}, [](COLORREF c) { return ColorNear(c, RGB(255, 0, 0), 40); }), 20);
    m_button.EnableWindow(false);
    EXPECT_GT(
        MatchingShare(Capture(Button()), ExpectedPicture(IDB_PNG_SOLVED_DISABLED, ListRect{0, 0, 266, 60}, 266, 60)),
        0.85); // the red caption covers part of it
}

TEST_F(ImageButtonTest, CursorInsideHonoursTheHitInset) {
    ASSERT_TRUE(m_button.SetImageStrip(IDB_PNG_UNINSTALL_STRIP));
    m_button.SetHitInset(20, 5, 20, 5);
    MovePointerTo(Button(), POINT{5, 20});
    EXPECT_FALSE(m_button.IsCursorInside());
    MovePointerTo(Button(), POINT{79, 20});
    EXPECT_TRUE(m_button.IsCursorInside());
    MovePointerTo(Button(), POINT{79, 37});
    EXPECT_FALSE(m_button.IsCursorInside());
    MovePointerAway();
    EXPECT_FALSE(m_button.IsCursorInside());
}

TEST_F(ImageButtonTest, WithoutPicturesTheBackgroundPieceStillShows) {
    std::unique_ptr<Gdiplus::Image> background = LoadPngResource(IDB_PNG_START_PAGE);
    ASSERT_NE(background, nullptr);
    EXPECT_FALSE(m_button.SetImageStrip(60002));
    m_button.SetBackground(background.get());
    m_button.SetBackgroundRect(300, 200, 300 + kWidth, 200 + kHeight);
    EXPECT_GT(MatchingShare(Capture(Button()),
                            ExpectedPicture(IDB_PNG_START_PAGE, ListRect{300, 200, 300 + kWidth, 200 + kHeight}, kWidth,
                                            kHeight)),
              0.95);
    m_button.SetBackground(nullptr);
}

} // namespace
} // namespace tsu::test
