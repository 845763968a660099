#pragma once
// BeginPaint/EndPaint for one WM_PAINT.

#include <windows.h>

namespace tsu {

class CPaintDC {
public:
    explicit CPaintDC(HWND hwnd) : m_hwnd(hwnd), m_hdc(::BeginPaint(hwnd, &m_paint)) {}
    ~CPaintDC() {
        if (m_hwnd)
            ::EndPaint(m_hwnd, &m_paint);
    }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    [[nodiscard]] HDC Get() const { return m_hdc; }
    [[nodiscard]] const RECT& PaintRect() const { return m_paint.rcPaint; }
    explicit operator bool() const { return m_hdc != nullptr; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_paint{};
    HDC m_hdc;
};

} // namespace tsu
