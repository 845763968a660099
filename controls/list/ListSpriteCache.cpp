#include "controls/list/ListSpriteCache.h"

#include <cstring>

namespace tsu {

ListSpriteCache::ListSpriteCache() = default;
ListSpriteCache::~ListSpriteCache() = default;

void ListSpriteCache::Clear() {
    m_sprites.clear();
}

HBITMAP ListSpriteCache::Render(Gdiplus::Image* image, const ListRect& source, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down, as GDI+ writes it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueHbitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits)
        return nullptr;
    std::memset(bits, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    {
        // GDI+ draws straight into the DIB's pixels, premultiplied as AlphaBlend wants them.
        Gdiplus::Bitmap target(width, height, width * 4, PixelFormat32bppPARGB, static_cast<BYTE*>(bits));
        Gdiplus::Graphics graphics(&target);
        if (graphics.DrawImage(image, Gdiplus::Rect(0, 0, width, height), source.left, source.top, source.Width(),
                               source.Height(), Gdiplus::UnitPixel) != Gdiplus::Ok)
            return nullptr;
    }
    ::GdiFlush();
    return bitmap.Release();
}

void ListSpriteCache::Draw(HDC dc, Gdiplus::Image* image, const ListRect& source, const ListRect& target) {
    if (!dc || !image || source.IsEmpty() || target.IsEmpty())
        return;
    const Key key{image, source.left, source.top, source.Width(), source.Height(), target.Width(), target.Height()};
    auto found = m_sprites.find(key);
    if (found == m_sprites.end()) {
        if (m_sprites.size() >= kMaxSprites)
            m_sprites.clear();
        HBITMAP rendered = Render(image, source, target.Width(), target.Height());
        if (!rendered)
            return;
        found = m_sprites.emplace(key, UniqueHbitmap(rendered)).first;
    }
    if (!m_dc)
        m_dc.Reset(::CreateCompatibleDC(nullptr));
    if (!m_dc)
        return;
    ScopedSelectObject select(m_dc.Get(), found->second.Get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(dc, target.left, target.top, target.Width(), target.Height(), m_dc.Get(), 0, 0, target.Width(),
                    target.Height(), blend);
}

} // namespace tsu
