#include "framework/CMemoryCanvas.h"

#include <utility>

namespace tsu {

CMemoryCanvas::CMemoryCanvas(CMemoryCanvas&& other) noexcept {
    *this = std::move(other);
}

CMemoryCanvas& CMemoryCanvas::operator=(CMemoryCanvas&& other) noexcept {
    if (this != &other) {
        Reset();
        m_dc = std::move(other.m_dc);
        m_bitmap = std::move(other.m_bitmap);
        m_previousBitmap = std::exchange(other.m_previousBitmap, nullptr);
        m_pixels = std::exchange(other.m_pixels, nullptr);
        m_width = std::exchange(other.m_width, 0);
        m_height = std::exchange(other.m_height, 0);
        m_isDib = std::exchange(other.m_isDib, false);
    }
    return *this;
}

void CMemoryCanvas::Reset() {
    if (m_dc && m_previousBitmap)
        ::SelectObject(m_dc.Get(), m_previousBitmap);
    m_previousBitmap = nullptr;
    m_bitmap.Reset();
    m_dc.Reset();
    m_pixels = nullptr;
    m_width = m_height = 0;
    m_isDib = false;
}

bool CMemoryCanvas::CreateCompatible(HDC reference, int width, int height) {
    Reset();
    if (width <= 0 || height <= 0)
        return false;
    UniqueWindowDc screen(nullptr);
    HDC ref = reference ? reference : screen.Get();
    UniqueMemoryDc dc(::CreateCompatibleDC(ref));
    if (!dc)
        return false;
    UniqueHbitmap bitmap(::CreateCompatibleBitmap(ref, width, height));
    if (!bitmap)
        return false;
    m_previousBitmap = ::SelectObject(dc.Get(), bitmap.Get());
    m_dc = std::move(dc);
    m_bitmap = std::move(bitmap);
    m_width = width;
    m_height = height;
    return true;
}

bool CMemoryCanvas::CreateDib32(int width, int height) {
    Reset();
    if (width <= 0 || height <= 0)
        return false;
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc)
        return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueHbitmap bitmap(::CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits)
        return false;
    m_previousBitmap = ::SelectObject(dc.Get(), bitmap.Get());
    m_dc = std::move(dc);
    m_bitmap = std::move(bitmap);
    m_pixels = static_cast<uint32_t*>(bits);
    m_width = width;
    m_height = height;
    m_isDib = true;
    return true;
}

bool CMemoryCanvas::EnsureCompatible(HDC reference, int width, int height) {
    if (IsValid() && !m_isDib && m_width == width && m_height == height)
        return true;
    return CreateCompatible(reference, width, height);
}

COLORREF CMemoryCanvas::PixelAt(int x, int y) const {
    if (!IsValid() || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    if (m_pixels) {
        ::GdiFlush();
        const uint32_t bgra = m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
        return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    }
    return ::GetPixel(m_dc.Get(), x, y);
}

bool CMemoryCanvas::CopyTo(HDC target, int x, int y) const {
    if (!IsValid() || !target)
        return false;
    return ::BitBlt(target, x, y, m_width, m_height, m_dc.Get(), 0, 0, SRCCOPY) != FALSE;
}

bool CMemoryCanvas::CopyRectTo(HDC target, const RECT& rect) const {
    if (!IsValid() || !target)
        return false;
    return ::BitBlt(target, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, m_dc.Get(), rect.left,
                    rect.top, SRCCOPY) != FALSE;
}

} // namespace tsu
