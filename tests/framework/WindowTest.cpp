#include "framework/CButton.h"
#include "framework/CWnd.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace tsu {
namespace {

constexpr wchar_t kRecorderClass[] = L"TsuRecorderWindow";

// Records the messages it sees; optional behaviour per message.
class RecorderWindow : public CWnd {
public:
    std::vector<UINT> seen;
    bool throwOnCommand = false;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        seen.push_back(msg);
        if (msg == WM_USER + 1)
            return 42;
        if (msg == WM_USER + 2 && throwOnCommand)
            throw std::runtime_error("handler failure");
        return CWnd::WindowProc(msg, wp, lp);
    }
};

bool Saw(const std::vector<UINT>& seen, UINT msg) {
    for (UINT m : seen)
        if (m == msg)
            return true;
    return false;
}

std::wstring g_lastError;
void RecordError(const wchar_t* what) {
    g_lastError = what;
}

TEST(WindowBinding, OwnClassIsBoundFromNcCreateOn) {
    ASSERT_TRUE(CWnd::RegisterWindowClass(kRecorderClass));
    ASSERT_TRUE(CWnd::RegisterWindowClass(kRecorderClass)); // twice is not an error
    RecorderWindow wnd;
    ASSERT_TRUE(wnd.CreateEx(0, kRecorderClass, L"rec", WS_POPUP, RECT{0, 0, 200, 100}, nullptr, 0));
    EXPECT_TRUE(Saw(wnd.seen, WM_NCCREATE));
    EXPECT_TRUE(Saw(wnd.seen, WM_CREATE));
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd.GetSafeHwnd()), &wnd);
    EXPECT_EQ(wnd.SendMessage(WM_USER + 1), 42);

    HWND hwnd = wnd.GetSafeHwnd();
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(wnd.GetSafeHwnd(), nullptr);
    EXPECT_TRUE(Saw(wnd.seen, WM_NCDESTROY));
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

TEST(WindowBinding, SystemControlIsSubclassedAfterCreation) {
    test::TestHostWindow host;
    ASSERT_TRUE(host.Create(200, 100));
    RecorderWindow edit;
    ASSERT_TRUE(edit.CreateEx(0, L"EDIT", L"abc", WS_CHILD | WS_VISIBLE, RECT{0, 0, 100, 20}, host.GetSafeHwnd(), 7));
    EXPECT_EQ(edit.GetDlgCtrlID(), 7u);
    // The edit control still works through the default procedure.
    EXPECT_EQ(edit.GetWindowText(), L"abc");
    ASSERT_TRUE(edit.SetWindowText(L"changed"));
    EXPECT_EQ(edit.GetWindowText(), L"changed");
    EXPECT_TRUE(Saw(edit.seen, WM_SETTEXT));
    const std::wstring text(5000, L'x'); // a long text survives the round trip intact
    EXPECT_TRUE(edit.SetWindowText(text));
    EXPECT_EQ(edit.GetWindowText(), text);
}

TEST(WindowBinding, SubclassingTwiceOrNothingFails) {
    test::TestHostWindow host;
    ASSERT_TRUE(host.Create(200, 100));
    HWND button = ::CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, host.GetSafeHwnd(),
                                    nullptr, nullptr, nullptr);
    ASSERT_NE(button, nullptr);
    RecorderWindow first;
    RecorderWindow second;
    EXPECT_TRUE(first.SubclassWindow(button));
    EXPECT_FALSE(second.SubclassWindow(button));
    EXPECT_FALSE(second.SubclassWindow(nullptr));
    EXPECT_EQ(CWnd::FromHandlePermanent(button), &first);
}

// Another party subclasses the window after us; when we let go, its hook must keep working (a
// raw SetWindowLongPtr restore would cut it out of the chain).
LRESULT CALLBACK CountingSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    if (msg == WM_USER + 5)
        ++*reinterpret_cast<int*>(ref);
    return ::DefSubclassProc(hwnd, msg, wp, lp);
}

TEST(WindowBinding, UnsubclassKeepsLaterSubclassesInTheChain) {
    test::TestHostWindow host;
    ASSERT_TRUE(host.Create(200, 100));
    HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, host.GetSafeHwnd(), nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    int count = 0;
    {
        RecorderWindow wnd;
        ASSERT_TRUE(wnd.SubclassWindow(edit));
        ASSERT_TRUE(::SetWindowSubclass(edit, &CountingSubclass, 1, reinterpret_cast<DWORD_PTR>(&count)));
        ::SendMessageW(edit, WM_USER + 5, 0, 0);
        EXPECT_TRUE(Saw(wnd.seen, WM_USER + 5));
    } // the object goes; the window stays
    EXPECT_TRUE(::IsWindow(edit));
    EXPECT_EQ(CWnd::FromHandlePermanent(edit), nullptr);
    ::SendMessageW(edit, WM_USER + 5, 0, 0);
    EXPECT_EQ(count, 2);
    ::RemoveWindowSubclass(edit, &CountingSubclass, 1);
}

TEST(WindowBinding, ExceptionStopsAtTheTrampoline) {
    ASSERT_TRUE(CWnd::RegisterWindowClass(kRecorderClass));
    SetWindowErrorReporter(&RecordError);
    g_lastError.clear();
    RecorderWindow wnd;
    ASSERT_TRUE(wnd.CreateEx(0, kRecorderClass, L"rec", WS_POPUP, RECT{0, 0, 200, 100}, nullptr, 0));
    wnd.throwOnCommand = true;
    EXPECT_EQ(wnd.SendMessage(WM_USER + 2), 0);
    EXPECT_FALSE(g_lastError.empty());
    // The window keeps working after the failed handler.
    EXPECT_EQ(wnd.SendMessage(WM_USER + 1), 42);
    SetWindowErrorReporter(nullptr);
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

TEST(WindowBinding, ObjectMayDeleteItselfAfterNcDestroyOrDestroyTheWindowItCreated) {
    ASSERT_TRUE(CWnd::RegisterWindowClass(kRecorderClass));
    bool deleted = false;
    auto* wnd = new SelfDeletingWindow(&deleted);
    ASSERT_TRUE(wnd->CreateEx(0, kRecorderClass, L"self", WS_POPUP, RECT{0, 0, 100, 50}, nullptr, 0));
    HWND hwnd = wnd->GetSafeHwnd();
    ::DestroyWindow(hwnd);
    EXPECT_TRUE(deleted);
    {
        RecorderWindow wnd;
        ASSERT_TRUE(wnd.CreateEx(0, kRecorderClass, L"rec", WS_POPUP, RECT{0, 0, 100, 50}, nullptr, 0));
        hwnd = wnd.GetSafeHwnd();
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

TEST(Reflection, OwnerDrawButtonDrawsItselfFromTheParentsDrawItem) {
    test::TestHostWindow host;
    ASSERT_TRUE(host.Create(200, 100));
    DrawingButton button;
    ASSERT_TRUE(button.Create(L"", WS_VISIBLE | BS_OWNERDRAW, RECT{10, 10, 70, 40}, host.GetSafeHwnd(), 100));
    ASSERT_TRUE(test::PumpUntil([&] { return button.drawCount > 0; }));
    EXPECT_EQ(button.lastRect.right - button.lastRect.left, 60);

    CMemoryCanvas shot;
    ASSERT_TRUE(test::CaptureWindow(button.GetSafeHwnd(), shot));
    EXPECT_TRUE(test::ColorNear(shot.PixelAt(30, 15), RGB(255, 0, 0)));
    test::SaveWindowPng(host.GetSafeHwnd(), L"framework_owner_draw_button");
}

} // namespace
} // namespace tsu
