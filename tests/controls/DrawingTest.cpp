#include "controls/DrawingUtils.h"
#include "controls/ImageEx.h"
#include "framework/CDialog.h"
#include "framework/Messages.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace tsu {
namespace {

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::EnsureGdiplus());
        ASSERT_TRUE(m_host.Create(300, 100));
        m_host.OnMessage = [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
            if (msg == WM_LIST_REDRAWCELL) // a redraw request of the animation, and whether it was sent
                m_requests.push_back(Request{wp, lp, (::InSendMessageEx(nullptr) & ISMEX_SEND) != 0}), *result = 1;
            return msg == WM_LIST_REDRAWCELL;
        };
    }
    static std::unique_ptr<ImageEx> MakeWait() {
        return std::make_unique<ImageEx>(res::kGifResourceType, res::kWaitGifName);
    }
    bool WaitForRequests(size_t count) {
        return test::PumpUntil([&] { return m_requests.size() >= count; }, 10000);
    }
    static CMemoryCanvas Canvas(int width, int height, COLORREF colour = RGB(255, 255, 255)) {
        CMemoryCanvas canvas;
        EXPECT_TRUE(canvas.CreateDib32(width, height));
        RECT all{0, 0, width, height};
        UniqueHbrush brush(::CreateSolidBrush(colour));
        ::FillRect(canvas.Dc(), &all, brush.Get());
        return canvas;
    }

    struct Request {
        WPARAM row;
        LPARAM column;
        bool sent;
    };
    test::TestHostWindow m_host;
    std::vector<Request> m_requests;
};

TEST_F(DrawingTest, OneAnimationThreadPostsRedrawRequestsFollowsSetRowPausesAndWaitsForTheDrawing) {
    auto image = MakeWait();
    ASSERT_TRUE(image->StartAnimation(m_host.GetSafeHwnd(), RECT{0, 0, 20, 20}, 4, 3));
    const DWORD first = image->AnimationThreadId();
    EXPECT_TRUE(image->StartAnimation(m_host.GetSafeHwnd(), RECT{0, 0, 20, 20}, 4, 3)); // starting twice
    EXPECT_EQ(image->AnimationThreadId(), first);
    ASSERT_TRUE(WaitForRequests(3));
    for (const Request& r : m_requests)
        EXPECT_TRUE(!r.sent && r.row == 4u && r.column == 3) << r.sent << " " << r.row << " " << r.column;
    image->SetRow(2);
    ASSERT_TRUE(test::PumpUntil([&] { return m_requests.back().row == 2; }, 10000));
    ASSERT_TRUE(WaitForRequests(m_requests.size() + 2));
    EXPECT_EQ(m_requests.back().row, 2u);
    image->SetPause(true);
    test::PumpPending();
    const size_t atPause = m_requests.size();
    // Four frame delays: at most the one request already on its way.
    EXPECT_FALSE(test::PumpUntil([&] { return m_requests.size() > atPause + 1; }, 200));
    const unsigned paused = image->CurrentFrame();
    image->SetPause(false);
    ASSERT_TRUE(WaitForRequests(m_requests.size() + 2));
    EXPECT_NE(image->CurrentFrame(), paused);
    unsigned held = 0;
    {
        auto lock = image->LockFrame();
        held = image->CurrentFrame();
        // Several frame delays pass; the thread cannot select another frame meanwhile.
        EXPECT_FALSE(test::PumpUntil([&] { return image->CurrentFrame() != held; }, 250));
    }
    EXPECT_TRUE(test::PumpUntil([&] { return image->CurrentFrame() != held; }, 10000));
}

TEST_F(DrawingTest, DestroyingEndsTheAnimationThreadWhenPausedAndWhileTheGuiThreadDoesNotPump) {
    // The destructor waits for the thread: a paused thread must be woken, and a sent (not posted)
    // redraw request would block the thread on this non-pumping GUI thread: a deadlock either way.
    for (bool paused : {true, false}) {
        SCOPED_TRACE(paused);
        auto image = MakeWait();
        ASSERT_TRUE(image->StartAnimation(m_host.GetSafeHwnd(), RECT{0, 0, 20, 20}, 0, 0));
        ASSERT_TRUE(WaitForRequests(m_requests.size() + 1));
        image->SetPause(paused);
        UniqueHandle thread(::OpenThread(SYNCHRONIZE, FALSE, image->AnimationThreadId()));
        ASSERT_TRUE(thread);
        EXPECT_EQ(::WaitForSingleObject(thread.Get(), 200), static_cast<DWORD>(WAIT_TIMEOUT)); // nobody pumps
        image.reset();
        EXPECT_EQ(::WaitForSingleObject(thread.Get(), 0), WAIT_OBJECT_0); // really ended, not abandoned
        test::PumpPending();                                              // requests of a gone image are harmless
    }
}

TEST_F(DrawingTest, AnimationFramesDrawAndDifferAndMissingOrSingleFrameImagesNeverAnimate) {
    auto image = MakeWait();
    const int frames = static_cast<int>(image->FrameCount());
    ASSERT_TRUE(image->IsLoaded() && frames > 1);
    CMemoryCanvas sheet = Canvas(frames * 36, 36);
    Gdiplus::Graphics graphics(sheet.Dc());
    for (UINT i = 0; i < static_cast<UINT>(frames); ++i) {
        {
            auto lock = image->LockFrame();
            ASSERT_EQ(image->SelectActiveFrame(&Gdiplus::FrameDimensionTime, i), Gdiplus::Ok);
        }
        EXPECT_TRUE(image->DrawFrame(graphics, Gdiplus::Rect(static_cast<INT>(i) * 36 + 2, 2, 32, 32)));
    }
    graphics.Flush(Gdiplus::FlushIntentionSync);
    int differing = 0; // blue dots on every frame, and the brightest dot moves
    for (int i = 0; i < frames; ++i) {
        EXPECT_GT(test::CountPixels(sheet, RECT{i * 36, 0, i * 36 + 36, 36},
                                    [](COLORREF c) { return GetBValue(c) > 200 && GetRValue(c) < 150; }),
                  10)
            << i;
        differing += i > 0 && sheet.PixelAt(i * 36 + 18, 7) != sheet.PixelAt(18, 7) ? 1 : 0;
    }
    EXPECT_GT(differing, 0);
    test::SaveCanvasPng(sheet, L"controls_wait_gif_frames");

    ImageEx missing(res::kGifResourceType, L"NO_SUCH_GIF");
    ImageEx done(res::kPngResourceType, MAKEINTRESOURCEW(IDB_PNG_DONE_ICON));
    EXPECT_FALSE(missing.IsLoaded() || ImageEx(nullptr, nullptr).IsLoaded());
    ASSERT_TRUE(done.IsLoaded());
    CMemoryCanvas canvas = Canvas(20, 20);
    Gdiplus::Graphics onCanvas(canvas.Dc());
    for (ImageEx* still : {&missing, &done}) {
        EXPECT_FALSE(still->IsAnimated());
        EXPECT_FALSE(still->StartAnimation(m_host.GetSafeHwnd(), RECT{0, 0, 10, 10}, 0, 0));
        EXPECT_EQ(still->AnimationThreadId(), 0u);
        still->SetPause(true); // harmless
    }
    EXPECT_FALSE(missing.DrawFrame(onCanvas, Gdiplus::Rect(0, 0, 20, 20)));
    EXPECT_TRUE(done.DrawFrame(onCanvas, Gdiplus::Rect(0, 0, 20, 20)));
    onCanvas.Flush(Gdiplus::FlushIntentionSync);
    EXPECT_GT(GetGValue(canvas.PixelAt(10, 3)), 120); // the green disc
    // Without a frame-delay property a frame lasts 100 ms, never 0 (the thread would spin and flood its owner).
    EXPECT_EQ(done.FrameDelayMs(0), 100u);
    EXPECT_EQ(done.FrameDelayMs(57), 100u);
}

// Bytes in use in the process heap, where GlobalAlloc takes its blocks (Wine has no private bytes in
// GetProcessMemoryInfo).
SIZE_T HeapBytesInUse() {
    HANDLE heap = ::GetProcessHeap();
    SIZE_T busy = 0;
    PROCESS_HEAP_ENTRY entry{};
    if (!::HeapLock(heap))
        return 0;
    while (::HeapWalk(heap, &entry))
        busy += (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) ? entry.cbData : 0;
    ::HeapUnlock(heap);
    return busy;
}

TEST_F(DrawingTest, PngCopyGoesWithTheImageWhichDrawsAfterTheLoaderReturned) {
    Gdiplus::Image* const sentinel = reinterpret_cast<Gdiplus::Image*>(0x1234);
    for (UINT id : {9999u, static_cast<UINT>(IDB_SCROLLBAR_SKIN), static_cast<UINT>(IDR_MAINFRAME)}) {
        Gdiplus::Image* image = sentinel; // missing or of another type: the out argument stays
        EXPECT_FALSE(LoadPngResource(image, id)) << id;
        EXPECT_EQ(image, sentinel) << id;
    }
    EXPECT_EQ(LoadPngResource(9999), nullptr);
    // Were the copy never freed (a stream made without delete-on-release), 100 loads of 30 KB would keep 3 MB.
    const SIZE_T pngBytes =
        ::SizeofResource(nullptr, ::FindResourceW(nullptr, MAKEINTRESOURCEW(IDB_PNG_START_STRIP), L"PNG"));
    ASSERT_GT(pngBytes, 0u);
    SIZE_T before = 0;
    for (int i = 0; i < 120; ++i) { // the first 20 warm up GDI+ and the heap
        before = i == 20 ? HeapBytesInUse() : before;
        ASSERT_NE(LoadPngResource(IDB_PNG_START_STRIP), nullptr);
    }
    const SIZE_T after = HeapBytesInUse();
    EXPECT_LT(after > before ? after - before : 0, pngBytes * 100 / 4);
    auto strip = LoadPngResource(IDB_PNG_CHECKBOX_STRIP); // decodes from the stream for its whole life
    ASSERT_NE(strip, nullptr);
    CMemoryCanvas canvas = Canvas(16, 16);
    DrawImagePiece(canvas.Dc(), strip.get(), RECT{16, 0, 32, 16}, RECT{0, 0, 16, 16});
    const COLORREF inside = canvas.PixelAt(7, 13); // the checked box is blue, clear of the tick
    EXPECT_TRUE(GetBValue(inside) > 200 && GetRValue(inside) < 120) << std::hex << inside;
}

LOGFONTW Describe(HFONT font) {
    LOGFONTW lf{};
    EXPECT_TRUE(GetLogFont(font, lf));
    return lf;
}

TEST_F(DrawingTest, DerivedFontsMeasuringAndFittingLeaveTheDeviceContextAsItWas) {
    CWnd label;
    ASSERT_TRUE(label.CreateEx(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 20}, m_host.GetSafeHwnd(), 1));
    UniqueHfont font = test::MakeCjkFont(-13, FW_NORMAL);
    label.SetFont(font.Get(), false);
    UniqueHfont copy, semibold, fallback, none;
    ASSERT_TRUE(CreateDerivedFont(label.GetSafeHwnd(), 0, 700, copy)); // grow 0: an exact copy, whatever the weight
    ASSERT_TRUE(CreateDerivedFont(label.GetSafeHwnd(), 2, 600, semibold));
    const LOGFONTW c = Describe(copy.Get()), s = Describe(semibold.Get());
    EXPECT_EQ(std::tuple(c.lfHeight, c.lfWeight, std::wstring(c.lfFaceName)),
              std::tuple(-13, FW_NORMAL, std::wstring(L"WenQuanYi Micro Hei")));
    EXPECT_NE(copy.Get(), font.Get());
    EXPECT_EQ(std::tuple(s.lfHeight, s.lfWeight), std::tuple(-15, 600));
    label.SetFont(nullptr, false); // without a font, or without a window: the default GUI font
    ASSERT_TRUE(CreateDerivedFont(label.GetSafeHwnd(), 0, 0, fallback));
    EXPECT_STREQ(Describe(fallback.Get()).lfFaceName,
                 Describe(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT))).lfFaceName);
    EXPECT_TRUE(CreateDerivedFont(nullptr, 0, 0, none));
    label.SetFont(font.Get(), false);
    UniqueWindowDc dc(label.GetSafeHwnd());
    HGDIOBJ before = ::GetCurrentObject(dc.Get(), OBJ_FONT);
    const int width = MeasureTextWidth(dc.Get(), L"卸载完成", font.Get());
    EXPECT_GT(width, 20);
    EXPECT_GT(MeasureTextWidth(dc.Get(), L"卸载完成", semibold.Get()), width);
    EXPECT_GT(MeasureWindowTextWidth(label.GetSafeHwnd(), dc.Get(), L"卸载完成", 2, 0), width);
    EXPECT_EQ(std::tuple(MeasureTextWidth(nullptr, L"x", font.Get()), MeasureTextWidth(dc.Get(), L"", font.Get()),
                         MeasureWindowTextWidth(nullptr, dc.Get(), L"x", 0, 0),
                         MeasureWindowTextWidth(label.GetSafeHwnd(), nullptr, L"x", 0, 0)),
              std::tuple(-1, 0, -1, -1));
    // FitText cuts with the real font (its rule has its own table) and leaves text alone without a DC.
    const std::wstring text = L"C:\\Program Files\\Some Vendor\\某个很长的软件名称\\uninstall.exe";
    const int half = MeasureTextWidth(dc.Get(), text, font.Get()) / 2;
    EXPECT_LT(MeasureTextWidth(dc.Get(), FitText(dc.Get(), text, half, font.Get()), font.Get()), half);
    EXPECT_EQ(FitText(nullptr, L"abc", 1, font.Get()), L"abc");
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_FONT), before);
}

struct QuietDialog : CDialog {
    explicit QuietDialog(UINT id) : CDialog(id) {}
    BOOL OnInitDialog() override { return FALSE; } // no focus: activated windows cost seconds under Wine
};

TEST_F(DrawingTest, EveryDialogTemplateCreatesAndEveryPngLoadsWithAlpha) {
    ::LoadLibraryW(L"riched20.dll"); // as the application does before any dialog
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = ::DefWindowProcW; // a stand-in for the list control's own class
    wc.hInstance = ::GetModuleHandleW(nullptr), wc.lpszClassName = res::kMultilineListClass;
    ::RegisterClassExW(&wc);
    test::TestHostWindow host;
    ASSERT_TRUE(host.Create(700, 450));
    for (UINT id : {IDD_ABOUTBOX, IDD_EXECUTE_PROMPT_CHILD, IDD_EXECUTE_PROMPT, IDD_FEEDBACK_CHILD, IDD_FEEDBACK,
                    IDD_PROMPT_CHILD, IDD_PROMPT, IDD_TOOLTIP_CHILD, IDD_TOOLTIP, IDD_MAIN_PAGE, IDD_FUNCTION_PAGE,
                    IDD_CONVENTIONAL_UNINSTALL, IDD_INTELLIGENCE_UNINSTALL}) {
        const bool child = id == IDD_CONVENTIONAL_UNINSTALL || id == IDD_INTELLIGENCE_UNINSTALL;
        EXPECT_TRUE(QuietDialog(id).Create(child ? host.GetSafeHwnd() : nullptr)) << id;
    }
    HRSRC info = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(info, nullptr);
    const std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(nullptr, info))),
                               ::SizeofResource(nullptr, info));
    for (const char* part : {"level=\"requireAdministrator\"", "<dpiAware>true</dpiAware>",
                             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    constexpr int kSheetWidth = 1100;
    CMemoryCanvas sheet = Canvas(kSheetWidth, 2400, RGB(214, 218, 224)); // white pictures show on grey
    Gdiplus::Graphics graphics(sheet.Dc());
    int x = 8, y = 8, rowHeight = 0, loaded = 0;
    for (UINT id = 139; id <= 203; ++id) {
        auto image = LoadPngResource(id);
        if (!image)
            continue; // ids without a PNG
        ++loaded;
        EXPECT_TRUE(Gdiplus::IsAlphaPixelFormat(image->GetPixelFormat())) << id;
        const int w = static_cast<int>(image->GetWidth()), h = static_cast<int>(image->GetHeight());
        if (x + w > kSheetWidth - 8)
            x = 8, y += rowHeight + 8, rowHeight = 0;
        graphics.DrawImage(image.get(), x, y, w, h);
        x += w + 8, rowHeight = std::max(rowHeight, h);
    }
    graphics.Flush(Gdiplus::FlushIntentionSync);
    EXPECT_EQ(loaded, 61);
    EXPECT_TRUE(test::SaveCanvasPng(sheet, L"resources_contact_sheet"));
}

} // namespace
} // namespace tsu
