#include "tests/common/TestSupport.h"

#include "framework/MessageLoop.h"
#include "framework/ScopedHandles.h"

#include <gdiplus.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace tsu::test {

namespace {

bool FindEncoder(const wchar_t* mimeType, CLSID& clsid) {
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0)
        return false;
    std::vector<unsigned char> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (wcscmp(codecs[i].MimeType, mimeType) == 0) {
            clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

constexpr wchar_t kHostClass[] = L"TsuTestHostWindow";

} // namespace

bool EnsureGdiplus() {
    static ScopedGdiplusStartup* startup = new ScopedGdiplusStartup(); // kept to the end of the process
    return startup->Succeeded();
}

std::wstring ScreenshotDirectory() {
    std::wstring dir = TSU_SCREENSHOT_DIR;
    // Create every level that is missing (the build folder may not have it yet).
    for (size_t pos = dir.find(L'\\', 3); pos != std::wstring::npos; pos = dir.find(L'\\', pos + 1))
        ::CreateDirectoryW(dir.substr(0, pos).c_str(), nullptr);
    ::CreateDirectoryW(dir.c_str(), nullptr);
    return dir + L"\\";
}

bool SaveBitmapPng(HBITMAP bitmap, const std::wstring& name) {
    if (!bitmap || !EnsureGdiplus())
        return false;
    CLSID png{};
    if (!FindEncoder(L"image/png", png))
        return false;
    Gdiplus::Bitmap image(bitmap, nullptr);
    if (image.GetLastStatus() != Gdiplus::Ok)
        return false;
    const std::wstring path = ScreenshotDirectory() + name + L".png";
    return image.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

bool SaveCanvasPng(const CMemoryCanvas& canvas, const std::wstring& name) {
    if (!canvas.IsValid())
        return false;
    // Copy into a plain compatible bitmap that is not selected anywhere: GDI+ reads it safely.
    CMemoryCanvas copy;
    if (!copy.CreateDib32(canvas.Width(), canvas.Height()) || !canvas.CopyTo(copy.Dc()))
        return false;
    ::GdiFlush();
    // Make the alpha opaque: GDI leaves it 0 and the encoder would write a transparent image.
    uint32_t* pixels = copy.Pixels();
    for (int i = 0, n = copy.Width() * copy.Height(); i < n; ++i)
        pixels[i] |= 0xFF000000u;
    UniqueHbitmap detached(::CreateBitmap(copy.Width(), copy.Height(), 1, 32, pixels));
    return SaveBitmapPng(detached.Get(), name);
}

bool CaptureWindow(HWND hwnd, CMemoryCanvas& canvas) {
    if (!hwnd || !::IsWindow(hwnd))
        return false;
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpPending();
    RECT rect{};
    ::GetWindowRect(hwnd, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0 || !canvas.CreateDib32(width, height))
        return false;
    HDC windowDc = ::GetWindowDC(hwnd);
    if (!windowDc)
        return false;
    const BOOL copied = ::BitBlt(canvas.Dc(), 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
    ::ReleaseDC(hwnd, windowDc);
    return copied != FALSE;
}

bool SaveWindowPng(HWND hwnd, const std::wstring& name) {
    CMemoryCanvas canvas;
    return CaptureWindow(hwnd, canvas) && SaveCanvasPng(canvas, name);
}

bool TestHostWindow::Create(int clientWidth, int clientHeight, const wchar_t* title) {
    if (!RegisterWindowClass(kHostClass, CS_DBLCLKS, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
        return false;
    // Shown without activation and without caption: Wine's X11 driver then leaves the window
    // unmanaged. A managed window (activated, captioned) costs two seconds when it is hidden or
    // destroyed, because Wine waits for a window manager that Xvfb does not have.
    const DWORD style = WS_POPUP | WS_BORDER | WS_CLIPCHILDREN;
    RECT rect{0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&rect, style, FALSE, 0);
    RECT placed{40, 40, 40 + rect.right - rect.left, 40 + rect.bottom - rect.top};
    if (!CreateEx(0, kHostClass, title, style, placed, nullptr, 0))
        return false;
    m_font = MakeCjkFont();
    SetFont(m_font.Get(), false);
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::UpdateWindow(m_hWnd);
    PumpPending();
    return true;
}

UniqueHfont MakeCjkFont(int height, int weight) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(lf.lfFaceName, L"WenQuanYi Micro Hei");
    return UniqueHfont(::CreateFontIndirectW(&lf));
}

LRESULT TestHostWindow::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    // A plain window does not keep a font; the host answers WM_GETFONT like a dialog.
    if (msg == WM_SETFONT) {
        m_fontSet = reinterpret_cast<HFONT>(wp);
        return 0;
    }
    if (msg == WM_GETFONT)
        return reinterpret_cast<LRESULT>(m_fontSet);
    LRESULT result = 0;
    if (OnMessage && OnMessage(msg, wp, lp, &result))
        return result;
    return CWnd::WindowProc(msg, wp, lp);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    return tsu::PumpUntil(done, timeoutMs);
}

void PumpPending() {
    (void)tsu::PumpPendingMessages();
}

bool ColorNear(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

int CountPixels(const CMemoryCanvas& canvas, const RECT& rect, const std::function<bool(COLORREF)>& match) {
    int count = 0;
    const int left = std::max(0L, rect.left);
    const int top = std::max(0L, rect.top);
    const int right = std::min(static_cast<LONG>(canvas.Width()), rect.right);
    const int bottom = std::min(static_cast<LONG>(canvas.Height()), rect.bottom);
    const uint32_t* pixels = canvas.Pixels();
    if (pixels)
        ::GdiFlush();
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            COLORREF color;
            if (pixels) {
                const uint32_t bgra = pixels[static_cast<size_t>(y) * static_cast<size_t>(canvas.Width()) + x];
                color = RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
            } else {
                color = canvas.PixelAt(x, y);
            }
            if (match(color))
                ++count;
        }
    }
    return count;
}

int CountNonBackground(const CMemoryCanvas& canvas, const RECT& rect, COLORREF background, int tolerance) {
    return CountPixels(canvas, rect, [&](COLORREF c) { return !ColorNear(c, background, tolerance); });
}

} // namespace tsu::test
