#include "app/core/WindowGeometry.h"

namespace tsu {

namespace {

int Times(double n, float scale) {
    return static_cast<int>(n * static_cast<double>(scale));
}

// Sizes are worked out in single precision, as the factor itself is a float: 492 - 10 x 1.2f is
// exactly 480 there, while in double precision 1.2f is a hair above 1.2 and the result truncates
// to 479.
int Shrunk(int length, double insets, float scale) {
    return static_cast<int>(static_cast<float>(length) - static_cast<float>(insets) * scale);
}

int Grown(int length, double insets, float scale) {
    return static_cast<int>(static_cast<float>(length) + static_cast<float>(insets) * scale);
}

} // namespace

WindowBox ScaledSize(int designWidth, int designHeight, float scale) {
    return WindowBox{0, 0, Times(designWidth, scale), Times(designHeight, scale)};
}

WindowBox CentredOnScreen(int width, int height, int screenWidth, int screenHeight) {
    return WindowBox{screenWidth / 2 - width / 2, screenHeight / 2 - height / 2, width, height};
}

WindowBox InsetBox(const WindowBox& host, const DesignInset& inset, float scale) {
    WindowBox inner;
    inner.x = host.x + Times(inset.left, scale);
    inner.y = host.y + Times(inset.top, scale);
    inner.width = Shrunk(host.width, inset.left + inset.right, scale);
    inner.height = Shrunk(host.height, inset.top + inset.bottom, scale);
    return inner;
}

WindowBox OutsetBox(const WindowBox& inner, const DesignInset& inset, float scale) {
    WindowBox host;
    host.x = inner.x - Times(inset.left, scale);
    host.y = inner.y - Times(inset.top, scale);
    host.width = Grown(inner.width, inset.left + inset.right, scale);
    host.height = Grown(inner.height, inset.top + inset.bottom, scale);
    return host;
}

WindowBox TermsViewerBox(const WindowBox& page, float scale) {
    WindowBox box;
    box.x = page.x + (page.width / 2 - Times(270, scale));
    box.y = page.y + (page.height - Times(430, scale));
    box.width = Times(kTermsDesignWidth, scale);
    box.height = Times(kTermsDesignHeight, scale);
    return box;
}

bool InDragStrip(int x, int y, int clientWidth, int stripHeight, int rightExcluded) {
    return x >= 0 && y >= 0 && y < stripHeight && x < clientWidth - rightExcluded;
}

} // namespace tsu
