// Painting of CMultilineList: every row goes through one memory bitmap that is copied to the
// screen in one step, and only the rows inside the content area are drawn.

#include "controls/list/CMultilineList.h"

#include "controls/DrawingUtils.h"
#include "controls/list/WaitAnimation.h"
#include "controls/list/core/ListGeometry.h"
#include "controls/list/core/ListScroll.h"
#include "framework/CPaintDC.h"

#include <algorithm>
#include <utility>

namespace tsu {

namespace {

constexpr COLORREF kTextColor = RGB(0, 0, 0);
constexpr COLORREF kButtonCaptionColor = RGB(255, 255, 255);
constexpr wchar_t kButtonCaption[] = L"卸载";
constexpr wchar_t kUninstallingText[] = L"卸载中";
constexpr wchar_t kWaitingText[] = L"等待卸载";
constexpr wchar_t kDoneText[] = L"卸载完成";
// The memory bitmap never grows beyond the screens' size: a window larger than every screen is
// painted where it can be seen, instead of asking for gigabytes of bitmap.
SIZE MaxCanvasSize() {
    const int width = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    constexpr int kFallback = 4096;
    return SIZE{width > 0 ? width : kFallback, height > 0 ? height : kFallback};
}

RECT ToRect(const ListRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

RECT Intersect(const RECT& a, const RECT& b) {
    RECT out{};
    if (!::IntersectRect(&out, &a, &b))
        return RECT{};
    return out;
}

bool IsEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

void DrawStateText(HDC dc, const ListRect& rect, const wchar_t* text) {
    RECT r = ToRect(rect);
    ::SetTextColor(dc, kTextColor);
    ::DrawTextW(dc, text, -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

} // namespace

bool CMultilineList::EnsureCanvas(HDC reference, int width, int height) {
    const RECT client = GetClientRect();
    const SIZE cap = MaxCanvasSize();
    const int wantWidth = std::min<int>(client.right - client.left, cap.cx);
    const int wantHeight = std::min<int>(client.bottom - client.top, cap.cy);
    if (width > wantWidth || height > wantHeight)
        return false;
    if (m_canvas.IsValid() && m_canvas.Width() == wantWidth && m_canvas.Height() == wantHeight)
        return true;
    return m_canvas.CreateCompatible(reference, wantWidth, wantHeight);
}

void CMultilineList::OnPaint() {
    CPaintDC paint(m_hWnd);
    if (!paint)
        return;
    RECT area = Intersect(GetContentRect(), paint.PaintRect());
    // Only what can be on a screen is worth painting.
    RECT screen{::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    screen.right = screen.left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    screen.bottom = screen.top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    ScreenToClient(screen);
    area = Intersect(area, screen);
    if (!IsEmpty(area))
        PaintArea(paint.Get(), area);
}

void CMultilineList::PaintContentTo(HDC target) {
    if (!target || !GetSafeHwnd())
        return;
    FlushLayout();
    RECT area = GetContentRect();
    const SIZE cap = MaxCanvasSize();
    area.right = std::min<LONG>(area.right, area.left + cap.cx);
    area.bottom = std::min<LONG>(area.bottom, area.top + cap.cy);
    if (!IsEmpty(area))
        PaintArea(target, area);
}

void CMultilineList::PaintArea(HDC target, const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (!EnsureCanvas(target, width, height))
        return; // without a memory bitmap nothing is drawn
    HDC dc = m_canvas.Dc();
    // The canvas holds the area at its origin; drawing stays in client coordinates.
    POINT previousOrigin{};
    ::SetViewportOrgEx(dc, -area.left, -area.top, &previousOrigin);
    {
        ScopedSelectObject font(dc, m_font.Get());
        DrawContent(dc, GetContentRect(), area);
    }
    ::BitBlt(target, area.left, area.top, width, height, dc, area.left, area.top, SRCCOPY);
    ::SetViewportOrgEx(dc, previousOrigin.x, previousOrigin.y, nullptr);
}

Gdiplus::Image* CMultilineList::IconAt(int index) const {
    if (index < 0 || index >= static_cast<int>(m_icons.size()))
        return nullptr;
    ListIcon& icon = m_icons[static_cast<size_t>(index)];
    if (icon.source)
        icon.image = std::exchange(icon.source, nullptr)(); // asked once
    const int side = Scaled(32, m_scale);
    if (icon.image && !icon.fitted) {
        icon.fitted = true;
        if (static_cast<int>(icon.image->GetWidth()) > side || static_cast<int>(icon.image->GetHeight()) > side) {
            if (std::unique_ptr<Gdiplus::Bitmap> shrunk = ListSpriteCache::Shrunk(icon.image.get(), side, side))
                icon.image = std::move(shrunk);
        }
    }
    return icon.image.get();
}

void CMultilineList::DrawImage(HDC dc, Gdiplus::Image* image, const ListRect& target, int srcX, int srcY, int srcWidth,
                               int srcHeight) {
    m_sprites.Draw(dc, image, ListRect::FromSize(srcX, srcY, srcWidth, srcHeight), target);
}

void CMultilineList::DrawContent(HDC dc, const RECT& content, const RECT& clip) {
    const RECT fill = Intersect(content, clip);
    ::FillRect(dc, &fill, ::GetSysColorBrush(COLOR_WINDOW));
    ::SetBkMode(dc, TRANSPARENT);
    ScopedSelectObject pen(dc, m_gridPen.Get());
    TEXTMETRICW metrics{};
    const int fontHeight = ::GetTextMetricsW(dc, &metrics) ? metrics.tmHeight : 0;
    std::unique_ptr<Gdiplus::Graphics> graphics;

    const FirstVisibleRow first = FindFirstVisibleRow(m_model, m_verticalPos);
    if (first.position < 0)
        return;
    const int rowCount = m_model.GetRowCount();
    const int bottomLimit = std::min(content.bottom, clip.bottom);
    int top = content.top + first.top;
    for (int position = first.position; position < rowCount && top < bottomLimit; ++position) {
        ListRow* row = m_model.RowOfPosition(position);
        const int key = m_model.KeyOfPosition(position);
        int x = content.left - m_horizontalPos;
        for (const auto& [columnKey, column] : m_model.Columns()) {
            const ListRect cellRect{x, top, x + column.width, top + row->height};
            x += column.width;
            auto cell = row->cells.find(columnKey);
            if (cell == row->cells.end())
                continue; // no cell: the column keeps its width and shows nothing
            if (key == m_selectedRow) {
                const RECT selection{cellRect.left, cellRect.top, content.right, cellRect.bottom};
                ::FillRect(dc, &selection, m_selectionBrush.Get());
            }
            DrawCell(dc, graphics, key, columnKey, cell->second, cellRect, fontHeight);
        }
        // A row takes its height whether or not its cells could be drawn, as hit testing assumes.
        const int bottom = top + row->height;
        ::MoveToEx(dc, content.left, bottom - 1, nullptr);
        ::LineTo(dc, content.right, bottom - 1);
        top = bottom;
    }
}

void CMultilineList::DrawCell(HDC dc, std::unique_ptr<Gdiplus::Graphics>& graphics, int rowKey, int column,
                              ListCell& cell, const ListRect& cellRect, int fontHeight) {
    CellLayoutInput input;
    input.scale = m_scale;
    Gdiplus::Image* icon = cell.hasIcon ? IconAt(cell.iconIndex) : nullptr;
    input.iconExists = icon != nullptr;
    input.fontHeight = fontHeight;
    // Without its strip the button keeps its size, so it still shows its caption and can be hit.
    if (m_buttonStrip && m_buttonStrip->GetHeight() > 0)
        input.buttonStripHeight = static_cast<int>(m_buttonStrip->GetHeight());
    const CellLayout layout = LayoutCell(cell, cellRect, input);

    if (cell.hasCheck) {
        cell.checkRect = layout.checkRect;
        DrawImage(dc, m_checkStrip.get(), layout.checkRect, cell.checked ? kCheckStateSize : 0, 0, kCheckStateSize,
                  kCheckStateSize);
    }
    if (icon)
        DrawImage(dc, icon, layout.iconRect, 0, 0, static_cast<int>(icon->GetWidth()),
                  static_cast<int>(icon->GetHeight()));

    switch (cell.kind) {
    case CELL_TEXT: {
        if (cell.text.empty() || layout.textRect.IsEmpty())
            break;
        const std::wstring fitted = FitText(dc, cell.text, layout.textRect.Width(), m_font.Get());
        UINT format = DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;
        if (cell.align == kAlignCenter)
            format |= DT_CENTER;
        else if (cell.align == kAlignRight)
            format |= DT_RIGHT;
        RECT r = ToRect(layout.textRect);
        ::SetTextColor(dc, kTextColor);
        ::DrawTextW(dc, fitted.c_str(), static_cast<int>(fitted.size()), &r, format);
        break;
    }
    case CELL_BUTTON: {
        cell.buttonRect = layout.buttonRect;
        const bool pointed = cell.buttonRect.Contains(m_lastMouse.x, m_lastMouse.y);
        const int state = pointed ? std::clamp(m_pressState, kPressNormal, kPressDisabled) : kPressNormal;
        DrawImage(dc, m_buttonStrip.get(), cell.buttonRect, kButtonStateWidth * state, 0, kButtonStateWidth,
                  input.buttonStripHeight);
        RECT r = ToRect(cell.buttonRect);
        ::SetTextColor(dc, kButtonCaptionColor);
        ::DrawTextW(dc, kButtonCaption, -1, &r, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        break;
    }
    case CELL_UNINSTALLING:
    case CELL_WAITING:
        cell.animRect = layout.animRect;
        DrawWaitAnimation(dc, graphics, rowKey, column, cell);
        cell.stateTextRect = layout.stateTextRect;
        DrawStateText(dc, cell.stateTextRect, cell.kind == CELL_UNINSTALLING ? kUninstallingText : kWaitingText);
        break;
    case CELL_DONE:
        if (auto* animation = static_cast<WaitAnimation*>(cell.animation.get()); animation && !animation->IsPaused())
            // Paused once; the done icon is drawn over the animation's place in this same pass,
            // so nothing needs invalidating (that would only start the next paint, and the next).
            animation->SetPause(true);
        cell.doneIconRect = layout.animRect;
        if (m_doneIcon)
            DrawImage(dc, m_doneIcon.get(), cell.doneIconRect, 0, 0, static_cast<int>(m_doneIcon->GetWidth()),
                      static_cast<int>(m_doneIcon->GetHeight()));
        cell.stateTextRect = layout.stateTextRect;
        DrawStateText(dc, cell.stateTextRect, kDoneText);
        break;
    default:
        break;
    }
}

void CMultilineList::DrawWaitAnimation(HDC dc, std::unique_ptr<Gdiplus::Graphics>& graphics, int rowKey, int column,
                                       ListCell& cell) {
    if (!cell.animation) {
        // Created on the first paint and started at once; its first frame comes with its first
        // redraw request.
        auto animation = std::make_shared<WaitAnimation>();
        animation->Start(m_hWnd, ToRect(cell.animRect), rowKey, column);
        cell.animation = std::move(animation);
        return;
    }
    auto* animation = static_cast<WaitAnimation*>(cell.animation.get());
    // A row that went back from done to waiting runs its animation again.
    if (animation->IsPaused())
        animation->SetPause(false);
    if (!graphics)
        graphics = std::make_unique<Gdiplus::Graphics>(dc);
    animation->Draw(*graphics, cell.animRect);
}

} // namespace tsu
