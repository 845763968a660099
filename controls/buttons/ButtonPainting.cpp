#include "controls/buttons/ButtonPainting.h"

#include "controls/DrawingUtils.h"
#include "framework/ScopedHandles.h"

namespace tsu {

bool DrawBackgroundPiece(HDC dc, Gdiplus::Image* background, const RECT& backgroundRect, const RECT& target) {
    if (!background)
        return false;
    DrawImagePiece(dc, background, backgroundRect, target);
    return true;
}

void DrawImagePart(HDC dc, Gdiplus::Image* image, const ListRect& source, const RECT& target) {
    DrawImagePiece(dc, image, RECT{source.left, source.top, source.right, source.bottom}, target);
}

void DrawCaption(HDC dc, const std::wstring& caption, HFONT font, COLORREF color, const RECT& rect) {
    if (caption.empty())
        return;
    ScopedSelectObject select(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, color);
    RECT r = rect;
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

} // namespace tsu
