#include "controls/CDrawStateInfoStatic.h"
#include "controls/CDrawTextStatic.h"
#include "controls/CHeaderCtrlEx.h"
#include "controls/CSkinScrollBar.h"
#include "controls/CTabCtrlEx.h"
#include "controls/buttons/CPngButton.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace tsu {
namespace {

// Zero-size and huge controls and 100,000-character titles: each control paints without harm,
// reads its texts within bounds and stays a working window.
TEST(DegenerateControls, ZeroSizeHugeAndVeryLongTitlesPaintSafely) {
    ASSERT_TRUE(test::EnsureGdiplus());
    test::TestHostWindow host;
    ASSERT_TRUE(host.Create(400, 200));
    const HWND parent = host.GetSafeHwnd();
    UniqueHbitmap skin(static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_SCROLLBAR_SKIN),
                                                         IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ASSERT_TRUE(skin);
    std::wstring text(100000, L'长');
    const RECT zero{0, 0, 0, 0};
    auto header = [&](RECT rect, int width) {
        auto h = std::make_unique<CHeaderCtrlEx>();
        EXPECT_TRUE(h->Create(WS_VISIBLE, rect, parent, 1));
        h->ShowCheckBox(true);
        HDITEMW item{};
        item.mask = HDI_WIDTH | HDI_TEXT;
        item.cxy = width;
        item.pszText = text.data();
        EXPECT_EQ(h->InsertItem(0, item), 0);
        EXPECT_EQ(h->GetItemText(0, 256).size(), 256u);
        return std::unique_ptr<CWnd>(std::move(h));
    };
    auto tabs = [&](RECT rect, const std::wstring& title) {
        auto t = std::make_unique<CTabCtrlEx>();
        EXPECT_TRUE(t->Create(WS_VISIBLE, rect, parent, 2));
        EXPECT_EQ(t->InsertItem(0, title), 0);
        EXPECT_EQ(t->InsertItem(1, L""), 1);
        EXPECT_EQ(t->GetItemText(0).size(), std::min<size_t>(title.size(), 1023u));
        CMemoryCanvas tiny;
        EXPECT_TRUE(tiny.CreateDib32(1, 1));
        if (rect.right < 30000) // PaintTo of the huge strip faults (through WM_PAINT it gives up quietly)
            t->PaintTo(tiny.Dc());
        return std::unique_ptr<CWnd>(std::move(t));
    };
    auto bar = [&](RECT rect, DWORD style) {
        auto b = std::make_unique<CSkinScrollBar>();
        EXPECT_TRUE(b->Create(style | WS_VISIBLE, rect, parent, 3));
        b->SetBitmap(skin.Get());
        SCROLLINFO info{};
        info.fMask = SIF_ALL;
        info.nMax = 2000000000;
        info.nPage = 1000;
        info.nPos = 1999999001; // the last position: nMax - nPage + 1
        b->SetScrollInfo(info);
        const SkinBarLayout layout = b->GetLayout();
        if (layout.barLength > 0)
            EXPECT_EQ(layout.ThumbEnd(), layout.PartBegin(kSkinPartLineDown));
        else
            EXPECT_EQ(HitTestSkinBar(layout, 0), kSkinPartNone);
        return std::unique_ptr<CWnd>(std::move(b));
    };
    const std::pair<const char*, std::function<std::unique_ptr<CWnd>()>> rows[] = {
        {"zero header", [&] { return header(zero, 100); }},
        {"huge header", [&] { return header(RECT{0, 0, 40000, 30}, 39000); }},
        {"zero tabs", [&] { return tabs(zero, L"常规卸载"); }},
        {"huge tabs", [&] { return tabs(RECT{0, 0, 30000, 30000}, L"智能卸载"); }}, // too big for a memory bitmap
        {"long title", [&] { return tabs(RECT{0, 0, 500, 42}, text); }},
        {"zero bar", [&] { return bar(zero, SBS_VERT); }},
        {"huge bar", [&] { return bar(RECT{0, 0, 30000, 13}, SBS_HORZ); }},
        {"zero label",
         [&] {
             auto label = std::make_unique<CDrawTextStatic>();
             EXPECT_TRUE(label->Create(text.c_str(), WS_VISIBLE, zero, parent, 4));
             return std::unique_ptr<CWnd>(std::move(label));
         }},
        {"zero busy text",
         [&] {
             auto busy = std::make_unique<CDrawStateInfoStatic>();
             EXPECT_TRUE(busy->Create(text.c_str(), WS_VISIBLE, zero, parent, 5));
             busy->SendMessage(WM_TIMER, CDrawStateInfoStatic::kDotsTimer, 0);
             EXPECT_EQ(busy->GetDisplayText().size(), text.size() + 1);
             return std::unique_ptr<CWnd>(std::move(busy));
         }},
        {"zero picture button",
         [&] {
             auto button = std::make_unique<CPngButton>();
             EXPECT_TRUE(button->Create(L"", BS_OWNERDRAW | WS_VISIBLE, zero, parent, 6));
             EXPECT_TRUE(button->SetImages(IDB_PNG_YES_NORMAL, IDB_PNG_YES_HOVER, IDB_PNG_YES_PRESSED,
                                           IDB_PNG_YES_PRESSED));
             return std::unique_ptr<CWnd>(std::move(button));
         }},
    };
    for (const auto& [name, make] : rows) {
        SCOPED_TRACE(name);
        const std::unique_ptr<CWnd> control = make();
        ::RedrawWindow(control->GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        test::PumpPending();
        EXPECT_TRUE(::IsWindow(control->GetSafeHwnd()));
    }
}

} // namespace
} // namespace tsu
