#pragma once
// Drawing helpers shared by the controls, the pages and the dialogs: PNG images from the
// executable's resources, fonts derived from a window's font, text measuring and fitting a text
// into a width with a trailing "...". GUI thread only.

#include "framework/ScopedHandles.h"

#include <gdiplus.h>

#include <memory>
#include <string>

namespace tsu {

// Loads PNG resource id (type "PNG") of the current resource module into a new GDI+ image that
// the caller owns. False, leaving image untouched, when the resource is missing or not an image.
// The image decodes from a stream over its own copy of the bytes; that copy is freed together with
// the image (the stream deletes its memory block on release).
[[nodiscard]] bool LoadPngResource(Gdiplus::Image*& image, UINT id);
[[nodiscard]] std::unique_ptr<Gdiplus::Image> LoadPngResource(UINT id);

// A font derived from window's font (or the default GUI font, or the system font): with grow 0 an
// exact copy (weight ignored); otherwise weight (when above 0) is applied and the height grows by
// grow pixels. False when no font could be made; font is then empty.
bool CreateDerivedFont(HWND window, int grow, int weight, UniqueHfont& font);

// Width of text in a copy of font on dc; -1 without a device context.
[[nodiscard]] int MeasureTextWidth(HDC dc, const std::wstring& text, HFONT font);
// Width of text in the font CreateDerivedFont(window, grow, weight) makes; -1 when window or dc is
// missing.
[[nodiscard]] int MeasureWindowTextWidth(HWND window, HDC dc, const std::wstring& text, int grow, int weight);

// text when it fits maxWidth (its width plus 4 below maxWidth), else cut and ended with "..." (see
// FitTextToWidth); unchanged without a device context.
[[nodiscard]] std::wstring FitText(HDC dc, const std::wstring& text, int maxWidth, HFONT font);

// DrawText that also centres word-wrapped text vertically: DT_VCENTER alone only works with
// DT_SINGLELINE, so for DT_WORDBREAK | DT_VCENTER the wrapped block is measured and placed in the
// middle of rect. Returns the height of the drawn text.
int DrawTextInRect(HDC dc, const std::wstring& text, const RECT& rect, UINT flags);

// Draws the piece source (in image pixels) of image stretched over target with GDI+ at high
// quality; nothing without an image or with an empty piece.
void DrawImagePiece(HDC dc, Gdiplus::Image* image, const RECT& source, const RECT& target);

// The screen's scale factor by the tool's DPI rule (LOGPIXELSY / 100 above 100 DPI, else 1.0).
[[nodiscard]] float ScreenScaleFactor();

// A font's logical description; false for a null or invalid font.
[[nodiscard]] bool GetLogFont(HFONT font, LOGFONTW& logFont);

} // namespace tsu
