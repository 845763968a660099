#include "controls/DrawingUtils.h"
#include "controls/buttons/CCheckBoxBtn.h"
#include "controls/buttons/CImageButton.h"
#include "controls/buttons/CPngButton.h"
#include "framework/ResourceModule.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace tsu::test {
namespace {

constexpr UINT kButtonId = 2001;
constexpr UINT kMissingPng = 60001;
constexpr POINT kInside{20, 12};

class ButtonsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureGdiplus());
        // One host for the whole program: destroying a top-level window under Wine without a window
        // manager costs about two seconds, creating a child costs nothing.
        static TestHostWindow* host = [] {
            auto* created = new TestHostWindow();
            return created->Create(400, 200) ? created : nullptr;
        }();
        m_host = host;
        ASSERT_NE(m_host, nullptr);
        m_host->OnMessage = [this](UINT msg, WPARAM wp, LPARAM, LRESULT*) {
            m_clicks += msg == WM_COMMAND && LOWORD(wp) == kButtonId && HIWORD(wp) == BN_CLICKED ? 1 : 0;
            return false;
        };
    }
    void TearDown() override {
        ::SetCursorPos(1200, 1000);
        SetResourceModule(nullptr);
        if (m_host)
            m_host->OnMessage = nullptr;
        PumpPending();
    }
    template <typename T> std::unique_ptr<T> Make(int width, int height, const wchar_t* text = L"") {
        auto control = std::make_unique<T>();
        EXPECT_TRUE(control->Create(text,
                                    (std::is_same_v<T, CCheckBoxBtn> ? BS_AUTOCHECKBOX : BS_OWNERDRAW) | WS_VISIBLE,
                                    RECT{10, 10, 10 + width, 10 + height}, m_host->GetSafeHwnd(), kButtonId));
        return control;
    }
    static CMemoryCanvas Capture(HWND control) {
        CMemoryCanvas canvas;
        EXPECT_TRUE(CaptureWindow(control, canvas));
        return canvas;
    }
    // Exactly what is on the screen now, without a repaint.
    static CMemoryCanvas ScreenNow(HWND control) {
        RECT client{};
        ::GetClientRect(control, &client);
        CMemoryCanvas canvas;
        EXPECT_TRUE(canvas.CreateDib32(client.right, client.bottom));
        UniqueWindowDc dc(control);
        EXPECT_TRUE(::BitBlt(canvas.Dc(), 0, 0, client.right, client.bottom, dc.Get(), 0, 0, SRCCOPY));
        return canvas;
    }
    // Places the real pointer on a control's client point (Wine tracks hover and leave by it).
    static void MovePointerTo(HWND control, POINT at) {
        ::ClientToScreen(control, &at);
        ::SetCursorPos(at.x, at.y);
    }
    static void Click(HWND control, POINT at) {
        ::SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        ::SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    }
    // Part source of PNG id stretched over a width x height white canvas, as the buttons draw it.
    static CMemoryCanvas Expected(UINT id, const ListRect& source, int width, int height) {
        CMemoryCanvas canvas;
        EXPECT_TRUE(canvas.CreateDib32(width, height));
        RECT all{0, 0, width, height};
        ::FillRect(canvas.Dc(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        std::unique_ptr<Gdiplus::Image> image = LoadPngResource(id);
        EXPECT_NE(image, nullptr) << "PNG " << id;
        if (image) {
            Gdiplus::Graphics graphics(canvas.Dc());
            graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
            graphics.DrawImage(image.get(), Gdiplus::Rect(0, 0, width, height), source.left, source.top, source.Width(),
                               source.Height(), Gdiplus::UnitPixel);
        }
        return canvas;
    }
    static CMemoryCanvas Whole(UINT id, int width, int height) {
        return Expected(id, ListRect{0, 0, width, height}, width, height);
    }
    // Share of the pixels (one-pixel frame left out, where stretching blends edges) that agree.
    static double Share(const CMemoryCanvas& actual, const CMemoryCanvas& expected) {
        if (!actual.Pixels() || !expected.Pixels() || actual.Width() != expected.Width() ||
            actual.Height() != expected.Height() || actual.Width() < 3 || actual.Height() < 3)
            return 0.0;
        ::GdiFlush();
        int same = 0;
        for (int y = 1; y < actual.Height() - 1; ++y)
            for (int x = 1; x < actual.Width() - 1; ++x)
                same += ColorNear(actual.PixelAt(x, y), expected.PixelAt(x, y), 12) ? 1 : 0;
        return static_cast<double>(same) / ((actual.Width() - 2) * (actual.Height() - 2));
    }
    static UniqueHfont CaptionFont(int height) {
        return UniqueHfont(::CreateFontW(height, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    }

    // Share of the check box's mark that matches the strip state.
    static double MarkLooksLike(const CMemoryCanvas& screen, bool checked, float scale = 1.0f) {
        const ListRect mark = CheckBoxMarkRect(ListRect{0, 0, screen.Width(), screen.Height()}, scale);
        CMemoryCanvas part;
        EXPECT_TRUE(part.CreateDib32(mark.Width(), mark.Height()));
        ::BitBlt(part.Dc(), 0, 0, mark.Width(), mark.Height(), screen.Dc(), mark.left, mark.top, SRCCOPY);
        return Share(part, Expected(IDB_PNG_CHECKBOX_STRIP, ListRect::FromSize(checked ? 16 : 0, 0, 16, 16),
                                    mark.Width(), mark.Height()));
    }

    TestHostWindow* m_host = nullptr;
    int m_clicks = 0;
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
        std::unique_ptr<CSkinButton> button;
        if (r.png)
            button = Make<CPngButton>(r.width, r.height);
        else
            button = Make<CImageButton>(r.width, r.height);
        const HWND hwnd = button->GetSafeHwnd();
        ASSERT_TRUE(button->SetImages(r.normal, r.hover, r.pressed, r.disabled));
        auto looksLike = [&](UINT id) { return Share(Capture(hwnd), Whole(id, r.width, r.height)); };
        EXPECT_GT(looksLike(r.normal), 0.95);
        MovePointerTo(hwnd, kInside);
        ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(kInside.x, kInside.y));
        ASSERT_TRUE(PumpUntil([&] { return button->GetState() == kButtonHover; }, 10000));
        EXPECT_GT(looksLike(r.hover), 0.95);
        ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kInside.x, kInside.y));
        EXPECT_EQ(button->GetState(), kButtonPressed);
        EXPECT_GT(looksLike(r.pressed), 0.95);
        (void)SaveWindowPng(m_host->GetSafeHwnd(), r.screenshot);
        ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(kInside.x, kInside.y));
        EXPECT_EQ(button->GetState(), kButtonHover);
        EXPECT_EQ(m_clicks, 1);
        // Off the pressed button: back to the normal look.
        ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kInside.x, kInside.y));
        ::ReleaseCapture();
        ::SetCursorPos(1200, 1000);
        ASSERT_TRUE(PumpUntil([&] { return button->GetState() == kButtonNormal; }, 10000));
        EXPECT_GT(looksLike(r.normal), 0.95);
        button->EnableWindow(false);
        PumpPending(); // no forced repaint: disabling alone must bring the disabled look
        EXPECT_GT(Share(ScreenNow(hwnd), Whole(r.disabled, r.width, r.height)), 0.95);
        ::SendMessageW(hwnd, WM_MOUSEHOVER, 0, MAKELPARAM(kInside.x, kInside.y)); // ignored while disabled
        EXPECT_EQ(button->GetState(), kButtonNormal);
    }
}

TEST_F(ButtonsTest, PngCaptionIsBlackThenWhiteOnHoverAndGreyOnTheDisabledPicture) {
    const auto button = Make<CPngButton>(55, 24);
    const HWND hwnd = button->GetSafeHwnd();
    ASSERT_TRUE(button->SetImages(IDB_PNG_YES_NORMAL, IDB_PNG_YES_HOVER, IDB_PNG_YES_PRESSED, IDB_PNG_CONFIRM_NORMAL));
    UniqueHfont font = CaptionFont(-16);
    button->SetCaption(L"WWW");
    button->SetCaptionFont(font.Get());
    // More pixels of the colour than the bare picture has.
    auto more = [](const CMemoryCanvas& shot, UINT picture, COLORREF colour, int tolerance) {
        auto matches = [&](COLORREF c) { return ColorNear(c, colour, tolerance); };
        const RECT all{0, 0, 55, 24};
        return CountPixels(shot, all, matches) - CountPixels(Whole(picture, 55, 24), all, matches);
    };
    EXPECT_GT(more(Capture(hwnd), IDB_PNG_YES_NORMAL, RGB(0, 0, 0), 30), 10);
    ::SendMessageW(hwnd, WM_MOUSEHOVER, 0, MAKELPARAM(kInside.x, kInside.y));
    EXPECT_GT(more(Capture(hwnd), IDB_PNG_YES_HOVER, RGB(255, 255, 255), 30), 10);
    ::SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
    button->EnableWindow(false);
    const CMemoryCanvas disabled = Capture(hwnd);
    EXPECT_GT(more(disabled, IDB_PNG_CONFIRM_NORMAL, RGB(192, 192, 192), 6), 10);
    EXPECT_TRUE(ColorNear(disabled.PixelAt(2, 2), Whole(IDB_PNG_CONFIRM_NORMAL, 55, 24).PixelAt(2, 2)));
}

TEST_F(ButtonsTest, MissingPicturesDrawNothingButTheButtonStillWorks) {
    const auto button = Make<CPngButton>(55, 24);
    const HWND hwnd = button->GetSafeHwnd();
    EXPECT_FALSE(button->SetImages(IDB_PNG_YES_NORMAL, kMissingPng, IDB_PNG_YES_PRESSED, IDB_PNG_YES_PRESSED));
    EXPECT_LT(Share(Capture(hwnd), Whole(IDB_PNG_YES_NORMAL, 55, 24)), 0.5);
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kInside.x, kInside.y));
    EXPECT_EQ(button->GetState(), kButtonPressed);
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(kInside.x, kInside.y));
    EXPECT_EQ(m_clicks, 1);
    button->ReleaseImages();
    EXPECT_LT(Share(Capture(hwnd), Whole(IDB_PNG_YES_NORMAL, 55, 24)), 0.5);
}

TEST_F(ButtonsTest, ImageStripQuartersCaptionColourHitInsetAndBackgroundPiece) {
    const auto button = Make<CImageButton>(158, 40); // the strip holds four 158 x 40 states
    const HWND hwnd = button->GetSafeHwnd();
    auto quarter = [](ButtonImageSlot slot) {
        return Expected(IDB_PNG_UNINSTALL_STRIP, StripQuarter(632, 40, slot), 158, 40);
    };
    EXPECT_FALSE(button->SetImageStrip(kMissingPng));
    ASSERT_TRUE(button->SetImageStrip(IDB_PNG_UNINSTALL_STRIP));
    EXPECT_TRUE(button->IsStripMode());
    EXPECT_GT(Share(Capture(hwnd), quarter(kSlotNormal)), 0.95);
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, -5)); // outside: no change
    EXPECT_EQ(button->GetState(), kButtonNormal);
    ::ReleaseCapture();
    ::SendMessageW(hwnd, WM_MOUSEHOVER, 0, MAKELPARAM(80, 20));
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(80, 20));
    EXPECT_GT(Share(Capture(hwnd), quarter(kSlotPressed)), 0.95);
    (void)SaveWindowPng(m_host->GetSafeHwnd(), L"buttons_image_strip_pressed");
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(80, 20));
    EXPECT_GT(Share(Capture(hwnd), quarter(kSlotHover)), 0.95);
    button->SetHitInset(20, 5, 20, 5);
    for (const auto& [point, inside] : {std::pair<POINT, bool>{{5, 20}, false}, {{79, 20}, true}, {{79, 37}, false}}) {
        MovePointerTo(hwnd, point);
        EXPECT_EQ(button->IsCursorInside() != FALSE, inside) << point.x << "," << point.y;
    }
    UniqueHfont font = CaptionFont(-20);
    button->SetCaption(L"WWW");
    button->SetCaptionFont(font.Get());
    button->SetCaptionColor(RGB(255, 0, 0));
    EXPECT_GT(
        CountPixels(Capture(hwnd), RECT{0, 0, 158, 40}, [](COLORREF c) { return ColorNear(c, RGB(255, 0, 0), 40); }),
        20);
    button->SetCaption(L"");
    button->ReleaseImages(); // without pictures the background piece still shows
    std::unique_ptr<Gdiplus::Image> background = LoadPngResource(IDB_PNG_START_PAGE);
    ASSERT_NE(background, nullptr);
    button->SetBackground(background.get());
    button->SetBackgroundRect(300, 200, 458, 240);
    EXPECT_GT(Share(Capture(hwnd), Expected(IDB_PNG_START_PAGE, ListRect{300, 200, 458, 240}, 158, 40)), 0.95);
    button->SetBackground(nullptr);
}

TEST_F(ButtonsTest, CheckBoxRepaintsEveryToggleAtOnce) {
    const auto box = Make<CCheckBoxBtn>(140, 20, L"同意 terms");
    const HWND hwnd = box->GetSafeHwnd();
    box->SetFontFromParent();
    (void)Capture(hwnd); // first paint
    auto markNow = [&](bool checked) { return MarkLooksLike(ScreenNow(hwnd), checked); };
    EXPECT_GT(markNow(false), 0.9);
    Click(hwnd, POINT{5, 10});
    ASSERT_EQ(box->GetCheck(), BST_CHECKED);
    EXPECT_GT(markNow(true), 0.9);
    (void)SaveWindowPng(m_host->GetSafeHwnd(), L"buttons_checkbox_checked");
    Click(hwnd, POINT{5, 10});
    ASSERT_EQ(box->GetCheck(), BST_UNCHECKED);
    EXPECT_GT(markNow(false), 0.9);
    // By the program (the page ticks the box at start), by the keyboard, across disable and enable.
    box->SetCheck(BST_CHECKED);
    EXPECT_GT(markNow(true), 0.9);
    box->DisableButton();
    EXPECT_FALSE(box->IsWindowEnabled());
    EXPECT_GT(markNow(true), 0.9);
    box->EnableButton();
    EXPECT_TRUE(box->IsWindowEnabled());
    ::SendMessageW(hwnd, WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageW(hwnd, WM_KEYUP, VK_SPACE, 0);
    ASSERT_EQ(box->GetCheck(), BST_UNCHECKED);
    EXPECT_GT(markNow(false), 0.9);
}

TEST_F(ButtonsTest, CheckBoxTextIsBesideTheBoxInItsColourTheBoxScalesAndAMissingStripLeavesItOut) {
    auto box = Make<CCheckBoxBtn>(140, 20, L"同意 terms");
    box->SetFontFromParent();
    box->SetTextColor(RGB(255, 0, 0));
    CMemoryCanvas screen = Capture(box->GetSafeHwnd());
    // Anti-aliased glyphs: count pixels where red clearly dominates.
    auto red = [](COLORREF c) { return GetRValue(c) > GetGValue(c) + 60 && GetRValue(c) > GetBValue(c) + 60; };
    EXPECT_GT(CountPixels(screen, RECT{18, 0, 140, 20}, red), 20);
    EXPECT_EQ(CountPixels(screen, RECT{0, 0, 16, 20}, red), 0);
    box->SetScale(1.2f);
    box->SetCheck(BST_CHECKED);
    EXPECT_GT(MarkLooksLike(Capture(box->GetSafeHwnd()), true, 1.2f), 0.85);
    box.reset();
    SetResourceModule(::GetModuleHandleW(L"kernel32.dll")); // an executable that lost its PNGs
    box = Make<CCheckBoxBtn>(140, 20, L"WWWW");
    box->SetFontFromParent();
    box->SetCheck(BST_CHECKED);
    screen = Capture(box->GetSafeHwnd());
    EXPECT_FALSE(box->HasCheckImage());
    EXPECT_EQ(CountNonBackground(screen, RECT{0, 0, 16, 20}, RGB(255, 255, 255)), 0);
    EXPECT_GT(CountNonBackground(screen, RECT{18, 0, 140, 20}, RGB(255, 255, 255)), 10);
    Click(box->GetSafeHwnd(), POINT{5, 10}); // still a working check box
    EXPECT_EQ(box->GetCheck(), BST_UNCHECKED);
}

} // namespace
} // namespace tsu::test
