#include "controls/CDrawStateInfoStatic.h"
#include "controls/CDrawTextStatic.h"
#include "controls/CDropEdit.h"
#include "controls/CHeaderCtrlEx.h"
#include "controls/CTabCtrlEx.h"
#include "controls/DrawingUtils.h"
#include "framework/Messages.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace tsu {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kHeaderBack = CHeaderCtrlEx::kDefaultBackground;

class WidgetsTest : public ::testing::Test {
protected:
    static bool Blue(COLORREF c) { return GetBValue(c) > 200 && GetRValue(c) < 120; }
    static bool BlueText(COLORREF c) { return GetBValue(c) > 180 && GetRValue(c) < 100 && GetGValue(c) < 100; }
    static bool Dark(COLORREF c) { return GetRValue(c) < 90 && GetGValue(c) < 90 && GetBValue(c) < 90; }
    void SetUp() override {
        ASSERT_TRUE(test::EnsureGdiplus());
        ASSERT_TRUE(m_host.Create(520, 160));
        m_host.OnMessage = [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
            if (msg == WM_HEADER_CHECKALL)
                m_checkAll.push_back(wp), *result = 1;
            else if (msg == WM_DROPEDIT_FILE)
                m_drops.push_back({wp ? reinterpret_cast<const wchar_t*>(wp) : L"(none)", lp}), *result = 0;
            return msg == WM_HEADER_CHECKALL || msg == WM_DROPEDIT_FILE;
        };
    }
    template <typename T> static CMemoryCanvas Paint(T& control) {
        const RECT client = control.GetClientRect();
        CMemoryCanvas canvas;
        EXPECT_TRUE(canvas.CreateDib32(client.right, client.bottom));
        control.PaintTo(canvas.Dc());
        return canvas;
    }
    static int Near(const CMemoryCanvas& canvas, COLORREF colour) {
        return test::CountPixels(canvas, RECT{0, 0, 10000, 10000},
                                 [&](COLORREF c) { return test::ColorNear(c, colour, 30); });
    }
    // Bounds of the pixels that are not the background; right is -1 when there are none.
    static RECT InkBounds(const CMemoryCanvas& canvas, COLORREF background) {
        RECT ink{canvas.Width(), canvas.Height(), -1, -1};
        for (int y = 0; y < canvas.Height(); ++y)
            for (int x = 0; x < canvas.Width(); ++x)
                if (!test::ColorNear(canvas.PixelAt(x, y), background, 40))
                    ink = RECT{std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y),
                               std::max<LONG>(ink.right, x + 1), std::max<LONG>(ink.bottom, y + 1)};
        return ink;
    }
    // A header with two columns (200 and 150 wide), painted once so the box has its place.
    std::unique_ptr<CHeaderCtrlEx> Header(bool box, float scale = 1.0f, int height = 30) {
        auto header = std::make_unique<CHeaderCtrlEx>();
        header->SetScale(scale);
        EXPECT_TRUE(header->Create(WS_VISIBLE | CCS_TOP, RECT{0, 0, 400, height}, m_host.GetSafeHwnd(), 101));
        const std::pair<const wchar_t*, int> columns[] = {{L"软件名称", 200}, {L"大小", 150}};
        for (int i = 0; i < 2; ++i) {
            HDITEMW item{};
            item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
            item.cxy = columns[i].second;
            item.pszText = const_cast<wchar_t*>(columns[i].first);
            item.fmt = HDF_STRING | HDF_CENTER;
            EXPECT_EQ(header->InsertItem(i, item), i);
        }
        header->ShowCheckBox(box);
        (void)Paint(*header);
        return header;
    }
    static void ClickBox(CHeaderCtrlEx& header) {
        const RECT box = header.GetCheckRect();
        const LPARAM at = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
        header.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        header.SendMessage(WM_LBUTTONUP, 0, at);
    }

    struct Drop {
        std::wstring path;
        LPARAM lp;
    };
    test::TestHostWindow m_host;
    std::vector<WPARAM> m_checkAll;
    std::vector<Drop> m_drops;
};

TEST_F(WidgetsTest, HeaderBoxTellsTheParentOnlyOnClicksTitlesAreShiftedAndTheLayoutUsesItsHeight) {
    const auto header = Header(true);
    auto blueInBox = [&](const CMemoryCanvas& c) { return test::CountPixels(c, header->GetCheckRect(), Blue); };
    EXPECT_LT(blueInBox(Paint(*header)), 5);
    ClickBox(*header);
    EXPECT_GT(blueInBox(Paint(*header)), 80); // the checked state of the strip
    ClickBox(*header);
    header->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(120, 15)); // outside the box
    header->SetCheck(true);                                    // by the program: no notification
    CMemoryCanvas screen;
    header->Invalidate();
    ASSERT_TRUE(test::CaptureWindow(header->GetSafeHwnd(), screen));
    EXPECT_GT(blueInBox(screen), 80); // the memory bitmap reached the screen
    EXPECT_TRUE(test::SaveWindowPng(m_host.GetSafeHwnd(), L"controls_header_select_all"));
    header->ShowCheckBox(false);
    ClickBox(*header); // where the hidden box would be
    EXPECT_EQ(m_checkAll, (std::vector<WPARAM>{1, 0}));
    SCOPED_TRACE("titles and layout");
    const auto plain = Header(false);
    const CMemoryCanvas titles = Paint(*plain);
    auto ink = [&](LONG l, LONG r, int tolerance = 40) {
        return test::CountNonBackground(titles, RECT{l, 0, r, 30}, kHeaderBack, tolerance);
    };
    EXPECT_EQ(ink(0, 52), 0);       // no box, no "全选"
    EXPECT_GT(ink(52, 200), 20);    // the first title
    EXPECT_EQ(ink(351, 400, 2), 0); // right of the last item: background
    plain->SetHeight(33);
    RECT area{0, 0, 400, 300};
    WINDOWPOS pos{};
    HDLAYOUT layout{&area, &pos};
    plain->SendMessage(HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout));
    EXPECT_EQ(std::tuple(pos.cy, area.top), std::tuple(33, 33));
    const RECT box = Header(true, 1.2f, 36)->GetCheckRect();
    EXPECT_EQ(std::tuple(box.right - box.left, box.top), std::tuple(19, 36 / 2 - 9)); // 16 x 1.2
}

TEST_F(WidgetsTest, SelectedTabComesFromTheSelectedSkinWithBlueText) {
    CTabCtrlEx tabs;
    ASSERT_TRUE(tabs.Create(WS_VISIBLE | TCS_FIXEDWIDTH, RECT{10, 10, 510, 52}, m_host.GetSafeHwnd(), 1020));
    ASSERT_TRUE(tabs.SetFontFromParent(0, 0));
    EXPECT_EQ(test::CountNonBackground(Paint(tabs), RECT{0, 0, 500, 42}, CTabCtrlEx::kBackground, 1), 0); // no tabs
    ASSERT_EQ(tabs.InsertItem(0, L"常规卸载"), 0);
    ASSERT_EQ(tabs.InsertItem(1, L"智能卸载"), 1);
    tabs.SetItemSize(100, 30);
    RECT tab[2]{};
    ASSERT_TRUE(tabs.GetItemRect(0, tab[0]) && tabs.GetItemRect(1, tab[1]));
    CMemoryCanvas canvas;
    for (int selected : {0, 1}) {
        SCOPED_TRACE(selected);
        tabs.SetCurSel(selected);
        canvas = Paint(tabs);
        const RECT &on = tab[selected], &off = tab[1 - selected];
        EXPECT_GT(test::CountPixels(canvas, on, BlueText), 15);
        EXPECT_GT(test::CountPixels(canvas, off, Dark), 15);
        // The selected body is white near its bottom, with the skin's accent along its top.
        EXPECT_EQ(canvas.PixelAt(on.left + 4, on.bottom - 3), kWhite);
        EXPECT_NE(canvas.PixelAt(off.left + 4, off.bottom - 3), kWhite);
        EXPECT_TRUE(Blue(canvas.PixelAt((on.left + on.right) / 2, on.top + 1)));
    }
    ASSERT_TRUE(test::CaptureWindow(tabs.GetSafeHwnd(), canvas));
    EXPECT_GT(test::CountPixels(canvas, tab[1], BlueText), 15);
    EXPECT_TRUE(test::SaveWindowPng(m_host.GetSafeHwnd(), L"controls_tab_strip"));
}

TEST_F(WidgetsTest, LabelColoursHoverAlignmentsBackgroundAndTextSetLater) {
    CDrawTextStatic label;
    ASSERT_TRUE(
        label.Create(L"《Veltor服务工具使用许可协议》", WS_VISIBLE, RECT{10, 10, 310, 50}, m_host.GetSafeHwnd(), 1));
    ASSERT_TRUE(label.SetFontFromParent(2, 700));
    label.SetTextColors(RGB(92, 92, 255), RGB(0, 160, 0));
    label.SetAlignment(CDrawTextStatic::kSingleLineLeft);
    const CMemoryCanvas normal = Paint(label);
    EXPECT_GT(Near(normal, RGB(92, 92, 255)), 20);
    EXPECT_EQ(Near(normal, RGB(0, 160, 0)), 0);
    const RECT window = label.GetWindowRect();
    label.UpdateHot(POINT{window.left + 5, window.top + 5});
    EXPECT_TRUE(label.IsHot());
    EXPECT_GT(Near(Paint(label), RGB(0, 160, 0)), 20);
    label.UpdateHot(POINT{window.right + 5, window.top + 5});
    EXPECT_FALSE(label.IsHot());
    label.SetWindowText(L"反馈问题");
    auto inkWith = [&](int alignment) {
        label.SetAlignment(alignment);
        return InkBounds(Paint(label), kWhite);
    };
    const RECT l = inkWith(CDrawTextStatic::kSingleLineLeft), c = inkWith(CDrawTextStatic::kSingleLineCentre),
               r = inkWith(CDrawTextStatic::kWrapRight);
    EXPECT_LT(l.left, 3);
    EXPECT_NEAR((c.left + c.right) / 2, 150, 3);
    EXPECT_GT(r.right, 296);
    EXPECT_NEAR((l.top + l.bottom) / 2, 20, 3); // vertically centred
    EXPECT_NEAR((r.top + r.bottom) / 2, 20, 3); // also when word-wrapped
    EXPECT_EQ(inkWith(5).right, -1);            // an unknown alignment draws no text
    label.SetWindowText(L"");
    label.SetBackgroundColour(RGB(10, 120, 30)); // set after the first paint
    EXPECT_EQ(Paint(label).PixelAt(30, 15), RGB(10, 120, 30));
    CDrawTextStatic later; // text set later is painted in the label's own look
    ASSERT_TRUE(later.Create(L"0", WS_VISIBLE, RECT{10, 60, 210, 90}, m_host.GetSafeHwnd(), 1));
    ASSERT_TRUE(later.SetFontFromParent(4, 700));
    later.SetBackgroundColour(RGB(230, 240, 255));
    later.SetTextColors(RGB(0, 0, 255), RGB(0, 0, 255));
    later.SetAlignment(CDrawTextStatic::kSingleLineLeft);
    ASSERT_TRUE(later.SetWindowText(L"123 款"));
    CMemoryCanvas shot;
    ASSERT_TRUE(test::CaptureWindow(later.GetSafeHwnd(), shot));
    EXPECT_EQ(shot.PixelAt(190, 3), RGB(230, 240, 255)); // our background, not the system's
    EXPECT_GT(Near(shot, RGB(0, 0, 255)), 10);
    EXPECT_TRUE(test::SaveWindowPng(m_host.GetSafeHwnd(), L"controls_text_static"));
}

TEST_F(WidgetsTest, BusyTextCyclesItsDotsOncePerSecondWhiteAndCentredOnItsPiece) {
    CDrawStateInfoStatic busy;
    ASSERT_TRUE(busy.Create(L"请稍等", WS_VISIBLE, RECT{0, 0, 184, 60}, m_host.GetSafeHwnd(), 1));
    for (const wchar_t* dots : {L".", L"..", L"...", L""}) {
        busy.SendMessage(WM_TIMER, CDrawStateInfoStatic::kDotsTimer, 0);
        EXPECT_EQ(busy.GetDisplayText(), std::wstring(L"请稍等") + dots);
    }
    const ULONGLONG start = ::GetTickCount64();
    busy.StartDots();
    ASSERT_TRUE(test::PumpUntil([&] { return busy.GetDotStep() == 1; }, 10000));
    EXPECT_GE(::GetTickCount64() - start, 900u);
    busy.StopDots();
    busy.SetWindowText(L"正在修复，请稍等");
    ASSERT_TRUE(busy.SetFontFromParent());
    auto background = LoadPngResource(IDB_PNG_WAIT_CHILD);
    ASSERT_NE(background, nullptr);
    busy.SetBackground(background.get());
    busy.SetBackgroundRect(10, 22, 194, 82);
    busy.SetAlignment(5);
    ::ValidateRect(busy.GetSafeHwnd(), nullptr);
    busy.SetTextColor(kWhite);
    EXPECT_TRUE(::GetUpdateRect(busy.GetSafeHwnd(), nullptr, FALSE)); // repainted in the new colour
    const CMemoryCanvas canvas = Paint(busy);
    const COLORREF dark = canvas.PixelAt(2, 2);
    EXPECT_LT(GetRValue(dark), 90); // the dark piece, not the white fill
    const RECT ink = InkBounds(canvas, dark);
    EXPECT_NEAR((ink.left + ink.right) / 2, 92, 4);
    EXPECT_NEAR((ink.top + ink.bottom) / 2, 30, 4);
    EXPECT_GT(Near(canvas, kWhite), 20);
    test::SaveCanvasPng(canvas, L"controls_wait_text");
}

TEST_F(WidgetsTest, DropEditReportsOneFileAndTakesNoTypingPastingOrMenu) {
    CDropEdit edit; // as a dialog template makes it: a plain edit control, then subclassed
    ASSERT_TRUE(edit.SubclassWindow(
        ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 400, 22,
                          m_host.GetSafeHwnd(), reinterpret_cast<HMENU>(1027), nullptr, nullptr)));
    EXPECT_TRUE((edit.GetExStyle() & WS_EX_ACCEPTFILES) != 0);
    std::wstring longPath = L"\\\\?\\C:\\";
    while (longPath.size() < 400) // longer than MAX_PATH
        longPath += L"很长的文件夹名称\\";
    longPath += L"程序.lnk";
    const std::vector<std::vector<std::wstring>> drops = {
        {L"C:\\Users\\Public\\Desktop\\示例程序.lnk"}, {longPath}, {L"C:\\a.lnk", L"C:\\b.lnk"}, {}};
    for (const auto& paths : drops)
        test::DropFiles(edit.GetSafeHwnd(), paths);
    ASSERT_EQ(m_drops.size(), drops.size());
    for (size_t i = 0; i < drops.size(); ++i) {
        EXPECT_EQ(m_drops[i].path, drops[i].size() == 1 ? drops[i][0] : L"(none)") << i;
        EXPECT_EQ(m_drops[i].lp, drops[i].size() == 1 ? 0 : kDropEditNotOneFile) << i;
    }
    ASSERT_TRUE(edit.SetWindowText(L"C:\\target.exe")); // the owner may set the text
    edit.SendMessage(EM_SETSEL, 0, -1);
    for (const auto& [msg, wp] : {std::pair<UINT, WPARAM>{WM_KEYDOWN, VK_DELETE}, {WM_CHAR, L'x'}, {WM_CLEAR, 0},
                                  {WM_KEYDOWN, VK_BACK}, {WM_CHAR, VK_BACK}, {WM_CUT, 0}, {WM_PASTE, 0}})
        edit.SendMessage(msg, wp, 0);
    EXPECT_EQ(edit.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5)), 0);
    EXPECT_EQ(edit.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit.GetSafeHwnd()), 0), 0);
    // In the message loop the box's keys and right clicks are swallowed; other messages pass.
    const HWND box = edit.GetSafeHwnd(), other = m_host.GetSafeHwnd();
    for (const auto& [hwnd, message, swallowed] :
         {std::tuple<HWND, UINT, bool>{box, WM_KEYDOWN, true}, {box, WM_CHAR, true}, {box, WM_RBUTTONDOWN, true},
          {box, WM_LBUTTONDOWN, false}, {other, WM_KEYDOWN, false}}) {
        MSG msg{hwnd, message, 'A', 0, 0, {}};
        EXPECT_EQ(edit.PreTranslateMessage(&msg) != FALSE, swallowed) << message;
    }
    EXPECT_EQ(edit.GetWindowText(), L"C:\\target.exe");
    test::SaveWindowPng(m_host.GetSafeHwnd(), L"controls_drop_edit");
}

// Zero-size, huge and very long titles: painted without harm, texts read within bounds.
TEST_F(WidgetsTest, ZeroSizeHugeAndVeryLongTitlesPaintSafely) {
    const HWND parent = m_host.GetSafeHwnd();
    std::wstring text(100000, L'长');
    const RECT zero{0, 0, 0, 0};
    auto paintsSafely = [](CWnd& control) {
        ::RedrawWindow(control.GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        test::PumpPending();
        return ::IsWindow(control.GetSafeHwnd()) != FALSE;
    };
    for (const auto& [rect, width] : {std::pair<RECT, int>{zero, 100}, {RECT{0, 0, 40000, 30}, 39000}}) {
        CHeaderCtrlEx header;
        ASSERT_TRUE(header.Create(WS_VISIBLE, rect, parent, 1));
        header.ShowCheckBox(true);
        HDITEMW item{};
        item.mask = HDI_WIDTH | HDI_TEXT;
        item.cxy = width;
        item.pszText = text.data();
        EXPECT_EQ(header.InsertItem(0, item), 0);
        EXPECT_EQ(header.GetItemText(0, 256).size(), 256u);
        EXPECT_TRUE(paintsSafely(header)) << width;
    }
    for (const auto& [rect, title] : {std::pair<RECT, std::wstring>{zero, L"常规卸载"},
                                      {RECT{0, 0, 30000, 30000}, L"智能卸载"}, // no memory bitmap
                                      {RECT{0, 0, 500, 42}, text}}) {
        CTabCtrlEx tabs;
        ASSERT_TRUE(tabs.Create(WS_VISIBLE, rect, parent, 2));
        EXPECT_EQ(tabs.InsertItem(0, title), 0);
        EXPECT_EQ(tabs.InsertItem(1, L""), 1);
        EXPECT_EQ(tabs.GetItemText(0).size(), std::min<size_t>(title.size(), 1023u));
        CMemoryCanvas tiny;
        ASSERT_TRUE(tiny.CreateDib32(1, 1));
        if (rect.right < 30000) // PaintTo of the huge strip faults (through WM_PAINT it gives up quietly)
            tabs.PaintTo(tiny.Dc());
        EXPECT_TRUE(paintsSafely(tabs)) << rect.right;
    }
}

} // namespace
} // namespace tsu
