#include "app/CPromptDlg.h"

#include "app/AppMessages.h"
#include "app/core/DialogRules.h"
#include "res/ResourceIds.h"

#include <algorithm>
#include <mutex>

namespace tsu {

namespace {

std::mutex g_openLock; // guards g_open
std::vector<CPromptDlg*> g_open;

} // namespace

CPromptDlg::CPromptDlg(HWND owner)
    : CLayeredHostDlg(IDD_PROMPT, owner, IDB_PNG_PROMPT_HOST, kPromptDesignWidth, kPromptDesignHeight,
                      kPromptChildInset) {}

CPromptDlg::~CPromptDlg() {
    const std::lock_guard<std::mutex> lock(g_openLock);
    g_open.erase(std::remove(g_open.begin(), g_open.end(), this), g_open.end());
}

std::vector<CPromptDlg*> CPromptDlg::OpenPrompts() {
    const std::lock_guard<std::mutex> lock(g_openLock);
    return g_open;
}

void CPromptDlg::CancelOpenPrompts() {
    for (CPromptDlg* prompt : OpenPrompts()) {
        // Posted: each prompt ends in its own modal loop, the innermost first as the loops unwind.
        if (HWND hwnd = prompt->GetSafeHwnd())
            ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
    }
}

INT_PTR CPromptDlg::Show(HWND owner, float scale, int style, const std::wstring& text) {
    CPromptDlg prompt(owner);
    prompt.SetScale(scale);
    prompt.SetText(text);
    prompt.SetStyle(style);
    return prompt.DoModal();
}

BOOL CPromptDlg::OnInitToolDialog() {
    {
        const std::lock_guard<std::mutex> lock(g_openLock);
        g_open.push_back(this);
    }
    if (!InitLayeredHostCentred())
        return FALSE;
    m_child.SetScale(m_scale);
    m_child.SetText(m_text);
    m_child.SetStyle(m_style);
    m_child.SetHost(this);
    if (!m_child.Create(IDD_PROMPT_CHILD, m_hWnd))
        return FALSE;
    PlaceChild();
    m_child.ShowWindow(SW_SHOW);
    return FALSE;
}

LRESULT CPromptDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PROMPT_RESULT:
        EndDialog(IsFirstButtonResult(wp) ? IDOK : IDCANCEL);
        return 0;
    case WM_DESTROY: {
        const std::lock_guard<std::mutex> lock(g_openLock);
        g_open.erase(std::remove(g_open.begin(), g_open.end(), this), g_open.end());
        break;
    }
    default:
        break;
    }
    return CLayeredHostDlg::WindowProc(msg, wp, lp);
}

} // namespace tsu
