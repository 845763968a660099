// The load and refresh workers over scratch uninstall keys: what they send, and what the inventory holds.
#include "inventory/SystemVersion.h"
#include "tests/common/TestProcess.h"
#include "tests/engine/EngineTestSupport.h"
#include "uninstall/engine/EngineMessages.h"
#include "uninstall/engine/UninstallEngine.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tsu {
namespace {

using test::MessageRecorder;
using test::RecordedMessage;
using Kinds = std::vector<std::pair<UINT, WPARAM>>;

Kinds KindsOf(const std::vector<RecordedMessage>& messages) {
    Kinds kinds;
    for (const RecordedMessage& message : messages)
        kinds.emplace_back(message.message, message.wParam);
    return kinds;
}

class EngineLoadTest : public ::testing::Test {
protected:
    EngineLoadTest() {
        InventoryLocations locations;
        locations.installerProducts = {kRootCurrentUser, m_products.Path()};
        locations.uninstallKeys64 = locations.uninstallKeys32 = {{kRootCurrentUser, m_uninstall.Path()}};
        m_engine.emplace(locations);
        EXPECT_TRUE(m_engine->SetOwnerWindow(m_recorder.Window()));
    }

    void AddEntries(std::initializer_list<const wchar_t*> names) {
        for (const wchar_t* name : names)
            (void)test::WriteScratchEntry(m_uninstall, std::wstring(1, name[0]), name,
                                          L"\"C:\\" + std::wstring(1, name[0]) + L"\\uninst.exe\"");
    }

    // Starts a load or refresh, waits until the worker has ended; the messages it sent.
    Kinds Run(bool (UninstallEngine::*start)(), size_t loaded = 1) {
        m_recorder.Clear();
        EXPECT_TRUE(((*m_engine).*start)());
        EXPECT_TRUE(m_recorder.WaitForCount(WM_SOFTWARE_LOADED, loaded));
        EXPECT_TRUE(test::WaitUntil([&] { return !m_engine->IsInventoryWorkRunning(); }));
        return KindsOf(m_recorder.Messages());
    }

    test::ScratchKey m_root{HKEY_CURRENT_USER, L"Software\\" + test::UniqueName(L"TsuEngineLoad")};
    test::ScratchKey m_products{HKEY_CURRENT_USER, m_root.Path() + L"\\Products"};
    test::ScratchKey m_uninstall{HKEY_CURRENT_USER, m_root.Path() + L"\\Uninstall"};
    MessageRecorder m_recorder;
    std::optional<UninstallEngine> m_engine;
};

TEST_F(EngineLoadTest, LoadFillsTheInventoryAndRefreshOnlyPrunes) {
    AddEntries({L"Alpha Tool", L"Beta Tool"});
    const Kinds loaded{{WM_CLOSE_PROGRESS, 0}, {WM_SOFTWARE_LOADED, kSoftwareLoaded}};
    const Kinds empty{{WM_CLOSE_PROGRESS, 0}, {WM_SOFTWARE_LOADED, kSoftwareEmpty}};
    EXPECT_EQ(Run(&UninstallEngine::StartLoading), loaded);
    ASSERT_EQ(m_engine->Inventory().size(), 2u);
    EXPECT_EQ(m_engine->Inventory().at(L"Beta Tool").keyPath, L"HKEY_CURRENT_USER\\" + m_uninstall.Path() + L"\\B");
    // Beta goes, Gamma arrives, then Alpha's command changes under the same name.
    ASSERT_TRUE(m_uninstall.DeleteSubkey(L"B"));
    AddEntries({L"Gamma Tool"});
    EXPECT_EQ(Run(&UninstallEngine::StartRefresh), (Kinds{{WM_SOFTWARE_LOADED, kSoftwareLoaded}}));
    ASSERT_EQ(m_engine->Inventory().size(), 1u);
    EXPECT_EQ(m_engine->Inventory().count(L"Alpha Tool"), 1u); // the refresh never adds
    ASSERT_TRUE(m_uninstall.SetString(L"A", L"UninstallString", L"\"C:\\A\\other.exe\""));
    EXPECT_EQ(Run(&UninstallEngine::StartRefresh), empty);
    EXPECT_TRUE(m_engine->Inventory().empty());
    ASSERT_TRUE(m_uninstall.DeleteSubkey(L"A") && m_uninstall.DeleteSubkey(L"G"));
    EXPECT_EQ(Run(&UninstallEngine::StartLoading), empty); // a load that finds nothing says so too
}

TEST_F(EngineLoadTest, NoSecondLoadOrRefreshWhileOneRuns) {
    AddEntries({L"Alpha Tool"});
    // Hold the load inside its first message: it is certainly still running meanwhile.
    test::NamedEvent release(L"TsuEngineLoadRelease");
    m_recorder.SetHook([&](const RecordedMessage& message) {
        if (message.message == WM_CLOSE_PROGRESS)
            (void)release.WaitFor();
    });
    ASSERT_TRUE(m_engine->StartLoading());
    ASSERT_TRUE(m_recorder.WaitForCount(WM_CLOSE_PROGRESS, 1));
    EXPECT_TRUE(m_engine->IsInventoryWorkRunning());
    EXPECT_FALSE(m_engine->StartRefresh());
    EXPECT_FALSE(m_engine->StartLoading());
    release.Set();
    ASSERT_TRUE(m_recorder.WaitForCount(WM_SOFTWARE_LOADED, 1));
    ASSERT_TRUE(test::WaitUntil([&] { return !m_engine->IsInventoryWorkRunning(); }));
    m_recorder.SetHook(nullptr);
    EXPECT_TRUE(m_engine->StartRefresh()); // the refused ones sent nothing, and left no running mark
    ASSERT_TRUE(m_recorder.WaitForCount(WM_SOFTWARE_LOADED, 2));
    EXPECT_TRUE(test::WaitUntil([&] { return !m_engine->IsInventoryWorkRunning(); }));
    EXPECT_EQ(CountOf(m_recorder.Messages(), WM_SOFTWARE_LOADED), 2u);
}

TEST_F(EngineLoadTest, LoadMakesAPictureOfEachIconItCanRead) {
    AddEntries({L"Alpha Tool", L"Beta Tool", L"Gamma Tool", L"Delta Tool"});
    const std::wstring system = test::SystemFolderPath();
    ASSERT_TRUE(m_uninstall.SetString(L"A", L"DisplayIcon", L"\"" + system + L"\\notepad.exe\",0"));
    ASSERT_TRUE(m_uninstall.SetString(L"B", L"DisplayIcon", L"C:\\nowhere\\beta.ico"));
    ASSERT_TRUE(m_uninstall.SetString(L"G", L"DisplayIcon", L"\"" + system + L"\\winecfg.exe\""));
    const test::ScratchFolder pictures(L"pictures");
    m_engine->SetPictureFolder(pictures.Path());
    (void)Run(&UninstallEngine::StartLoading);
    // In map order, counting only the pictures made: no gap for the unreadable icon.
    const std::pair<const wchar_t*, std::wstring> expected[] = {{L"Alpha Tool", pictures.File(L"0.png")},
                                                                {L"Beta Tool", L""},
                                                                {L"Delta Tool", L""}, // no icon at all
                                                                {L"Gamma Tool", pictures.File(L"1.png")}};
    for (const auto& [name, image] : expected)
        EXPECT_EQ(m_engine->Inventory().at(name).imagePath, image) << name;
    EXPECT_EQ(pictures.Names(), (std::vector<std::wstring>{L"0.png", L"1.png"}));
}

// A worker whose work fails still reports its end: the page's progress dialog closes, the row
// leaves "uninstalling", and the close guard sees the engine idle.
TEST(EngineFailureTest, AFailingWorkerStillReportsItsEnd) {
    const auto fail = [](const auto&...) -> InventoryResult { throw std::runtime_error("unreadable"); };
    UninstallerProbe probe;
    probe.expandVariables =
        probe.searchPath = [](const std::wstring&) -> std::wstring { throw std::runtime_error(""); };
    probe.queryFile = [](const std::wstring&) -> FileState { throw std::runtime_error("unreadable"); };
    probe.isFixedDrive = [](const std::wstring&) -> bool { throw std::runtime_error("unreadable"); };
    const Kinds inventoryEnd{{WM_CLOSE_PROGRESS, 0}, {WM_SOFTWARE_LOADED, kSoftwareEmpty}};
    const std::pair<bool (*)(UninstallEngine&), Kinds> cases[] = {
        {[](UninstallEngine& e) { return e.StartLoading(); }, inventoryEnd},
        {[](UninstallEngine& e) { return e.StartRefresh(); }, inventoryEnd},
        {[](UninstallEngine& e) {
             SoftwareRecord record;
             record.displayName = L"Failing";
             record.uninstallString = L"\"C:\\Failing\\uninst.exe\"";
             e.Enqueue(record);
             return e.StartUninstallWorker();
         },
         {{WM_UNINSTALL_STATE, kUninstallStarting}, {WM_UNINSTALL_STATE, kUninstallFailed}}}};
    for (const auto& [start, messages] : cases) {
        MessageRecorder page;
        UninstallEngine engine(fail, probe);
        ASSERT_TRUE(engine.SetOwnerWindow(page.Window()));
        ASSERT_TRUE(start(engine));
        ASSERT_TRUE(page.WaitFor([&](const auto& got) { return got.size() >= messages.size(); }));
        EXPECT_EQ(KindsOf(page.Messages()), messages);
        EXPECT_TRUE(test::WaitUntil(
            [&] { return !engine.IsInventoryWorkRunning() && !engine.IsWorkerRunning() && !engine.IsBusy(); }));
    }
}

TEST(EngineSystemTest, WineReportsASupportedVersionAndNullWindowsAreRefused) {
    // The test prefix presents Windows 7 unless configured otherwise (a Vista setting is refused:
    // the end-to-end tests).
    EXPECT_TRUE(QueryWindowsVersion().has_value());
    EXPECT_TRUE(UninstallEngine::IsSystemSupported());
    UninstallEngine engine;
    EXPECT_FALSE(engine.SetOwnerWindow(nullptr));
    EXPECT_FALSE(engine.SetUninstallWindow(nullptr));
    EXPECT_FALSE(engine.IsWorkerRunning() || engine.IsBusy());
}

} // namespace
} // namespace tsu
