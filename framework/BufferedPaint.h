#pragma once
// Self-drawn controls paint their whole client area off screen and copy it in one step, so
// nothing flickers. Draw is called as draw(HDC canvas, const RECT& client).

#include "framework/CMemoryCanvas.h"
#include "framework/CPaintDC.h"

#include <windows.h>

namespace tsu {

// Answers WM_PAINT through canvas, which is kept between paints and remade on a new size.
// Nothing is drawn for an empty client area.
template <class Draw>
void PaintBuffered(HWND window, CMemoryCanvas& canvas, Draw&& draw) {
    CPaintDC paint(window);
    if (!paint)
        return;
    RECT client{};
    ::GetClientRect(window, &client);
    if (client.right <= 0 || client.bottom <= 0 || !canvas.EnsureCompatible(paint.Get(), client.right, client.bottom))
        return;
    draw(canvas.Dc(), client);
    canvas.CopyTo(paint.Get());
}

// The same picture into any device context (a capture, a parent's background), through a canvas
// of its own.
template <class Draw>
void PaintBufferedTo(HWND window, HDC target, Draw&& draw) {
    RECT client{};
    ::GetClientRect(window, &client);
    CMemoryCanvas canvas;
    if (!target || !canvas.CreateCompatible(target, client.right, client.bottom))
        return;
    draw(canvas.Dc(), client);
    canvas.CopyTo(target);
}

} // namespace tsu
