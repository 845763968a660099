#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CGuiThreadDispatcher.h"
#include "framework/CMemoryCanvas.h"
#include "framework/CWnd.h"
#include "framework/MessageLoop.h"
#include "framework/MessageWindowThread.h"
#include "framework/ScopedHandles.h"
#include "res/ResourceIds.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace tsu {
namespace {

constexpr wchar_t kRecorderClass[] = L"TsuRecorderWindow";
constexpr UINT kAnswer42 = WM_USER + 1;
constexpr UINT kThrow = WM_USER + 2;
constexpr UINT kCounted = WM_USER + 5;
constexpr UINT kProbe = WM_APP + 7;
constexpr UINT kMissingTemplate = 9999;

// Records the messages it sees; optional behaviour per message.
class RecorderWindow : public CWnd {
public:
    std::vector<UINT> seen;
    bool throwOnCommand = false;
    bool Saw(UINT msg) const { return std::find(seen.begin(), seen.end(), msg) != seen.end(); }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        seen.push_back(msg);
        if (msg == kAnswer42)
            return 42;
        if (msg == kThrow && throwOnCommand)
            throw std::runtime_error("handler failure");
        return CWnd::WindowProc(msg, wp, lp);
    }
};

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_host.Create(200, 100));
        ASSERT_TRUE(CWnd::RegisterWindowClass(kRecorderClass));
    }
    HWND Child(const wchar_t* className) {
        return ::CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, m_host.GetSafeHwnd(), nullptr,
                                 nullptr, nullptr);
    }
    test::TestHostWindow m_host;
};

std::wstring g_lastError;

TEST_F(FrameworkTest, OwnClassIsBoundFromNcCreateOnAndExceptionsStopAtTheTrampoline) {
    ASSERT_TRUE(CWnd::RegisterWindowClass(kRecorderClass)); // twice is not an error
    RecorderWindow wnd;
    ASSERT_TRUE(wnd.CreateEx(0, kRecorderClass, L"rec", WS_POPUP, RECT{0, 0, 200, 100}, nullptr, 0));
    EXPECT_TRUE(wnd.Saw(WM_NCCREATE));
    EXPECT_TRUE(wnd.Saw(WM_CREATE));
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd.GetSafeHwnd()), &wnd);
    EXPECT_EQ(wnd.SendMessage(kAnswer42), 42);
    SetWindowErrorReporter([](const wchar_t* what) { g_lastError = what; });
    g_lastError.clear();
    wnd.throwOnCommand = true;
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
}

TEST_F(FrameworkTest, SystemControlIsSubclassedOnceAfterCreation) {
    RecorderWindow edit;
    ASSERT_TRUE(edit.CreateEx(0, L"EDIT", L"abc", WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 20}, m_host.GetSafeHwnd(), 7));
    EXPECT_EQ(edit.GetDlgCtrlID(), 7u);
    EXPECT_EQ(edit.GetWindowText(), L"abc"); // the default procedure still works
    const std::wstring text(5000, L'x');     // a long text survives the round trip intact
    EXPECT_TRUE(edit.SetWindowText(text));
    EXPECT_EQ(edit.GetWindowText(), text);
    EXPECT_TRUE(edit.Saw(WM_SETTEXT));
    HWND button = Child(L"BUTTON");
    RecorderWindow first, second;
    EXPECT_TRUE(first.SubclassWindow(button));
    EXPECT_FALSE(second.SubclassWindow(button));
    EXPECT_FALSE(second.SubclassWindow(nullptr));
    EXPECT_EQ(CWnd::FromHandlePermanent(button), &first);
}

// Another party subclasses the window after us; when we let go, its hook must keep working (a
// raw SetWindowLongPtr restore would cut it out of the chain).
LRESULT CALLBACK CountingSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    if (msg == kCounted)
        ++*reinterpret_cast<int*>(ref);
    return ::DefSubclassProc(hwnd, msg, wp, lp);
}

TEST_F(FrameworkTest, UnsubclassKeepsLaterSubclassesInTheChain) {
    HWND edit = Child(L"EDIT");
    int count = 0;
    {
        RecorderWindow wnd;
        ASSERT_TRUE(wnd.SubclassWindow(edit));
        ASSERT_TRUE(::SetWindowSubclass(edit, &CountingSubclass, 1, reinterpret_cast<DWORD_PTR>(&count)));
        ::SendMessageW(edit, kCounted, 0, 0);
        EXPECT_TRUE(wnd.Saw(kCounted));
    } // the object goes; the window stays
    EXPECT_TRUE(::IsWindow(edit));
    EXPECT_EQ(CWnd::FromHandlePermanent(edit), nullptr);
    ::SendMessageW(edit, kCounted, 0, 0);
    EXPECT_EQ(count, 2);
    ::RemoveWindowSubclass(edit, &CountingSubclass, 1);
}

class SelfDeletingWindow : public CWnd {
public:
    explicit SelfDeletingWindow(bool* deleted) : m_deleted(deleted) {}
    ~SelfDeletingWindow() override { *m_deleted = true; }

protected:
    void PostNcDestroy() override { delete this; }

private:
    bool* m_deleted;
};

TEST_F(FrameworkTest, ObjectMayDeleteItselfAfterNcDestroyOrDestroyTheWindowItCreated) {
    bool deleted = false;
    auto* wnd = new SelfDeletingWindow(&deleted);
    ASSERT_TRUE(wnd->CreateEx(0, kRecorderClass, L"self", WS_POPUP, RECT{0, 0, 100, 50}, nullptr, 0));
    ::DestroyWindow(wnd->GetSafeHwnd());
    EXPECT_TRUE(deleted);
    HWND hwnd = nullptr;
    {
        RecorderWindow scoped;
        ASSERT_TRUE(scoped.CreateEx(0, kRecorderClass, L"rec", WS_POPUP, RECT{0, 0, 100, 50}, nullptr, 0));
        hwnd = scoped.GetSafeHwnd();
    }
    EXPECT_FALSE(::IsWindow(hwnd));
}

class DrawingButton : public CButton {
public:
    int drawCount = 0;
    RECT lastRect{};

protected:
    void DrawItem(const DRAWITEMSTRUCT& item) override {
        ++drawCount;
        lastRect = item.rcItem;
        UniqueHbrush red(::CreateSolidBrush(RGB(255, 0, 0)));
        ::FillRect(item.hDC, &item.rcItem, red.Get());
    }
};

TEST_F(FrameworkTest, OwnerDrawButtonDrawsItselfFromTheParentsDrawItem) {
    DrawingButton button;
    ASSERT_TRUE(button.Create(L"", WS_VISIBLE | BS_OWNERDRAW, RECT{10, 10, 70, 40}, m_host.GetSafeHwnd(), 100));
    ASSERT_TRUE(test::PumpUntil([&] { return button.drawCount > 0; }));
    EXPECT_EQ(button.lastRect.right - button.lastRect.left, 60);
    CMemoryCanvas shot;
    ASSERT_TRUE(test::CaptureWindow(button.GetSafeHwnd(), shot));
    EXPECT_TRUE(test::ColorNear(shot.PixelAt(30, 15), RGB(255, 0, 0)));
    test::SaveWindowPng(m_host.GetSafeHwnd(), L"framework_owner_draw_button");
}

TEST(MemoryCanvas, EmptyAndHugeSizesFailCleanly) {
    CMemoryCanvas bad;
    EXPECT_FALSE(bad.CreateCompatible(nullptr, 0, 10));
    EXPECT_FALSE(bad.CreateDib32(10, -1));
    EXPECT_FALSE(bad.CreateDib32(100000, 100000)); // 40 GB: refused, not crashed
    EXPECT_FALSE(bad.IsValid());
    EXPECT_FALSE(bad.CopyTo(nullptr));
    EXPECT_EQ(bad.PixelAt(0, 0), CLR_INVALID);
}

// Modal runs use the prompt's child template, a captionless popup, and never take the focus:
// under Wine without a window manager an activated or captioned dialog costs two seconds more.
constexpr UINT kEndWithCode = WM_APP + 1;
constexpr UINT kCheckOwner = WM_APP + 2;

class ProbeDialog : public CDialog {
public:
    explicit ProbeDialog(HWND parent = nullptr) : CDialog(IDD_PROMPT_CHILD, parent) {}

    bool initialised = false;
    bool swallowEnterAndEscape = false;
    bool ownerWasEnabledDuringRun = true;
    std::function<void(HWND)> onInit;

protected:
    BOOL OnInitDialog() override {
        initialised = ::GetDlgItem(m_hWnd, IDC_PROMPT_FIRST) != nullptr;
        if (onInit)
            onInit(m_hWnd);
        return FALSE;
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        return swallowEnterAndEscape && IsEnterOrEscapeKeyDown(*msg) ? TRUE : CDialog::PreTranslateMessage(msg);
    }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == kEndWithCode)
            EndDialog(static_cast<INT_PTR>(wp));
        else if (msg == kCheckOwner)
            ownerWasEnabledDuringRun = ::IsWindowEnabled(m_parent) != FALSE;
        else
            return CDialog::WindowProc(msg, wp, lp);
        return 0;
    }
};

void PostKey(HWND target, WPARAM key) {
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

TEST_F(FrameworkTest, ModalRunEndsByEscapeEnterOrQuitWhileTheOwnerIsDisabled) {
    ProbeDialog owned(m_host.GetSafeHwnd());
    owned.onInit = [](HWND d) {
        ::PostMessageW(d, kCheckOwner, 0, 0);
        PostKey(d, VK_ESCAPE);
    };
    EXPECT_EQ(owned.DoModal(), IDCANCEL);
    EXPECT_TRUE(owned.initialised);
    EXPECT_EQ(owned.GetSafeHwnd(), nullptr); // destroyed at the end of the run
    EXPECT_FALSE(owned.ownerWasEnabledDuringRun);
    EXPECT_TRUE(::IsWindowEnabled(m_host.GetSafeHwnd()));
    ProbeDialog enter;
    enter.onInit = [](HWND d) { PostKey(d, VK_RETURN); };
    EXPECT_EQ(enter.DoModal(), IDOK);
    ProbeDialog swallowing; // PreTranslateMessage comes before the dialog manager
    swallowing.swallowEnterAndEscape = true;
    swallowing.onInit = [](HWND d) {
        PostKey(d, VK_ESCAPE);
        PostKey(d, VK_RETURN);
        ::PostMessageW(d, kEndWithCode, 77, 0); // reached only when neither key ended the dialog
    };
    EXPECT_EQ(swallowing.DoModal(), 77);
    ProbeDialog quit;
    quit.onInit = [](HWND) { ::PostQuitMessage(5); };
    EXPECT_EQ(quit.DoModal(), IDCANCEL);
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)); // posted again
    EXPECT_EQ(msg.wParam, 5u);
    CDialog missing(kMissingTemplate);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_EQ(missing.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(missing.Create(m_host.GetSafeHwnd()));
}

TEST(ModelessDialog, CreatesFromTemplateAndEndDialogDestroysIt) {
    // Without owner: under Wine an owner of a visible popup becomes a "managed" window, whose
    // destruction costs two seconds without a window manager.
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    EXPECT_TRUE(dlg.initialised);
    EXPECT_FALSE(dlg.IsModal());
    HWND hwnd = dlg.GetSafeHwnd();
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    test::SaveWindowPng(hwnd, L"framework_prompt_child_template");
    // Escape through the dialog manager: WM_COMMAND IDCANCEL, OnCancel, EndDialog.
    MSG msg{hwnd, WM_KEYDOWN, VK_ESCAPE, 1, 0, {}};
    EXPECT_TRUE(CWnd::WalkPreTranslateTree(&msg));
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
}

TEST(GuiThreadDispatcher, WorkFromAWorkerRunsOnTheGuiThreadInOrder) {
    CGuiThreadDispatcher dispatcher;
    ASSERT_TRUE(dispatcher.IsValid());
    EXPECT_TRUE(dispatcher.IsGuiThread());
    std::atomic<DWORD> ranOn{0};
    std::thread worker([&] {
        EXPECT_FALSE(dispatcher.IsGuiThread());
        EXPECT_TRUE(dispatcher.Post([&] { ranOn = ::GetCurrentThreadId(); }));
    });
    worker.join();
    EXPECT_EQ(ranOn.load(), 0u); // nothing runs until the GUI thread pumps
    ASSERT_TRUE(test::PumpUntil([&] { return ranOn.load() != 0; }));
    EXPECT_EQ(ranOn.load(), ::GetCurrentThreadId());
    std::vector<int> order;
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(dispatcher.Post([&order, i] { order.push_back(i); }));
    ASSERT_TRUE(dispatcher.Post([] { throw std::runtime_error("work failed"); })); // does not escape
    ASSERT_TRUE(test::PumpUntil([&] { return order.size() == 5; }));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_FALSE(dispatcher.Post(std::function<void()>()));
    bool after = false;
    ASSERT_TRUE(dispatcher.Post([&] { after = true; }));
    EXPECT_TRUE(test::PumpUntil([&] { return after; }));
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

TEST_F(FrameworkTest, WorkerMaySendToTheGuiThreadWhileItWaitsPumping) {
    m_host.OnMessage = [](UINT msg, WPARAM, LPARAM, LRESULT* result) {
        *result = 9;
        return msg == kProbe;
    };
    UniqueHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(done);
    std::atomic<LRESULT> answer{0};
    std::thread worker([&, target = m_host.GetSafeHwnd(), doneEvent = done.Get()] {
        answer = ::SendMessageW(target, kProbe, 0, 0); // a plain wait on the GUI thread would deadlock
        ::SetEvent(doneEvent);
    });
    EXPECT_TRUE(WaitPumping(done.Get(), 5000));
    worker.join();
    EXPECT_EQ(answer.load(), 9);
    UniqueHandle never(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_FALSE(WaitPumping(never.Get(), 50));
    EXPECT_FALSE(WaitPumping(nullptr, 10));
}

// What a message-only window of MessageWindowThread saw.
struct WindowLog {
    DWORD thread = 0;
    int messages = 0;

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE)
            ::SetWindowLongPtrW(window, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* log = reinterpret_cast<WindowLog*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!log || message != kProbe)
            return ::DefWindowProcW(window, message, wParam, lParam);
        log->thread = ::GetCurrentThreadId();
        ++log->messages;
        return static_cast<LRESULT>(wParam) + 1;
    }
};

TEST(MessageWindowThread, MessagesAreHandledOnItsOwnThreadUntilItIsDestroyed) {
    WindowLog log;
    HWND window = nullptr;
    {
        const MessageWindowThread host(L"TsuThreadingTestWindow", &WindowLog::Procedure, &log);
        window = host.Window();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(::SendMessageW(window, kProbe, 41, 0), 42);
        EXPECT_NE(log.thread, ::GetCurrentThreadId());
        EXPECT_EQ(log.thread, ::GetWindowThreadProcessId(window, nullptr));
    }
    EXPECT_FALSE(::IsWindow(window)); // the destructor ended the thread, and the window with it
    EXPECT_EQ(::SendMessageW(window, kProbe, 1, 0), 0);
    EXPECT_EQ(log.messages, 1);
    // The constructor returns while the new thread still runs on: nothing the thread touches after
    // announcing its window may belong to the constructor's frame.
    for (int round = 0; round < 200; ++round) {
        WindowLog each;
        const MessageWindowThread made(L"TsuThreadingTestWindow", &WindowLog::Procedure, &each);
        ASSERT_NE(made.Window(), nullptr) << round;
        ASSERT_EQ(::SendMessageW(made.Window(), kProbe, round, 0), round + 1);
    }
}

} // namespace
} // namespace tsu
