#include "controls/list/CMultilineList.h"

#include "controls/CHeaderCtrlEx.h"
#include "controls/DrawingUtils.h"
#include "controls/list/WaitAnimation.h"
#include "controls/list/core/ListGeometry.h"
#include "controls/list/core/ListScroll.h"
#include "framework/Messages.h"
#include "res/ResourceIds.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <utility>

namespace tsu {

namespace {

constexpr COLORREF kGridColor = RGB(218, 218, 218);
constexpr COLORREF kSelectionColor = RGB(234, 234, 255);
constexpr int kBoldWeight = 700;
constexpr int kNewHeaderItemWidth = 100;
// A column whose divider drag ends below this width is widened to it.
constexpr int kEndTrackMinimumWidth = 200;

int ClampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, 0, INT_MAX));
}

} // namespace

CMultilineList::CMultilineList() {
    m_selectionBrush.Reset(::CreateSolidBrush(kSelectionColor));
}

// The templates may come from a resource-only module (SetResourceModule); the dialog manager then
// creates its controls with that module's instance, which finds an application class only when it
// is global.
bool CMultilineList::RegisterWindowClass() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(instance, res::kMultilineListClass, &existing))
        return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = res::kMultilineListClass;
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CMultilineList::Create(const RECT& rect, HWND parent, UINT id) {
    return RegisterWindowClass() &&
           CreateEx(0, res::kMultilineListClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect, parent, id);
}

CMultilineList::~CMultilineList() {
    m_tearingDown = true;
    // The animations' threads end here, while the object is still whole.
    m_model.DeleteAllRows();
    m_header.reset();
    if (GetSafeHwnd() && !::IsWindow(GetSafeHwnd()))
        (void)UnsubclassWindow();
}

void CMultilineList::PreSubclassWindow() {
    // Adding WS_BORDER after creation shows only once the frame is recomputed. WS_CLIPCHILDREN
    // keeps the list's own invalidations (every mouse move) from repainting the header and the
    // scroll bars as well, which would triple the cost of a move.
    ModifyStyle(0, WS_BORDER | WS_CLIPCHILDREN, SWP_NOACTIVATE);
    m_gridPen.Reset(::CreatePen(PS_SOLID, 1, kGridColor));
    CreateFonts();
    CreateChildren();
}

void CMultilineList::CreateFonts() {
    HFONT parentFont = nullptr;
    if (HWND parent = GetParent())
        parentFont = reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0));
    LOGFONTW logFont{};
    if (!GetLogFont(parentFont, logFont) &&
        !GetLogFont(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)), logFont) &&
        !GetLogFont(static_cast<HFONT>(::GetStockObject(SYSTEM_FONT)), logFont))
        return;
    m_font.Reset(::CreateFontIndirectW(&logFont));
    logFont.lfWeight = kBoldWeight;
    m_boldFont.Reset(::CreateFontIndirectW(&logFont));
}

void CMultilineList::CreateChildren() {
    m_scale = ScreenScaleFactor();
    const RECT empty{};
    m_header = std::make_unique<CHeaderCtrlEx>();
    m_header->SetScale(m_scale);
    if (m_header->Create(WS_CHILD | WS_VISIBLE | CCS_TOP, empty, m_hWnd, kHeaderId)) {
        if (m_boldFont)
            m_header->SetFont(m_boldFont.Get(), false);
    } else {
        m_header.reset();
    }
    if (!m_verticalBar.Create(WS_CHILD | WS_VISIBLE | SBS_VERT | SBS_RIGHTALIGN, empty, m_hWnd, kVerticalBarId))
        ReportWindowError(L"CMultilineList: cannot create the vertical scroll bar");
    if (!m_horizontalBar.Create(WS_CHILD | WS_VISIBLE | SBS_BOTTOMALIGN, empty, m_hWnd, kHorizontalBarId))
        ReportWindowError(L"CMultilineList: cannot create the horizontal scroll bar");
    LoadImages();
    AdjustLayout();
    // An empty list shows no scroll bars from the start.
    RecalcLayout();
}

void CMultilineList::LoadImages() {
    // A missing image leaves its slot empty; painting then leaves that part out.
    if (!m_checkStrip)
        m_checkStrip = LoadPngResource(IDB_PNG_CHECKBOX_STRIP);
    if (!m_buttonStrip)
        m_buttonStrip = LoadPngResource(IDB_PNG_ROW_BUTTON_STRIP);
    if (!m_doneIcon)
        m_doneIcon = LoadPngResource(IDB_PNG_DONE_ICON);
}

void CMultilineList::SetScale(float scale) {
    m_scale = scale > 0.0f ? scale : 1.0f;
    if (m_header)
        m_header->SetScale(m_scale);
}

HWND CMultilineList::GetHeaderHwnd() const {
    return m_header ? m_header->GetSafeHwnd() : nullptr;
}

// ---- Operations ----------------------------------------------------------------------------------

void CMultilineList::Changed() {
    if (GetSafeHwnd())
        Invalidate(false);
    RecalcLayout();
}

void CMultilineList::InsertColumn(int index, ListColumn column) {
    if (m_model.InsertColumn(index, std::move(column)))
        Changed();
}

void CMultilineList::InsertRow(int index, ListRow row) {
    if (!m_model.InsertRow(index, std::move(row)))
        return;
    // A page inserts thousands of rows in one go. The repaint and RecalcLayout are due once
    // before anybody can see the list again: the next message the list handles, the next other
    // operation or AdjustLayout (which the pages call after filling) runs them.
    if (!m_layoutPending) {
        m_layoutPending = true;
        if (GetSafeHwnd())
            Invalidate(false);
    }
}

void CMultilineList::FlushLayout() {
    if (m_layoutPending)
        RecalcLayout();
}

BOOL CMultilineList::SetItemData(int row, void* data) {
    return m_model.SetItemData(row, data) ? TRUE : FALSE;
}

void* CMultilineList::GetItemData(int row) const {
    return m_model.GetItemData(row);
}

BOOL CMultilineList::SetCellKind(int row, int column, int kind) {
    if (!m_model.SetCellKind(row, column, kind))
        return FALSE;
    Changed();
    return TRUE;
}

BOOL CMultilineList::GetCellCheck(int row, int column) const {
    return m_model.GetCellCheck(row, column) ? TRUE : FALSE;
}

BOOL CMultilineList::DeleteRow(int row) {
    if (!m_model.DeleteRow(row))
        return FALSE;
    if (m_selectedRow >= m_model.GetRowCount())
        m_selectedRow = -1;
    Changed();
    return TRUE;
}

void CMultilineList::DeleteAllRows() {
    m_model.DeleteAllRows();
    // Icon indexes handed out so far are void from here on.
    m_sprites.Clear();
    m_icons.clear();
    m_selectedRow = -1;
    Changed();
}

int CMultilineList::AddImage(Gdiplus::Image* image) {
    if (!image)
        return -1;
    m_icons.push_back(ListIcon{std::unique_ptr<Gdiplus::Image>(image), nullptr});
    return static_cast<int>(m_icons.size()) - 1;
}

int CMultilineList::AddImageSource(ImageSource source) {
    if (!source)
        return -1;
    m_icons.push_back(ListIcon{nullptr, std::move(source)});
    return static_cast<int>(m_icons.size()) - 1;
}

void CMultilineList::ReleaseImages() {
    m_sprites.Clear();
    m_checkStrip.reset();
    m_buttonStrip.reset();
    m_doneIcon.reset();
    m_icons.clear();
}

void CMultilineList::ShowCheckAll(BOOL show) {
    m_selectAllShown = show;
    if (m_header)
        m_header->ShowCheckBox(show != FALSE);
}

void CMultilineList::SetCheckAll(BOOL check) {
    if (m_header)
        m_header->SetCheck(check != FALSE);
}

// ---- Layout --------------------------------------------------------------------------------------

bool CMultilineList::BarShown(const CScrollBar& bar) const {
    // What the list made of it, not IsWindowVisible: a hidden list still knows whether its bars
    // are on.
    if (!bar.GetSafeHwnd())
        return false;
    return (&bar == &m_verticalBar ? m_verticalState : m_horizontalState).shown;
}

int CMultilineList::HeaderHeightForFont() const {
    int fontHeight = 0;
    UniqueWindowDc dc(m_hWnd);
    if (dc) {
        ScopedSelectObject select(dc.Get(), m_boldFont.Get());
        TEXTMETRICW metrics{};
        if (::GetTextMetricsW(dc.Get(), &metrics))
            fontHeight = metrics.tmHeight;
    }
    return HeaderHeight(fontHeight, m_headerExtraHeight, m_scale);
}

RECT CMultilineList::GetContentRect() const {
    RECT content = GetClientRect();
    if (m_header && m_header->GetSafeHwnd()) {
        const RECT header = m_header->GetClientRect();
        content.top += header.bottom - header.top;
    }
    if (BarShown(m_verticalBar)) {
        const RECT bar = m_verticalBar.GetClientRect();
        content.right -= bar.right - bar.left;
    }
    if (BarShown(m_horizontalBar)) {
        const RECT bar = m_horizontalBar.GetClientRect();
        content.bottom -= bar.bottom - bar.top;
    }
    content.right = std::max(content.right, content.left);
    content.bottom = std::max(content.bottom, content.top);
    return content;
}

void CMultilineList::AdjustLayout() {
    if (!GetSafeHwnd() || !m_header || !m_verticalBar.GetSafeHwnd() || !m_horizontalBar.GetSafeHwnd())
        return;
    FlushLayout();
    const RECT client = GetClientRect();
    const int headerHeight = HeaderHeightForFont();
    m_header->SetHeight(headerHeight); // what it answers a layout request with
    m_header->MoveWindow(RECT{client.left, client.top, client.right, client.top + headerHeight}, true);
    PlaceBars();
    if (m_horizontalPos > 0) {
        RECT header = m_header->GetWindowRect();
        ScreenToClient(header);
        header.left = GetContentRect().left - m_horizontalPos;
        m_header->MoveWindow(header, true);
    }
}

void CMultilineList::PlaceBars() {
    const RECT client = GetClientRect();
    const int barWidth = ::GetSystemMetrics(SM_CXVSCROLL);
    const int barHeight = ::GetSystemMetrics(SM_CYHSCROLL);
    m_verticalBar.MoveWindow(RECT{client.right - barWidth,
                                  client.top + barHeight + Scaled(m_headerExtraHeight, m_scale), client.right,
                                  client.bottom},
                             true);
    RECT horizontal{client.left, client.bottom - barHeight, client.right, client.bottom};
    if (BarShown(m_verticalBar))
        horizontal.right -= barWidth;
    m_horizontalBar.MoveWindow(horizontal, true);
}

void CMultilineList::SyncHeaderItems() {
    // Only this list changes the header's items (it refuses other width changes, see OnNotify),
    // so a mirror of what it wrote tells what the header holds without asking it on every mouse
    // move.
    const size_t columns = m_model.Columns().size();
    while (m_headerItems.size() > columns) {
        if (!m_header->DeleteItem(static_cast<int>(m_headerItems.size()) - 1))
            break;
        m_headerItems.pop_back();
    }
    while (m_headerItems.size() < columns) {
        HDITEMW item{};
        item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT;
        item.cxy = kNewHeaderItemWidth;
        wchar_t emptyText[] = L"";
        item.pszText = emptyText;
        item.fmt = HDF_STRING | HDF_CENTER;
        m_writingHeader = true;
        const int inserted = m_header->InsertItem(static_cast<int>(m_headerItems.size()), item);
        m_writingHeader = false;
        if (inserted < 0)
            break;
        m_headerItems.push_back(HeaderItem{kNewHeaderItemWidth, std::wstring()});
    }
    size_t index = 0;
    for (const auto& [key, column] : m_model.Columns()) {
        if (index >= m_headerItems.size())
            break;
        HeaderItem& mirror = m_headerItems[index];
        if (mirror.width != column.width || mirror.title != column.title) {
            HDITEMW item{};
            item.mask = HDI_WIDTH | HDI_TEXT;
            item.cxy = column.width;
            std::wstring title = column.title;
            item.pszText = title.data();
            m_writingHeader = true;
            if (m_header->SetItem(static_cast<int>(index), item))
                mirror = HeaderItem{column.width, column.title};
            m_writingHeader = false;
        }
        ++index;
    }
}

bool CMultilineList::UpdateBar(CScrollBar& bar, BarState& state, int64_t total, int view, int position) {
    const bool wasShown = state.shown;
    if (total > view) {
        if (!state.enabled) {
            bar.EnableWindow(true);
            state.enabled = true;
        }
        if (!state.shown) {
            bar.ShowWindow(SW_SHOWNA);
            state.shown = true;
        }
        const int maximum = ClampToInt(total);
        const int page = std::max(view, 0);
        if (!state.infoKnown || state.maximum != maximum || state.page != page || state.position != position) {
            SCROLLINFO info{};
            info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
            info.nMin = 0;
            info.nMax = maximum;
            info.nPage = static_cast<UINT>(page);
            info.nPos = position;
            bar.SetScrollInfo(info, true);
            state.infoKnown = true;
            state.maximum = maximum;
            state.page = page;
            state.position = position;
        }
    } else {
        if (state.enabled) {
            bar.EnableWindow(false);
            state.enabled = false;
        }
        if (state.shown) {
            bar.ShowWindow(SW_HIDE);
            state.shown = false;
        }
    }
    return state.shown != wasShown;
}

void CMultilineList::RecalcLayout() {
    m_layoutPending = false;
    if (!GetSafeHwnd() || !m_header || !m_verticalBar.GetSafeHwnd() || !m_horizontalBar.GetSafeHwnd())
        return;
    SyncHeaderItems();

    // Showing one bar narrows the content for the other; two rounds settle it, a third is spare.
    for (int round = 0; round < 3; ++round) {
        const RECT content = GetContentRect();
        const int viewHeight = content.bottom - content.top;
        const int viewWidth = content.right - content.left;
        const int64_t totalHeight = m_model.TotalHeight();
        const int64_t totalWidth = m_model.TotalWidth();
        // Rows deleted while scrolled down would otherwise leave the view beyond the last row,
        // or, with the bar gone, hide the first rows with no way back.
        const int maxVertical = MaxScrollPosition(totalHeight, viewHeight);
        const int maxHorizontal = MaxScrollPosition(totalWidth, viewWidth);
        if (m_verticalPos > maxVertical || m_horizontalPos > maxHorizontal) {
            m_verticalPos = std::min(m_verticalPos, maxVertical);
            m_horizontalPos = std::min(m_horizontalPos, maxHorizontal);
            Invalidate(false);
        }
        const bool verticalChanged = UpdateBar(m_verticalBar, m_verticalState, totalHeight, viewHeight, m_verticalPos);
        const bool horizontalChanged =
            UpdateBar(m_horizontalBar, m_horizontalState, totalWidth, viewWidth, m_horizontalPos);
        if (!verticalChanged && !horizontalChanged)
            break;
        PlaceBars();
        Invalidate(false);
    }

    RECT header = m_header->GetWindowRect();
    ScreenToClient(header);
    const int left = GetContentRect().left - m_horizontalPos;
    if (header.left != left) {
        header.left = left;
        m_header->MoveWindow(header, true);
    }
}

// ---- Messages ------------------------------------------------------------------------------------

LRESULT CMultilineList::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (m_tearingDown)
        return CWnd::WindowProc(msg, wp, lp);
    FlushLayout();
    switch (msg) {
    case WM_ERASEBKGND:
        return TRUE; // everything is painted through the memory bitmap
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_PRINTCLIENT:
        PaintContentTo(reinterpret_cast<HDC>(wp));
        return 0;
    case WM_GETFONT:
        // The header derives its title font from its parent's, so it shows what the rows show.
        return reinterpret_cast<LRESULT>(m_font.Get());
    case WM_MOUSEMOVE:
        OnMouseMove(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return DefWindowProc(msg, wp, lp);
    case WM_LBUTTONDOWN:
        OnLButtonDown(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return DefWindowProc(msg, wp, lp);
    case WM_MOUSEWHEEL:
        // Handled here; the default procedure would hand the wheel on to the page as well.
        OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wp));
        return 0;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wp));
        return 0;
    case WM_HSCROLL:
        OnHScroll(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        return 0;
    case WM_NOTIFY:
        return OnNotify(wp, lp);
    case WM_HEADER_CHECKALL:
        return OnHeaderCheckAll(wp);
    case WM_LIST_REDRAWCELL:
        return OnRedrawCell(wp, lp);
    default:
        return CWnd::WindowProc(msg, wp, lp);
    }
}

LRESULT CMultilineList::OnNotify(WPARAM wp, LPARAM lp) {
    const auto* header = reinterpret_cast<const NMHEADERW*>(lp);
    if (!header || !m_header || header->hdr.hwndFrom != m_header->GetSafeHwnd())
        return CWnd::WindowProc(WM_NOTIFY, wp, lp);

    // The header item index is the column's place in index order.
    int columnKey = -1;
    const ListColumn* column = nullptr;
    int index = 0;
    for (const auto& [key, value] : m_model.Columns()) {
        if (index++ == header->iItem) {
            columnKey = key;
            column = &value;
            break;
        }
    }
    const bool hasWidth = header->pitem && (header->pitem->mask & HDI_WIDTH);
    switch (header->hdr.code) {
    case HDN_TRACKW:
    case HDN_TRACKA: {
        if (!column || !hasWidth)
            break;
        const int oldWidth = column->width;
        const int newWidth = header->pitem->cxy;
        const int minWidth = column->minWidth;
        (void)m_model.SetColumnWidth(columnKey, newWidth);
        if (newWidth < minWidth && newWidth < oldWidth)
            return 1; // ends the drag, without repainting
        Changed();
        break;
    }
    case HDN_ENDTRACKW:
    case HDN_ENDTRACKA: {
        if (!column || !hasWidth)
            break;
        (void)m_model.SetColumnWidth(columnKey, column->width < kEndTrackMinimumWidth ? kEndTrackMinimumWidth
                                                                                      : header->pitem->cxy);
        Changed();
        break;
    }
    case HDN_ITEMCHANGINGW:
    case HDN_ITEMCHANGINGA:
        // After a drag the header would set the item to the dragged width; the column's width
        // (widened to the minimum above) is the one that counts, so refuse any other.
        if (!m_writingHeader && column && hasWidth && header->pitem->cxy != column->width)
            return TRUE;
        break;
    default:
        break;
    }
    return CWnd::WindowProc(WM_NOTIFY, wp, lp);
}

LRESULT CMultilineList::OnHeaderCheckAll(WPARAM wp) {
    m_model.SetColumnZeroChecks(wp == 1);
    Changed();
    return 1;
}

LRESULT CMultilineList::OnRedrawCell(WPARAM wp, LPARAM lp) {
    const ListCell* cell = m_model.FindCell(static_cast<int>(wp), static_cast<int>(lp));
    if (cell && GetSafeHwnd()) {
        const RECT rect{cell->animRect.left, cell->animRect.top, cell->animRect.right, cell->animRect.bottom};
        InvalidateRect(rect, true);
    }
    return 1;
}

} // namespace tsu
