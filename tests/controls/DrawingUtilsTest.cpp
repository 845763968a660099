#include "controls/DrawingUtils.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace tsu {
namespace {

const bool kGdiplusStarted = test::EnsureGdiplus();

TEST(LoadPngResource, MissingOrOtherTypeLeavesTheOutArgumentAlone) {
    Gdiplus::Image* const sentinel = reinterpret_cast<Gdiplus::Image*>(0x1234);
    for (UINT id : {9999u, static_cast<UINT>(IDB_SCROLLBAR_SKIN), static_cast<UINT>(IDR_MAINFRAME)}) {
        Gdiplus::Image* image = sentinel;
        EXPECT_FALSE(LoadPngResource(image, id)) << id;
        EXPECT_EQ(image, sentinel) << id;
    }
    EXPECT_EQ(LoadPngResource(9999u), nullptr);
}

// Bytes in use in the process heap, where GlobalAlloc takes its blocks from (Wine reports no
// private bytes through GetProcessMemoryInfo).
SIZE_T HeapBytesInUse() {
    HANDLE heap = ::GetProcessHeap();
    SIZE_T busy = 0;
    if (!::HeapLock(heap))
        return 0;
    PROCESS_HEAP_ENTRY entry{};
    while (::HeapWalk(heap, &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
            busy += entry.cbData;
    ::HeapUnlock(heap);
    return busy;
}

TEST(LoadPngResource, TheCopyOfTheBytesGoesWithTheImageWhichDrawsAfterTheLoaderReturned) {
    ASSERT_TRUE(kGdiplusStarted);
    // About 30 KB of PNG: were its copy never freed (a stream made without delete-on-release),
    // 100 loads would keep about 3 MB.
    HRSRC info = ::FindResourceW(nullptr, MAKEINTRESOURCEW(IDB_PNG_START_STRIP), L"PNG");
    ASSERT_NE(info, nullptr);
    const SIZE_T pngBytes = ::SizeofResource(nullptr, info);
    for (int i = 0; i < 20; ++i) // warm up GDI+ and the heap
        ASSERT_NE(LoadPngResource(IDB_PNG_START_STRIP), nullptr);
    const SIZE_T before = HeapBytesInUse();
    for (int i = 0; i < 100; ++i)
        ASSERT_NE(LoadPngResource(IDB_PNG_START_STRIP), nullptr);
    const SIZE_T after = HeapBytesInUse();
    EXPECT_LT(after > before ? after - before : 0, pngBytes * 100 / 4);

    // The image decodes from the stream for its whole life. The checked box is blue.
    auto strip = LoadPngResource(IDB_PNG_CHECKBOX_STRIP);
    ASSERT_NE(strip, nullptr);
    CMemoryCanvas canvas;
    ASSERT_TRUE(canvas.CreateDib32(16, 16));
    DrawImagePiece(canvas.Dc(), strip.get(), RECT{16, 0, 32, 16}, RECT{0, 0, 16, 16});
    EXPECT_GT(GetBValue(canvas.PixelAt(7, 13)), 200); // inside the box, clear of the tick
    EXPECT_LT(GetRValue(canvas.PixelAt(7, 13)), 120);
}

LOGFONTW Describe(HFONT font) {
    LOGFONTW lf{};
    EXPECT_TRUE(GetLogFont(font, lf));
    return lf;
}

TEST(Fonts, DerivedFontsAndMeasuringLeaveTheDeviceContextAsItWas) {
    test::TestHostWindow host;
    ASSERT_TRUE(host.Create(300, 100));
    CWnd label;
    ASSERT_TRUE(label.CreateEx(0, L"STATIC", L"label", WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 20}, host.GetSafeHwnd(), 1));
    UniqueHfont font = test::MakeCjkFont(-13, FW_NORMAL);
    label.SetFont(font.Get(), false);
    UniqueHfont copy, semibold;
    ASSERT_TRUE(CreateDerivedFont(label.GetSafeHwnd(), 0, 700, copy)); // grow 0: an exact copy, whatever the weight
    EXPECT_EQ(Describe(copy.Get()).lfHeight, -13);
    EXPECT_EQ(Describe(copy.Get()).lfWeight, FW_NORMAL);
    EXPECT_STREQ(Describe(copy.Get()).lfFaceName, L"WenQuanYi Micro Hei");
    EXPECT_NE(copy.Get(), font.Get());
    ASSERT_TRUE(CreateDerivedFont(label.GetSafeHwnd(), 2, 600, semibold));
    EXPECT_EQ(Describe(semibold.Get()).lfHeight, -15);
    EXPECT_EQ(Describe(semibold.Get()).lfWeight, 600);
    // Without a font, or without a window: the default GUI font.
    label.SetFont(nullptr, false);
    UniqueHfont fallback, none;
    ASSERT_TRUE(CreateDerivedFont(label.GetSafeHwnd(), 0, 0, fallback));
    LOGFONTW stock{};
    ASSERT_TRUE(GetLogFont(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)), stock));
    EXPECT_STREQ(Describe(fallback.Get()).lfFaceName, stock.lfFaceName);
    EXPECT_TRUE(CreateDerivedFont(nullptr, 0, 0, none));
    label.SetFont(font.Get(), false);

    UniqueWindowDc dc(label.GetSafeHwnd());
    HGDIOBJ before = ::GetCurrentObject(dc.Get(), OBJ_FONT);
    const int width = MeasureTextWidth(dc.Get(), L"卸载完成", font.Get());
    EXPECT_GT(width, 20);
    EXPECT_GT(MeasureTextWidth(dc.Get(), L"卸载完成", semibold.Get()), width);
    EXPECT_GT(MeasureWindowTextWidth(label.GetSafeHwnd(), dc.Get(), L"卸载完成", 2, 0), width);
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_FONT), before);
    EXPECT_EQ(MeasureTextWidth(nullptr, L"x", font.Get()), -1);
    EXPECT_EQ(MeasureTextWidth(dc.Get(), L"", font.Get()), 0);
    EXPECT_EQ(MeasureWindowTextWidth(nullptr, dc.Get(), L"x", 0, 0), -1);
    EXPECT_EQ(MeasureWindowTextWidth(label.GetSafeHwnd(), nullptr, L"x", 0, 0), -1);
}

TEST(FitText, CutsWithTheRealFontAndLeavesTextAloneWithoutADeviceContext) {
    CMemoryCanvas canvas;
    ASSERT_TRUE(canvas.CreateDib32(10, 10));
    UniqueHfont font = test::MakeCjkFont(-14);
    const std::wstring text = L"C:\\Program Files\\Some Vendor\\某个很长的软件名称\\uninstall.exe";
    auto width = [&](const std::wstring& t) { return MeasureTextWidth(canvas.Dc(), t, font.Get()); };
    EXPECT_EQ(FitText(canvas.Dc(), text, width(text) + 5, font.Get()), text);
    const std::wstring fitted = FitText(canvas.Dc(), text, width(text) / 2, font.Get());
    const std::wstring prefix = fitted.substr(0, fitted.size() - 3);
    EXPECT_EQ(fitted, prefix + L"...");
    EXPECT_EQ(text.compare(0, prefix.size(), prefix), 0);
    EXPECT_LT(width(prefix) + width(L"..."), width(text) / 2);
    EXPECT_GE(width(text.substr(0, prefix.size() + 1)) + width(L"..."), width(text) / 2); // one more would not fit
    EXPECT_EQ(FitText(nullptr, L"abc", 1, font.Get()), L"abc");
}

TEST(DrawTextInRect, WrappedTextIsCentredVertically) {
    CMemoryCanvas canvas;
    ASSERT_TRUE(canvas.CreateDib32(200, 200));
    RECT all{0, 0, 200, 200};
    ::FillRect(canvas.Dc(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    UniqueHfont font = test::MakeCjkFont(-16);
    ScopedSelectObject select(canvas.Dc(), font.Get());
    ::SetBkMode(canvas.Dc(), TRANSPARENT);
    DrawTextInRect(canvas.Dc(), L"正在检测软件，请稍等正在检测软件，请稍等", RECT{10, 0, 190, 200},
                   DT_WORDBREAK | DT_VCENTER | DT_CENTER);
    int top = -1, bottom = -1;
    for (int y = 0; y < 200; ++y)
        if (test::CountNonBackground(canvas, RECT{0, y, 200, y + 1}, RGB(255, 255, 255), 60) > 0)
            bottom = y, top = top < 0 ? y : top;
    EXPECT_GT(bottom - top, 20); // two lines
    EXPECT_NEAR((top + bottom) / 2, 100, 12);
    test::SaveCanvasPng(canvas, L"controls_draw_text_centred");
}

} // namespace
} // namespace tsu
