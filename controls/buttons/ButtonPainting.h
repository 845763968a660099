#pragma once
// Drawing pieces the image buttons share, over the drawing utilities.

#include "core/ListRect.h"

#include <windows.h>
#include <gdiplus.h>

#include <string>

namespace tsu {

// The part of the dialog's background image that lies behind a button (backgroundRect, in the
// image's pixels), stretched over target so the button looks transparent on the skinned dialog.
// False when there is no background image to draw.
bool DrawBackgroundPiece(HDC dc, Gdiplus::Image* background, const RECT& backgroundRect, const RECT& target);

// Draws source (image pixels) of image stretched over target; nothing for a null image or empty rectangles.
void DrawImagePart(HDC dc, Gdiplus::Image* image, const ListRect& source, const RECT& target);

// A one-line caption centred both ways.
void DrawCaption(HDC dc, const std::wstring& caption, HFONT font, COLORREF color, const RECT& rect);

} // namespace tsu
