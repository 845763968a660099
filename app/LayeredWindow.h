#pragma once
// The pieces of the tool's window pattern: a host whose only content is a PNG with per-pixel alpha
// shown through UpdateLayeredWindow, and frameless popups on top that paint their own PNG
// background and hand each control the piece of it behind the control.

#include "app/core/WindowGeometry.h"
#include "framework/ScopedHandles.h"

#include <windows.h>
#include <gdiplus.h>

namespace tsu {

// Turns the window layered and shows image stretched to box (screen coordinates), premultiplied,
// through UpdateLayeredWindow. False when anything fails (the window then keeps its old look).
[[nodiscard]] bool ShowLayeredImage(HWND window, Gdiplus::Image* image, const WindowBox& box);

// Draws image stretched over the client area of window into dc through a memory bitmap, in one
// copy. Nothing without an image.
void PaintStretchedBackground(HWND window, HDC dc, Gdiplus::Image* image);
// The same into an already prepared DC of client size (for pages that draw more on top).
void DrawStretched(HDC dc, Gdiplus::Image* image, const RECT& target);
// The tool's name in white bold in the title strip of a page at scale; font is made from the
// window's font on first use and kept by the caller.
void DrawToolTitle(HWND window, HDC dc, float scale, UniqueHfont& font);

// The piece of a dialog's stretched background image that lies behind control, in image pixels.
[[nodiscard]] RECT BackgroundPieceFor(HWND dialog, HWND control, Gdiplus::Image* image);

// The window's rectangle as a box; and moving a window without changing its size or z-order.
[[nodiscard]] WindowBox WindowBoxOf(HWND window);
bool MoveWindowTo(HWND window, const WindowBox& box, bool keepSize);

// Puts a visible owned window back above its owner. Windows keeps owned windows above their owner
// by itself; Wine stacks an owner that is shown or activated after its owned window above it (the
// owner's X window is raised), and only showing the owned window again restores the order.
void RaiseOwnedWindow(HWND owned);

// The screen's size in pixels.
[[nodiscard]] SIZE ScreenSize();

} // namespace tsu
