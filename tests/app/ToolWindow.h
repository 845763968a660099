#pragma once
// The tool's main window in the test's process, reading scratch registry keys, with the recording library.

#include "app/CConventionalUninstallDlg.h"
#include "app/CIntelligenceUninstallDlg.h"
#include "app/CProblemSolvingFeedbackDlg.h"
#include "app/CSoftwareUninstallFunctionDlg.h"
#include "app/CSoftwareUninstallMainDlg.h"
#include "app/CTarrowSoftwareUninstallDlg.h"
#include "res/ResourceIds.h"
#include "tests/app/AppTestSupport.h"
#include "tests/common/ProcessTestSupport.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace tsu::test {

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
    HWND Main() const { return window->GetSafeHwnd(); }
    CSoftwareUninstallMainDlg& Start() { return *window->StartPage(); }
    CSoftwareUninstallFunctionDlg& Function() { return *window->FunctionPage(); }
    CConventionalUninstallDlg& Conventional() { return *Function().ConventionalPage(); }
    CIntelligenceUninstallDlg& Intelligent() { return *Function().IntelligencePage(); }
    bool LoadPrograms() { // "开始运行", until the list shows
        ClickButton(Start().GetSafeHwnd(), IDC_START_BUTTON);
        // Shown is not over: the reading's worker may still be on its way out, and a close then waits.
        return PumpUntil([this] { return window->ShownPage() == 1 && !window->Engine().IsInventoryWorkRunning(); },
                         20000);
    }
    bool Refresh() { // away to the intelligent page and back: the list is read anew
        Function().SelectTab(1);
        Function().SelectTab(0);
        const bool done = PumpUntil([this] { return !window->Engine().IsInventoryWorkRunning(); }, kMustHappenMs);
        PumpPending();
        return done;
    }
    bool Closed() {
        return PumpUntil([this] { return window->GetSafeHwnd() == nullptr; }, kMustHappenMs);
    }
    std::vector<std::wstring> FeedbackCalls() const { return ReadFakeFeedbackLog(feedbackLog); }

    bool systemInventory;
    ScratchInventory inventory;
    std::wstring feedbackFolder, feedbackLog;
    std::unique_ptr<CTarrowSoftwareUninstallDlg> window;
};

// Answers the tool's closing question with its close button as soon as it shows, and counts.
class QuestionCloser {
public:
    explicit QuestionCloser(std::wstring screenshot = std::wstring()) : m_screenshot(std::move(screenshot)) {}
    [[nodiscard]] int Count() const { return m_count; }

private:
    std::wstring m_screenshot;
    int m_count = 0;
    WhenReady m_answer{[] { return FindShownDialog<CProblemSolvingFeedbackDlg>() != nullptr; },
                       [this] {
                           CProblemSolvingFeedbackDlg* dialog = FindShownDialog<CProblemSolvingFeedbackDlg>();
                           if (++m_count, !m_screenshot.empty())
                               SaveWindowAreaPng(dialog->GetSafeHwnd(), m_screenshot);
                           ClickButton(dialog->Child().GetSafeHwnd(), IDC_FEEDBACK_CLOSE);
                       },
                       kMustHappenMs}; // last: it may run as soon as it exists
};

// A tool window named after the test (created by the test) and an answerer for its prompts.
class ToolTest : public ::testing::Test {
protected:
    explicit ToolTest(bool systemInventory = false) : tool(TestName(), systemInventory) {}
    static std::wstring TestName() {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        return std::wstring(name.begin(), name.end());
    }
    static std::wstring Quick() { return Quoted(HelperPath()) + L" --exit 0"; } // an uninstaller that exits at once

    ToolWindow tool;
    PromptAnswerer answerer;
};

} // namespace tsu::test
