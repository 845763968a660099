#include "controls/buttons/ButtonPainting.h"

#include "framework/ScopedHandles.h"

#include <string>

namespace tsu {

bool DrawBackgroundPiece(Gdiplus::Graphics& graphics, Gdiplus::Image* background, const RECT& backgroundRect,
                         const RECT& target) {
    if (!background)
        return false;
    const ListRect source{backgroundRect.left, backgroundRect.top, backgroundRect.right, backgroundRect.bottom};
    DrawImagePart(graphics, background, source, target);
    return true;
}

void DrawImagePart(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const ListRect& source, const RECT& target) {
    if (!image || source.IsEmpty() || target.right <= target.left || target.bottom <= target.top)
        return;
    graphics.DrawImage(image,
                       Gdiplus::Rect(target.left, target.top, target.right - target.left, target.bottom - target.top),
                       source.left, source.top, source.Width(), source.Height(), Gdiplus::UnitPixel);
}

void DrawCaption(HDC dc, const std::wstring& caption, HFONT font, COLORREF color, const RECT& rect) {
    if (caption.empty())
        return;
    ScopedSelectObjectIfAny select(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, color);
    RECT r = rect;
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

} // namespace tsu
