#include "controls/buttons/core/ButtonRules.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tsu {
namespace {

TEST(ButtonRules, SlotForState) {
    // A state that should never occur (0, 7) draws the normal look.
    for (const auto& [state, enabled, slot] :
         {std::tuple<int, bool, ButtonImageSlot>{kButtonNormal, true, kSlotNormal}, {kButtonHover, true, kSlotHover},
          {kButtonPressed, true, kSlotPressed}, {kButtonNormal, false, kSlotDisabled},
          {kButtonPressed, false, kSlotDisabled}, {0, true, kSlotNormal}, {7, true, kSlotNormal}})
        EXPECT_EQ(SlotForState(state, enabled), slot) << state << " " << enabled;
}

TEST(ButtonRules, StripQuartersAndDegenerateStrips) {
    for (int slot = kSlotNormal; slot <= kSlotDisabled; ++slot)
        EXPECT_EQ(StripQuarter(632, 40, static_cast<ButtonImageSlot>(slot)),
                  (ListRect{slot * 158, 0, slot * 158 + 158, 40}));
    EXPECT_TRUE(StripQuarter(3, 40, kSlotHover).IsEmpty() && StripQuarter(0, 0, kSlotNormal).IsEmpty());
    EXPECT_TRUE(StripQuarter(-8, -1, kSlotDisabled).IsEmpty());
}

TEST(ButtonRules, AboveUnitScaleThePngSourceLosesItsLastColumnAndRow) {
    EXPECT_EQ(PngButtonSource(26, 34, 1.0f), (ListRect{0, 0, 26, 34}));
    EXPECT_EQ(PngButtonSource(26, 34, 0.5f), (ListRect{0, 0, 26, 34}));
    EXPECT_EQ(PngButtonSource(26, 34, 1.2f), (ListRect{0, 0, 25, 33}));
    EXPECT_EQ(PngButtonSource(1, 1, 2.0f), (ListRect{0, 0, 1, 1})); // nothing to lose
}

TEST(ButtonRules, PngCaptionIsBlackWhiteOnHoverAndPressedGreyWhenDisabled) {
    EXPECT_EQ(std::tuple(PngButtonCaptionColor(kSlotNormal), PngButtonCaptionColor(kSlotHover),
                         PngButtonCaptionColor(kSlotPressed), PngButtonCaptionColor(kSlotDisabled)),
              std::tuple(0x000000u, 0xFFFFFFu, 0xFFFFFFu, 0xC0C0C0u));
}

TEST(ButtonRules, MouseTransitions) {
    using E = ButtonMouseEvent;
    for (const auto& [from, event, inside, expected] :
         {std::tuple<int, E, bool, int>{kButtonNormal, E::Hover, true, kButtonHover},
          {kButtonHover, E::ButtonDown, true, kButtonPressed}, {kButtonPressed, E::ButtonUp, true, kButtonHover},
          {kButtonPressed, E::Leave, true, kButtonNormal}, {kButtonHover, E::Leave, false, kButtonNormal},
          {kButtonHover, E::ButtonDown, false, kButtonHover}, {kButtonPressed, E::ButtonUp, false, kButtonPressed}})
        EXPECT_EQ(NextButtonState(from, event, inside), expected) << from << " " << static_cast<int>(event) << inside;
}

TEST(ButtonRules, CheckBoxIsVerticallyCentredAndTextFollowsIt) {
    EXPECT_EQ(CheckBoxMarkRect(ListRect{0, 0, 120, 20}, 1.0f), (ListRect{0, 2, 16, 18}));
    EXPECT_EQ(CheckBoxTextLeft(ListRect{0, 0, 120, 20}, 1.0f), 18);
    EXPECT_EQ(CheckBoxMarkRect(ListRect{0, 0, 120, 24}, 1.2f), (ListRect{0, 3, 19, 22})); // 16 x 1.2 = 19
    EXPECT_EQ(CheckBoxTextLeft(ListRect{0, 0, 120, 24}, 1.2f), 21);
}

} // namespace
} // namespace tsu
