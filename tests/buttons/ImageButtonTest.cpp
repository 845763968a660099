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
    static double LooksLikeQuarter(const CMemoryCanvas& shot, ButtonImageSlot slot) {
        return MatchingShare(shot, ExpectedPicture(IDB_PNG_UNINSTALL_STRIP, StripQuarter(kStripWidth, kHeight, slot),
                                                   kWidth, kHeight));
    }
    HWND Button() const { return m_button.GetSafeHwnd(); }

    CImageButton m_button;
};

TEST_F(ImageButtonTest, StripShowsTheQuarterOfEachState) {
    ASSERT_TRUE(m_button.SetImageStrip(IDB_PNG_UNINSTALL_STRIP));
    EXPECT_TRUE(m_button.IsStripMode());
    EXPECT_GT(LooksLikeQuarter(Capture(Button()), kSlotNormal), 0.95);
    ::SendMessageW(Button(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, -5)); // outside: no change
    EXPECT_EQ(m_button.GetState(), kButtonNormal);
    ::ReleaseCapture();

    MovePointerTo(Button(), POINT{80, 20});
    ::SendMessageW(Button(), WM_MOUSEMOVE, 0, MAKELPARAM(80, 20));
    ASSERT_TRUE(PumpUntil([&] { return m_button.GetState() == kButtonHover; }, 10000));
    EXPECT_GT(LooksLikeQuarter(Capture(Button()), kSlotHover), 0.95);
    ::SendMessageW(Button(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(80, 20));
    EXPECT_GT(LooksLikeQuarter(Capture(Button()), kSlotPressed), 0.95);
    (void)SaveWindowPng(m_host->GetSafeHwnd(), L"buttons_image_strip_pressed");
    ::SendMessageW(Button(), WM_LBUTTONUP, 0, MAKELPARAM(80, 20));
    EXPECT_EQ(m_button.GetState(), kButtonHover);
    m_button.EnableWindow(false);
    PumpPending(); // no forced repaint: disabling alone must bring the disabled look
    EXPECT_GT(LooksLikeQuarter(ScreenNow(Button()), kSlotDisabled), 0.95);
}

TEST_F(ImageButtonTest, FourPicturesAndCaptionColour) {
    ::MoveWindow(Button(), 20, 20, 266, 60, TRUE); // the "解决" pictures are 266 x 60
    ASSERT_TRUE(m_button.SetImages(IDB_PNG_SOLVED_NORMAL, IDB_PNG_SOLVED_HOVER, IDB_PNG_SOLVED_PRESSED,
                                   IDB_PNG_SOLVED_DISABLED));
    EXPECT_FALSE(m_button.IsStripMode());
    auto looksLike = [&](UINT id) {
        return MatchingShare(Capture(Button()), ExpectedPicture(id, ListRect{0, 0, 266, 60}, 266, 60));
    };
    EXPECT_GT(looksLike(IDB_PNG_SOLVED_NORMAL), 0.95);
    UniqueHfont font = CaptionFont(-20);
    m_button.SetCaption(L"WWW");
    m_button.SetCaptionFont(font.Get());
    m_button.SetCaptionColor(RGB(255, 0, 0));
    EXPECT_GT(CountPixels(Capture(Button()), RECT{0, 0, 266, 60},
                          [](COLORREF c) { return ColorNear(c, RGB(255, 0, 0), 40); }),
              20);
    m_button.EnableWindow(false);
    EXPECT_GT(looksLike(IDB_PNG_SOLVED_DISABLED), 0.85); // the red caption covers part of it
}

TEST_F(ImageButtonTest, CursorInsideHonoursTheHitInset) {
    ASSERT_TRUE(m_button.SetImageStrip(IDB_PNG_UNINSTALL_STRIP));
    m_button.SetHitInset(20, 5, 20, 5);
    const std::pair<POINT, bool> cases[] = {{{5, 20}, false}, {{79, 20}, true}, {{79, 37}, false}};
    for (const auto& [point, inside] : cases) {
        MovePointerTo(Button(), point);
        EXPECT_EQ(m_button.IsCursorInside(), inside) << point.x << "," << point.y;
    }
    MovePointerAway();
    EXPECT_FALSE(m_button.IsCursorInside());
}

TEST_F(ImageButtonTest, WithoutPicturesTheBackgroundPieceStillShows) {
    std::unique_ptr<Gdiplus::Image> background = LoadPngResource(IDB_PNG_START_PAGE);
    ASSERT_NE(background, nullptr);
    EXPECT_FALSE(m_button.SetImageStrip(60002));
    m_button.SetBackground(background.get());
    m_button.SetBackgroundRect(300, 200, 300 + kWidth, 200 + kHeight);
    EXPECT_GT(MatchingShare(Capture(Button()), ExpectedPicture(IDB_PNG_START_PAGE,
                                                               ListRect{300, 200, 300 + kWidth, 200 + kHeight}, kWidth,
                                                               kHeight)),
              0.95);
    m_button.SetBackground(nullptr);
}

} // namespace
} // namespace tsu::test
