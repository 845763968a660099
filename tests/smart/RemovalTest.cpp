// Deletion of selected items and the standard uninstall of a matched program, on real files and
// real NSIS programs.
#include "smart/IntelligenceEngine.h"
#include "smart/core/AnalysisRules.h"
#include "tests/common/ProcessTestSupport.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/smart/ShortcutFiles.h"
#include "uninstall/engine/EngineMessages.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

using Codes = std::vector<WPARAM>;

// The result codes of the messages of one kind, each after the progress display was closed.
Codes Results(const test::MessageRecorder& page, UINT result = WM_DELETE_RESULT) {
    const std::vector<test::RecordedMessage> messages = page.Messages();
    Codes codes;
    for (size_t i = 0; i < messages.size(); ++i) {
        if (messages[i].message == result)
            codes.push_back(i > 0 && messages[i - 1].message == WM_CLOSE_PROGRESS ? messages[i].wParam : 99);
    }
    return codes;
}

class DeletionTest : public ::testing::Test {
protected:
    DeletionTest() { (void)m_engine.SetOwnerWindow(m_page.Window()); }
    ~DeletionTest() override {
        ::DeleteFileW(m_shortcut.c_str());
        test::RemoveTree(m_folder);
    }
    std::wstring File(const std::wstring& name) {
        EXPECT_TRUE(test::WriteFileBytes(m_folder + name, "data"));
        return m_folder + name;
    }
    // Analyses a desktop shortcut to app.exe: the folder's files become the items that may be deleted.
    void Analyze() {
        ASSERT_TRUE(test::CreateShortcut(m_shortcut, m_target) && m_engine.AnalyzeNow(m_shortcut));
        m_page.Clear();
    }
    void Delete(const std::vector<std::wstring>& paths, size_t results) {
        m_engine.SelectedPaths() = paths;
        ASSERT_TRUE(m_engine.StartDeletion());
        ASSERT_TRUE(m_page.WaitForCount(WM_DELETE_RESULT, results));
    }

    const std::wstring m_folder = test::MakeScratchFolder(L"smartdel");
    const std::wstring m_target = File(L"app.exe");
    const std::wstring m_shortcut = test::CommonDesktop() + L"\\" + test::UniqueName(L"TsuSmartDel") + L".lnk";
    test::MessageRecorder m_page;
    IntelligenceEngine m_engine;
};

// The start-menu folder alone stays while it holds the shortcut; a path never listed (the program's
// folder) and an empty selection delete nothing (2); both together go (1).
TEST_F(DeletionTest, ShortcutAndItsStartMenuFolderBothGo) {
    const std::wstring vendor = IntelligenceEngine::kStartMenuRoot + (L"\\" + test::UniqueName(L"TsuSmartDelVendor"));
    const std::wstring link = vendor + L"\\App.lnk";
    ASSERT_TRUE(test::CreateFolders(vendor) && test::CreateShortcut(link, m_target));
    Analyze();
    Delete({vendor, m_folder.substr(0, m_folder.size() - 1)}, 1);
    EXPECT_TRUE(test::FileExists(link) && test::FileExists(m_target));
    Delete({}, 2);
    Delete({link, vendor}, 3);
    EXPECT_EQ(Results(m_page), (Codes{kDeleteNone, kDeleteNone, kDeleteAll}));
    EXPECT_FALSE(test::FileExists(vendor));
    test::RemoveTree(vendor);
}

// After the analysis a sub-folder becomes a link to a look-alike outside the program's folder and a
// file another file of that name. Each run pairs an unchanged item, which goes, with a changed path,
// which stays: result 3.
TEST_F(DeletionTest, ItemsChangedAfterTheAnalysisStayAndCountAsFailed) {
    const std::wstring sentinel = ParentFolder(m_folder) + L"Sentinel";
    ASSERT_TRUE(test::CreateFolders(sentinel) && test::CreateFolders(m_folder + L"sub") &&
                test::WriteFileBytes(sentinel + L"\\data.bin", "sentinel"));
    const std::wstring swapped = File(L"sub\\data.bin"), replaced = File(L"readme.txt"), one = File(L"one.txt");
    Analyze();
    ASSERT_TRUE(::MoveFileW((m_folder + L"sub").c_str(), (m_folder + L"sub.old").c_str()));
    ASSERT_TRUE(test::CreateDirectoryLink(m_folder + L"sub", L"..\\" + LastPathComponent(sentinel)));
    ASSERT_TRUE(test::WriteFileBytes(m_folder + L"new.txt", "new"));
    ASSERT_TRUE(::MoveFileExW((m_folder + L"new.txt").c_str(), replaced.c_str(), MOVEFILE_REPLACE_EXISTING));
    for (const auto& [item, changed] : {std::pair{m_target, swapped}, {one, replaced}}) {
        m_engine.SelectedPaths() = {item, changed};
        EXPECT_TRUE(m_engine.DeleteSelected());
        EXPECT_FALSE(test::FileExists(item)) << item;
        EXPECT_TRUE(test::FileExists(changed)) << changed;
    }
    EXPECT_EQ(Results(m_page), (Codes{kDeletePartial, kDeletePartial}));
    EXPECT_EQ(test::ReadFileBytes(sentinel + L"\\data.bin") + test::ReadFileBytes(replaced), "sentinelnew");
    EXPECT_TRUE(test::RemoveDirectoryLink(m_folder + L"sub"));
    test::RemoveTree(sentinel);
}

// A read-only file stays; the others go.
TEST_F(DeletionTest, FilesThatCannotBeDeletedStayAndCountAsFailed) {
    const std::wstring first = File(L"one.txt"), readOnly = File(L"readonly.txt");
    ASSERT_TRUE(::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    Analyze();
    Delete({first, readOnly}, 1);
    EXPECT_EQ(Results(m_page), Codes{kDeletePartial});
    EXPECT_TRUE(!test::FileExists(first) && test::FileExists(readOnly));
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Real NSIS programs found through their shortcut and removed by their own uninstaller.
constexpr wchar_t kSampleExe[] = L"C:\\Program Files\\TsuSmartSample\\TsuSmartSample.exe";
constexpr wchar_t kCancelExe[] = L"C:\\Program Files\\TsuSmartCancel\\TsuSmartCancel.exe";
const std::wstring kUninstallKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class StandardUninstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test::InstallNsisFixture(L"fixture_smart_nsis") &&
                    test::InstallNsisFixture(L"fixture_smart_nsis_cancel"));
    }
    static void TearDownTestSuite() {
        for (const wchar_t* appKey : {L"TsuSmartSample", L"TsuSmartCancel"})
            test::RemoveNsisLeftovers(appKey);
    }
    void SetUp() override { ASSERT_TRUE(m_engine.SetOwnerWindow(m_page.Window())); }
    void TearDown() override {
        for (const std::wstring& path : m_cleanup)
            ::DeleteFileW(path.c_str());
    }
    std::wstring Shortcut(const std::wstring& name, const std::wstring& target) {
        m_cleanup.push_back(test::CommonDesktop() + L"\\" + name);
        EXPECT_TRUE(test::CreateShortcut(m_cleanup.back(), target));
        return m_cleanup.back();
    }

    std::vector<std::wstring> m_cleanup;
    test::MessageRecorder m_page;
    IntelligenceEngine m_engine;
};

// The program confirmed at the start is the one removed, though a new drop is analysed while its
// uninstaller runs.
TEST_F(StandardUninstallTest, TheConfirmedProgramIsRemovedWhateverIsAnalysedMeanwhile) {
    const std::wstring sample = Shortcut(L"Smart Sample.lnk", kSampleExe);
    const std::wstring notepad =
        Shortcut(test::UniqueName(L"TsuSmartNote") + L".lnk", test::SystemFolderPath() + L"\\notepad.exe");
    ASSERT_TRUE(m_engine.AnalyzeNow(sample));
    ASSERT_TRUE(m_engine.HasStandardUninstall());
    EXPECT_EQ(m_engine.MatchedRecord().displayName, L"Smart Sample");
    ASSERT_TRUE(m_engine.StartStandardUninstall());
    ASSERT_TRUE(m_engine.AnalyzeNow(notepad));
    EXPECT_FALSE(m_engine.HasStandardUninstall());
    ASSERT_TRUE(m_page.WaitForCount(WM_STANDARD_UNINSTALL_RESULT, 1));
    EXPECT_EQ(Results(m_page, WM_STANDARD_UNINSTALL_RESULT), Codes{kStandardUninstallGone});
    EXPECT_FALSE(test::FileExists(kSampleExe));
    EXPECT_FALSE(test::UninstallKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey + L"TsuSmartSample"));
}

// A cancelled uninstaller leaves its program and reports failure; a stand-in program whose
// uninstaller deletes its own entry is not offered again.
TEST_F(StandardUninstallTest, OnlyAnEntryThatIsGoneCountsAsUninstalled) {
    ASSERT_TRUE(m_engine.AnalyzeNow(Shortcut(L"Smart Cancel Sample.lnk", kCancelExe)));
    ASSERT_TRUE(m_engine.HasStandardUninstall());
    EXPECT_EQ(m_engine.MatchedRecord().displayName, L"Smart Cancel Sample");
    EXPECT_TRUE(m_engine.RunStandardUninstall());
    EXPECT_TRUE(test::FileExists(kCancelExe));
    EXPECT_TRUE(test::UninstallKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey + L"TsuSmartCancel"));
    test::ScratchInventory inventory(L"TsuSmartStandIn");
    const std::wstring keyPath = L"HKEY_CURRENT_USER\\" + inventory.entries.Path() + L"\\StandIn";
    (void)test::WriteScratchEntry(inventory.entries, L"StandIn", L"TsuSmartStandIn Program",
                                  test::SystemFolderPath() + L"\\cmd.exe /C reg delete \"" + keyPath + L"\" /f");
    IntelligenceEngine engine(inventory.Locations());
    ASSERT_TRUE(engine.SetOwnerWindow(m_page.Window()));
    ASSERT_TRUE(engine.AnalyzeNow(Shortcut(L"TsuSmartStandIn.lnk", kCancelExe)));
    ASSERT_TRUE(engine.HasStandardUninstall());
    EXPECT_TRUE(engine.RunStandardUninstall() && !engine.HasStandardUninstall());
    EXPECT_EQ(Results(m_page, WM_STANDARD_UNINSTALL_RESULT), (Codes{2, kStandardUninstallGone}));
}

} // namespace
} // namespace tsu
