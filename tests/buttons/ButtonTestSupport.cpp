#include "tests/buttons/ButtonTestSupport.h"

#include "controls/DrawingUtils.h"

#include <gdiplus.h>

namespace tsu::test {

void ButtonWindowTest::SetUp() {
    ASSERT_TRUE(EnsureGdiplus());
    // One host for the whole program: destroying a top-level window under Wine without a window
    // manager costs about two seconds, creating a child costs nothing.
    static TestHostWindow* host = [] {
        auto* created = new TestHostWindow();
        return created->Create(400, 200) ? created : nullptr;
    }();
    m_host = host;
    ASSERT_NE(m_host, nullptr);
    m_host->OnMessage = nullptr;
}

void ButtonWindowTest::TearDown() {
    MovePointerAway();
    if (m_host)
        m_host->OnMessage = nullptr;
    PumpPending();
}

CMemoryCanvas ButtonWindowTest::Capture(HWND control) {
    CMemoryCanvas canvas;
    EXPECT_TRUE(CaptureWindow(control, canvas));
    return canvas;
}

CMemoryCanvas ButtonWindowTest::ScreenNow(HWND control) {
    RECT client{};
    ::GetClientRect(control, &client);
    CMemoryCanvas canvas;
    EXPECT_TRUE(canvas.CreateDib32(client.right, client.bottom));
    HDC windowDc = ::GetDC(control);
    EXPECT_TRUE(::BitBlt(canvas.Dc(), 0, 0, client.right, client.bottom, windowDc, 0, 0, SRCCOPY));
    ::ReleaseDC(control, windowDc);
    return canvas;
}

void ButtonWindowTest::MovePointerTo(HWND control, POINT clientPoint) {
    ::ClientToScreen(control, &clientPoint);
    ::SetCursorPos(clientPoint.x, clientPoint.y);
}

void ButtonWindowTest::MovePointerAway() {
    ::SetCursorPos(1200, 1000);
}

void ButtonWindowTest::Click(HWND control, POINT at) {
    ::SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    ::SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

void ButtonWindowTest::CountClicks(UINT id) {
    m_host->OnMessage = [this, id](UINT msg, WPARAM wp, LPARAM, LRESULT*) {
        if (msg == WM_COMMAND && LOWORD(wp) == id && HIWORD(wp) == BN_CLICKED)
            ++m_clicks;
        return false;
    };
}

CMemoryCanvas ExpectedPicture(UINT id, const ListRect& source, int width, int height) {
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

double MatchingShare(const CMemoryCanvas& actual, const CMemoryCanvas& expected, int tolerance) {
    if (!actual.Pixels() || !expected.Pixels() || actual.Width() != expected.Width() ||
        actual.Height() != expected.Height() || actual.Width() < 3 || actual.Height() < 3)
        return 0.0;
    ::GdiFlush();
    auto at = [](const CMemoryCanvas& canvas, int x, int y) {
        const uint32_t bgra = canvas.Pixels()[static_cast<size_t>(y) * canvas.Width() + x];
        return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    };
    int same = 0;
    for (int y = 1; y < actual.Height() - 1; ++y)
        for (int x = 1; x < actual.Width() - 1; ++x)
            same += ColorNear(at(actual, x, y), at(expected, x, y), tolerance) ? 1 : 0;
    return static_cast<double>(same) / ((actual.Width() - 2) * (actual.Height() - 2));
}

UniqueHfont CaptionFont(int height) {
    return UniqueHfont(::CreateFontW(height, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
}

} // namespace tsu::test
