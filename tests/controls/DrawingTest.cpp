#include "controls/DrawingUtils.h"
#include "controls/ImageEx.h"
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

TEST_F(DrawingTest, MissingOrSingleFrameImagesNeverAnimate) {
    ImageEx missing(res::kGifResourceType, L"NO_SUCH_GIF");
    ImageEx done(res::kPngResourceType, MAKEINTRESOURCEW(IDB_PNG_DONE_ICON));
    EXPECT_FALSE(missing.IsLoaded() || ImageEx(nullptr, nullptr).IsLoaded());
    ASSERT_TRUE(done.IsLoaded());
    CMemoryCanvas canvas = Canvas(20, 20);
    Gdiplus::Graphics onCanvas(canvas.Dc());
    for (ImageEx* still : {&missing, &done}) {
        EXPECT_FALSE(still->IsAnimated());
        EXPECT_FALSE(still->StartAnimation(m_host.GetSafeHwnd(), RECT{0, 0, 10, 10}, 0, 0));
    }
    EXPECT_FALSE(missing.DrawFrame(onCanvas, Gdiplus::Rect(0, 0, 20, 20)));
    EXPECT_TRUE(done.DrawFrame(onCanvas, Gdiplus::Rect(0, 0, 20, 20)));
    onCanvas.Flush(Gdiplus::FlushIntentionSync);
    EXPECT_GT(GetGValue(canvas.PixelAt(10, 3)), 120); // the green disc
    // Without a frame-delay property a frame lasts 100 ms, never 0 (the thread would spin and flood its owner).
    EXPECT_EQ(done.FrameDelayMs(0), 100u);
}

TEST_F(DrawingTest, DerivedFontsMeasuringAndFittingLeaveTheDeviceContextAsItWas) {
    CWnd label;
    ASSERT_TRUE(label.CreateEx(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 20}, m_host.GetSafeHwnd(), 1));
    UniqueHfont font = test::MakeCjkFont(-13, FW_NORMAL);
    label.SetFont(font.Get(), false);
    UniqueHfont semibold;
    ASSERT_TRUE(CreateDerivedFont(label.GetSafeHwnd(), 2, 600, semibold));
    LOGFONTW s{};
    ASSERT_TRUE(GetLogFont(semibold.Get(), s));
    EXPECT_EQ(std::tuple(s.lfHeight, s.lfWeight), std::tuple(-15, 600));
    UniqueWindowDc dc(label.GetSafeHwnd());
    HGDIOBJ before = ::GetCurrentObject(dc.Get(), OBJ_FONT);
    const int width = MeasureTextWidth(dc.Get(), L"卸载完成", font.Get());
    EXPECT_GT(width, 20);
    EXPECT_GT(MeasureTextWidth(dc.Get(), L"卸载完成", semibold.Get()), width);
    EXPECT_GT(MeasureWindowTextWidth(label.GetSafeHwnd(), dc.Get(), L"卸载完成", 2, 0), width);
    EXPECT_EQ(std::tuple(MeasureTextWidth(nullptr, L"x", font.Get()), MeasureWindowTextWidth(nullptr, dc.Get(), L"x", 0, 0)),
              std::tuple(-1, -1));
    // FitText cuts with the real font (its rule has its own table) and leaves text alone without a DC.
    const std::wstring text = L"C:\\Program Files\\Some Vendor\\某个很长的软件名称\\uninstall.exe";
    const int half = MeasureTextWidth(dc.Get(), text, font.Get()) / 2;
    EXPECT_LT(MeasureTextWidth(dc.Get(), FitText(dc.Get(), text, half, font.Get()), font.Get()), half);
    EXPECT_EQ(FitText(nullptr, L"abc", 1, font.Get()), L"abc");
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_FONT), before);
}

TEST_F(DrawingTest, ManifestAsksForAdministratorDpiAwarenessAndCommonControls6) {
    HRSRC info = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(info, nullptr);
    const std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(nullptr, info))),
                               ::SizeofResource(nullptr, info));
    for (const char* part : {"level=\"requireAdministrator\"", "<dpiAware>true</dpiAware>",
                             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
}

} // namespace
} // namespace tsu
