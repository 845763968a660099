// The drawing utilities against real GDI, GDI+ and fonts under Wine: PNG resources (present,
// missing, of another type, freed with the image), derived fonts, text widths and FitText with a
// real CJK font.

#include "controls/DrawingUtils.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace tsu {
namespace {

const bool kGdiplusStarted = test::EnsureGdiplus();

using test::MakeCjkFont;

int Width(HDC dc, HFONT font, const std::wstring& text) {
    ScopedSelectObject select(dc, font);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

struct PngCase {
    UINT id;
    int width;
    int height;
};

class PngResources : public ::testing::TestWithParam<PngCase> {};

TEST_P(PngResources, LoadsAtItsDesignSize) {
    ASSERT_TRUE(kGdiplusStarted);
    Gdiplus::Image* image = nullptr;
    ASSERT_TRUE(LoadPngResource(image, GetParam().id));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(static_cast<int>(image->GetWidth()), GetParam().width);
    EXPECT_EQ(static_cast<int>(image->GetHeight()), GetParam().height);
    delete image;
}

INSTANTIATE_TEST_SUITE_P(
    Artwork, PngResources,
    ::testing::Values(PngCase{139, 806, 606}, PngCase{140, 800, 600}, PngCase{141, 800, 600}, PngCase{142, 734, 531},
                      PngCase{143, 48, 16}, PngCase{144, 26, 34}, PngCase{145, 26, 34}, PngCase{146, 26, 34},
                      PngCase{147, 26, 34}, PngCase{148, 232, 132}, PngCase{149, 204, 104}, PngCase{150, 26, 34},
                      PngCase{151, 26, 34}, PngCase{152, 26, 34}, PngCase{153, 26, 34}, PngCase{154, 266, 60},
                      PngCase{155, 266, 60}, PngCase{156, 266, 60}, PngCase{157, 266, 60}, PngCase{158, 58, 18},
                      PngCase{159, 58, 18}, PngCase{160, 58, 18}, PngCase{161, 58, 18}, PngCase{162, 330, 150},
                      PngCase{163, 320, 140}, PngCase{164, 55, 24}, PngCase{165, 55, 24}, PngCase{166, 55, 24},
                      PngCase{167, 12, 12}, PngCase{168, 12, 12}, PngCase{169, 12, 12}, PngCase{170, 55, 24},
                      PngCase{171, 55, 24}, PngCase{172, 55, 24}, PngCase{173, 55, 24}, PngCase{174, 55, 24},
                      PngCase{175, 55, 24}, PngCase{176, 55, 24}, PngCase{177, 55, 24}, PngCase{178, 55, 24},
                      PngCase{179, 410, 479}, PngCase{180, 400, 468}, PngCase{181, 12, 12}, PngCase{182, 12, 12},
                      PngCase{183, 12, 12}, PngCase{184, 12, 12}, PngCase{186, 266, 60}, PngCase{187, 266, 60},
                      PngCase{188, 266, 60}, PngCase{189, 266, 60}, PngCase{190, 1036, 85}, PngCase{191, 266, 60},
                      PngCase{192, 266, 60}, PngCase{193, 266, 60}, PngCase{194, 266, 60}, PngCase{195, 541, 402},
                      PngCase{199, 108, 108}, PngCase{200, 256, 24}, PngCase{201, 32, 32}, PngCase{202, 632, 40},
                      PngCase{203, 64, 64}));

TEST(LoadPngResource, MissingOrOtherTypeLeavesTheOutArgumentAlone) {
    Gdiplus::Image* const sentinel = reinterpret_cast<Gdiplus::Image*>(0x1234);
    for (UINT id : {9999u, static_cast<UINT>(IDB_SCROLLBAR_SKIN), static_cast<UINT>(IDR_MAINFRAME),
                    static_cast<UINT>(IDD_PROMPT)}) {
        Gdiplus::Image* image = sentinel;
        EXPECT_FALSE(LoadPngResource(image, id)) << id;
        EXPECT_EQ(image, sentinel) << id;
    }
    EXPECT_EQ(LoadPngResource(9999u), nullptr);
}

// Bytes in use in the process heap, where GlobalAlloc takes its blocks from. (Wine reports no
// private bytes through GetProcessMemoryInfo, so the heap is walked.)
SIZE_T PrivateBytes() {
    HANDLE heap = ::GetProcessHeap();
    SIZE_T busy = 0;
    if (!::HeapLock(heap))
        return 0;
    PROCESS_HEAP_ENTRY entry{};
    while (::HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
            busy += entry.cbData;
    }
    ::HeapUnlock(heap);
    return busy;
}

TEST(LoadPngResource, TheCopyOfTheBytesGoesWithTheImage) {
    // The start button strip is about 30 KB of PNG. Were its copy never freed (a stream made
    // without delete-on-release), 100 loads would keep about 3 MB.
    HRSRC info = ::FindResourceW(nullptr, MAKEINTRESOURCEW(IDB_PNG_START_STRIP), L"PNG");
    ASSERT_NE(info, nullptr);
    const SIZE_T pngBytes = ::SizeofResource(nullptr, info);
    ASSERT_GT(pngBytes, 10000u);
    for (int i = 0; i < 20; ++i) // warm up GDI+ and the heap
        ASSERT_NE(LoadPngResource(IDB_PNG_START_STRIP), nullptr);
    const SIZE_T before = PrivateBytes();
    constexpr int kLoads = 100;
    for (int i = 0; i < kLoads; ++i) {
        auto image = LoadPngResource(IDB_PNG_START_STRIP);
        ASSERT_NE(image, nullptr);
    }
    const SIZE_T after = PrivateBytes();
    const SIZE_T grown = after > before ? after - before : 0;
    EXPECT_LT(grown, pngBytes * kLoads / 4) << "grew by " << grown << " bytes";
}

TEST(LoadPngResource, ImageDrawsAfterTheLoaderReturned) {
    // The image decodes from the stream for its whole life: drawing long after loading works.
    auto strip = LoadPngResource(IDB_PNG_CHECKBOX_STRIP);
    ASSERT_NE(strip, nullptr);
    CMemoryCanvas canvas;
    ASSERT_TRUE(canvas.CreateDib32(16, 16));
    DrawImagePiece(canvas.Dc(), strip.get(), RECT{16, 0, 32, 16}, RECT{0, 0, 16, 16});
    // The checked state is a blue box.
    const COLORREF centre = canvas.PixelAt(7, 13); // inside the box, clear of the tick
    EXPECT_GT(GetBValue(centre), 200) << std::hex << centre;
    EXPECT_LT(GetRValue(centre), 120) << std::hex << centre;
}

class FontHost : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_host.Create(300, 100));
        ASSERT_TRUE(m_label.CreateEx(0, L"STATIC", L"label", WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 20},
                                     m_host.GetSafeHwnd(), 1));
        m_font = MakeCjkFont(-13, FW_NORMAL);
        ASSERT_TRUE(m_font);
        m_label.SetFont(m_font.Get(), false);
    }
    test::TestHostWindow m_host;
    CWnd m_label;
    UniqueHfont m_font;
};

LOGFONTW Describe(HFONT font) {
    LOGFONTW lf{};
    EXPECT_TRUE(GetLogFont(font, lf));
    return lf;
}

TEST_F(FontHost, DerivedFontWithGrowZeroIsAnExactCopyWhateverTheWeight) {
    UniqueHfont copy;
    ASSERT_TRUE(CreateDerivedFont(m_label.GetSafeHwnd(), 0, 700, copy));
    const LOGFONTW a = Describe(copy.Get());
    EXPECT_EQ(a.lfHeight, -13);
    EXPECT_EQ(a.lfWeight, FW_NORMAL);
    EXPECT_STREQ(a.lfFaceName, L"WenQuanYi Micro Hei");
    EXPECT_NE(copy.Get(), m_font.Get()); // a new font the caller owns
}

TEST_F(FontHost, DerivedFontGrowsAndTakesTheWeight) {
    UniqueHfont semibold;
    ASSERT_TRUE(CreateDerivedFont(m_label.GetSafeHwnd(), 1, 600, semibold));
    EXPECT_EQ(Describe(semibold.Get()).lfHeight, -14);
    EXPECT_EQ(Describe(semibold.Get()).lfWeight, 600);
    UniqueHfont larger;
    ASSERT_TRUE(CreateDerivedFont(m_label.GetSafeHwnd(), 2, 0, larger));
    EXPECT_EQ(Describe(larger.Get()).lfHeight, -15);
    EXPECT_EQ(Describe(larger.Get()).lfWeight, FW_NORMAL);
    // The larger font really measures wider.
    UniqueWindowDc dc(m_label.GetSafeHwnd());
    EXPECT_GT(MeasureTextWidth(dc.Get(), L"软件卸载工具", larger.Get()),
              MeasureTextWidth(dc.Get(), L"软件卸载工具", m_font.Get()));
}

TEST_F(FontHost, WindowWithoutFontFallsBackToTheDefaultGuiFont) {
    CWnd plain;
    ASSERT_TRUE(plain.CreateEx(0, L"BUTTON", L"", WS_CHILD, RECT{0, 0, 10, 10}, m_host.GetSafeHwnd(), 2));
    plain.SetFont(nullptr, false);
    UniqueHfont font;
    ASSERT_TRUE(CreateDerivedFont(plain.GetSafeHwnd(), 0, 0, font));
    LOGFONTW stock{};
    ASSERT_TRUE(GetLogFont(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)), stock));
    EXPECT_EQ(Describe(font.Get()).lfHeight, stock.lfHeight);
    EXPECT_STREQ(Describe(font.Get()).lfFaceName, stock.lfFaceName);
    UniqueHfont none;
    EXPECT_TRUE(CreateDerivedFont(nullptr, 0, 0, none)); // no window: the stock font as well
}

TEST_F(FontHost, MeasuringLeavesTheDeviceContextAsItWas) {
    UniqueWindowDc dc(m_label.GetSafeHwnd());
    HGDIOBJ before = ::GetCurrentObject(dc.Get(), OBJ_FONT);
    const int width = MeasureTextWidth(dc.Get(), L"卸载完成", m_font.Get());
    EXPECT_EQ(width, Width(dc.Get(), m_font.Get(), L"卸载完成"));
    EXPECT_GT(width, 20);
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_FONT), before);
    EXPECT_EQ(MeasureTextWidth(nullptr, L"x", m_font.Get()), -1);
    EXPECT_EQ(MeasureTextWidth(dc.Get(), L"", m_font.Get()), 0);

    const int grown = MeasureWindowTextWidth(m_label.GetSafeHwnd(), dc.Get(), L"卸载完成", 2, 0);
    EXPECT_GT(grown, width);
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_FONT), before);
    EXPECT_EQ(MeasureWindowTextWidth(nullptr, dc.Get(), L"x", 0, 0), -1);
    EXPECT_EQ(MeasureWindowTextWidth(m_label.GetSafeHwnd(), nullptr, L"x", 0, 0), -1);
}

class FitTextReal : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_canvas.CreateDib32(10, 10));
        m_font = MakeCjkFont(-14);
        ASSERT_TRUE(m_font);
    }
    int W(const std::wstring& text) { return Width(m_canvas.Dc(), m_font.Get(), text); }
    CMemoryCanvas m_canvas;
    UniqueHfont m_font;
};

TEST_F(FitTextReal, TextThatFitsIsReturnedAsItIs) {
    const std::wstring text = L"Wine 软件卸载工具 1.0";
    EXPECT_EQ(FitText(m_canvas.Dc(), text, W(text) + 5, m_font.Get()), text);
    EXPECT_EQ(FitText(m_canvas.Dc(), L"", 0, m_font.Get()), L"");
}

TEST_F(FitTextReal, TextExactlyFourPixelsShortIsStillCut) {
    const std::wstring text = L"软件卸载工具使用许可协议";
    const std::wstring fitted = FitText(m_canvas.Dc(), text, W(text) + 4, m_font.Get());
    ASSERT_NE(fitted, text);
    EXPECT_EQ(fitted.substr(fitted.size() - 3), L"...");
    EXPECT_LT(W(fitted), W(text) + 4);
}

TEST_F(FitTextReal, CutTextIsTheLongestPrefixThatFitsWithTheDots) {
    const std::wstring text = L"C:\\Program Files\\Some Vendor\\某个很长的软件名称\\uninstall.exe";
    const int maxWidth = W(text) / 2;
    const std::wstring fitted = FitText(m_canvas.Dc(), text, maxWidth, m_font.Get());
    ASSERT_GE(fitted.size(), 4u);
    const std::wstring prefix = fitted.substr(0, fitted.size() - 3);
    EXPECT_EQ(text.compare(0, prefix.size(), prefix), 0);
    EXPECT_LT(W(prefix) + W(L"..."), maxWidth);
    // One more character would not fit.
    EXPECT_GE(W(text.substr(0, prefix.size() + 1)) + W(L"..."), maxWidth);
}

TEST_F(FitTextReal, TooNarrowForAnythingGivesTheFirstCharacterAndDots) {
    EXPECT_EQ(FitText(m_canvas.Dc(), L"卸载中", 3, m_font.Get()), L"卸...");
}

TEST_F(FitTextReal, HundredThousandCharactersAreCutFromTheBuffer) {
    std::wstring text;
    for (int i = 0; i < 100000; ++i)
        text += static_cast<wchar_t>(i % 2 ? L'软' : L'a');
    const std::wstring fitted = FitText(m_canvas.Dc(), text, 300, m_font.Get());
    EXPECT_LE(fitted.size(), 1024u + 3u);
    EXPECT_EQ(fitted.substr(fitted.size() - 3), L"...");
    EXPECT_LT(W(fitted), 300);
}

TEST_F(FitTextReal, NoDeviceContextLeavesTheTextUnchanged) {
    EXPECT_EQ(FitText(nullptr, L"abc", 1, m_font.Get()), L"abc");
}

TEST(DrawTextInRect, WrappedTextIsCentredVertically) {
    CMemoryCanvas canvas;
    ASSERT_TRUE(canvas.CreateDib32(200, 200));
    RECT all{0, 0, 200, 200};
    ::FillRect(canvas.Dc(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    UniqueHfont font = MakeCjkFont(-16);
    ScopedSelectObject select(canvas.Dc(), font.Get());
    ::SetBkMode(canvas.Dc(), TRANSPARENT);
    ::SetTextColor(canvas.Dc(), RGB(0, 0, 0));
    DrawTextInRect(canvas.Dc(), L"正在检测软件，请稍等正在检测软件，请稍等", RECT{10, 0, 190, 200},
                   DT_WORDBREAK | DT_VCENTER | DT_CENTER);
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < 200; ++y) {
        if (test::CountNonBackground(canvas, RECT{0, y, 200, y + 1}, RGB(255, 255, 255), 60) > 0) {
            if (top < 0)
                top = y;
            bottom = y;
        }
    }
    ASSERT_GE(top, 0);
    EXPECT_GT(bottom - top, 20); // two lines
    EXPECT_NEAR((top + bottom) / 2, 100, 12);
    test::SaveCanvasPng(canvas, L"controls_draw_text_centred");
}

} // namespace
} // namespace tsu
