// What the list paints: colours, check boxes, the row button's states, fitted texts, scaled cells.

#include "controls/DrawingUtils.h"
#include "controls/list/core/ListGeometry.h"
#include "res/ResourceIds.h"
#include "tests/list/ListTestSupport.h"

#include <gdiplus.h>

namespace tsu::test {
namespace {

// Share of pixels of a region of the rendering that agree with image part source drawn over the
// list's background into the same region.
double RegionLooksLike(const CMemoryCanvas& rendering, const ListRect& region, UINT imageId, const ListRect& source,
                       COLORREF background) {
    CMemoryCanvas expected;
    if (!expected.CreateDib32(rendering.Width(), rendering.Height()))
        return 0.0;
    ::BitBlt(expected.Dc(), 0, 0, rendering.Width(), rendering.Height(), rendering.Dc(), 0, 0, SRCCOPY);
    const RECT r{region.left, region.top, region.right, region.bottom};
    UniqueHbrush brush(::CreateSolidBrush(background));
    ::FillRect(expected.Dc(), &r, brush.Get());
    std::unique_ptr<Gdiplus::Image> image = LoadPngResource(imageId);
    if (!image)
        return 0.0;
    {
        Gdiplus::Graphics graphics(expected.Dc());
        graphics.DrawImage(image.get(), Gdiplus::Rect(region.left, region.top, region.Width(), region.Height()),
                           source.left, source.top, source.Width(), source.Height(), Gdiplus::UnitPixel);
    }
    int same = 0;
    int total = 0;
    ::GdiFlush();
    for (int y = region.top + 1; y < region.bottom - 1; ++y) {
        for (int x = region.left + 1; x < region.right - 1; ++x) {
            ++total;
            const uint32_t a = rendering.Pixels()[static_cast<size_t>(y) * rendering.Width() + x];
            const uint32_t b = expected.Pixels()[static_cast<size_t>(y) * expected.Width() + x];
            if (ColorNear(RGB((a >> 16) & 0xFF, (a >> 8) & 0xFF, a & 0xFF),
                          RGB((b >> 16) & 0xFF, (b >> 8) & 0xFF, b & 0xFF), 12))
                ++same;
        }
    }
    return total ? static_cast<double>(same) / total : 0.0;
}

class ListPaintTest : public ListWindowTest {};

TEST_F(ListPaintTest, SelectedRowBackgroundAndSeparators) {
    MakeList();
    AddConventionalColumns();
    FillPrograms(3);
    const RECT content = Content();
    // Press on row 1, right of the version text and left of the button.
    Click(POINT{530, content.top + 40 + 5});
    EXPECT_EQ(m_list->GetSelectedRow(), 1);
    const CMemoryCanvas canvas = Render();
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    EXPECT_EQ(PixelAt(canvas, 530, content.top + 45), kSelectionColor);
    EXPECT_EQ(PixelAt(canvas, 5, content.top + 45), kSelectionColor);
    EXPECT_EQ(PixelAt(canvas, 530, content.top + 5), window);
    EXPECT_EQ(PixelAt(canvas, 530, content.top + 85), window);
    // The separator is the last pixel row of each row, across the content width.
    for (int row = 1; row <= 3; ++row) {
        EXPECT_EQ(PixelAt(canvas, 3, content.top + 40 * row - 1), kGridColor) << row;
        EXPECT_EQ(PixelAt(canvas, content.right - 3, content.top + 40 * row - 1), kGridColor) << row;
    }
    // Below the rows the content is plain window colour.
    EXPECT_EQ(PixelAt(canvas, 300, content.top + 200), window);
    (void)SaveWindowPng(m_list->GetSafeHwnd(), L"list_conventional_selected");
    (void)SaveCanvasPng(canvas, L"list_conventional_content");
}

TEST_F(ListPaintTest, CheckBoxesShowTheirStateAndToggleOnPress) {
    MakeList();
    m_list->ShowCheckAll(TRUE);
    m_list->InsertColumn(0, ListColumn{400, L"路径", 0});
    m_list->InsertColumn(1, ListColumn{200, L"说明", 0});
    for (int i = 0; i < 2; ++i) {
        ListRow row;
        row.height = 40;
        ListCell path;
        path.hasCheck = true;
        path.checked = i == 0;
        path.text = L"C:\\Program Files\\App\\file" + std::to_wstring(i) + L".dll";
        row.cells[0] = path;
        ListCell what;
        what.text = L"相关文件";
        row.cells[1] = what;
        m_list->InsertRow(i, row);
    }
    CMemoryCanvas canvas = Render();
    const ListRect box0 = m_list->Model().FindCell(0, 0)->checkRect;
    const ListRect box1 = m_list->Model().FindCell(1, 0)->checkRect;
    const RECT content = Content();
    EXPECT_EQ(box0, ListRect::FromSize(8, content.top + 20 - 8, 16, 16));
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    EXPECT_GT(RegionLooksLike(canvas, box0, IDB_PNG_CHECKBOX_STRIP, ListRect{16, 0, 32, 16}, window), 0.9);
    EXPECT_GT(RegionLooksLike(canvas, box1, IDB_PNG_CHECKBOX_STRIP, ListRect{0, 0, 16, 16}, window), 0.9);

    // Ticking the second box ticks the header's select-all box too.
    Click(POINT{box1.left + 8, box1.top + 8});
    EXPECT_TRUE(m_list->GetCellCheck(1, 0));
    canvas = Render();
    EXPECT_GT(RegionLooksLike(canvas, box1, IDB_PNG_CHECKBOX_STRIP, ListRect{16, 0, 32, 16}, kSelectionColor), 0.9);
    (void)SaveWindowPng(m_list->GetSafeHwnd(), L"list_check_boxes");
}

TEST_F(ListPaintTest, ButtonStripFollowsHoverAndPress) {
    MakeList();
    AddConventionalColumns();
    FillPrograms(2);
    CMemoryCanvas canvas = Render();
    const ListRect button = m_list->Model().FindCell(0, 3)->buttonRect;
    const RECT content = Content();
    // Centred in the 120-pixel operation column of the first row: 540 + 60 - 32.
    EXPECT_EQ(button, ListRect::FromSize(568, content.top + 20 - 12, 64, 24));
    // Compare the left strip of the button, where the white caption does not reach.
    const ListRect edge = ListRect::FromSize(button.left, button.top, 10, button.Height());
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    auto state = [&](int press) {
        return RegionLooksLike(canvas, edge, IDB_PNG_ROW_BUTTON_STRIP, ListRect::FromSize(64 * press, 0, 10, 24),
                               window);
    };
    EXPECT_GT(state(0), 0.9);

    MouseMove(POINT{button.left + 30, button.top + 10});
    EXPECT_EQ(m_list->GetPressState(), CMultilineList::kPressHover);
    canvas = Render();
    EXPECT_GT(state(1), 0.9);
    EXPECT_LT(state(0), 0.9);

    ::SendMessageW(m_list->GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(button.left + 30, button.top + 10));
    EXPECT_EQ(m_list->GetPressState(), CMultilineList::kPressPressed);
    EXPECT_EQ(m_buttonClicks, 1);
    canvas = Render();
    EXPECT_GT(
        RegionLooksLike(canvas, edge, IDB_PNG_ROW_BUTTON_STRIP, ListRect::FromSize(128, 0, 10, 24), kSelectionColor),
        0.9);
    (void)SaveWindowPng(m_list->GetSafeHwnd(), L"list_button_pressed");

    // Empty space below the rows: the last state stays.
    MouseMove(POINT{300, content.top + 200});
    EXPECT_EQ(m_list->GetPressState(), CMultilineList::kPressPressed);
    // The other row's button, not under the pointer, shows the normal state all along.
    const ListRect other = m_list->Model().FindCell(1, 3)->buttonRect;
    EXPECT_GT(RegionLooksLike(Render(), ListRect::FromSize(other.left, other.top, 10, other.Height()),
                              IDB_PNG_ROW_BUTTON_STRIP, ListRect{0, 0, 10, 24}, window),
              0.9);
}

TEST_F(ListPaintTest, TextIsCutWithEllipsisOnlyWhenItDoesNotFit) {
    MakeList();
    m_list->InsertColumn(0, ListColumn{120, L"名称", 0});
    m_list->InsertColumn(1, ListColumn{120, L"名称", 0});
    const std::wstring shortText = L"Short";
    const std::wstring longText = L"A rather long program name that cannot fit";
    ListRow row;
    row.height = 30;
    ListCell a;
    a.text = shortText;
    row.cells[0] = a;
    ListCell b;
    b.text = longText;
    row.cells[1] = b;
    m_list->InsertRow(0, row);
    const CMemoryCanvas canvas = Render();

    // What the cells must show, measured with the same real font.
    UniqueWindowDc dc(m_list->GetSafeHwnd());
    EXPECT_EQ(FitText(dc.Get(), shortText, 120, m_list->GetCellFont()), shortText);
    const std::wstring cut = FitText(dc.Get(), longText, 120, m_list->GetCellFont());
    ASSERT_GT(cut.size(), 3u);
    EXPECT_EQ(cut.substr(cut.size() - 3), L"...");
    EXPECT_LT(cut.size(), longText.size());

    // The rendering equals those texts drawn into the cells.
    const RECT content = Content();
    CMemoryCanvas expected;
    ASSERT_TRUE(expected.CreateDib32(canvas.Width(), canvas.Height()));
    ::BitBlt(expected.Dc(), 0, 0, canvas.Width(), canvas.Height(), canvas.Dc(), 0, 0, SRCCOPY);
    RECT cells{0, content.top, 240, content.top + 29};
    ::FillRect(expected.Dc(), &cells, ::GetSysColorBrush(COLOR_WINDOW));
    {
        ScopedSelectObject font(expected.Dc(), m_list->GetCellFont());
        ::SetBkMode(expected.Dc(), TRANSPARENT);
        ::SetTextColor(expected.Dc(), RGB(0, 0, 0));
        RECT first{0, content.top, 120, content.top + 30};
        ::DrawTextW(expected.Dc(), shortText.c_str(), -1, &first, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
        RECT second{120, content.top, 240, content.top + 30};
        ::DrawTextW(expected.Dc(), cut.c_str(), -1, &second, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
    }
    ::GdiFlush();
    int differing = 0;
    for (int y = content.top; y < content.top + 29; ++y)
        for (int x = 0; x < 240; ++x)
            differing += PixelAt(canvas, x, y) != PixelAt(expected, x, y);
    EXPECT_EQ(differing, 0);
    // And the long text really reaches the right part of its cell.
    EXPECT_GT(CountNonBackground(canvas, RECT{200, content.top, 240, content.top + 29}, ::GetSysColor(COLOR_WINDOW)),
              5);
}

TEST_F(ListPaintTest, AlignmentsPlaceTextLeftCentreAndRight) {
    MakeList();
    m_list->InsertColumn(0, ListColumn{300, L"", 0});
    const int aligns[] = {kAlignLeft, kAlignCenter, kAlignRight, 99};
    for (int i = 0; i < 4; ++i) {
        ListRow row;
        row.height = 30;
        ListCell cell;
        cell.text = L"IIII";
        cell.align = aligns[i];
        row.cells[0] = cell;
        m_list->InsertRow(i, row);
    }
    const CMemoryCanvas canvas = Render();
    const RECT content = Content();
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    auto inkIn = [&](int row, int left, int right) {
        return CountNonBackground(canvas, RECT{left, content.top + 30 * row + 2, right, content.top + 30 * row + 27},
                                  window);
    };
    EXPECT_GT(inkIn(0, 0, 100), 0);
    EXPECT_EQ(inkIn(0, 100, 300), 0);
    EXPECT_GT(inkIn(1, 100, 200), 0);
    EXPECT_EQ(inkIn(1, 0, 100) + inkIn(1, 200, 300), 0);
    EXPECT_GT(inkIn(2, 200, 300), 0);
    EXPECT_EQ(inkIn(2, 0, 200), 0);
    EXPECT_GT(inkIn(3, 0, 100), 0); // unknown alignment: left
}

TEST_F(ListPaintTest, ScaledGeometryAt120Dpi) {
    MakeList(RECT{10, 10, 690, 450});
    m_list->SetScale(1.2f);
    m_list->AdjustLayout(); // as the pages do after setting the factor
    m_list->InsertColumn(0, ListColumn{312, L"软件名称", 312});
    m_list->InsertColumn(1, ListColumn{156, L"大小", 72});
    m_list->InsertColumn(2, ListColumn{180, L"版本", 96});
    m_list->InsertColumn(3, ListColumn{144, L"操作", 144});
    ListRow row = ProgramRow(0, L"Scaled", -1, 48);
    row.cells[0].hasCheck = true;
    m_list->InsertRow(0, row);
    (void)Render();
    const RECT content = Content();
    const ListCell* name = m_list->Model().FindCell(0, 0);
    const ListCell* button = m_list->Model().FindCell(0, 3);
    // 8 s = 9, 16 s = 19; the box is centred on the 48-pixel row.
    EXPECT_EQ(name->checkRect, ListRect::FromSize(9, content.top + 24 - 9, 19, 19));
    // [72 - 38.4] = 33; 12 s = 14; 64 s = 76; 24 s = 28.
    EXPECT_EQ(button->buttonRect, ListRect::FromSize(312 + 156 + 180 + 33, content.top + 24 - 14, 76, 28));
    // The header grows with the scale: bold text height + 20 s + 6.
    LOGFONTW bold{};
    ASSERT_TRUE(::GetObjectW(m_font.Get(), sizeof(bold), &bold));
    bold.lfWeight = 700;
    UniqueHfont boldFont(::CreateFontIndirectW(&bold));
    UniqueWindowDc dc(m_list->GetSafeHwnd());
    ScopedSelectObject select(dc.Get(), boldFont.Get());
    TEXTMETRICW metrics{};
    ASSERT_TRUE(::GetTextMetricsW(dc.Get(), &metrics));
    RECT header{};
    ::GetClientRect(m_list->GetHeaderHwnd(), &header);
    EXPECT_EQ(header.bottom, metrics.tmHeight + 24 + 6);
    EXPECT_EQ(content.top, header.bottom);
    (void)SaveWindowPng(m_list->GetSafeHwnd(), L"list_scaled_120dpi");
}

} // namespace
} // namespace tsu::test
