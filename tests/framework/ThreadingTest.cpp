#include "framework/CGuiThreadDispatcher.h"
#include "framework/MessageLoop.h"
#include "framework/MessageWindowThread.h"
#include "framework/ScopedHandles.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace tsu {
namespace {

TEST(GuiThreadDispatcher, WorkFromAWorkerRunsOnTheGuiThread) {
    CGuiThreadDispatcher dispatcher;
    ASSERT_TRUE(dispatcher.IsValid());
    EXPECT_TRUE(dispatcher.IsGuiThread());
    const DWORD gui = ::GetCurrentThreadId();
    std::atomic<DWORD> ranOn{0};
    std::atomic<bool> posted{false};
    std::thread worker([&] {
        EXPECT_FALSE(dispatcher.IsGuiThread());
        posted = dispatcher.Post([&] { ranOn = ::GetCurrentThreadId(); });
    });
    worker.join();
    EXPECT_TRUE(posted);
    EXPECT_EQ(ranOn.load(), 0u); // nothing runs until the GUI thread pumps
    ASSERT_TRUE(test::PumpUntil([&] { return ranOn.load() != 0; }));
    EXPECT_EQ(ranOn.load(), gui);
    std::vector<int> order;
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(dispatcher.Post([&order, i] { order.push_back(i); }));
    ASSERT_TRUE(test::PumpUntil([&] { return order.size() == 5; }));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4})); // in posting order
}

TEST(GuiThreadDispatcher, QueuedWorkIsDroppedWithTheDispatcher) {
    auto token = std::make_shared<int>(1);
    std::weak_ptr<int> watch = token;
    bool ran = false;
    {
        CGuiThreadDispatcher dispatcher;
        ASSERT_TRUE(dispatcher.Post([token, &ran] { ran = true; }));
        token.reset();
        EXPECT_FALSE(watch.expired()); // held by the queued work
    }
    test::PumpPending();
    EXPECT_FALSE(ran);
    EXPECT_TRUE(watch.expired()); // the work was freed, not leaked
}

TEST(GuiThreadDispatcher, EmptyWorkIsRefusedAndThrowingWorkDoesNotEscape) {
    CGuiThreadDispatcher dispatcher;
    EXPECT_FALSE(dispatcher.Post(std::function<void()>()));
    bool after = false;
    ASSERT_TRUE(dispatcher.Post([] { throw std::runtime_error("work failed"); }));
    ASSERT_TRUE(dispatcher.Post([&] { after = true; }));
    EXPECT_TRUE(test::PumpUntil([&] { return after; }));
}

TEST(WaitPumping, WorkerMaySendToTheWaitingGuiThreadAndUnsetEventsTimeOut) {
    test::TestHostWindow host;
    ASSERT_TRUE(host.Create(100, 100));
    std::atomic<int> handled{0};
    host.OnMessage = [&](UINT msg, WPARAM, LPARAM, LRESULT* result) {
        if (msg != WM_APP + 7)
            return false;
        ++handled;
        *result = 9;
        return true;
    };
    UniqueHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(done);
    std::atomic<LRESULT> answer{0};
    HWND target = host.GetSafeHwnd();
    HANDLE doneEvent = done.Get();
    std::thread worker([&] {
        // A plain WaitForSingleObject on the GUI thread would deadlock here.
        answer = ::SendMessageW(target, WM_APP + 7, 0, 0);
        ::SetEvent(doneEvent);
    });
    EXPECT_TRUE(WaitPumping(done.Get(), 5000));
    worker.join();
    EXPECT_EQ(handled.load(), 1);
    EXPECT_EQ(answer.load(), 9);
    UniqueHandle never(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_FALSE(WaitPumping(never.Get(), 50));
    EXPECT_GE(::GetTickCount64() - start, 40u);
    EXPECT_FALSE(WaitPumping(nullptr, 10));
}

// What a message-only window of MessageWindowThread saw.
struct WindowLog {
    DWORD thread = 0;
    int messages = 0;

    static constexpr UINT kProbe = WM_APP + 7;
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* log = reinterpret_cast<WindowLog*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (log && message == kProbe) {
            log->thread = ::GetCurrentThreadId();
            ++log->messages;
            return static_cast<LRESULT>(wParam) + 1;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
};

TEST(MessageWindowThread, MessagesAreHandledOnItsOwnThreadUntilItIsDestroyed) {
    WindowLog log;
    HWND window = nullptr;
    {
        const MessageWindowThread host(L"TsuThreadingTestWindow", &WindowLog::Procedure, &log);
        window = host.Window();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(::SendMessageW(window, WindowLog::kProbe, 41, 0), 42);
        EXPECT_NE(log.thread, ::GetCurrentThreadId());
        EXPECT_EQ(log.thread, ::GetWindowThreadProcessId(window, nullptr));
    }
    // The destructor ended the thread, and the window with it.
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(::SendMessageW(window, WindowLog::kProbe, 1, 0), 0);
    EXPECT_EQ(log.messages, 1);
}

TEST(MessageWindowThread, ManyMadeAndEndedInARowEachWork) {
    // The constructor returns while the new thread still runs on: nothing the thread touches after
    // announcing its window may belong to the constructor's frame.
    for (int round = 0; round < 200; ++round) {
        WindowLog log;
        const MessageWindowThread host(L"TsuThreadingTestWindow", &WindowLog::Procedure, &log);
        ASSERT_NE(host.Window(), nullptr) << round;
        ASSERT_EQ(::SendMessageW(host.Window(), WindowLog::kProbe, round, 0), round + 1);
    }
}

} // namespace
} // namespace tsu
