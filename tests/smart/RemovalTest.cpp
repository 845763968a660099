// Deletion of selected items and the standard uninstall of a matched program, on real files, a
// file held open by a running program, and real NSIS programs.

#include "smart/IntelligenceEngine.h"
#include "tests/common/TestProcess.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/smart/ShortcutFiles.h"
#include "uninstall/engine/EngineMessages.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

using test::RecordedMessage;

constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::vector<std::pair<UINT, WPARAM>> Kinds(const std::vector<RecordedMessage>& messages) {
    std::vector<std::pair<UINT, WPARAM>> kinds;
    for (const RecordedMessage& message : messages)
        kinds.emplace_back(message.message, message.wParam);
    return kinds;
}
using Kind = std::pair<UINT, WPARAM>;

class DeletionTest : public ::testing::Test {
protected:
    DeletionTest() : m_folder(test::MakeScratchFolder(L"smartdel")) { (void)m_engine.SetOwnerWindow(m_page.Window()); }
    ~DeletionTest() override { test::RemoveTree(m_folder); }

    std::wstring File(const std::wstring& name) {
        const std::wstring path = m_folder + name;
        EXPECT_TRUE(test::WriteFileBytes(path, "data"));
        return path;
    }

    std::wstring m_folder;
    test::MessageRecorder m_page;
    IntelligenceEngine m_engine;
};

TEST_F(DeletionTest, ShortcutAndItsStartMenuFolderBothGo) {
    const std::wstring vendor =
        std::wstring(IntelligenceEngine::kStartMenuRoot) + L"\\" + test::UniqueName(L"TsuSmartDelVendor");
    ASSERT_TRUE(test::CreateFolders(vendor));
    const std::wstring link = vendor + L"\\App.lnk";
    ASSERT_TRUE(test::CreateShortcut(link, L"C:\\Tools\\nowhere\\app.exe"));
    m_engine.SelectedPaths() = {link, vendor};
    ASSERT_TRUE(m_engine.StartDeletion());
    ASSERT_TRUE(m_page.WaitForCount(WM_DELETE_RESULT, 1));
    EXPECT_EQ(Kinds(m_page.Messages()), (std::vector<Kind>{{WM_CLOSE_PROGRESS, 0}, {WM_DELETE_RESULT, 1}}));
    EXPECT_FALSE(test::FileExists(link));
    EXPECT_FALSE(test::FileExists(vendor));
    test::RemoveTree(vendor);
}

TEST_F(DeletionTest, NothingDeletedIsResultTwo) {
    // A folder that is not empty stays, and so does its content; vanished files count nowhere.
    const std::wstring inside = File(L"keep.txt");
    m_engine.SelectedPaths() = {m_folder.substr(0, m_folder.size() - 1), m_folder + L"already-gone.txt"};
    EXPECT_TRUE(m_engine.DeleteSelected());
    EXPECT_EQ(Kinds(m_page.Messages()), (std::vector<Kind>{{WM_CLOSE_PROGRESS, 0}, {WM_DELETE_RESULT, 2}}));
    EXPECT_TRUE(test::FileExists(inside));
}

TEST_F(DeletionTest, AnEmptySelectionStillEndsTheProgressDisplay) {
    m_engine.SelectedPaths().clear();
    ASSERT_TRUE(m_engine.StartDeletion());
    ASSERT_TRUE(m_page.WaitForCount(WM_DELETE_RESULT, 1));
    EXPECT_EQ(Kinds(m_page.Messages()), (std::vector<Kind>{{WM_CLOSE_PROGRESS, 0}, {WM_DELETE_RESULT, 2}}));
}

TEST_F(DeletionTest, AFileHeldOpenByARunningProgramIsResultThree) {
    const std::wstring first = File(L"one.txt");
    const std::wstring held = File(L"held.txt");
    const std::wstring third = File(L"three.txt");
    const test::NamedEvent holding(L"TsuSmartHolding");
    const test::NamedEvent done(L"TsuSmartDone");
    const std::wstring helper = L"\"" + test::HelperPath() + L"\" --hold \"" + held + L"\" --signal " + holding.Name() +
                                L" --wait-event " + done.Name();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::vector<wchar_t> commandLine(helper.begin(), helper.end());
    commandLine.push_back(L'\0');
    ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                 nullptr, &startup, &info));
    ::CloseHandle(info.hThread);
    ASSERT_TRUE(holding.WaitFor());

    m_engine.SelectedPaths() = {first, held, third};
    ASSERT_TRUE(m_engine.StartDeletion());
    ASSERT_TRUE(m_page.WaitForCount(WM_DELETE_RESULT, 1));
    done.Set();
    EXPECT_EQ(::WaitForSingleObject(info.hProcess, test::kMustHappenMs), WAIT_OBJECT_0);
    ::CloseHandle(info.hProcess);

    EXPECT_EQ(Kinds(m_page.Messages()), (std::vector<Kind>{{WM_CLOSE_PROGRESS, 0}, {WM_DELETE_RESULT, 3}}));
    EXPECT_FALSE(test::FileExists(first));
    EXPECT_TRUE(test::FileExists(held));
    EXPECT_FALSE(test::FileExists(third));
}

TEST_F(DeletionTest, AReadOnlyFileStaysAndCountsAsFailed) {
    const std::wstring readOnly = File(L"readonly.txt");
    ASSERT_TRUE(::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::wstring normal = File(L"normal.txt");
    m_engine.SelectedPaths() = {readOnly, normal};
    EXPECT_TRUE(m_engine.DeleteSelected());
    EXPECT_EQ(Kinds(m_page.Messages()), (std::vector<Kind>{{WM_CLOSE_PROGRESS, 0}, {WM_DELETE_RESULT, 3}}));
    EXPECT_TRUE(test::FileExists(readOnly));
    EXPECT_FALSE(test::FileExists(normal));
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Real NSIS programs found through their shortcut and removed by their own uninstaller.
constexpr wchar_t kSampleExe[] = L"C:\\Program Files\\TsuSmartSample\\TsuSmartSample.exe";
constexpr wchar_t kCancelExe[] = L"C:\\Program Files\\TsuSmartCancel\\TsuSmartCancel.exe";

class StandardUninstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test::InstallNsisFixture(L"fixture_smart_nsis"));
        ASSERT_TRUE(test::InstallNsisFixture(L"fixture_smart_nsis_cancel"));
    }
    static void TearDownTestSuite() {
        test::RemoveNsisLeftovers(L"TsuSmartSample");
        test::RemoveNsisLeftovers(L"TsuSmartCancel");
    }
    void SetUp() override { ASSERT_TRUE(m_engine.SetOwnerWindow(m_page.Window())); }
    void TearDown() override {
        for (const std::wstring& path : m_cleanup)
            ::DeleteFileW(path.c_str());
    }

    std::wstring Shortcut(const std::wstring& name, const std::wstring& target) {
        const std::wstring path = test::CommonDesktop() + L"\\" + name;
        EXPECT_TRUE(test::CreateShortcut(path, target));
        m_cleanup.push_back(path);
        return path;
    }

    static size_t Finished(const std::vector<RecordedMessage>& messages) {
        size_t count = 0;
        for (const RecordedMessage& message : messages)
            count += message.message == WM_ANALYSIS_STATE && message.lParam == kAnalysisFinished ? 1 : 0;
        return count;
    }

    void Analyze(const std::wstring& shortcut) {
        const size_t before = Finished(m_page.Messages());
        ASSERT_TRUE(m_engine.StartAnalysis(shortcut));
        ASSERT_TRUE(
            m_page.WaitFor([&](const std::vector<RecordedMessage>& messages) { return Finished(messages) > before; }));
        ASSERT_TRUE(test::WaitUntil([&] { return !m_engine.IsAnalysisRunning(); }));
    }

    // The standard-uninstall messages only: progress closing and results.
    static std::vector<Kind> UninstallKinds(const std::vector<RecordedMessage>& messages) {
        std::vector<Kind> kinds;
        for (const RecordedMessage& message : messages) {
            if (message.message == WM_CLOSE_PROGRESS || message.message == WM_STANDARD_UNINSTALL_RESULT)
                kinds.emplace_back(message.message, message.wParam);
        }
        return kinds;
    }

    std::vector<std::wstring> m_cleanup;
    test::MessageRecorder m_page;
    IntelligenceEngine m_engine;
};

TEST_F(StandardUninstallTest, TheConfirmedProgramIsRemovedWhateverIsAnalysedMeanwhile) {
    const std::wstring sample = Shortcut(L"Smart Sample.lnk", kSampleExe);
    const std::wstring notepad =
        Shortcut(test::UniqueName(L"TsuSmartNote") + L".lnk", test::SystemFolderPath() + L"\\notepad.exe");

    Analyze(sample);
    ASSERT_TRUE(m_engine.HasStandardUninstall());
    EXPECT_EQ(m_engine.MatchedRecord().displayName, L"Smart Sample");
    bool listsReadme = false;
    for (const RelatedItem& item : m_engine.Items())
        listsReadme |= item.path == L"C:\\Program Files\\TsuSmartSample\\readme.txt";
    EXPECT_TRUE(listsReadme);

    // An analysis without a match leaves nothing to run: the earlier match is not uninstalled.
    Analyze(notepad);
    ASSERT_FALSE(m_engine.HasStandardUninstall());
    ASSERT_TRUE(m_engine.StartStandardUninstall());
    ASSERT_TRUE(m_page.WaitFor(
        [](const std::vector<RecordedMessage>& messages) { return UninstallKinds(messages).size() >= 2; }));
    EXPECT_EQ(UninstallKinds(m_page.Messages()),
              (std::vector<Kind>{{WM_CLOSE_PROGRESS, 0}, {WM_STANDARD_UNINSTALL_RESULT, 2}}));
    EXPECT_TRUE(test::FindInstalled(L"Smart Sample").has_value());

    // The program confirmed at the start is the one removed, though a new drop is analysed while
    // its uninstaller runs.
    Analyze(sample);
    ASSERT_TRUE(m_engine.HasStandardUninstall());
    ASSERT_TRUE(m_engine.StartStandardUninstall());
    Analyze(notepad);
    EXPECT_FALSE(m_engine.HasStandardUninstall());
    ASSERT_TRUE(m_page.WaitFor(
        [](const std::vector<RecordedMessage>& messages) { return UninstallKinds(messages).size() >= 4; }));
    EXPECT_EQ(UninstallKinds(m_page.Messages()), (std::vector<Kind>{{WM_CLOSE_PROGRESS, 0},
                                                                    {WM_STANDARD_UNINSTALL_RESULT, 2},
                                                                    {WM_CLOSE_PROGRESS, 0},
                                                                    {WM_STANDARD_UNINSTALL_RESULT, 1}}));
    EXPECT_FALSE(test::FileExists(kSampleExe));
    EXPECT_FALSE(test::FileExists(L"C:\\Program Files\\TsuSmartSample\\readme.txt"));
    EXPECT_FALSE(test::UninstallKeyExists(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + L"TsuSmartSample"));
}

TEST_F(StandardUninstallTest, ACancelledUninstallerLeavesTheProgramAndReportsFailure) {
    Analyze(Shortcut(L"Smart Cancel Sample.lnk", kCancelExe));
    ASSERT_TRUE(m_engine.HasStandardUninstall());
    EXPECT_EQ(m_engine.MatchedRecord().displayName, L"Smart Cancel Sample");
    EXPECT_TRUE(m_engine.RunStandardUninstall());
    EXPECT_EQ(UninstallKinds(m_page.Messages()),
              (std::vector<Kind>{{WM_CLOSE_PROGRESS, 0}, {WM_STANDARD_UNINSTALL_RESULT, 2}}));
    EXPECT_TRUE(test::FileExists(kCancelExe));
    EXPECT_TRUE(test::UninstallKeyExists(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + L"TsuSmartCancel"));
}

} // namespace
} // namespace tsu
