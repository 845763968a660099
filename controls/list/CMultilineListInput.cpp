// Mouse and scrolling of CMultilineList.

#include "controls/list/CMultilineList.h"

#include "controls/CHeaderCtrlEx.h"
#include "controls/list/core/ListScroll.h"
#include "framework/Messages.h"

namespace tsu {

int CMultilineList::HitTestRow(POINT pt) const {
    const RECT content = GetContentRect();
    if (!::PtInRect(&content, pt))
        return -1;
    const int64_t y = int64_t(pt.y) - content.top + m_verticalPos;
    return m_model.KeyOfPosition(m_model.PositionAtOffset(y));
}

void CMultilineList::BringRectanglesUpToDate() {
    // The cells' rectangles are those of the last paint. After a scroll whose repaint is still
    // pending they would name old places, so paint first.
    if (::GetUpdateRect(m_hWnd, nullptr, FALSE))
        UpdateWindow();
}

void CMultilineList::OnMouseMove(POINT pt) {
    BringRectanglesUpToDate();
    if (ListRow* row = m_model.FindRow(HitTestRow(pt))) {
        // Hover shows on whichever cell holds the button, not only when it is the row's last cell.
        int state = kPressNormal;
        for (const auto& [column, cell] : row->cells) {
            if (cell.buttonRect.Contains(pt.x, pt.y))
                state = kPressHover;
        }
        m_pressState = state;
        m_lastMouse = pt;
    }
    Invalidate(false);
    RecalcLayout();
}

void CMultilineList::OnLButtonDown(POINT pt) {
    ::SetFocus(m_hWnd);
    BringRectanglesUpToDate();
    m_selectedRow = HitTestRow(pt);

    ListButtonClick click;
    bool buttonPressed = false;
    if (ListRow* row = m_model.FindRow(m_selectedRow)) {
        int state = kPressNormal;
        for (auto& [column, cell] : row->cells) {
            if (cell.hasCheck && cell.checkRect.Contains(pt.x, pt.y))
                cell.checked = !cell.checked;
            if (cell.kind == CELL_BUTTON && cell.buttonRect.Contains(pt.x, pt.y)) {
                state = kPressPressed;
                click.row = m_selectedRow;
                click.kind = CELL_BUTTON;
                click.action = 1;
                buttonPressed = true;
            }
        }
        m_pressState = state;
    }

    UpdateSelectAll();
    Invalidate(false);
    RecalcLayout();
    if (m_selectedRow >= 0)
        EnsureRowVisible(m_selectedRow);

    // The parent hears of the button only now that the row's cells are no longer being walked:
    // its handler may open a modal prompt, and rows may be deleted or renumbered meanwhile, or
    // the whole page may go away.
    const HWND self = m_hWnd;
    const HWND parent = GetParent();
    const UINT id = GetDlgCtrlID();
    if (buttonPressed && parent) {
        ::SendMessageW(parent, WM_LIST_BUTTONCLICK, reinterpret_cast<WPARAM>(&click), 0);
        if (!::IsWindow(self) || FromHandlePermanent(self) != this)
            return;
        if (m_model.FindRow(m_selectedRow) == nullptr)
            m_selectedRow = -1;
    }
    if (parent)
        ::PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, 1), reinterpret_cast<LPARAM>(self));
}

void CMultilineList::OnLButtonUp(POINT pt) {
    m_selectedRow = HitTestRow(pt);
    if (ListRow* row = m_model.FindRow(m_selectedRow)) {
        // Released over a button that is still a button: it shows its hover look again.
        int state = kPressNormal;
        for (const auto& [column, cell] : row->cells) {
            if (cell.kind == CELL_BUTTON && cell.buttonRect.Contains(pt.x, pt.y))
                state = kPressHover;
        }
        m_pressState = state;
    }
    Invalidate(false);
    RecalcLayout();
}

void CMultilineList::OnMouseWheel(short delta) {
    // One row per message, whatever the delta: a fast wheel that reports 240 at once still moves
    // one row.
    OnVScroll(delta >= 0 ? SB_LINEUP : SB_LINEDOWN);
}

void CMultilineList::OnVScroll(int code) {
    const RECT content = GetContentRect();
    int trackPos = m_verticalPos;
    if (code == SB_THUMBTRACK) {
        SCROLLINFO info{};
        if (m_verticalBar.GetScrollInfo(info, SIF_TRACKPOS))
            trackPos = info.nTrackPos;
    }
    m_verticalPos = VerticalScroll(m_model, code, m_verticalPos, trackPos, content.bottom - content.top);
    if (code == SB_THUMBTRACK)
        m_verticalBar.SetScrollPos(m_verticalPos, true);
    Invalidate(true);
    RecalcLayout();
}

void CMultilineList::OnHScroll(int code, int thumbPos, HWND bar) {
    const RECT content = GetContentRect();
    if ((code == SB_THUMBTRACK || code == SB_THUMBPOSITION) && bar && bar == m_horizontalBar.GetSafeHwnd()) {
        // The message carries 16 bits; the bar knows the full position of wide lists.
        SCROLLINFO info{};
        if (m_horizontalBar.GetScrollInfo(info, SIF_TRACKPOS))
            thumbPos = info.nTrackPos;
    }
    m_horizontalPos =
        HorizontalScroll(code, m_horizontalPos, thumbPos, content.right - content.left, m_model.TotalWidth());
    Invalidate(true);
    RecalcLayout();
}

void CMultilineList::EnsureRowVisible(int row) {
    const RECT content = GetContentRect();
    const auto position =
        EnsureVisiblePosition(m_model, m_model.PositionOfKey(row), m_verticalPos, content.bottom - content.top);
    if (!position)
        return;
    m_verticalPos = *position;
    Invalidate(true);
    RecalcLayout();
}

void CMultilineList::UpdateSelectAll() {
    if (!m_header)
        return;
    m_header->SetCheck(m_model.AreColumnZeroBoxesTicked());
    m_header->Invalidate(true);
}

} // namespace tsu
