#include "app/LayeredWindow.h"

#include "app/core/ToolIdentity.h"
#include "controls/DrawingUtils.h"
#include "framework/CMemoryCanvas.h"
#include "framework/ScopedHandles.h"

namespace tsu {

bool ShowLayeredImage(HWND window, Gdiplus::Image* image, const WindowBox& box) {
    if (!window || !image || box.width <= 0 || box.height <= 0)
        return false;
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (!(exStyle & WS_EX_LAYERED))
        ::SetWindowLongPtrW(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);

    // UpdateLayeredWindow wants premultiplied BGRA. GDI+ drawing onto an HDC would drop the alpha,
    // so it draws into a premultiplied GDI+ bitmap that shares the DIB section's pixels.
    CMemoryCanvas canvas;
    if (!canvas.CreateDib32(box.width, box.height) || !canvas.Pixels())
        return false;
    {
        Gdiplus::Bitmap target(box.width, box.height, box.width * 4, PixelFormat32bppPARGB,
                               reinterpret_cast<BYTE*>(canvas.Pixels()));
        if (target.GetLastStatus() != Gdiplus::Ok)
            return false;
        Gdiplus::Graphics graphics(&target);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        if (graphics.DrawImage(image, Gdiplus::Rect(0, 0, box.width, box.height), 0, 0,
                               static_cast<INT>(image->GetWidth()), static_cast<INT>(image->GetHeight()),
                               Gdiplus::UnitPixel) != Gdiplus::Ok)
            return false;
    }
    ::GdiFlush();

    UniqueWindowDc screen(nullptr);
    POINT destination{box.x, box.y};
    SIZE size{box.width, box.height};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return ::UpdateLayeredWindow(window, screen.Get(), &destination, &size, canvas.Dc(), &source, 0, &blend,
                                 ULW_ALPHA) != FALSE;
}

void DrawStretched(HDC dc, Gdiplus::Image* image, const RECT& target) {
    if (!dc || !image || target.right <= target.left || target.bottom <= target.top)
        return;
    Gdiplus::Graphics graphics(dc);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.DrawImage(
        image, Gdiplus::Rect(target.left, target.top, target.right - target.left, target.bottom - target.top), 0, 0,
        static_cast<INT>(image->GetWidth()), static_cast<INT>(image->GetHeight()), Gdiplus::UnitPixel);
}

void DrawToolTitle(HWND window, HDC dc, float scale, UniqueHfont& font) {
    if (!font)
        CreateDerivedFont(window, 6, FW_BOLD, font);
    const auto s = [scale](int n) { return static_cast<int>(n * static_cast<double>(scale)); };
    const ScopedSelectObject selected(dc, font.Get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(255, 255, 255));
    RECT title{s(36), 0, s(300), s(42)};
    ::DrawTextW(dc, kToolTitle, -1, &title, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
}

void PaintStretchedBackground(HWND window, HDC dc, Gdiplus::Image* image) {
    if (!window || !dc || !image)
        return;
    RECT client{};
    ::GetClientRect(window, &client);
    CMemoryCanvas canvas;
    if (!canvas.CreateCompatible(dc, client.right, client.bottom))
        return;
    DrawStretched(canvas.Dc(), image, client);
    (void)canvas.CopyTo(dc);
}

RECT BackgroundPieceFor(HWND dialog, HWND control, Gdiplus::Image* image) {
    RECT piece{};
    if (!dialog || !control || !image)
        return piece;
    RECT client{};
    ::GetClientRect(dialog, &client);
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    if (client.right <= 0 || client.bottom <= 0)
        return piece;
    const double sx = static_cast<double>(image->GetWidth()) / client.right;
    const double sy = static_cast<double>(image->GetHeight()) / client.bottom;
    piece.left = static_cast<LONG>(rect.left * sx);
    piece.top = static_cast<LONG>(rect.top * sy);
    piece.right = static_cast<LONG>(rect.right * sx);
    piece.bottom = static_cast<LONG>(rect.bottom * sy);
    return piece;
}

WindowBox WindowBoxOf(HWND window) {
    RECT rect{};
    if (window)
        ::GetWindowRect(window, &rect);
    return WindowBox{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

bool MoveWindowTo(HWND window, const WindowBox& box, bool keepSize) {
    if (!window)
        return false;
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (keepSize)
        flags |= SWP_NOSIZE;
    return ::SetWindowPos(window, nullptr, box.x, box.y, box.width, box.height, flags) != FALSE;
}

namespace {

bool RunsOnWine() {
    static const bool wine = [] {
        const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

} // namespace

void RaiseOwnedWindow(HWND owned) {
    if (!owned || !::IsWindowVisible(owned))
        return;
    constexpr UINT kFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (RunsOnWine()) {
        // A real change of the window's place in the z-order makes Wine restack its X window.
        ::SetWindowPos(owned, HWND_TOPMOST, 0, 0, 0, 0, kFlags);
        ::SetWindowPos(owned, HWND_NOTOPMOST, 0, 0, 0, 0, kFlags);
    } else {
        ::SetWindowPos(owned, HWND_TOP, 0, 0, 0, 0, kFlags);
    }
}

SIZE ScreenSize() {
    return SIZE{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

} // namespace tsu
