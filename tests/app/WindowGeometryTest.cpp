// Window sizes and places at 96, 120 and 144 DPI, and the host/child insets that keep a dragged
// child and its host together.

#include "app/core/WindowGeometry.h"
#include "controls/core/Scaling.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

TEST(MainWindow, DesignSizesAtTheUsualDpis) {
    EXPECT_EQ(ScaledSize(kMainDesignWidth, kMainDesignHeight, ScaleFactorFromDpi(96)), (WindowBox{0, 0, 806, 606}));
    EXPECT_EQ(ScaledSize(kMainDesignWidth, kMainDesignHeight, ScaleFactorFromDpi(120)), (WindowBox{0, 0, 967, 727}));
    EXPECT_EQ(ScaledSize(kMainDesignWidth, kMainDesignHeight, ScaleFactorFromDpi(144)), (WindowBox{0, 0, 1160, 872}));
}

TEST(MainWindow, PagesAreComputedFromTheTruncatedWindowSize) {
    const WindowBox at96 = InsetBox(WindowBox{237, 209, 806, 606}, kPageInset, 1.0f);
    EXPECT_EQ(at96, (WindowBox{240, 211, 800, 600}));
    const WindowBox at120 = InsetBox(WindowBox{156, 148, 967, 727}, kPageInset, 1.2f);
    EXPECT_EQ(at120, (WindowBox{159, 150, 959, 719}));
}

TEST(MainWindow, CentredWithIntegerHalves) {
    EXPECT_EQ(CentredOnScreen(806, 606, 1280, 1024), (WindowBox{237, 209, 806, 606}));
    EXPECT_EQ(CentredOnScreen(967, 727, 1280, 1024), (WindowBox{157, 149, 967, 727}));
}

TEST(HostAndChild, DraggingAChildAndPlacingItBackAgreeAtEveryScale) {
    for (float scale : {1.0f, 1.2f, 1.25f, 1.44f, 2.0f}) {
        for (const DesignInset& inset : {kPageInset, kPromptChildInset, kWaitChildInset, kFeedbackChildInset}) {
            const WindowBox host{100, 50, 410, 479};
            const WindowBox child = InsetBox(host, inset, scale);
            const WindowBox back = OutsetBox(child, inset, scale);
            EXPECT_EQ(back.x, host.x) << scale;
            EXPECT_EQ(back.y, host.y) << scale;
            // Moving the host to the outset place puts the child exactly where it was.
            EXPECT_EQ(InsetBox(back, inset, scale).x, child.x);
            EXPECT_EQ(InsetBox(back, inset, scale).y, child.y);
        }
    }
}

TEST(FeedbackDialog, SizesAt120Dpi) {
    const WindowBox host = ScaledSize(kFeedbackDesignWidth, kFeedbackDesignHeight, 1.2f);
    EXPECT_EQ(host.width, 492);
    EXPECT_EQ(host.height, 574);
    const WindowBox child = InsetBox(host, kFeedbackChildInset, 1.2f);
    EXPECT_EQ(child.width, 480);
    EXPECT_EQ(child.height, 560);
}

TEST(TermsViewer, SitsOverTheLowerPartOfTheStartPage) {
    const WindowBox box = TermsViewerBox(WindowBox{240, 211, 800, 600}, 1.0f);
    EXPECT_EQ(box, (WindowBox{240 + 400 - 270, 211 + 600 - 430, 541, 402}));
    EXPECT_LE(box.Bottom(), 211 + 600);
}

TEST(DragStrip, TopThirtyPixelsWithoutTheRightPart) {
    EXPECT_TRUE(InDragStrip(0, 0, 800, 30, 86));
    EXPECT_TRUE(InDragStrip(713, 29, 800, 30, 86));
    EXPECT_FALSE(InDragStrip(714, 10, 800, 30, 86)); // minimise and close buttons
    EXPECT_FALSE(InDragStrip(10, 30, 800, 30, 86));
    EXPECT_FALSE(InDragStrip(-1, 10, 800, 30, 86));
}

} // namespace
} // namespace tsu
