// Deletion of selected items and the standard uninstall of a matched program, on real files, a
// file held open by a running program, and real NSIS programs.

#include "smart/IntelligenceEngine.h"
#include "smart/core/AnalysisRules.h"
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
    DeletionTest() : m_folder(test::MakeScratchFolder(L"smartdel")), m_target(File(L"app.exe")) {
        (void)m_engine.SetOwnerWindow(m_page.Window());
    }
    ~DeletionTest() override {
        ::DeleteFileW(m_shortcut.c_str());
        test::RemoveTree(m_folder);
    }

    std::wstring File(const std::wstring& name) {
        const std::wstring path = m_folder + name;
        EXPECT_TRUE(test::WriteFileBytes(path, "data"));
        return path;
    }

    // Analyses a desktop shortcut to app.exe: the folder's files become the items that may be
    // deleted. The analysis's own messages are dropped.
    void Analyze() {
        m_shortcut = test::CommonDesktop() + L"\\" + test::UniqueName(L"TsuSmartDel") + L".lnk";
        ASSERT_TRUE(test::CreateShortcut(m_shortcut, m_target));
        ASSERT_TRUE(m_engine.AnalyzeNow(m_shortcut));
        m_page.Clear();
    }

    std::wstring m_folder;
    std::wstring m_target;
    std::wstring m_shortcut;
    test::MessageRecorder m_page;
    IntelligenceEngine m_engine;
};

TEST_F(DeletionTest, ShortcutAndItsStartMenuFolderBothGo) {
    const std::wstring vendor =
        std::wstring(IntelligenceEngine::kStartMenuRoot) + L"\\" + test::UniqueName(L"TsuSmartDelVendor");
    ASSERT_TRUE(test::CreateFolders(vendor));
    const std::wstring link = vendor + L"\\App.lnk";
    ASSERT_TRUE(test::CreateShortcut(link, m_target));
    const std::wstring gone = File(L"gone.txt");
    Analyze();
    // The folder alone stays while it holds the shortcut, and an item deleted by hand counts
    // nowhere: nothing deleted.
    ASSERT_TRUE(::DeleteFileW(gone.c_str()));
    m_engine.SelectedPaths() = {vendor, gone};
    EXPECT_TRUE(m_engine.DeleteSelected());
    EXPECT_TRUE(test::FileExists(link));
    m_engine.SelectedPaths() = {link, vendor};
    ASSERT_TRUE(m_engine.StartDeletion());
    ASSERT_TRUE(m_page.WaitForCount(WM_DELETE_RESULT, 2));
    EXPECT_EQ(Kinds(m_page.Messages()),
              (std::vector<Kind>{
                  {WM_CLOSE_PROGRESS, 0}, {WM_DELETE_RESULT, 2}, {WM_CLOSE_PROGRESS, 0}, {WM_DELETE_RESULT, 1}}));
    EXPECT_FALSE(test::FileExists(link));
    EXPECT_FALSE(test::FileExists(vendor));
    test::RemoveTree(vendor);
}

TEST_F(DeletionTest, ItemsChangedAfterTheAnalysisStayAndCountAsFailed) {
    // A look-alike of the program's sub-folder outside the program's folder.
    const std::wstring sentinel = ParentFolder(m_folder) + L"Sentinel";
    ASSERT_TRUE(test::CreateFolders(sentinel) && test::CreateFolders(m_folder + L"sub"));
    ASSERT_TRUE(test::WriteFileBytes(sentinel + L"\\data.bin", "sentinel"));
    const std::wstring swapped = File(L"sub\\data.bin");
    const std::wstring replaced = File(L"readme.txt");
    const std::wstring one = File(L"one.txt");
    const std::wstring two = File(L"two.txt");
    Analyze();
    // Then the sub-folder becomes a link to the look-alike, readme.txt another file of that name,
    // and a file appears that the analysis never saw.
    ASSERT_TRUE(::MoveFileW((m_folder + L"sub").c_str(), (m_folder + L"sub.old").c_str()));
    ASSERT_TRUE(test::CreateDirectoryLink(m_folder + L"sub", L"..\\" + LastPathComponent(sentinel)));
    ASSERT_TRUE(test::WriteFileBytes(m_folder + L"new.txt", "new"));
    ASSERT_TRUE(::MoveFileExW((m_folder + L"new.txt").c_str(), replaced.c_str(), MOVEFILE_REPLACE_EXISTING));
    const std::wstring unlisted = File(L"unlisted.txt");

    // Each run pairs an unchanged item, which goes, with a changed path, which stays: result 3.
    for (const auto& [item, changed] : {std::pair{m_target, swapped}, {one, replaced}, {two, unlisted}}) {
        m_engine.SelectedPaths() = {item, changed};
        EXPECT_TRUE(m_engine.DeleteSelected());
        EXPECT_FALSE(test::FileExists(item)) << item;
        EXPECT_TRUE(test::FileExists(changed)) << changed;
    }
    EXPECT_EQ(Kinds(m_page.Messages()), (std::vector<Kind>{{WM_CLOSE_PROGRESS, 0},
                                                           {WM_DELETE_RESULT, 3},
                                                           {WM_CLOSE_PROGRESS, 0},
                                                           {WM_DELETE_RESULT, 3},
                                                           {WM_CLOSE_PROGRESS, 0},
                                                           {WM_DELETE_RESULT, 3}}));
    EXPECT_EQ(test::ReadFileBytes(sentinel + L"\\data.bin"), "sentinel");
    EXPECT_EQ(test::ReadFileBytes(replaced), "new");
    EXPECT_TRUE(test::RemoveDirectoryLink(m_folder + L"sub"));
    test::RemoveTree(sentinel);
}

TEST_F(DeletionTest, NothingDeletedIsResultTwo) {
    // Paths the analysis never listed stay (a folder and its content); vanished ones count nowhere.
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
    Analyze();
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
    Analyze();
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

TEST_F(StandardUninstallTest, AProgramItsUninstallerRemovedIsNotOfferedAgain) {
    // A stand-in program whose uninstaller deletes its own entry.
    test::ScratchKey products(HKEY_CURRENT_USER, L"Software\\" + test::UniqueName(L"TsuSmartProducts"));
    test::ScratchKey entries(HKEY_CURRENT_USER, L"Software\\" + test::UniqueName(L"TsuSmartStandIn"));
    const std::wstring keyPath = L"HKEY_CURRENT_USER\\" + entries.Path() + L"\\StandIn";
    (void)test::WriteScratchEntry(entries, L"StandIn", L"TsuSmartStandIn Program",
                                  test::SystemFolderPath() + L"\\cmd.exe /C reg delete \"" + keyPath + L"\" /f");
    InventoryLocations locations;
    locations.installerProducts = {kRootCurrentUser, products.Path()};
    locations.uninstallKeys64 = {{kRootCurrentUser, entries.Path()}};
    locations.uninstallKeys32 = locations.uninstallKeys64;
    IntelligenceEngine engine(locations);
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    ASSERT_TRUE(engine.AnalyzeNow(Shortcut(L"TsuSmartStandIn.lnk", kCancelExe)));
    ASSERT_TRUE(engine.HasStandardUninstall());
    EXPECT_TRUE(engine.RunStandardUninstall());
    EXPECT_EQ(UninstallKinds(m_page.Messages()),
              (std::vector<Kind>{{WM_CLOSE_PROGRESS, 0}, {WM_STANDARD_UNINSTALL_RESULT, kStandardUninstallGone}}));
    EXPECT_FALSE(engine.HasStandardUninstall());
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
