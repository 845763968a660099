#include "controls/DrawingUtils.h"
#include "controls/buttons/CCheckBoxBtn.h"
#include "controls/buttons/CImageButton.h"
#include "controls/buttons/CPngButton.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace tsu::test {
namespace {

constexpr UINT kButtonId = 2001, kMissingPng = 60001;
constexpr POINT kInside{20, 12};

class ButtonsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureGdiplus());
        // One host for the whole program: under Wine without a window manager destroying a top-level window costs
        // about two seconds.
        static TestHostWindow* host = [] {
            auto* created = new TestHostWindow();
            return created->Create(400, 200) ? created : nullptr;
        }();
        ASSERT_NE(m_host = host, nullptr);
        m_host->OnMessage = [this](UINT msg, WPARAM wp, LPARAM, LRESULT*) {
            m_clicks += msg == WM_COMMAND && LOWORD(wp) == kButtonId && HIWORD(wp) == BN_CLICKED ? 1 : 0;
            return false;
        };
    }
    void TearDown() override {
        ::SetCursorPos(1200, 1000);
        if (m_host)
            m_host->OnMessage = nullptr;
        PumpPending();
    }
    template <typename T> std::unique_ptr<T> Make(int width, int height, const wchar_t* text = L"") {
        auto control = std::make_unique<T>();
        EXPECT_TRUE(control->Create(text,
                                    (std::is_same_v<T, CCheckBoxBtn> ? BS_AUTOCHECKBOX : BS_OWNERDRAW) | WS_VISIBLE,
                                    RECT{10, 10, 10 + width, 10 + height}, m_host->GetSafeHwnd(), kButtonId));
        if constexpr (std::is_same_v<T, CCheckBoxBtn>)
            control->SetFontFromParent();
        return control;
    }
    // repaint false: exactly what is on the screen now.
    static CMemoryCanvas Capture(HWND control, bool repaint = true) {
        CMemoryCanvas canvas;
        const RECT client = CWnd::FromHandlePermanent(control)->GetClientRect();
        EXPECT_TRUE(repaint ? CaptureWindow(control, canvas)
                            : canvas.CreateDib32(client.right, client.bottom) &&
                                  ::BitBlt(canvas.Dc(), 0, 0, client.right, client.bottom,
                                           UniqueWindowDc(control).Get(), 0, 0, SRCCOPY));
        return canvas;
    }
    static void Send(HWND control, UINT msg, POINT at = kInside) {
        ::SendMessageW(control, msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(at.x, at.y));
    }
    static void Click(HWND control, POINT at = kInside) {
        Send(control, WM_LBUTTONDOWN, at), Send(control, WM_LBUTTONUP, at);
    }
    static void PointerTo(HWND control, POINT at) { // Wine tracks hover and leave by the real pointer
        ::ClientToScreen(control, &at);
        ::SetCursorPos(at.x, at.y);
    }
    // Part source (all of it when empty) of PNG id stretched over a width x height white canvas, as the buttons draw.
    static CMemoryCanvas Expected(UINT id, int width, int height, ListRect source = {}) {
        CMemoryCanvas canvas;
        EXPECT_TRUE(canvas.CreateDib32(width, height));
        RECT all{0, 0, width, height};
        ::FillRect(canvas.Dc(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        source = source.IsEmpty() ? ListRect{0, 0, width, height} : source;
        std::unique_ptr<Gdiplus::Image> image = LoadPngResource(id);
        Gdiplus::Graphics graphics(canvas.Dc());
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        graphics.DrawImage(image.get(), Gdiplus::Rect(0, 0, width, height), source.left, source.top, source.Width(),
                           source.Height(), Gdiplus::UnitPixel);
        return canvas;
    }
    // Share of expected's pixels (one-pixel frame left out, where stretching blends edges) that agree with actual
    // seen from (dx, dy).
    static double Share(const CMemoryCanvas& actual, const CMemoryCanvas& expected, int dx = 0, int dy = 0) {
        ::GdiFlush();
        int same = 0;
        for (int y = 1; y < expected.Height() - 1; ++y)
            for (int x = 1; x < expected.Width() - 1; ++x)
                same += ColorNear(actual.PixelAt(x + dx, y + dy), expected.PixelAt(x, y), 12) ? 1 : 0;
        return static_cast<double>(same) / ((expected.Width() - 2) * (expected.Height() - 2));
    }
    void Caption(CSkinButton& button, int height) {
        m_font.Reset(::CreateFontW(height, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
        button.SetCaption(L"WWW");
        button.SetCaptionFont(m_font.Get());
    }
    static double MarkLooksLike(const CMemoryCanvas& screen, bool checked) {
        const ListRect m = CheckBoxMarkRect(ListRect{0, 0, screen.Width(), screen.Height()}, 1.0f);
        const ListRect cell = ListRect::FromSize(checked ? 16 : 0, 0, 16, 16);
        return Share(screen, Expected(IDB_PNG_CHECKBOX_STRIP, m.Width(), m.Height(), cell), m.left, m.top);
    }

    TestHostWindow* m_host = nullptr;
    int m_clicks = 0;
    UniqueHfont m_font;
};

TEST_F(ButtonsTest, BothKindsShowThePictureOfEachStateAndClick) {
    struct Row {
        const wchar_t* screenshot;
        bool png;
        int width, height; // the "是" and "解决" pictures
        UINT normal, hover, pressed, disabled;
    };
    for (const Row& r : {Row{L"buttons_png_pressed", true, 55, 24, IDB_PNG_YES_NORMAL, IDB_PNG_YES_HOVER,
                             IDB_PNG_YES_PRESSED, IDB_PNG_CONFIRM_NORMAL},
                         Row{L"buttons_image_pressed", false, 266, 60, IDB_PNG_SOLVED_NORMAL, IDB_PNG_SOLVED_HOVER,
                             IDB_PNG_SOLVED_PRESSED, IDB_PNG_SOLVED_DISABLED}}) {
        SCOPED_TRACE(r.png);
        m_clicks = 0;
        const std::unique_ptr<CSkinButton> button =
            r.png ? std::unique_ptr<CSkinButton>(Make<CPngButton>(r.width, r.height))
                  : std::unique_ptr<CSkinButton>(Make<CImageButton>(r.width, r.height));
        const HWND hwnd = button->GetSafeHwnd();
        ASSERT_TRUE(button->SetImages(r.normal, r.hover, r.pressed, r.disabled));
        auto looksLike = [&](UINT id, bool repaint = true) {
            return Share(Capture(hwnd, repaint), Expected(id, r.width, r.height));
        };
        EXPECT_GT(looksLike(r.normal), 0.95);
        PointerTo(hwnd, kInside);
        Send(hwnd, WM_MOUSEMOVE);
        ASSERT_TRUE(PumpUntil([&] { return button->GetState() == kButtonHover; }, 10000));
        EXPECT_GT(looksLike(r.hover), 0.95);
        Send(hwnd, WM_LBUTTONDOWN);
        EXPECT_GT(looksLike(r.pressed), 0.95);
        (void)SaveWindowPng(m_host->GetSafeHwnd(), r.screenshot);
        Send(hwnd, WM_LBUTTONUP);
        EXPECT_EQ(m_clicks, 1);
        Send(hwnd, WM_LBUTTONDOWN); // off the pressed button: back to the normal look
        ::ReleaseCapture();
        ::SetCursorPos(1200, 1000);
        ASSERT_TRUE(PumpUntil([&] { return button->GetState() == kButtonNormal; }, 10000));
        EXPECT_GT(looksLike(r.normal), 0.95);
        button->EnableWindow(false);
        PumpPending(); // no forced repaint: disabling alone must bring the disabled look
        EXPECT_GT(looksLike(r.disabled, false), 0.95);
        Send(hwnd, WM_MOUSEHOVER); // ignored while disabled
        EXPECT_EQ(button->GetState(), kButtonNormal);
    }
}

TEST_F(ButtonsTest, PngCaptionIsGreyOnTheDisabledPictureAndMissingPicturesDrawNothing) {
    auto button = Make<CPngButton>(55, 24);
    HWND hwnd = button->GetSafeHwnd();
    ASSERT_TRUE(button->SetImages(IDB_PNG_YES_NORMAL, IDB_PNG_YES_HOVER, IDB_PNG_YES_PRESSED, IDB_PNG_CONFIRM_NORMAL));
    Caption(*button, -16);
    // More pixels of the colour than the bare picture has.
    auto more = [](const CMemoryCanvas& shot, UINT picture, COLORREF colour, int tolerance) {
        auto matches = [&](COLORREF c) { return ColorNear(c, colour, tolerance); };
        const RECT all{0, 0, 55, 24};
        return CountPixels(shot, all, matches) - CountPixels(Expected(picture, 55, 24), all, matches);
    };
    button->EnableWindow(false);
    EXPECT_GT(more(Capture(hwnd), IDB_PNG_CONFIRM_NORMAL, RGB(192, 192, 192), 6), 10);
    button = Make<CPngButton>(55, 24);
    hwnd = button->GetSafeHwnd();
    EXPECT_FALSE(button->SetImages(IDB_PNG_YES_NORMAL, kMissingPng, IDB_PNG_YES_PRESSED, IDB_PNG_YES_PRESSED));
    EXPECT_LT(Share(Capture(hwnd), Expected(IDB_PNG_YES_NORMAL, 55, 24)), 0.5);
    Click(hwnd);
    EXPECT_EQ(m_clicks, 1); // the button still works
}

TEST_F(ButtonsTest, ImageStripQuartersCaptionColourHitInsetAndBackgroundPiece) {
    const auto button = Make<CImageButton>(158, 40); // the strip holds four 158 x 40 states
    const HWND hwnd = button->GetSafeHwnd();
    auto looksLike = [&](ButtonImageSlot slot) {
        return Share(Capture(hwnd), Expected(IDB_PNG_UNINSTALL_STRIP, 158, 40, StripQuarter(632, 40, slot)));
    };
    EXPECT_FALSE(button->SetImageStrip(kMissingPng));
    ASSERT_TRUE(button->SetImageStrip(IDB_PNG_UNINSTALL_STRIP));
    Send(hwnd, WM_MOUSEHOVER);
    Send(hwnd, WM_LBUTTONDOWN);
    EXPECT_GT(looksLike(kSlotPressed), 0.95);
    (void)SaveWindowPng(m_host->GetSafeHwnd(), L"buttons_image_strip_pressed");
    Send(hwnd, WM_LBUTTONUP);
    button->SetHitInset(20, 5, 20, 5);
    for (const auto& [point, inside] : {std::pair<POINT, bool>{{5, 20}, false}, {{79, 20}, true}, {{79, 37}, false}}) {
        PointerTo(hwnd, point);
        EXPECT_EQ(button->IsCursorInside() != FALSE, inside) << point.x << "," << point.y;
    }
    Caption(*button, -20);
    button->SetCaptionColor(RGB(255, 0, 0));
    auto red = [](COLORREF c) { return ColorNear(c, RGB(255, 0, 0), 40); };
    EXPECT_GT(CountPixels(Capture(hwnd), RECT{0, 0, 158, 40}, red), 20);
    button->SetCaption(L"");
    button->ReleaseImages(); // without pictures the background piece still shows
    std::unique_ptr<Gdiplus::Image> background = LoadPngResource(IDB_PNG_START_PAGE);
    button->SetBackground(background.get());
    button->SetBackgroundRect(300, 200, 458, 240);
    EXPECT_GT(Share(Capture(hwnd), Expected(IDB_PNG_START_PAGE, 158, 40, ListRect{300, 200, 458, 240})), 0.95);
    button->SetBackground(nullptr);
}

TEST_F(ButtonsTest, CheckBoxRepaintsEveryToggleAtOnceAndItsTextIsBesideTheBoxInItsColour) {
    const auto box = Make<CCheckBoxBtn>(140, 20, L"同意 terms");
    const HWND hwnd = box->GetSafeHwnd();
    (void)Capture(hwnd); // first paint
    // By clicks, by the program (the page ticks the box at start), across disable and enable, by the keyboard.
    auto toggle = [&](const char* how, bool checked, const std::function<void()>& action) {
        SCOPED_TRACE(how);
        action();
        ASSERT_EQ(box->GetCheck(), checked ? BST_CHECKED : BST_UNCHECKED);
        EXPECT_GT(MarkLooksLike(Capture(hwnd, false), checked), 0.9);
    };
    toggle("start", false, [] {});
    toggle("click", true, [&] { Click(hwnd, POINT{5, 10}); });
    (void)SaveWindowPng(m_host->GetSafeHwnd(), L"buttons_checkbox_checked");
    toggle("click", false, [&] { Click(hwnd, POINT{5, 10}); });
    toggle("program", true, [&] { box->SetCheck(BST_CHECKED); });
    toggle("disable", true, [&] { box->EnableWindow(false); });
    EXPECT_FALSE(box->IsWindowEnabled());
    toggle("keyboard", false, [&] {
        box->EnableWindow(true);
        ::SendMessageW(hwnd, WM_KEYDOWN, VK_SPACE, 0), ::SendMessageW(hwnd, WM_KEYUP, VK_SPACE, 0);
    });
    box->SetTextColor(RGB(255, 0, 0));
    CMemoryCanvas screen = Capture(hwnd);
    // Anti-aliased glyphs: count pixels where red clearly dominates.
    auto red = [](COLORREF c) { return GetRValue(c) > GetGValue(c) + 60 && GetRValue(c) > GetBValue(c) + 60; };
    EXPECT_GT(CountPixels(screen, RECT{18, 0, 140, 20}, red), 20);
    EXPECT_EQ(CountPixels(screen, RECT{0, 0, 16, 20}, red), 0);
}

} // namespace
} // namespace tsu::test
