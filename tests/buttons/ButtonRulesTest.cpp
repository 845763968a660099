#include "controls/buttons/core/ButtonRules.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

struct SlotCase {
    int state;
    bool enabled;
    ButtonImageSlot expected;
};
class SlotForStateTest : public ::testing::TestWithParam<SlotCase> {};

TEST_P(SlotForStateTest, PicksThePicture) {
    EXPECT_EQ(SlotForState(GetParam().state, GetParam().enabled), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(States, SlotForStateTest,
                         ::testing::Values(SlotCase{kButtonNormal, true, kSlotNormal},
                                           SlotCase{kButtonHover, true, kSlotHover},
                                           SlotCase{kButtonPressed, true, kSlotPressed},
                                           SlotCase{kButtonNormal, false, kSlotDisabled},
                                           SlotCase{kButtonPressed, false, kSlotDisabled},
                                           // A state that should never occur draws the normal look.
                                           SlotCase{0, true, kSlotNormal}, SlotCase{7, true, kSlotNormal}));

TEST(StripQuarterTest, QuartersOfTheUninstallStrip) {
    // PNG 202 is 632 x 40: four 158 x 40 states.
    EXPECT_EQ(StripQuarter(632, 40, kSlotNormal), (ListRect{0, 0, 158, 40}));
    EXPECT_EQ(StripQuarter(632, 40, kSlotHover), (ListRect{158, 0, 316, 40}));
    EXPECT_EQ(StripQuarter(632, 40, kSlotPressed), (ListRect{316, 0, 474, 40}));
    EXPECT_EQ(StripQuarter(632, 40, kSlotDisabled), (ListRect{474, 0, 632, 40}));
}

TEST(StripQuarterTest, DegenerateStripsGiveEmptySources) {
    EXPECT_TRUE(StripQuarter(3, 40, kSlotHover).IsEmpty());
    EXPECT_TRUE(StripQuarter(0, 0, kSlotNormal).IsEmpty());
    EXPECT_TRUE(StripQuarter(-8, -1, kSlotDisabled).IsEmpty());
}

TEST(PngButtonSourceTest, AboveUnitScaleTheLastColumnAndRowAreLeftOut) {
    EXPECT_EQ(PngButtonSource(26, 34, 1.0f), (ListRect{0, 0, 26, 34}));
    EXPECT_EQ(PngButtonSource(26, 34, 0.5f), (ListRect{0, 0, 26, 34}));
    EXPECT_EQ(PngButtonSource(26, 34, 1.2f), (ListRect{0, 0, 25, 33}));
    // A one-pixel picture cannot lose a pixel.
    EXPECT_EQ(PngButtonSource(1, 1, 2.0f), (ListRect{0, 0, 1, 1}));
}

TEST(PngButtonCaptionColorTest, BlackWhiteWhiteGrey) {
    EXPECT_EQ(PngButtonCaptionColor(kSlotNormal), 0x000000u);
    EXPECT_EQ(PngButtonCaptionColor(kSlotHover), 0xFFFFFFu);
    EXPECT_EQ(PngButtonCaptionColor(kSlotPressed), 0xFFFFFFu);
    EXPECT_EQ(PngButtonCaptionColor(kSlotDisabled), 0xC0C0C0u);
}

struct TransitionCase {
    const char* name;
    int from;
    ButtonMouseEvent event;
    bool inside;
    int expected;
};
class ButtonTransitionTest : public ::testing::TestWithParam<TransitionCase> {};

TEST_P(ButtonTransitionTest, Moves) {
    const TransitionCase& c = GetParam();
    EXPECT_EQ(NextButtonState(c.from, c.event, c.inside), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Events, ButtonTransitionTest,
    ::testing::Values(
        TransitionCase{"HoverFromNormal", kButtonNormal, ButtonMouseEvent::Hover, true, kButtonHover},
        TransitionCase{"PressFromHover", kButtonHover, ButtonMouseEvent::ButtonDown, true, kButtonPressed},
        TransitionCase{"ReleaseBackToHover", kButtonPressed, ButtonMouseEvent::ButtonUp, true, kButtonHover},
        TransitionCase{"LeavePressedToNormal", kButtonPressed, ButtonMouseEvent::Leave, true, kButtonNormal},
        TransitionCase{"LeaveHoverToNormal", kButtonHover, ButtonMouseEvent::Leave, false, kButtonNormal},
        TransitionCase{"PressOutsideKeepsState", kButtonHover, ButtonMouseEvent::ButtonDown, false, kButtonHover},
        TransitionCase{"ReleaseOutsideKeepsPressed", kButtonPressed, ButtonMouseEvent::ButtonUp, false,
                       kButtonPressed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CheckBoxLayoutTest, BoxIsVerticallyCentredAndTextFollowsIt) {
    EXPECT_EQ(CheckBoxMarkRect(ListRect{0, 0, 120, 20}, 1.0f), (ListRect{0, 2, 16, 18}));
    EXPECT_EQ(CheckBoxTextLeft(ListRect{0, 0, 120, 20}, 1.0f), 18);
    // At 120 DPI: 16 s = 19, 8 s = 9.
    EXPECT_EQ(CheckBoxMarkRect(ListRect{0, 0, 120, 24}, 1.2f), (ListRect{0, 3, 19, 22}));
    EXPECT_EQ(CheckBoxTextLeft(ListRect{0, 0, 120, 24}, 1.2f), 21);
}

} // namespace
} // namespace tsu
