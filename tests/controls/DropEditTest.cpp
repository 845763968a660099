#include "controls/CDropEdit.h"
#include "framework/Messages.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

namespace tsu {
namespace {

// A drop as the shell hands it over: DROPFILES followed by the double-NUL-terminated wide paths.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
    size_t chars = 1;
    for (const std::wstring& p : paths)
        chars += p.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    if (!memory)
        return nullptr;
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    auto* list = reinterpret_cast<wchar_t*>(header + 1);
    for (const std::wstring& p : paths) {
        std::copy(p.begin(), p.end(), list);
        list += p.size() + 1;
    }
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

class DropEditTest : public ::testing::Test {
protected:
    struct Report {
        std::wstring path;
        bool hasPath;
        LPARAM lp;
    };

    void SetUp() override {
        ASSERT_TRUE(m_host.Create(420, 40));
        m_host.OnMessage = [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
            if (msg != WM_DROPEDIT_FILE)
                return false;
            const auto* path = reinterpret_cast<const wchar_t*>(wp);
            m_reports.push_back(Report{path ? path : L"", path != nullptr, lp});
            *result = 0;
            return true;
        };
        // As a dialog template makes it: a plain edit control, then subclassed.
        HWND edit = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10,
                                      400, 22, m_host.GetSafeHwnd(), reinterpret_cast<HMENU>(1027), nullptr, nullptr);
        ASSERT_NE(edit, nullptr);
        ASSERT_TRUE(m_edit.SubclassWindow(edit));
    }
    void Drop(const std::vector<std::wstring>& paths) {
        HDROP drop = MakeDrop(paths);
        ASSERT_NE(drop, nullptr);
        m_edit.SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    }

    test::TestHostWindow m_host;
    CDropEdit m_edit;
    std::vector<Report> m_reports;
};

TEST_F(DropEditTest, OneFileOrFolderArrivesWithItsFullPathOtherwiseNotOneFile) {
    EXPECT_TRUE((m_edit.GetExStyle() & WS_EX_ACCEPTFILES) != 0);
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    std::wstring longPath = L"\\\\?\\C:\\";
    while (longPath.size() < 400) // longer than MAX_PATH
        longPath += L"很长的文件夹名称\\";
    longPath += L"程序.lnk";
    const std::wstring single[] = {L"C:\\Users\\Public\\Desktop\\示例程序.lnk", windows, longPath};
    for (const std::wstring& path : single)
        Drop({path});
    Drop({L"C:\\a.lnk", L"C:\\b.lnk"});
    Drop({});
    ASSERT_EQ(m_reports.size(), 5u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(m_reports[i].hasPath);
        EXPECT_EQ(m_reports[i].path, single[i]);
        EXPECT_EQ(m_reports[i].lp, 0);
    }
    for (size_t i = 3; i < 5; ++i) {
        EXPECT_FALSE(m_reports[i].hasPath);
        EXPECT_EQ(m_reports[i].lp, kDropEditNotOneFile);
    }
}

TEST_F(DropEditTest, TypingPastingTheContextMenuAndQueuedKeysChangeNothing) {
    ASSERT_TRUE(m_edit.SetWindowText(L"C:\\target.exe")); // the owner may set the text
    m_edit.SendMessage(EM_SETSEL, 0, -1);
    for (const auto& [msg, wp] : {std::pair<UINT, WPARAM>{WM_KEYDOWN, VK_DELETE}, {WM_CHAR, L'x'}, {WM_KEYDOWN, VK_BACK},
                                  {WM_CHAR, VK_BACK}, {WM_CUT, 0}, {WM_CLEAR, 0}, {WM_PASTE, 0}})
        m_edit.SendMessage(msg, wp, 0);
    EXPECT_EQ(m_edit.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5)), 0);
    EXPECT_EQ(m_edit.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_edit.GetSafeHwnd()), 0), 0);
    // Through a real message loop the box's keys and right clicks are swallowed; other messages pass.
    const HWND edit = m_edit.GetSafeHwnd();
    struct Case {
        HWND hwnd;
        UINT message;
        bool swallowed;
    };
    for (const Case& c : {Case{edit, WM_KEYDOWN, true}, Case{edit, WM_CHAR, true}, Case{edit, WM_RBUTTONDOWN, true},
                          Case{edit, WM_LBUTTONDOWN, false}, Case{m_host.GetSafeHwnd(), WM_KEYDOWN, false}}) {
        MSG msg{};
        msg.hwnd = c.hwnd, msg.message = c.message, msg.wParam = 'A';
        EXPECT_EQ(m_edit.PreTranslateMessage(&msg) != FALSE, c.swallowed) << c.message;
    }
    ::PostMessageW(edit, WM_KEYDOWN, 'Q', 0x00100001);
    ::PostMessageW(edit, WM_CHAR, 'q', 0x00100001);
    test::PumpPending();
    EXPECT_EQ(m_edit.GetWindowText(), L"C:\\target.exe");
    test::SaveWindowPng(m_host.GetSafeHwnd(), L"controls_drop_edit");
}

TEST_F(DropEditTest, DropWithoutAParentWindowIsStillReleased) {
    CDropEdit orphan;
    HWND popup = ::CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(orphan.SubclassWindow(popup));
    HDROP drop = MakeDrop({L"C:\\a.lnk"});
    orphan.SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    EXPECT_TRUE(m_reports.empty());
    orphan.DestroyWindow();
}

} // namespace
} // namespace tsu
