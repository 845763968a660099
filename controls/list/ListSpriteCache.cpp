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
    // A picture already shrunk to this size (Shrunk) is copied as it is: drawing it again would
    // round its premultiplied pixels a second time.
    const bool asItIs = image->GetType() == Gdiplus::ImageTypeBitmap &&
                        image->GetPixelFormat() == PixelFormat32bppPARGB && source.left == 0 && source.top == 0 &&
                        source.Width() == width && source.Height() == height &&
                        static_cast<int>(image->GetWidth()) == width && static_cast<int>(image->GetHeight()) == height;
    if (asItIs) {
        Gdiplus::BitmapData locked{
            static_cast<UINT>(width), static_cast<UINT>(height), width * 4, PixelFormat32bppPARGB, bits, 0};
        const Gdiplus::Rect whole(0, 0, width, height);
        auto* picture = static_cast<Gdiplus::Bitmap*>(image);
        if (picture->LockBits(&whole, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                              PixelFormat32bppPARGB, &locked) != Gdiplus::Ok ||
            picture->UnlockBits(&locked) != Gdiplus::Ok)
            return nullptr;
    } else {
        // GDI+ draws straight into the DIB's pixels, premultiplied as AlphaBlend wants them.
        Gdiplus::Bitmap target(width, height, width * 4, PixelFormat32bppPARGB, static_cast<BYTE*>(bits));
        if (!DrawScaled(image, source, target, width, height))
            return nullptr;
    }
    ::GdiFlush();
    return bitmap.Release();
}

bool ListSpriteCache::DrawScaled(Gdiplus::Image* image, const ListRect& source, Gdiplus::Bitmap& target, int width,
                                 int height) {
    Gdiplus::Graphics graphics(&target);
    return graphics.DrawImage(image, Gdiplus::Rect(0, 0, width, height), source.left, source.top, source.Width(),
                              source.Height(), Gdiplus::UnitPixel) == Gdiplus::Ok;
}

std::unique_ptr<Gdiplus::Bitmap> ListSpriteCache::Shrunk(Gdiplus::Image* image, int width, int height) {
    if (!image || width <= 0 || height <= 0)
        return nullptr;
    auto shrunk = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppPARGB);
    if (shrunk->GetLastStatus() != Gdiplus::Ok ||
        Gdiplus::Graphics(shrunk.get()).Clear(Gdiplus::Color(0, 0, 0, 0)) != Gdiplus::Ok)
        return nullptr;
    const ListRect whole{0, 0, static_cast<int>(image->GetWidth()), static_cast<int>(image->GetHeight())};
    return DrawScaled(image, whole, *shrunk, width, height) ? std::move(shrunk) : nullptr;
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
