#include "controls/list/core/ListScroll.h"

#include <algorithm>
#include <climits>

namespace tsu {

namespace {
int ToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}
} // namespace

int MaxScrollPosition(int64_t total, int view) {
    return ToInt(std::max<int64_t>(0, total - std::max(view, 0)));
}

int VerticalScroll(const ListModel& model, int code, int position, int trackPos, int viewHeight) {
    const int64_t total = model.TotalHeight();
    int64_t next = position;
    switch (static_cast<ScrollCode>(code)) {
    case ScrollCode::ThumbTrack:
        next = trackPos;
        break;
    case ScrollCode::PageUp:
        next = int64_t(position) - viewHeight;
        break;
    case ScrollCode::PageDown: {
        const int64_t rest = total - (int64_t(position) + viewHeight);
        next = int64_t(position) + (rest < viewHeight ? rest : viewHeight);
        break;
    }
    case ScrollCode::LineUp: {
        int k = model.PositionAtOffset(position);
        if (k < 0) // scrolled beyond the last row: step back from the end
            k = model.GetRowCount();
        k = std::max(k - 1, 0);
        next = int64_t(position) - model.HeightOfPosition(k);
        break;
    }
    case ScrollCode::LineDown: {
        const int k = model.PositionAtOffset(position);
        if (k >= 0 && total - model.TopOfPosition(k) > viewHeight)
            next = int64_t(position) + model.HeightOfPosition(k);
        break;
    }
    default:
        break;
    }
    return ToInt(std::max<int64_t>(next, 0));
}

int HorizontalScroll(int code, int position, int thumbPos, int viewWidth, int64_t totalWidth) {
    int64_t next = position;
    switch (static_cast<ScrollCode>(code)) {
    case ScrollCode::ThumbPosition:
    case ScrollCode::ThumbTrack:
        next = thumbPos;
        break;
    case ScrollCode::PageUp:
        next = int64_t(position) - viewWidth;
        break;
    case ScrollCode::PageDown: {
        const int64_t rest = totalWidth - (int64_t(position) + viewWidth);
        next = int64_t(position) + (rest < viewWidth ? rest : viewWidth);
        break;
    }
    case ScrollCode::LineUp:
        next = int64_t(position) - kHorizontalLineStep;
        break;
    case ScrollCode::LineDown:
        if (totalWidth - position > viewWidth)
            next = int64_t(position) + kHorizontalLineStep;
        break;
    default:
        break;
    }
    return ToInt(std::max<int64_t>(next, 0));
}

std::optional<int> EnsureVisiblePosition(const ListModel& model, int rowPosition, int position, int viewHeight) {
    if (rowPosition < 0 || rowPosition >= model.GetRowCount())
        return std::nullopt;
    const int64_t top = model.TopOfPosition(rowPosition);
    const int64_t height = model.HeightOfPosition(rowPosition);
    if (top >= position && top + height > int64_t(viewHeight) + position)
        return ToInt(height < viewHeight ? top + height - viewHeight : top);
    if (top < position)
        return ToInt(top);
    return std::nullopt;
}

FirstVisibleRow FindFirstVisibleRow(const ListModel& model, int scrollPosition) {
    FirstVisibleRow first;
    const int position = model.PositionAtOffset(std::max(scrollPosition, 0));
    if (position < 0)
        return first;
    first.position = position;
    first.top = ToInt(model.TopOfPosition(position) - std::max(scrollPosition, 0));
    return first;
}

} // namespace tsu
