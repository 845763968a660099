#pragma once
// The owner-drawn multi-line list of both tool pages: a plain child window (not the system list
// view) with a header, two scroll bars, and rows of cells that show text, a check box, an icon,
// the row's "卸载" button or its uninstall state. The rules live in the portable ListModel,
// ListGeometry and ListScroll; this class is the window around them.
//
// Dialog templates create the control by its class name ("CMultilineList", registered by
// RegisterWindowClass before the templates are made) and the page subclasses it; tests and
// benchmarks Create it instead.

#include "controls/list/ListSpriteCache.h"
#include "controls/list/core/ListModel.h"
#include "framework/CMemoryCanvas.h"
#include "framework/CScrollBar.h"
#include "framework/CWnd.h"
#include "framework/ScopedHandles.h"

#include <gdiplus.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tsu {

class CHeaderCtrlEx;
class WaitAnimation;

class CMultilineList : public CWnd {
public:
    // Children of the list.
    static constexpr UINT kHeaderId = 101;
    static constexpr UINT kVerticalBarId = 102;
    static constexpr UINT kHorizontalBarId = 103;
    // Press states of the row button (the x of the strip state is 64 times the state).
    static constexpr int kPressNormal = 0;
    static constexpr int kPressHover = 1;
    static constexpr int kPressPressed = 2;
    static constexpr int kPressDisabled = 3;

    CMultilineList();
    ~CMultilineList() override;

    // Registers the window class unless it exists; false when it cannot.
    [[nodiscard]] static bool RegisterWindowClass();
    // Registers the class and creates the list as the templates do (WS_CHILD, WS_VISIBLE, WS_TABSTOP).
    [[nodiscard]] bool Create(const RECT& rect, HWND parent, UINT id);

    // Operations of the pages (GUI thread).
    void InsertColumn(int index, ListColumn column);
    void InsertRow(int index, ListRow row);
    BOOL SetItemData(int row, void* data);
    [[nodiscard]] void* GetItemData(int row) const;
    // Deletes every row's item data as the T the page stored there, and clears it.
    template <typename T> void DeleteItemData() {
        for (int row = 0; row < GetRowCount(); ++row) {
            delete static_cast<T*>(GetItemData(row));
            SetItemData(row, nullptr);
        }
    }
    BOOL SetCellKind(int row, int column, int kind);
    [[nodiscard]] BOOL GetCellCheck(int row, int column) const;
    BOOL DeleteRow(int row);
    void DeleteAllRows();
    [[nodiscard]] int GetRowCount() const { return m_model.GetRowCount(); }
    // Gives a row's icon when it is first shown; null shows no icon.
    using ImageSource = std::function<std::unique_ptr<Gdiplus::Image>()>;
    // Takes ownership of the image; returns its index, or -1 (and deletes nothing) for null.
    [[nodiscard]] int AddImage(Gdiplus::Image* image);
    // An icon decoded only when a row that shows it is first painted: filling thousands of rows
    // decodes nothing. Returns its index, or -1 for an empty source.
    [[nodiscard]] int AddImageSource(ImageSource source);
    void ReleaseImages();
    void AdjustLayout();
    void ShowCheckAll(BOOL show);
    void SetCheckAll(BOOL check);

    // Written by the pages right after subclassing, with the page's own factor.
    void SetScale(float scale);
    void SetHeaderExtraHeight(int height) { m_headerExtraHeight = height; }
    [[nodiscard]] float GetScale() const { return m_scale; }

    // State that the pages never need but tests and benchmarks look at.
    [[nodiscard]] const ListModel& Model() const { return m_model; }
    [[nodiscard]] int GetSelectedRow() const { return m_selectedRow; }
    [[nodiscard]] int GetPressState() const { return m_pressState; }
    [[nodiscard]] int GetVerticalScrollPos() const { return m_verticalPos; }
    [[nodiscard]] int GetHorizontalScrollPos() const { return m_horizontalPos; }
    [[nodiscard]] int GetIconCount() const { return static_cast<int>(m_icons.size()); }
    [[nodiscard]] RECT GetContentRect() const;
    [[nodiscard]] HWND GetHeaderHwnd() const;
    [[nodiscard]] HWND GetVerticalBarHwnd() const { return m_verticalBar.GetSafeHwnd(); }
    [[nodiscard]] HWND GetHorizontalBarHwnd() const { return m_horizontalBar.GetSafeHwnd(); }
    [[nodiscard]] HFONT GetCellFont() const { return m_font.Get(); }
    // Paints the content area into target exactly as WM_PAINT would put it on the screen.
    void PaintContentTo(HDC target);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void PreSubclassWindow() override;

private:
    // What the list last wrote to a scroll bar, so that unchanged values cost no message.
    struct BarState {
        bool shown = true; // both bars are created visible and enabled
        bool enabled = true;
        bool infoKnown = false;
        int maximum = 0;
        int page = 0;
        int position = 0;
    };
    // What the list last wrote to a header item.
    struct HeaderItem {
        int width = 0;
        std::wstring title;
    };

    // Layout and scroll bars (CMultilineList.cpp).
    void RecalcLayout();
    void FlushLayout();
    void SyncHeaderItems();
    bool UpdateBar(CScrollBar& bar, BarState& state, int64_t total, int view, int position);
    void PlaceBars();
    void Changed(); // repaint and RecalcLayout, after every change of rows or columns
    [[nodiscard]] bool BarShown(const CScrollBar& bar) const;
    [[nodiscard]] int HeaderHeightForFont() const;
    void CreateFonts();
    void CreateChildren();
    void LoadImages();
    LRESULT OnNotify(WPARAM wp, LPARAM lp);
    LRESULT OnHeaderCheckAll(WPARAM wp);
    LRESULT OnRedrawCell(WPARAM wp, LPARAM lp);

    // Painting (CMultilineListPaint.cpp).
    void OnPaint();
    void PaintArea(HDC target, const RECT& area);
    [[nodiscard]] bool EnsureCanvas(HDC reference, int width, int height);
    void DrawContent(HDC dc, const RECT& content, const RECT& clip);
    // graphics is made on first use: most paints need no GDI+ at all.
    void DrawCell(HDC dc, std::unique_ptr<Gdiplus::Graphics>& graphics, int rowKey, int column, ListCell& cell,
                  const ListRect& cellRect, int fontHeight);
    void DrawImage(HDC dc, Gdiplus::Image* image, const ListRect& target, int srcX, int srcY, int srcWidth,
                   int srcHeight);
    void DrawWaitAnimation(HDC dc, std::unique_ptr<Gdiplus::Graphics>& graphics, int rowKey, int column,
                           ListCell& cell);
    [[nodiscard]] Gdiplus::Image* IconAt(int index) const;

    // Mouse and scrolling (CMultilineListInput.cpp).
    void OnMouseMove(POINT pt);
    void OnLButtonDown(POINT pt);
    void OnLButtonUp(POINT pt);
    void OnMouseWheel(short delta);
    void OnVScroll(int code);
    void OnHScroll(int code, int thumbPos, HWND bar);
    [[nodiscard]] int HitTestRow(POINT pt) const; // the row's index, -1 for none
    void EnsureRowVisible(int row);
    void UpdateSelectAll();
    void BringRectanglesUpToDate();

    // Set first thing in the destructor: from then on messages (the children's WM_PARENTNOTIFY as
    // they go) get only the default handling, never members that are already gone.
    bool m_tearingDown = false;
    ListModel m_model;
    std::unique_ptr<CHeaderCtrlEx> m_header;
    CScrollBar m_verticalBar;
    CScrollBar m_horizontalBar;
    CMemoryCanvas m_canvas;
    UniqueHpen m_gridPen;
    UniqueHbrush m_selectionBrush;
    UniqueHfont m_font;
    UniqueHfont m_boldFont;
    int m_verticalPos = 0;
    int m_horizontalPos = 0;
    int m_selectedRow = -1;
    std::unique_ptr<Gdiplus::Image> m_checkStrip;
    std::unique_ptr<Gdiplus::Image> m_buttonStrip;
    std::unique_ptr<Gdiplus::Image> m_doneIcon;
    // An icon is kept at the size it is shown once it has been drawn: a 128 x 128 picture holds
    // 64 KB, thousands of them hundreds of megabytes.
    struct ListIcon {
        std::unique_ptr<Gdiplus::Image> image;
        ImageSource source; // still to be asked; cleared once asked
        bool fitted = false;
    };
    mutable std::vector<ListIcon> m_icons;
    int m_pressState = kPressNormal;
    POINT m_lastMouse{-1, -1};
    float m_scale = 1.0f;
    int m_headerExtraHeight = 20;
    BOOL m_selectAllShown = FALSE;
    bool m_writingHeader = false; // our own HDM_SETITEM is under way
    bool m_layoutPending = false; // rows were added and RecalcLayout has not run since
    BarState m_verticalState;
    BarState m_horizontalState;
    std::vector<HeaderItem> m_headerItems;
    ListSpriteCache m_sprites;
};

} // namespace tsu
