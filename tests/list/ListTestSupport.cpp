#include "tests/list/ListTestSupport.h"

#include "framework/Messages.h"

namespace tsu::test {

TestHostWindow* ListWindowTest::SharedHost() {
    // One host for the program: a top-level window costs about two seconds to destroy under Wine
    // without a window manager; the lists inside come and go freely.
    static TestHostWindow* host = [] {
        auto* created = new TestHostWindow();
        if (!created->Create(700, 460)) {
            delete created;
            return static_cast<TestHostWindow*>(nullptr);
        }
        return created;
    }();
    return host;
}

void ListWindowTest::SetUp() {
    ASSERT_TRUE(EnsureGdiplus());
    m_host = SharedHost();
    ASSERT_NE(m_host, nullptr);
    // A real TrueType font, as the pages' "宋体" would be: the list copies its parent's font.
    m_font.Reset(::CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, 0, ANTIALIASED_QUALITY,
                               0, L"Tahoma"));
    ASSERT_TRUE(m_font);
    m_host->OnMessage = [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
        switch (msg) {
        case WM_GETFONT:
            *result = reinterpret_cast<LRESULT>(m_font.Get());
            return true;
        case WM_LIST_BUTTONCLICK:
            ++m_buttonClicks;
            if (m_onButtonClick && wp)
                m_onButtonClick(*reinterpret_cast<const ListButtonClick*>(wp));
            *result = 0;
            return true;
        case WM_COMMAND:
            if (LOWORD(wp) == kListId && HIWORD(wp) == 1)
                ++m_commands;
            return false;
        default:
            return false;
        }
    };
}

void ListWindowTest::TearDown() {
    m_list.reset();
    if (m_host)
        m_host->OnMessage = nullptr;
    PumpPending();
}

CMultilineList& ListWindowTest::MakeList(const RECT& rect) {
    m_list.reset();
    m_list = std::make_unique<CMultilineList>();
    EXPECT_TRUE(m_list->Create(rect, m_host->GetSafeHwnd(), kListId));
    m_list->SetHeaderExtraHeight(20);
    return *m_list;
}

void ListWindowTest::AddConventionalColumns() {
    m_list->InsertColumn(0, ListColumn{260, L"软件名称", 260});
    m_list->InsertColumn(1, ListColumn{130, L"大小", 60});
    m_list->InsertColumn(2, ListColumn{150, L"版本", 80});
    m_list->InsertColumn(3, ListColumn{120, L"操作", 120});
}

ListRow ListWindowTest::ProgramRow(int index, const std::wstring& name, int icon, int height) {
    ListRow row;
    row.index = index;
    row.height = height;
    ListCell nameCell;
    nameCell.text = name;
    nameCell.hasIcon = true;
    nameCell.iconIndex = icon;
    row.cells[0] = nameCell;
    ListCell size;
    size.text = L"12.50 MB";
    size.align = kAlignCenter;
    row.cells[1] = size;
    ListCell version;
    version.text = L"1.0.20";
    version.align = kAlignCenter;
    row.cells[2] = version;
    ListCell button;
    button.kind = CELL_BUTTON;
    row.cells[3] = button;
    return row;
}

void ListWindowTest::FillPrograms(int count, int height) {
    for (int i = 0; i < count; ++i)
        m_list->InsertRow(i, ProgramRow(i, L"Program " + std::to_wstring(i), -1, height));
    m_list->AdjustLayout(); // as the pages do after filling
}

CMemoryCanvas ListWindowTest::Render() {
    CMemoryCanvas canvas;
    const RECT client = m_list->GetClientRect();
    EXPECT_TRUE(canvas.CreateDib32(client.right, client.bottom));
    ::FillRect(canvas.Dc(), &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    m_list->PaintContentTo(canvas.Dc());
    ::GdiFlush();
    return canvas;
}

COLORREF ListWindowTest::PixelAt(const CMemoryCanvas& canvas, int x, int y) const {
    ::GdiFlush();
    const uint32_t bgra = canvas.Pixels()[static_cast<size_t>(y) * canvas.Width() + x];
    return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
}

void ListWindowTest::MouseMove(POINT pt) {
    ::SendMessageW(m_list->GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
}

void ListWindowTest::Click(POINT pt) {
    ::SendMessageW(m_list->GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    ::SendMessageW(m_list->GetSafeHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
}

} // namespace tsu::test
