// The registry match over scratch uninstall entries: which entry an analysed shortcut takes.

#include "smart/IntelligenceEngine.h"
#include "tests/common/TestProcess.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/smart/ShortcutFiles.h"
#include "uninstall/engine/EngineMessages.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tsu {
namespace {

class MatchTest : public ::testing::Test {
protected:
    MatchTest()
        : m_root(HKEY_CURRENT_USER, L"Software\\" + test::UniqueName(L"TsuSmartMatch")),
          m_products(HKEY_CURRENT_USER, m_root.Path() + L"\\Products"),
          m_uninstall(HKEY_CURRENT_USER, m_root.Path() + L"\\Uninstall"),
          m_app(L"C:\\Tools\\" + test::UniqueName(L"TsuSmartMatchApp")),
          m_other(L"C:\\Tools\\" + test::UniqueName(L"TsuSmartMatchOther")) {
        EXPECT_TRUE(test::CreateFolders(m_app));
        EXPECT_TRUE(test::CreateFolders(m_other));
        EXPECT_TRUE(test::WriteFileBytes(m_app + L"\\app.exe", "x"));
        EXPECT_TRUE(test::WriteFileBytes(m_other + L"\\other.exe", "x"));
        // Sorted first, and its location would contain every path on drive C.
        (void)test::WriteScratchEntry(m_uninstall, L"Root", L"AAA Root Entry", L"\"D:\\root\\uninst.exe\"");
        EXPECT_TRUE(m_uninstall.SetString(L"Root", L"InstallLocation", L"C:\\"));
        EXPECT_TRUE(m_uninstall.SetString(L"Root", L"DisplayIcon", L"\"C:\\\",0"));
        // Named like a sibling folder that merely starts like the program's.
        (void)test::WriteScratchEntry(m_uninstall, L"Sibling", L"BBB Sibling", L"\"D:\\sibling\\uninst.exe\"");
        EXPECT_TRUE(m_uninstall.SetString(L"Sibling", L"InstallLocation", m_app + L"Suite"));
        // The program's own entry, found by its location only.
        (void)test::WriteScratchEntry(m_uninstall, L"Own", L"Zed Program", L"\"D:\\zed\\uninst.exe\"");
        EXPECT_TRUE(m_uninstall.SetString(L"Own", L"InstallLocation", m_app + L"\\"));
    }
    ~MatchTest() override {
        for (const std::wstring& path : m_cleanup)
            ::DeleteFileW(path.c_str());
        test::RemoveTree(m_app);
        test::RemoveTree(m_other);
    }

    InventoryLocations Locations() const {
        InventoryLocations locations;
        locations.installerProducts = {kRootCurrentUser, m_products.Path()};
        locations.uninstallKeys64 = {{kRootCurrentUser, m_uninstall.Path()}};
        locations.uninstallKeys32 = locations.uninstallKeys64;
        return locations;
    }

    std::wstring Shortcut(const std::wstring& name, const std::wstring& target) {
        const std::wstring path = test::CommonDesktop() + L"\\" + name;
        EXPECT_TRUE(test::CreateShortcut(path, target));
        m_cleanup.push_back(path);
        return path;
    }

    void Analyze(IntelligenceEngine& engine, const std::wstring& shortcut) {
        ASSERT_TRUE(engine.StartAnalysis(shortcut));
        ASSERT_TRUE(test::WaitUntil([&] { return !engine.IsAnalysisRunning(); }));
    }

    test::ScratchKey m_root;
    test::ScratchKey m_products;
    test::ScratchKey m_uninstall;
    std::wstring m_app;
    std::wstring m_other;
    std::vector<std::wstring> m_cleanup;
};

TEST_F(MatchTest, TheProgramsOwnLocationMatchesNotADriveRootOrASiblingFolder) {
    IntelligenceEngine engine(Locations());
    Analyze(engine, Shortcut(test::UniqueName(L"TsuSmartMatch") + L".lnk", m_app + L"\\app.exe"));
    ASSERT_TRUE(engine.HasStandardUninstall());
    EXPECT_EQ(engine.MatchedRecord().displayName, L"Zed Program");
    EXPECT_TRUE(engine.MatchRegistryEntry()); // callable on its own as well
}

TEST_F(MatchTest, AShortcutWithoutADotInItsNameMatchesNoDisplayName) {
    IntelligenceEngine engine(Locations());
    Analyze(engine, Shortcut(test::UniqueName(L"TsuSmartNoDot"), m_other + L"\\other.exe"));
    EXPECT_EQ(engine.ProgramName(), L"");
    EXPECT_FALSE(engine.HasStandardUninstall()) << engine.MatchedRecord().displayName;
}

TEST_F(MatchTest, TheDisplayNameMatchesBeforeAnyLocation) {
    (void)test::WriteScratchEntry(m_uninstall, L"Named", L"AAB TsuSmartNamed Suite", L"\"D:\\n\\uninst.exe\"");
    IntelligenceEngine engine(Locations());
    Analyze(engine, Shortcut(L"TsuSmartNamed.lnk", m_app + L"\\app.exe"));
    ASSERT_TRUE(engine.HasStandardUninstall());
    EXPECT_EQ(engine.MatchedRecord().displayName, L"AAB TsuSmartNamed Suite");
}

TEST_F(MatchTest, AnEightDotThreeSpellingOfTheTargetMatchesItsLocation) {
    const std::wstring shortApp = test::ShortSpelling(m_app);
    ASSERT_NE(shortApp, m_app);
    IntelligenceEngine engine(Locations());
    Analyze(engine, Shortcut(test::UniqueName(L"TsuSmartShort") + L".lnk", shortApp + L"\\app.exe"));
    ASSERT_TRUE(engine.HasStandardUninstall());
    EXPECT_EQ(engine.MatchedRecord().displayName, L"Zed Program");
}

TEST_F(MatchTest, AnAnalysisThatFailsStillFinishesWithNothingOffered) {
    test::MessageRecorder page;
    IntelligenceEngine engine([](auto&&...) -> InventoryResult { throw std::runtime_error("unreadable"); },
                              IntelligenceEngine::kMaxRelatedFiles);
    ASSERT_TRUE(engine.SetOwnerWindow(page.Window()));
    Analyze(engine, Shortcut(test::UniqueName(L"TsuSmartFail") + L".lnk", m_app + L"\\app.exe"));
    std::vector<LPARAM> states;
    for (const test::RecordedMessage& message : OnlyOf(page.Messages(), WM_ANALYSIS_STATE))
        states.push_back(message.lParam);
    EXPECT_EQ(states, (std::vector<LPARAM>{kAnalysisStarted, kAnalysisFinished}));
    EXPECT_TRUE(engine.Items().empty());
    EXPECT_FALSE(engine.HasStandardUninstall());
}

} // namespace
} // namespace tsu
