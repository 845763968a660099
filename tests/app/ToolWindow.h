#pragma once
// The tool's main window created in the test's own process (modeless), reading its programs from
// scratch registry keys and binding the recording stand-in of the feedback library.

#include "app/CConventionalUninstallDlg.h"
#include "app/CIntelligenceUninstallDlg.h"
#include "app/CProblemSolvingFeedbackDlg.h"
#include "app/CSoftwareUninstallFunctionDlg.h"
#include "app/CSoftwareUninstallMainDlg.h"
#include "app/CTarrowSoftwareUninstallDlg.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/TestSupport.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tsu::test {

// A tool in this process, reading its programs from scratch keys and binding the recording
// stand-in of the feedback library.
class ToolWindow {
public:
    // systemInventory: the system's uninstall keys instead of the scratch ones.
    explicit ToolWindow(const std::wstring& name, bool systemInventory = false)
        : systemInventory(systemInventory), inventory(name),
          feedbackFolder(MakeFeedbackFolder(name, FeedbackKind::FakeFull)), feedbackLog(feedbackFolder + L"calls.txt") {
        ConfigureFakeFeedback(feedbackLog);
    }
    ~ToolWindow() {
        if (window && window->GetSafeHwnd())
            (void)window->DestroyWindow();
    }

    bool Create() {
        AppOptions options;
        options.removeFolderOnClose = false;
        options.feedbackFolder = feedbackFolder.substr(0, feedbackFolder.size() - 1);
        if (!systemInventory)
            options.locations = inventory.Locations();
        window = std::make_unique<CTarrowSoftwareUninstallDlg>(options);
        if (!window->Create(IDD_TARROWSOFTWAREUNINSTALL_DIALOG, nullptr))
            return false;
        PumpPending();
        return window->IsInitialised();
    }
    CSoftwareUninstallMainDlg& Start() { return *window->StartPage(); }
    CSoftwareUninstallFunctionDlg& Function() { return *window->FunctionPage(); }
    CConventionalUninstallDlg& Conventional() { return *window->FunctionPage()->ConventionalPage(); }
    // Presses "开始运行" and waits until the function page shows the list.
    bool LoadPrograms() {
        ClickButton(Start().GetSafeHwnd(), IDC_START_BUTTON);
        // Shown is not over: the reading's worker may still be on its way out, and a close then waits.
        return PumpUntil([this] { return window->ShownPage() == 1 && !window->Engine().IsInventoryWorkRunning(); },
                         20000);
    }
    std::vector<std::wstring> FeedbackCalls() const { return ReadFakeFeedbackLog(feedbackLog); }

    bool systemInventory;
    ScratchInventory inventory;
    std::wstring feedbackFolder;
    std::wstring feedbackLog;
    std::unique_ptr<CTarrowSoftwareUninstallDlg> window;
};

// Answers the tool's closing question with its close button as soon as it shows (from inside
// whatever message loop runs then), and counts the questions so answered (once at most).
class QuestionCloser {
public:
    explicit QuestionCloser(DWORD timeoutMs = 10000, std::wstring screenshot = std::wstring())
        : m_screenshot(std::move(screenshot)),
          m_answer([] { return FindShownDialog<CProblemSolvingFeedbackDlg>() != nullptr; }, [this] { Close(); },
                   timeoutMs) {}
    [[nodiscard]] int Count() const { return m_count; }

private:
    void Close() {
        CProblemSolvingFeedbackDlg* dialog = FindShownDialog<CProblemSolvingFeedbackDlg>();
        ++m_count;
        if (!m_screenshot.empty())
            SaveWindowAreaPng(dialog->GetSafeHwnd(), m_screenshot);
        ClickButton(dialog->Child().GetSafeHwnd(), IDC_FEEDBACK_CLOSE);
    }

    std::wstring m_screenshot;
    int m_count = 0;
    WhenReady m_answer; // last: it may call Close as soon as it exists
};

} // namespace tsu::test
