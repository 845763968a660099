#pragma once
// Where the tool's windows go, in pixels, from the design sizes and the scale factor. Portable.
//
// Every layered window is a host with one or more frameless windows inset on top of it. Sizes are
// computed in floating point from the truncated host size and truncated again, so at 120 DPI the
// 806 x 606 main window is 967 x 727 and its pages 959 x 719.

namespace tsu {

struct WindowBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    [[nodiscard]] int Bottom() const { return y + height; }
    friend bool operator==(const WindowBox& a, const WindowBox& b) {
        return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
    }
};

// A design inset (left, top, right, bottom) in unscaled pixels.
struct DesignInset {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// The main window and its pages: pages sit 3 s left, 2 s top, 3 s right, 4 s bottom inside.
inline constexpr int kMainDesignWidth = 806;
inline constexpr int kMainDesignHeight = 606;
inline constexpr DesignInset kPageInset{3, 2, 3, 4};
// The prompt (336 x 156) and its child: 5 s, 3 s, 5 s, 7 s.
inline constexpr int kPromptDesignWidth = 336;
inline constexpr int kPromptDesignHeight = 156;
inline constexpr DesignInset kPromptChildInset{5, 3, 5, 7};
// The wait dialog (232 x 132) and its child: 14 s, 12 s, 14 s, 16 s.
inline constexpr int kWaitDesignWidth = 232;
inline constexpr int kWaitDesignHeight = 132;
inline constexpr DesignInset kWaitChildInset{14, 12, 14, 16};
// The feedback dialog (410 x 479) and its child: 5 s, 4 s, 5 s, 7 s.
inline constexpr int kFeedbackDesignWidth = 410;
inline constexpr int kFeedbackDesignHeight = 479;
inline constexpr DesignInset kFeedbackChildInset{5, 4, 5, 7};
// The terms viewer (541 x 402) and its child: 1 s, 1 s, 2 s, 18 s.
inline constexpr int kTermsDesignWidth = 541;
inline constexpr int kTermsDesignHeight = 402;
inline constexpr DesignInset kTermsChildInset{1, 1, 2, 18};

// A design size times the factor, truncated.
[[nodiscard]] WindowBox ScaledSize(int designWidth, int designHeight, float scale);
// A box of the given size centred on a screen of screenWidth x screenHeight (left = screen / 2 -
// width / 2, integer halves).
[[nodiscard]] WindowBox CentredOnScreen(int width, int height, int screenWidth, int screenHeight);
// The inner window of a host: moved by the scaled left/top inset, shrunk by the scaled sum of
// both insets on each axis.
[[nodiscard]] WindowBox InsetBox(const WindowBox& host, const DesignInset& inset, float scale);
// The host around an inner window: the inverse of InsetBox for the position; the size grows by
// the scaled sums.
[[nodiscard]] WindowBox OutsetBox(const WindowBox& inner, const DesignInset& inset, float scale);

// The terms viewer's place over the start page: x = page left + (page width / 2 - 270 s),
// y = page top + (page height - 430 s), size 541 s x 402 s.
[[nodiscard]] WindowBox TermsViewerBox(const WindowBox& page, float scale);

// Whether a point (client coordinates of a page, or of a prompt or feedback child) lies in the
// drag strip: the top stripHeight pixels minus the right rightExcluded pixels.
[[nodiscard]] bool InDragStrip(int x, int y, int clientWidth, int stripHeight, int rightExcluded);

} // namespace tsu
