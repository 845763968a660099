#pragma once
// Which picture an image button shows and where its parts go. Portable: no Win32 here.

#include "core/ListRect.h"

#include <cstdint>

namespace tsu {

// Look of CPngButton and CImageButton; a button starts normal.
enum ButtonState : int {
    kButtonNormal = 1,
    kButtonHover = 2,
    kButtonPressed = 3,
};

// The four pictures of a button, in the order SetImages takes them and a strip holds them.
enum ButtonImageSlot : int {
    kSlotNormal = 0,
    kSlotHover = 1,
    kSlotPressed = 2,
    kSlotDisabled = 3,
};
inline constexpr int kButtonImageSlots = 4;

// The picture for a state; a disabled button always shows its disabled picture.
[[nodiscard]] ButtonImageSlot SlotForState(int state, bool enabled);

// The quarter of a four-state strip that holds slot (x at 0, 1/4, 1/2 or 3/4 of the width).
[[nodiscard]] ListRect StripQuarter(int stripWidth, int stripHeight, ButtonImageSlot slot);

// The part of a CPngButton picture that is stretched over the button: the whole picture at scale
// 1.0 or less, the picture less its last column and row above (so the stretched edge does not
// smear the neighbouring pixel in).
[[nodiscard]] ListRect PngButtonSource(int imageWidth, int imageHeight, float scale);

// Caption colours of CPngButton as 0x00BBGGRR: black normal, white hover and pressed, grey disabled.
[[nodiscard]] uint32_t PngButtonCaptionColor(ButtonImageSlot slot);

// The state after a mouse event on an enabled button. inside: the point lies in the client
// rectangle (CPngButton does not ask and passes true).
enum class ButtonMouseEvent { Hover, ButtonUp, ButtonDown, Leave };
[[nodiscard]] int NextButtonState(int state, ButtonMouseEvent event, bool inside);

// CCheckBoxBtn: where the 16 x 16 box goes in a client rectangle, and where its text starts.
[[nodiscard]] ListRect CheckBoxMarkRect(const ListRect& client, float scale);
[[nodiscard]] int CheckBoxTextLeft(const ListRect& client, float scale);

} // namespace tsu
