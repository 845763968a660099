// The start page's start-up checks, the new-version check and the detection of installed software.

#include "app/CSoftwareUninstallMainDlg.h"

#include "app/AppMessages.h"
#include "app/CExecutePromptDlg.h"
#include "app/CPromptDlg.h"
#include "app/FeedbackBinding.h"
#include "app/core/DialogRules.h"
#include "app/core/ToolIdentity.h"
#include "feedback/core/FeedbackSettings.h"
#include "log/CLogSave.h"
#include "uninstall/engine/EngineMessages.h"
#include "uninstall/engine/UninstallEngine.h"

#include <cstdlib>

namespace tsu {

namespace {

constexpr wchar_t kInitialisationFailed[] = L"工具初始化失败";
constexpr wchar_t kLoadFailedText[] = L"获取当前系统已安装的软件失败！";

} // namespace

void CSoftwareUninstallMainDlg::FailStartup(const wchar_t* logLine, const wchar_t* promptText) {
    // Logged before the user sees anything; the process ends once the prompt is closed, without
    // the closing question and without removing anything.
    WriteToolLog(logLine);
    (void)CPromptDlg::Show(nullptr, m_scale, kPromptStyleConfirm, promptText);
    std::exit(0);
    std::exit(0); // a test's handler must not return into a half-made window
}

bool CSoftwareUninstallMainDlg::RunInitialisationSequence() {
    if (!m_engine)
        FailStartup(L"指针为空3", kInitialisationFailed);
    if (!m_engine->SetOwnerWindow(m_hWnd))
        FailStartup(L"设置窗口指针失败1", kInitialisationFailed);
    if (!UninstallEngine::IsSystemSupported())
        FailStartup(L"获取当前系统是否支持失败2", L"此工具不支持当前系统");
    if (!m_hook.SetTargetWindow(m_hWnd))
        FailStartup(L"设置窗口指针失败4", kInitialisationFailed);
    if (!m_hook.Install())
        FailStartup(L"工具初始化失败5", kInitialisationFailed);
    if (!m_feedback)
        FailStartup(L"工具初始化失败8", kInitialisationFailed);
    if (!m_feedback->Load())
        FailStartup(L"工具初始化失败7", kInitialisationFailed);
    if (m_feedback->InitFreedbackDll() == 0)
        FailStartup(L"工具初始化失败6", kInitialisationFailed);
    return true;
}

void CSoftwareUninstallMainDlg::CheckForNewVersion() {
    KillTimer(kVersionCheckTimer);
    m_versionChecked = true;
    if (!m_feedback)
        return;
    // Only 3 means anything; every other answer of the library lets the tool go on.
    if (m_feedback->GetToolIsNewVersion(kToolId, kToolVersion) != feedback::kVersionNewerExists)
        return;
    (void)CPromptDlg::Show(m_hWnd, m_scale, kPromptStyleConfirm, L"检测到当前工具有新的版本更新，请下载最新版本使用。");
    m_feedback->OpenToolDownUrl();
    std::exit(0);
}

void CSoftwareUninstallMainDlg::OnStartClicked() {
    if (!m_engine) {
        WriteToolLog(L"工具内部错9");
        (void)CPromptDlg::Show(nullptr, m_scale, kPromptStyleConfirm, L"工具内部错，请与软件提供商联系！");
        return;
    }
    // The wait dialog exists before the worker starts, so a worker that finishes at once still
    // finds it to close.
    m_wait = std::make_unique<CExecutePromptDlg>(m_hWnd);
    m_wait->SetText(L"正在检测软件，请稍等");
    m_wait->SetScale(m_scale);
    if (!m_engine->SetOwnerWindow(m_hWnd) || !m_engine->StartLoading()) {
        m_wait.reset();
        (void)CPromptDlg::Show(nullptr, m_scale, kPromptStyleConfirm, kLoadFailedText);
        return;
    }
    (void)m_wait->DoModal();
}

void CSoftwareUninstallMainDlg::OnSoftwareLoaded(WPARAM result) {
    if (result == kSoftwareLoaded) {
        ::SendMessageW(m_mainWindow, WM_SHOW_PAGE, kShowFunctionPage, 0);
    } else if (result == kSoftwareEmpty) {
        WriteToolLog(L"获取当前系统已安装的软件失败10");
        (void)CPromptDlg::Show(nullptr, m_scale, kPromptStyleConfirm, kLoadFailedText);
    }
}

} // namespace tsu
