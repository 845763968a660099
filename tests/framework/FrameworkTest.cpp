#include "framework/CDialog.h"
#include "framework/CGuiThreadDispatcher.h"
#include "framework/MessageLoop.h"
#include "framework/MessageWindowThread.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

namespace tsu {
namespace {

constexpr wchar_t kRecorderClass[] = L"TsuRecorderWindow";
constexpr UINT kAnswer42 = WM_USER + 1, kThrow = WM_USER + 2, kCounted = WM_USER + 5, kProbe = WM_APP + 7;

struct RecorderWindow : CWnd {
    std::vector<UINT> seen;
    bool deleteSelf = false, *deleted = nullptr;
    ~RecorderWindow() override {
        if (deleted)
            *deleted = true;
    }
    bool Saw(UINT msg) const { return std::find(seen.begin(), seen.end(), msg) != seen.end(); }
    void PostNcDestroy() override {
        if (deleteSelf)
            delete this;
    }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        seen.push_back(msg);
        if (msg == kThrow)
            throw std::runtime_error("handler failure");
        return msg == kAnswer42 ? 42 : CWnd::WindowProc(msg, wp, lp);
    }
};

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_host.Create(200, 100));
        ASSERT_TRUE(CWnd::RegisterWindowClass(kRecorderClass));
    }
    test::TestHostWindow m_host;
};

std::wstring g_lastError;

// A later subclass of another party must survive our letting go (a raw SetWindowLongPtr restore cuts it out).
LRESULT CALLBACK CountingSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    *reinterpret_cast<int*>(ref) += msg == kCounted ? 1 : 0;
    return ::DefSubclassProc(hwnd, msg, wp, lp);
}

TEST_F(FrameworkTest, WindowsBindTheirObjectsSurviveFailedHandlersAndSubclassesWork) {
    RecorderWindow wnd;
    ASSERT_TRUE(wnd.CreateEx(0, kRecorderClass, L"rec", WS_POPUP, RECT{0, 0, 200, 100}, nullptr, 0));
    EXPECT_TRUE(wnd.Saw(WM_NCCREATE) && wnd.Saw(WM_CREATE));
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd.GetSafeHwnd()), &wnd);
    SetWindowErrorReporter([](const wchar_t* what) { g_lastError = what; });
    EXPECT_EQ(wnd.SendMessage(kThrow), 0);
    EXPECT_FALSE(g_lastError.empty());
    EXPECT_EQ(wnd.SendMessage(kAnswer42), 42); // still working after the failed handler
    SetWindowErrorReporter(nullptr);
    const HWND hwnd = wnd.GetSafeHwnd();
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(wnd.GetSafeHwnd(), nullptr);
    EXPECT_TRUE(wnd.Saw(WM_NCDESTROY));
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
    bool deleted = false;
    auto* self = new RecorderWindow;
    self->deleteSelf = true, self->deleted = &deleted;
    ASSERT_TRUE(self->CreateEx(0, kRecorderClass, L"self", WS_POPUP, RECT{0, 0, 100, 50}, nullptr, 0));
    ::DestroyWindow(self->GetSafeHwnd());
    EXPECT_TRUE(deleted);
    RecorderWindow edit;
    ASSERT_TRUE(edit.CreateEx(0, L"EDIT", L"abc", WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 20}, m_host.GetSafeHwnd(), 7));
    EXPECT_EQ(edit.GetDlgCtrlID(), 7u);
    EXPECT_EQ(edit.GetWindowText(), L"abc"); // the default procedure still works
    EXPECT_TRUE(edit.SetWindowText(L"abcd"));
    EXPECT_TRUE(edit.Saw(WM_SETTEXT));
    auto child = [&](const wchar_t* c) {
        return ::CreateWindowExW(0, c, L"", WS_CHILD, 0, 0, 50, 20, m_host.GetSafeHwnd(), nullptr, nullptr, nullptr);
    };
    HWND button = child(L"BUTTON");
    RecorderWindow first, second;
    EXPECT_TRUE(first.SubclassWindow(button));
    EXPECT_FALSE(second.SubclassWindow(button));
    EXPECT_EQ(CWnd::FromHandlePermanent(button), &first);
    HWND other = child(L"EDIT");
    int count = 0;
    {
        RecorderWindow ours;
        ASSERT_TRUE(ours.SubclassWindow(other));
        ASSERT_TRUE(::SetWindowSubclass(other, &CountingSubclass, 1, reinterpret_cast<DWORD_PTR>(&count)));
        ::SendMessageW(other, kCounted, 0, 0);
        EXPECT_TRUE(ours.Saw(kCounted));
    } // the object goes; the window stays
    EXPECT_TRUE(::IsWindow(other));
    EXPECT_EQ(CWnd::FromHandlePermanent(other), nullptr);
    ::SendMessageW(other, kCounted, 0, 0);
    EXPECT_EQ(count, 2);
    ::RemoveWindowSubclass(other, &CountingSubclass, 1);
}

// A captionless popup that never takes the focus: under Wine without a window manager an activated or captioned
// dialog costs two seconds more.
struct ProbeDialog : CDialog {
    explicit ProbeDialog(std::function<void(HWND)> init = nullptr, HWND parent = nullptr)
        : CDialog(IDD_PROMPT_CHILD, parent), onInit(std::move(init)) {}
    std::function<void(HWND)> onInit;
    bool initialised = false;
    BOOL OnInitDialog() override {
        initialised = ::GetDlgItem(m_hWnd, IDC_PROMPT_FIRST) != nullptr;
        if (onInit)
            onInit(m_hWnd);
        return FALSE;
    }
};

void PostKey(HWND target, WPARAM key) {
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

TEST_F(FrameworkTest, ModalRunEndsByEnterOrQuitAndEscapeEndsAModelessDialog) {
    const HWND owner = m_host.GetSafeHwnd();
    ProbeDialog owned([](HWND d) { PostKey(d, VK_RETURN); }, owner);
    EXPECT_EQ(owned.DoModal(), IDOK);
    EXPECT_TRUE(owned.initialised);
    EXPECT_EQ(owned.GetSafeHwnd(), nullptr); // destroyed at the end of the run
    EXPECT_EQ(ProbeDialog([](HWND) { ::PostQuitMessage(5); }).DoModal(), IDCANCEL);
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)); // posted again
    EXPECT_EQ(msg.wParam, 5u);
    CDialog missing(9999);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_EQ(missing.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(missing.Create(owner));
    ProbeDialog modeless; // no owner: under Wine it would become a "managed" window, slow to destroy
    ASSERT_TRUE(modeless.Create(nullptr));
    EXPECT_TRUE(modeless.initialised);
    EXPECT_FALSE(modeless.IsModal());
    HWND hwnd = modeless.GetSafeHwnd();
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    test::SaveWindowPng(hwnd, L"framework_prompt_child_template");
    msg = MSG{hwnd, WM_KEYDOWN, VK_ESCAPE, 1, 0, {}}; // through the dialog manager: IDCANCEL, OnCancel, EndDialog
    EXPECT_TRUE(CWnd::WalkPreTranslateTree(&msg));
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(modeless.GetSafeHwnd(), nullptr);
}

TEST_F(FrameworkTest, WorkFromAWorkerRunsOnTheGuiThreadInOrderQueuedWorkGoesWithTheDispatcherAndWorkersMaySend) {
    CGuiThreadDispatcher dispatcher;
    ASSERT_TRUE(dispatcher.IsValid());
    EXPECT_TRUE(dispatcher.IsGuiThread());
    std::atomic<DWORD> ranOn{0};
    std::thread([&] {
        EXPECT_FALSE(dispatcher.IsGuiThread());
        EXPECT_TRUE(dispatcher.Post([&] { ranOn = ::GetCurrentThreadId(); }));
    }).join();
    EXPECT_EQ(ranOn.load(), 0u); // nothing runs until the GUI thread pumps
    ASSERT_TRUE(test::PumpUntil([&] { return ranOn.load() != 0; }));
    EXPECT_EQ(ranOn.load(), ::GetCurrentThreadId());
    ASSERT_TRUE(dispatcher.Post([] { throw std::runtime_error("work failed"); })); // does not escape
    std::vector<int> order;
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(dispatcher.Post([&order, i] { order.push_back(i); }));
    ASSERT_TRUE(test::PumpUntil([&] { return order.size() == 5; }));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    bool ran = false;
    auto token = std::make_shared<int>(1);
    std::weak_ptr<int> watch = token;
    {
        CGuiThreadDispatcher dropped;
        ASSERT_TRUE(dropped.Post([token, &ran] { ran = true; }));
        token.reset();
        EXPECT_FALSE(watch.expired()); // held by the queued work
    }
    test::PumpPending();
    EXPECT_FALSE(ran);
    EXPECT_TRUE(watch.expired()); // the work was freed, not leaked
    m_host.OnMessage = [](UINT msg, WPARAM, LPARAM, LRESULT* result) { return *result = 9, msg == kProbe; };
    UniqueHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<LRESULT> answer{0};
    std::thread worker([&, target = m_host.GetSafeHwnd()] {
        answer = ::SendMessageW(target, kProbe, 0, 0); // a plain wait on the GUI thread would deadlock
        ::SetEvent(done.Get());
    });
    EXPECT_TRUE(WaitPumping(done.Get(), 5000));
    worker.join();
    EXPECT_EQ(answer.load(), 9);
}

// Answers kProbe with wParam + 1 and notes the thread; the log comes as the creation parameter.
LRESULT CALLBACK LogThread(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* thread = reinterpret_cast<DWORD*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!thread || message != kProbe)
        return ::DefWindowProcW(window, message, wParam, lParam);
    *thread = ::GetCurrentThreadId();
    return static_cast<LRESULT>(wParam) + 1;
}

// The constructor returns while the new thread still runs on: nothing the thread touches after announcing its
// window may belong to the constructor's frame (hence many rounds).
TEST(MessageWindowThread, MessagesAreHandledOnItsOwnThreadUntilItIsDestroyed) {
    HWND window = nullptr;
    for (int round = 0; round < 200; ++round) {
        DWORD thread = 0;
        const MessageWindowThread made(L"TsuThreadingTestWindow", &LogThread, &thread);
        window = made.Window();
        ASSERT_NE(window, nullptr) << round;
        ASSERT_EQ(::SendMessageW(window, kProbe, round, 0), round + 1);
        ASSERT_EQ(thread, ::GetWindowThreadProcessId(window, nullptr));
        ASSERT_NE(thread, ::GetCurrentThreadId());
    }
    EXPECT_FALSE(::IsWindow(window)); // the destructor ended the thread, and the window with it
    EXPECT_EQ(::SendMessageW(window, kProbe, 1, 0), 0);
}

} // namespace
} // namespace tsu
