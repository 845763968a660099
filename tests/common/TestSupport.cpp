#include "tests/common/TestSupport.h"

#include "framework/MessageLoop.h"
#include "framework/ScopedHandles.h"
#include "icons/PngCodec.h"
#include "tests/common/ProcessTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <shlobj.h>
#include <vector>

namespace tsu::test {

namespace {

constexpr wchar_t kHostClass[] = L"TsuTestHostWindow";

// The folder screenshots go to (every missing level created), ending in "\".
std::wstring ScreenshotDirectory() {
    std::wstring dir = TSU_SCREENSHOT_DIR;
    for (size_t pos = dir.find(L'\\', 3); pos != std::wstring::npos; pos = dir.find(L'\\', pos + 1))
        ::CreateDirectoryW(dir.substr(0, pos).c_str(), nullptr);
    ::CreateDirectoryW(dir.c_str(), nullptr);
    return dir + L"\\";
}

} // namespace

bool EnsureGdiplus() {
    static ScopedGdiplusStartup* startup = new ScopedGdiplusStartup(); // kept to the end of the process
    return startup->Succeeded();
}

bool SaveCanvasPng(const CMemoryCanvas& canvas, const std::wstring& name) {
    CMemoryCanvas copy; // a DIB of known layout whatever the canvas is
    if (!canvas.IsValid() || !copy.CreateDib32(canvas.Width(), canvas.Height()) || !canvas.CopyTo(copy.Dc()))
        return false;
    ::GdiFlush();
    IconPixels pixels{copy.Width(), copy.Height(), {copy.Pixels(), copy.Pixels() + copy.Width() * copy.Height()}};
    for (uint32_t& pixel : pixels.argb)
        pixel |= 0xFF000000u; // GDI leaves alpha 0: the picture would be transparent
    std::vector<uint8_t> png;
    return EncodePng(pixels, png) &&
           WriteFileBytes(ScreenshotDirectory() + name + L".png", std::string(png.begin(), png.end()));
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

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) { return tsu::PumpUntil(done, timeoutMs); }

void PumpPending() { (void)tsu::PumpPendingMessages(); }

bool ColorNear(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

int CountPixels(const CMemoryCanvas& canvas, const RECT& rect, const std::function<bool(COLORREF)>& match) {
    int count = 0;
    for (LONG y = std::max(0L, rect.top); y < std::min<LONG>(canvas.Height(), rect.bottom); ++y)
        for (LONG x = std::max(0L, rect.left); x < std::min<LONG>(canvas.Width(), rect.right); ++x)
            count += match(canvas.PixelAt(x, y)) ? 1 : 0;
    return count;
}

void DropFiles(HWND target, const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const std::wstring& path : paths)
        list += path + L'\0';
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + (list.size() + 1) * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES), header->fWide = TRUE;
    std::copy(list.begin(), list.end(), reinterpret_cast<wchar_t*>(header + 1));
    ::GlobalUnlock(memory);
    ::SendMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

int CountNonBackground(const CMemoryCanvas& canvas, const RECT& rect, COLORREF background, int tolerance) {
    return CountPixels(canvas, rect, [&](COLORREF c) { return !ColorNear(c, background, tolerance); });
}

} // namespace tsu::test
