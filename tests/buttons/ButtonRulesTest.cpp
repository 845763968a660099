#include "controls/buttons/core/ButtonRules.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

TEST(ButtonRules, SlotForState) {
    struct Case {
        int state;
        bool enabled;
        ButtonImageSlot expected;
    };
    // A state that should never occur (0, 7) draws the normal look.
    for (const Case& c : {Case{kButtonNormal, true, kSlotNormal}, Case{kButtonHover, true, kSlotHover},
                          Case{kButtonPressed, true, kSlotPressed}, Case{kButtonNormal, false, kSlotDisabled},
                          Case{kButtonPressed, false, kSlotDisabled}, Case{0, true, kSlotNormal},
                          Case{7, true, kSlotNormal}}) {
        SCOPED_TRACE(c.state);
        EXPECT_EQ(SlotForState(c.state, c.enabled), c.expected);
    }
}

TEST(ButtonRules, StripQuartersAndDegenerateStrips) {
    for (int slot = kSlotNormal; slot <= kSlotDisabled; ++slot)
        EXPECT_EQ(StripQuarter(632, 40, static_cast<ButtonImageSlot>(slot)), (ListRect{slot * 158, 0, slot * 158 + 158, 40}));
    EXPECT_TRUE(StripQuarter(3, 40, kSlotHover).IsEmpty());
    EXPECT_TRUE(StripQuarter(0, 0, kSlotNormal).IsEmpty());
    EXPECT_TRUE(StripQuarter(-8, -1, kSlotDisabled).IsEmpty());
}

TEST(ButtonRules, AboveUnitScaleThePngSourceLosesItsLastColumnAndRow) {
    EXPECT_EQ(PngButtonSource(26, 34, 1.0f), (ListRect{0, 0, 26, 34}));
    EXPECT_EQ(PngButtonSource(26, 34, 0.5f), (ListRect{0, 0, 26, 34}));
    EXPECT_EQ(PngButtonSource(26, 34, 1.2f), (ListRect{0, 0, 25, 33}));
    EXPECT_EQ(PngButtonSource(1, 1, 2.0f), (ListRect{0, 0, 1, 1})); // nothing to lose
}

TEST(ButtonRules, MouseTransitions) {
    using E = ButtonMouseEvent;
    struct Case {
        int from;
        E event;
        bool inside;
        int expected;
    };
    for (const Case& c : {Case{kButtonNormal, E::Hover, true, kButtonHover},
                          Case{kButtonHover, E::ButtonDown, true, kButtonPressed},
                          Case{kButtonPressed, E::ButtonUp, true, kButtonHover},
                          Case{kButtonPressed, E::Leave, true, kButtonNormal},
                          Case{kButtonHover, E::Leave, false, kButtonNormal},
                          Case{kButtonHover, E::ButtonDown, false, kButtonHover},
                          Case{kButtonPressed, E::ButtonUp, false, kButtonPressed}}) {
        SCOPED_TRACE(testing::Message() << c.from << " " << static_cast<int>(c.event) << " " << c.inside);
        EXPECT_EQ(NextButtonState(c.from, c.event, c.inside), c.expected);
    }
}

TEST(ButtonRules, CheckBoxIsVerticallyCentredAndTextFollowsIt) {
    EXPECT_EQ(CheckBoxMarkRect(ListRect{0, 0, 120, 20}, 1.0f), (ListRect{0, 2, 16, 18}));
    EXPECT_EQ(CheckBoxTextLeft(ListRect{0, 0, 120, 20}, 1.0f), 18);
    EXPECT_EQ(CheckBoxMarkRect(ListRect{0, 0, 120, 24}, 1.2f), (ListRect{0, 3, 19, 22})); // 16 x 1.2 = 19
    EXPECT_EQ(CheckBoxTextLeft(ListRect{0, 0, 120, 24}, 1.2f), 21);
}

} // namespace
} // namespace tsu
