#pragma once
// A rectangle in client pixels, laid out like the Win32 RECT so the window code can copy it
// straight across. Portable: no Win32 here.

namespace tsu {

struct ListRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    [[nodiscard]] int Width() const { return right - left; }
    [[nodiscard]] int Height() const { return bottom - top; }
    [[nodiscard]] bool IsEmpty() const { return right <= left || bottom <= top; }
    // Same rule as PtInRect: left and top edges inside, right and bottom edges outside.
    [[nodiscard]] bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }

    [[nodiscard]] static ListRect FromSize(int left, int top, int width, int height) {
        return ListRect{left, top, left + width, top + height};
    }
    friend bool operator==(const ListRect& a, const ListRect& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
    friend bool operator!=(const ListRect& a, const ListRect& b) { return !(a == b); }
};

} // namespace tsu
