#pragma once
// A memory device context with a bitmap selected into it: the one-step, flicker-free way every
// control of this tool paints. Either compatible with a reference DC (the usual case) or a 32-bit
// top-down DIB section whose pixels can be read (layered windows, screenshots, tests).

#include "framework/ScopedHandles.h"

#include <cstdint>

namespace tsu {

class CMemoryCanvas {
public:
    CMemoryCanvas() = default;
    ~CMemoryCanvas() { Reset(); }
    CMemoryCanvas(const CMemoryCanvas&) = delete;
    CMemoryCanvas& operator=(const CMemoryCanvas&) = delete;
    CMemoryCanvas(CMemoryCanvas&& other) noexcept;
    CMemoryCanvas& operator=(CMemoryCanvas&& other) noexcept;

    // A bitmap compatible with reference (null: the screen). False for an empty or failed size.
    [[nodiscard]] bool CreateCompatible(HDC reference, int width, int height);
    // A 32 bits-per-pixel top-down DIB section, initially all zero (transparent black).
    [[nodiscard]] bool CreateDib32(int width, int height);
    // Keeps the canvas when it already has this size (compatible kind); else remakes it.
    [[nodiscard]] bool EnsureCompatible(HDC reference, int width, int height);
    void Reset();

    [[nodiscard]] HDC Dc() const { return m_dc.Get(); }
    [[nodiscard]] HBITMAP Bitmap() const { return m_bitmap.Get(); }
    [[nodiscard]] int Width() const { return m_width; }
    [[nodiscard]] int Height() const { return m_height; }
    [[nodiscard]] bool IsValid() const { return m_dc.IsValid() && m_bitmap.IsValid(); }
    // Pixels of a DIB canvas (BGRA, rows top-down), or null for a compatible canvas.
    [[nodiscard]] uint32_t* Pixels() const { return m_pixels; }
    // The pixel at (x, y) as COLORREF (GetPixel); CLR_INVALID outside.
    [[nodiscard]] COLORREF PixelAt(int x, int y) const;

    // Copies the whole canvas (or a part) to target in one step.
    bool CopyTo(HDC target, int x = 0, int y = 0) const;
    bool CopyRectTo(HDC target, const RECT& rect) const;

private:
    UniqueMemoryDc m_dc;
    UniqueHbitmap m_bitmap;
    HGDIOBJ m_previousBitmap = nullptr;
    uint32_t* m_pixels = nullptr;
    int m_width = 0;
    int m_height = 0;
    bool m_isDib = false;
};

} // namespace tsu
