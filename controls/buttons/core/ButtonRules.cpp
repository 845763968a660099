#include "controls/buttons/core/ButtonRules.h"

#include "controls/core/Scaling.h"

namespace tsu {

namespace {
constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r | (g << 8) | (b << 16);
}
constexpr int kCheckMarkSize = 16;
} // namespace

ButtonImageSlot SlotForState(int state, bool enabled) {
    if (!enabled)
        return kSlotDisabled;
    switch (state) {
    case kButtonHover:
        return kSlotHover;
    case kButtonPressed:
        return kSlotPressed;
    default:
        return kSlotNormal;
    }
}

ListRect StripQuarter(int stripWidth, int stripHeight, ButtonImageSlot slot) {
    const int quarter = stripWidth > 0 ? stripWidth / kButtonImageSlots : 0;
    return ListRect::FromSize(quarter * static_cast<int>(slot), 0, quarter, stripHeight > 0 ? stripHeight : 0);
}

ListRect PngButtonSource(int imageWidth, int imageHeight, float scale) {
    if (scale > 1.0f && imageWidth > 1 && imageHeight > 1)
        return ListRect{0, 0, imageWidth - 1, imageHeight - 1};
    return ListRect{0, 0, imageWidth, imageHeight};
}

uint32_t PngButtonCaptionColor(ButtonImageSlot slot) {
    switch (slot) {
    case kSlotHover:
    case kSlotPressed:
        return Rgb(255, 255, 255);
    case kSlotDisabled:
        return Rgb(192, 192, 192);
    default:
        return Rgb(0, 0, 0);
    }
}

int NextButtonState(int state, ButtonMouseEvent event, bool inside) {
    switch (event) {
    case ButtonMouseEvent::Hover:
    case ButtonMouseEvent::ButtonUp:
        return inside ? kButtonHover : state;
    case ButtonMouseEvent::ButtonDown:
        return inside ? kButtonPressed : state;
    case ButtonMouseEvent::Leave:
        return kButtonNormal;
    }
    return state;
}

ListRect CheckBoxMarkRect(const ListRect& client, float scale) {
    const int size = Scaled(kCheckMarkSize, scale);
    return ListRect::FromSize(client.left, client.Height() / 2 - Scaled(8, scale), size, size);
}

int CheckBoxTextLeft(const ListRect& client, float scale) {
    return client.left + Scaled(kCheckMarkSize, scale) + 2;
}

} // namespace tsu
