#pragma once
// Pictures of the list rendered once at the size they are shown and then copied with AlphaBlend.
// Drawing a PNG through GDI+ scales and blends it in software on every call (about a millisecond
// per icon under Wine), which a list that repaints on every mouse move cannot afford; a
// premultiplied 32-bit copy at the final size blends in microseconds and looks the same.

#include "core/ListRect.h"
#include "framework/ScopedHandles.h"

#include <windows.h>
#include <gdiplus.h>

#include <map>
#include <memory>
#include <tuple>

namespace tsu {

class ListSpriteCache {
public:
    ListSpriteCache();
    ~ListSpriteCache();
    ListSpriteCache(const ListSpriteCache&) = delete;
    ListSpriteCache& operator=(const ListSpriteCache&) = delete;

    // Draws the part source of image (image pixels) into target on dc, blended over what is there.
    // Nothing for a null image or empty rectangles.
    void Draw(HDC dc, Gdiplus::Image* image, const ListRect& source, const ListRect& target);
    // Forget every rendering (the images were freed or replaced: their addresses may come again).
    void Clear();
    [[nodiscard]] size_t Size() const { return m_sprites.size(); }
    // The whole image drawn at width x height into a new premultiplied picture, exactly as a sprite
    // of that size is drawn; null when GDI+ fails.
    [[nodiscard]] static std::unique_ptr<Gdiplus::Bitmap> Shrunk(Gdiplus::Image* image, int width, int height);

    // More renderings than this (a long list scrolled through) start the cache afresh.
    static constexpr size_t kMaxSprites = 512;

private:
    using Key = std::tuple<Gdiplus::Image*, int, int, int, int, int, int>;
    [[nodiscard]] HBITMAP Render(Gdiplus::Image* image, const ListRect& source, int width, int height);
    static bool DrawScaled(Gdiplus::Image* image, const ListRect& source, Gdiplus::Bitmap& target, int width,
                           int height);

    std::map<Key, UniqueHbitmap> m_sprites;
    UniqueMemoryDc m_dc;
};

} // namespace tsu
