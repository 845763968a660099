#include "controls/ImageEx.h"
#include "framework/Messages.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <atomic>
#include <memory>
#include <vector>

namespace tsu {
namespace {

const bool kGdiplusStarted = test::EnsureGdiplus();

int ThreadsOfThisProcess() {
    UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot)
        return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    const DWORD self = ::GetCurrentProcessId();
    for (BOOL more = ::Thread32First(snapshot.Get(), &entry); more; more = ::Thread32Next(snapshot.Get(), &entry))
        if (entry.th32OwnerProcessID == self)
            ++count;
    return count;
}

// The owner of the animation: records every redraw request and how it came.
class AnimationOwner : public ::testing::Test {
protected:
    struct Request {
        WPARAM row;
        LPARAM column;
        bool sent;
    };

    void SetUp() override {
        ASSERT_TRUE(kGdiplusStarted);
        ASSERT_TRUE(m_host.Create(120, 60));
        m_host.OnMessage = [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
            if (msg != WM_LIST_REDRAWCELL)
                return false;
            const bool sent = (::InSendMessageEx(nullptr) & ISMEX_SEND) != 0;
            m_requests.push_back(Request{wp, lp, sent});
            *result = 1;
            return true;
        };
    }
    std::unique_ptr<ImageEx> MakeWait() { return std::make_unique<ImageEx>(res::kGifResourceType, res::kWaitGifName); }
    bool WaitForRequests(size_t count, DWORD timeoutMs = 10000) {
        return test::PumpUntil([&] { return m_requests.size() >= count; }, timeoutMs);
    }

    test::TestHostWindow m_host;
    std::vector<Request> m_requests;
};

TEST_F(AnimationOwner, OneThreadPostsRedrawRequestsWithRowAndColumnAndFollowsSetRow) {
    auto image = MakeWait();
    const int before = ThreadsOfThisProcess();
    ASSERT_TRUE(image->StartAnimation(m_host.GetSafeHwnd(), RECT{0, 0, 20, 20}, 4, 3));
    const DWORD first = image->AnimationThreadId();
    EXPECT_NE(first, 0u);
    EXPECT_TRUE(image->StartAnimation(m_host.GetSafeHwnd(), RECT{0, 0, 20, 20}, 4, 3)); // starting twice
    EXPECT_EQ(image->AnimationThreadId(), first);
    EXPECT_EQ(ThreadsOfThisProcess(), before + 1);
    ASSERT_TRUE(WaitForRequests(3));
    for (const Request& r : m_requests) {
        EXPECT_FALSE(r.sent);
        EXPECT_EQ(r.row, 4u);
        EXPECT_EQ(r.column, 3);
    }
    image->SetRow(2);
    ASSERT_TRUE(test::PumpUntil([&] { return m_requests.back().row == 2; }, 10000));
    const size_t switched = m_requests.size();
    ASSERT_TRUE(WaitForRequests(switched + 2));
    for (size_t i = switched - 1; i < m_requests.size(); ++i)
        EXPECT_EQ(m_requests[i].row, 2u);
}

TEST_F(AnimationOwner, PauseStopsTheRequestsAndResumeBringsThemBack) {
    auto image = MakeWait();
    ASSERT_TRUE(image->StartAnimation(m_host.GetSafeHwnd(), RECT{0, 0, 20, 20}, 0, 0));
    ASSERT_TRUE(WaitForRequests(2));
    image->SetPause(true);
    EXPECT_TRUE(image->IsPaused());
    test::PumpPending();
    const size_t atPause = m_requests.size();
    // Four frame delays: at most the one request already on its way.
    EXPECT_FALSE(test::PumpUntil([&] { return m_requests.size() > atPause + 1; }, 200));
    const unsigned frame = image->CurrentFrame();
    image->SetPause(false);
    EXPECT_FALSE(image->IsPaused());
    ASSERT_TRUE(WaitForRequests(m_requests.size() + 2));
    EXPECT_NE(image->CurrentFrame(), frame);
}

TEST_F(AnimationOwner, DestroyingEndsTheThreadWhenPausedAndWhileTheGuiThreadDoesNotPump) {
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
        // A few frames with nobody pumping.
        EXPECT_EQ(::WaitForSingleObject(thread.Get(), 200), static_cast<DWORD>(WAIT_TIMEOUT));
        image.reset();
        EXPECT_EQ(::WaitForSingleObject(thread.Get(), 0), WAIT_OBJECT_0); // really ended, not abandoned
        test::PumpPending(); // requests of a gone image are harmless
    }
}

TEST_F(AnimationOwner, FrameSelectionWaitsWhileTheOwnerDraws) {
    auto image = MakeWait();
    ASSERT_TRUE(image->StartAnimation(m_host.GetSafeHwnd(), RECT{0, 0, 20, 20}, 0, 0));
    ASSERT_TRUE(WaitForRequests(1));
    unsigned held = 0;
    {
        auto lock = image->LockFrame();
        held = image->CurrentFrame();
        // Several frame delays pass; the thread cannot select another frame meanwhile.
        EXPECT_FALSE(test::PumpUntil([&] { return image->CurrentFrame() != held; }, 250));
    }
    EXPECT_TRUE(test::PumpUntil([&] { return image->CurrentFrame() != held; }, 10000));
}

TEST_F(AnimationOwner, FramesDrawAndDiffer) {
    auto image = MakeWait();
    ASSERT_TRUE(image->IsLoaded());
    const int frames = static_cast<int>(image->FrameCount());
    ASSERT_GT(frames, 1);
    CMemoryCanvas sheet;
    ASSERT_TRUE(sheet.CreateDib32(frames * 36, 36));
    RECT all{0, 0, frames * 36, 36};
    ::FillRect(sheet.Dc(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    Gdiplus::Graphics graphics(sheet.Dc());
    for (UINT i = 0; i < static_cast<UINT>(frames); ++i) {
        {
            auto lock = image->LockFrame();
            ASSERT_EQ(image->SelectActiveFrame(&Gdiplus::FrameDimensionTime, i), Gdiplus::Ok);
        }
        EXPECT_TRUE(image->DrawFrame(graphics, Gdiplus::Rect(static_cast<INT>(i) * 36 + 2, 2, 32, 32)));
    }
    graphics.Flush(Gdiplus::FlushIntentionSync);
    // Blue dots on every frame, and the brightest dot moves.
    int differing = 0;
    for (int i = 0; i < frames; ++i) {
        EXPECT_GT(test::CountPixels(sheet, RECT{i * 36, 0, i * 36 + 36, 36},
                                    [](COLORREF c) { return GetBValue(c) > 200 && GetRValue(c) < 150; }),
                  10)
            << i;
        if (i > 0 && sheet.PixelAt(i * 36 + 18, 7) != sheet.PixelAt(18, 7))
            ++differing;
    }
    EXPECT_GT(differing, 0);
    test::SaveCanvasPng(sheet, L"controls_wait_gif_frames");
}

TEST_F(AnimationOwner, MissingResourceDrawsNothingAndNeverAnimates) {
    ImageEx missing(res::kGifResourceType, L"NO_SUCH_GIF");
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_FALSE(missing.IsAnimated());
    EXPECT_FALSE(missing.StartAnimation(m_host.GetSafeHwnd(), RECT{0, 0, 10, 10}, 0, 0));
    EXPECT_EQ(missing.AnimationThreadId(), 0u);
    CMemoryCanvas canvas;
    ASSERT_TRUE(canvas.CreateDib32(10, 10));
    Gdiplus::Graphics graphics(canvas.Dc());
    EXPECT_FALSE(missing.DrawFrame(graphics, Gdiplus::Rect(0, 0, 10, 10)));
    missing.SetPause(true); // harmless
    EXPECT_FALSE(ImageEx(nullptr, nullptr).IsLoaded());
}

TEST_F(AnimationOwner, SingleFrameImageDrawsButStartsNoThread) {
    ImageEx done(res::kPngResourceType, MAKEINTRESOURCEW(IDB_PNG_DONE_ICON));
    ASSERT_TRUE(done.IsLoaded());
    EXPECT_FALSE(done.IsAnimated());
    EXPECT_FALSE(done.StartAnimation(m_host.GetSafeHwnd(), RECT{0, 0, 10, 10}, 0, 0));
    EXPECT_EQ(done.AnimationThreadId(), 0u);
    CMemoryCanvas canvas;
    ASSERT_TRUE(canvas.CreateDib32(20, 20));
    Gdiplus::Graphics graphics(canvas.Dc());
    EXPECT_TRUE(done.DrawFrame(graphics, Gdiplus::Rect(0, 0, 20, 20)));
    graphics.Flush(Gdiplus::FlushIntentionSync);
    EXPECT_GT(GetGValue(canvas.PixelAt(10, 3)), 120); // the green disc
    // Without a frame-delay property a frame lasts 100 ms, never 0 (which would make the thread
    // spin and flood its owner).
    EXPECT_EQ(done.FrameDelayMs(0), 100u);
    EXPECT_EQ(done.FrameDelayMs(57), 100u);
}

} // namespace
} // namespace tsu
