// The animated GIF image under Wine: the wait animation's frames, one thread however often it is
// started, posted (never sent) redraw requests with the current row, pause and resume, prompt
// teardown (paused, or while the GUI thread does not pump), and the lock shared by frame selection
// and drawing.

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
    bool WaitForRequests(size_t count, DWORD timeoutMs = 3000) {
        return test::PumpUntil([&] { return m_requests.size() >= count; }, timeoutMs);
    }

    test::TestHostWindow m_host;
    std::vector<Request> m_requests;
};

TEST_F(AnimationOwner, WaitGifHasTwelveFramesOfFiftyMilliseconds) {
    auto image = MakeWait();
    ASSERT_TRUE(image->IsLoaded());
    EXPECT_TRUE(image->IsAnimated());
    EXPECT_EQ(image->FrameCount(), 12u);
    EXPECT_EQ(image->GetWidth(), 32u);
    EXPECT_EQ(image->GetHeight(), 32u);
    for (unsigned i = 0; i < 12; ++i)
        EXPECT_EQ(image->FrameDelayMs(i), 50u) << i;
}

TEST_F(AnimationOwner, StartingTwiceStartsOneThread) {
    auto image = MakeWait();
    const int before = ThreadsOfThisProcess();
    ASSERT_TRUE(image->StartAnimation(m_host.GetSafeHwnd(), RECT{0, 0, 20, 20}, 3, 2));
    const DWORD first = image->AnimationThreadId();
    EXPECT_NE(first, 0u);
    EXPECT_TRUE(image->StartAnimation(m_host.GetSafeHwnd(), RECT{0, 0, 20, 20}, 3, 2));
    EXPECT_EQ(image->AnimationThreadId(), first);
    EXPECT_EQ(ThreadsOfThisProcess(), before + 1);
}

TEST_F(AnimationOwner, RedrawRequestsArePostedWithRowAndColumn) {
    auto image = MakeWait();
    ASSERT_TRUE(image->StartAnimation(m_host.GetSafeHwnd(), RECT{0, 0, 20, 20}, 4, 3));
    ASSERT_TRUE(WaitForRequests(3));
    for (const Request& r : m_requests) {
        EXPECT_FALSE(r.sent);
        EXPECT_EQ(r.row, 4u);
        EXPECT_EQ(r.column, 3);
    }
}

TEST_F(AnimationOwner, SetRowChangesTheFollowingRequests) {
    auto image = MakeWait();
    ASSERT_TRUE(image->StartAnimation(m_host.GetSafeHwnd(), RECT{0, 0, 20, 20}, 5, 1));
    ASSERT_TRUE(WaitForRequests(1));
    image->SetRow(2);
    ASSERT_TRUE(test::PumpUntil([&] { return m_requests.back().row == 2; }, 3000));
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
    ASSERT_TRUE(WaitForRequests(m_requests.size() + 2, 2000));
    EXPECT_NE(image->CurrentFrame(), frame);
}

TEST_F(AnimationOwner, DestroyingAPausedImageEndsItsThreadPromptly) {
    auto image = MakeWait();
    ASSERT_TRUE(image->StartAnimation(m_host.GetSafeHwnd(), RECT{0, 0, 20, 20}, 0, 0));
    ASSERT_TRUE(WaitForRequests(1));
    image->SetPause(true);
    UniqueHandle thread(::OpenThread(SYNCHRONIZE, FALSE, image->AnimationThreadId()));
    ASSERT_TRUE(thread);
    const ULONGLONG start = ::GetTickCount64();
    image.reset();
    EXPECT_LT(::GetTickCount64() - start, 300u);
    EXPECT_EQ(::WaitForSingleObject(thread.Get(), 0), WAIT_OBJECT_0); // really ended, not abandoned
}

TEST_F(AnimationOwner, DestroyingWhileTheGuiThreadDoesNotPumpDoesNotDeadlock) {
    // A sent redraw request would block the thread on this (non-pumping) GUI thread while the
    // destructor waits for the thread: a deadlock. Posted requests just queue up.
    auto image = MakeWait();
    ASSERT_TRUE(image->StartAnimation(m_host.GetSafeHwnd(), RECT{0, 0, 20, 20}, 0, 0));
    ASSERT_TRUE(WaitForRequests(1));
    UniqueHandle thread(::OpenThread(SYNCHRONIZE, FALSE, image->AnimationThreadId()));
    ASSERT_TRUE(thread);
    // Let the thread run a few frames with nobody pumping.
    EXPECT_EQ(::WaitForSingleObject(thread.Get(), 200), static_cast<DWORD>(WAIT_TIMEOUT));
    const ULONGLONG start = ::GetTickCount64();
    image.reset();
    EXPECT_LT(::GetTickCount64() - start, 300u);
    EXPECT_EQ(::WaitForSingleObject(thread.Get(), 0), WAIT_OBJECT_0);
    test::PumpPending(); // requests of a gone image are harmless
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
    EXPECT_TRUE(test::PumpUntil([&] { return image->CurrentFrame() != held; }, 2000));
}

TEST_F(AnimationOwner, FramesDrawAndDiffer) {
    auto image = MakeWait();
    ASSERT_TRUE(image->IsLoaded());
    CMemoryCanvas sheet;
    ASSERT_TRUE(sheet.CreateDib32(12 * 36, 36));
    RECT all{0, 0, 12 * 36, 36};
    ::FillRect(sheet.Dc(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    Gdiplus::Graphics graphics(sheet.Dc());
    for (UINT i = 0; i < 12; ++i) {
        {
            auto lock = image->LockFrame();
            ASSERT_EQ(image->SelectActiveFrame(&Gdiplus::FrameDimensionTime, i), Gdiplus::Ok);
        }
        EXPECT_TRUE(image->DrawFrame(graphics, Gdiplus::Rect(static_cast<INT>(i) * 36 + 2, 2, 32, 32)));
    }
    graphics.Flush(Gdiplus::FlushIntentionSync);
    // Blue dots on every frame, and the brightest dot moves.
    int differing = 0;
    for (int i = 0; i < 12; ++i) {
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
    ImageEx nothing(nullptr, nullptr);
    EXPECT_FALSE(nothing.IsLoaded());
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
