// Rules of the prompt and wait dialogs and the feedback time text.

#include "app/core/DialogRules.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

TEST(WaitText, FewerThanTwoCharactersShowTheDefault) {
    EXPECT_EQ(WaitDialogText(L""), kDefaultWaitText);
    EXPECT_EQ(WaitDialogText(L"x"), kDefaultWaitText);
    EXPECT_EQ(WaitDialogText(L"\xD83D\xDE00"), kDefaultWaitText); // one character in two code units
    EXPECT_EQ(WaitDialogText(L"正在"), L"正在");
    EXPECT_EQ(WaitDialogText(L"正在检测软件，请稍等"), L"正在检测软件，请稍等");
}

TEST(FeedbackTime, LowThirtyTwoBitsAsSignedDecimal) {
    EXPECT_EQ(FeedbackTimeText(0), L"0");
    EXPECT_EQ(FeedbackTimeText(1714560000), L"1714560000");
    EXPECT_EQ(FeedbackTimeText(2147483647), L"2147483647");
    EXPECT_EQ(FeedbackTimeText(2147483648LL), L"-2147483648"); // 2038 and later wrap
    EXPECT_EQ(FeedbackTimeText(0x100000005LL), L"5");
}

struct StyleCase {
    int style;
    bool secondShown;
    bool firstCentred;
    bool firstIsConfirm;
    bool secondIsCancel;
};

class PromptStyles : public ::testing::TestWithParam<StyleCase> {};

TEST_P(PromptStyles, ButtonsAndImagesFollowTheStyle) {
    const StyleCase& c = GetParam();
    const PromptButtonPlan plan = PlanPromptButtons(c.style);
    EXPECT_EQ(plan.secondShown, c.secondShown);
    EXPECT_EQ(plan.firstCentred, c.firstCentred);
    EXPECT_EQ(plan.firstIsConfirm, c.firstIsConfirm);
    EXPECT_EQ(plan.secondIsCancel, c.secondIsCancel);
}

INSTANTIATE_TEST_SUITE_P(Table, PromptStyles,
                         ::testing::Values(StyleCase{kPromptStyleConfirm, false, true, true, false},
                                           StyleCase{kPromptStyleConfirmCancel, true, false, true, true},
                                           StyleCase{kPromptStyleYes, false, true, false, false},
                                           StyleCase{kPromptStyleYesNo, true, false, false, false},
                                           StyleCase{0, false, false, false, false},
                                           StyleCase{99, false, false, false, false}));

TEST(PromptResult, OnlyOneIsTheFirstButton) {
    EXPECT_TRUE(IsFirstButtonResult(1));
    EXPECT_FALSE(IsFirstButtonResult(2));
    EXPECT_FALSE(IsFirstButtonResult(0));
}

} // namespace
} // namespace tsu
