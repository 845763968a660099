// The load and refresh workers over scratch uninstall keys: what they send, and what the
// inventory holds afterwards.

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

class EngineLoadTest : public ::testing::Test {
protected:
    EngineLoadTest()
        : m_root(HKEY_CURRENT_USER, L"Software\\" + test::UniqueName(L"TsuEngineLoad")),
          m_products(HKEY_CURRENT_USER, m_root.Path() + L"\\Products"),
          m_uninstall(HKEY_CURRENT_USER, m_root.Path() + L"\\Uninstall") {}

    InventoryLocations Locations() const {
        InventoryLocations locations;
        locations.installerProducts = {kRootCurrentUser, m_products.Path()};
        locations.uninstallKeys64 = {{kRootCurrentUser, m_uninstall.Path()}};
        locations.uninstallKeys32 = locations.uninstallKeys64;
        return locations;
    }

    void AddEntry(const std::wstring& subkey, const std::wstring& name) {
        (void)test::WriteScratchEntry(m_uninstall, subkey, name, L"\"C:\\" + subkey + L"\\uninst.exe\"");
    }

    // Starts a load or refresh and waits until the worker has ended.
    void Run(UninstallEngine& engine, bool (UninstallEngine::*start)(), size_t loaded = 1) {
        ASSERT_TRUE((engine.*start)());
        ASSERT_TRUE(m_recorder.WaitForCount(WM_SOFTWARE_LOADED, loaded));
        ASSERT_TRUE(test::WaitUntil([&] { return !engine.IsInventoryWorkRunning(); }));
    }

    test::ScratchKey m_root;
    test::ScratchKey m_products;
    test::ScratchKey m_uninstall;
    MessageRecorder m_recorder;
};

std::vector<std::pair<UINT, WPARAM>> Kinds(const std::vector<RecordedMessage>& messages) {
    std::vector<std::pair<UINT, WPARAM>> kinds;
    for (const RecordedMessage& message : messages)
        kinds.emplace_back(message.message, message.wParam);
    return kinds;
}

TEST_F(EngineLoadTest, LoadFillsTheInventoryAndRefreshOnlyPrunes) {
    AddEntry(L"A", L"Alpha Tool");
    AddEntry(L"B", L"Beta Tool");
    UninstallEngine engine(Locations());
    ASSERT_TRUE(engine.SetOwnerWindow(m_recorder.Window()));

    Run(engine, &UninstallEngine::StartLoading);
    using Kind = std::pair<UINT, WPARAM>;
    EXPECT_EQ(Kinds(m_recorder.Messages()),
              (std::vector<Kind>{{WM_CLOSE_PROGRESS, 0}, {WM_SOFTWARE_LOADED, kSoftwareLoaded}}));
    ASSERT_EQ(engine.Inventory().size(), 2u);
    EXPECT_EQ(engine.Inventory().at(L"Beta Tool").keyPath, L"HKEY_CURRENT_USER\\" + m_uninstall.Path() + L"\\B");

    // Beta goes, Gamma arrives, Alpha's command changes under the same name.
    ASSERT_TRUE(m_uninstall.DeleteSubkey(L"B"));
    AddEntry(L"C", L"Gamma Tool");
    m_recorder.Clear();
    Run(engine, &UninstallEngine::StartRefresh);
    EXPECT_EQ(Kinds(m_recorder.Messages()), (std::vector<Kind>{{WM_SOFTWARE_LOADED, kSoftwareLoaded}}));
    ASSERT_EQ(engine.Inventory().size(), 1u);
    EXPECT_EQ(engine.Inventory().count(L"Alpha Tool"), 1u);
    EXPECT_EQ(engine.Inventory().count(L"Gamma Tool"), 0u); // the refresh never adds

    ASSERT_TRUE(m_uninstall.SetString(L"A", L"UninstallString", L"\"C:\\A\\other.exe\""));
    m_recorder.Clear();
    Run(engine, &UninstallEngine::StartRefresh);
    EXPECT_EQ(Kinds(m_recorder.Messages()),
              (std::vector<Kind>{{WM_CLOSE_PROGRESS, 0}, {WM_SOFTWARE_LOADED, kSoftwareEmpty}}));
    EXPECT_TRUE(engine.Inventory().empty());
    // A load that finds nothing says so too.
    ASSERT_TRUE(m_uninstall.DeleteSubkey(L"A"));
    ASSERT_TRUE(m_uninstall.DeleteSubkey(L"C"));
    m_recorder.Clear();
    Run(engine, &UninstallEngine::StartLoading);
    EXPECT_EQ(Kinds(m_recorder.Messages()),
              (std::vector<Kind>{{WM_CLOSE_PROGRESS, 0}, {WM_SOFTWARE_LOADED, kSoftwareEmpty}}));
}

TEST_F(EngineLoadTest, NoSecondLoadOrRefreshWhileOneRuns) {
    AddEntry(L"A", L"Alpha Tool");
    UninstallEngine engine(Locations());
    ASSERT_TRUE(engine.SetOwnerWindow(m_recorder.Window()));
    // Hold the load inside its first message: it is certainly still running meanwhile.
    test::NamedEvent release(L"TsuEngineLoadRelease");
    m_recorder.SetHook([&](const RecordedMessage& message) {
        if (message.message == WM_CLOSE_PROGRESS)
            (void)release.WaitFor();
    });
    ASSERT_TRUE(engine.StartLoading());
    ASSERT_TRUE(m_recorder.WaitForCount(WM_CLOSE_PROGRESS, 1));
    EXPECT_TRUE(engine.IsInventoryWorkRunning());
    EXPECT_FALSE(engine.StartRefresh());
    EXPECT_FALSE(engine.StartLoading());
    release.Set();
    ASSERT_TRUE(m_recorder.WaitForCount(WM_SOFTWARE_LOADED, 1));
    ASSERT_TRUE(test::WaitUntil([&] { return !engine.IsInventoryWorkRunning(); }));
    m_recorder.SetHook(nullptr);
    Run(engine, &UninstallEngine::StartRefresh, 2);
    EXPECT_EQ(CountOf(m_recorder.Messages(), WM_SOFTWARE_LOADED), 2u); // the refused ones sent nothing
}

TEST_F(EngineLoadTest, LoadMakesAPictureOfEachIconItCanRead) {
    AddEntry(L"A", L"Alpha Tool");
    AddEntry(L"B", L"Beta Tool");
    AddEntry(L"C", L"Gamma Tool");
    AddEntry(L"D", L"Delta Tool");
    const std::wstring system = test::SystemFolderPath();
    ASSERT_TRUE(m_uninstall.SetString(L"A", L"DisplayIcon", L"\"" + system + L"\\notepad.exe\",0"));
    ASSERT_TRUE(m_uninstall.SetString(L"B", L"DisplayIcon", L"C:\\nowhere\\beta.ico"));
    ASSERT_TRUE(m_uninstall.SetString(L"C", L"DisplayIcon", L"\"" + system + L"\\winecfg.exe\""));
    const test::ScratchFolder pictures(L"pictures");
    const std::wstring& folder = pictures.Path();
    UninstallEngine engine(Locations());
    engine.SetPictureFolder(folder);
    ASSERT_TRUE(engine.SetOwnerWindow(m_recorder.Window()));
    Run(engine, &UninstallEngine::StartLoading);

    // In map order, counting only the pictures made: no gap for the unreadable icon.
    EXPECT_EQ(engine.Inventory().at(L"Alpha Tool").imagePath, folder + L"0.png");
    EXPECT_EQ(engine.Inventory().at(L"Beta Tool").imagePath, L"");
    EXPECT_EQ(engine.Inventory().at(L"Delta Tool").imagePath, L""); // no icon at all
    EXPECT_EQ(engine.Inventory().at(L"Gamma Tool").imagePath, folder + L"1.png");
    EXPECT_EQ(pictures.Names(), (std::vector<std::wstring>{L"0.png", L"1.png"}));
}

// A worker whose work fails still reports its end: the page's progress dialog closes, the row
// leaves "uninstalling", and the close guard sees the engine idle.
TEST(EngineFailureTest, AFailingWorkerStillReportsItsEnd) {
    const auto fail = [](const auto&...) -> InventoryResult { throw std::runtime_error("unreadable"); };
    const auto failProbe = [](const std::wstring&) -> std::wstring { throw std::runtime_error("unreadable"); };
    UninstallerProbe probe;
    probe.expandVariables = probe.searchPath = failProbe;
    probe.queryFile = [](const std::wstring&) -> FileState { throw std::runtime_error("unreadable"); };
    probe.isFixedDrive = [](const std::wstring&) -> bool { throw std::runtime_error("unreadable"); };
    using Sequence = std::vector<std::pair<UINT, WPARAM>>;
    const Sequence inventoryEnd{{WM_CLOSE_PROGRESS, 0}, {WM_SOFTWARE_LOADED, kSoftwareEmpty}};
    const std::pair<bool (*)(UninstallEngine&), Sequence> cases[] = {
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
        EXPECT_EQ(Kinds(page.Messages()), messages);
        EXPECT_TRUE(test::WaitUntil(
            [&] { return !engine.IsInventoryWorkRunning() && !engine.IsWorkerRunning() && !engine.IsBusy(); }));
    }
}

TEST(EngineSystemTest, WineReportsASupportedVersion) {
    // The test prefix presents Windows 7 (6.1) unless configured otherwise. Start-up asks the
    // engine, which asks RtlGetVersion (a Vista setting is refused: the end-to-end tests).
    EXPECT_TRUE(QueryWindowsVersion().has_value());
    EXPECT_TRUE(UninstallEngine::IsSystemSupported());
}

TEST(EngineSystemTest, NullWindowsAreRefused) {
    UninstallEngine engine;
    EXPECT_FALSE(engine.SetOwnerWindow(nullptr));
    EXPECT_FALSE(engine.SetUninstallWindow(nullptr));
    EXPECT_FALSE(engine.IsWorkerRunning());
    EXPECT_FALSE(engine.IsBusy());
}

} // namespace
} // namespace tsu
