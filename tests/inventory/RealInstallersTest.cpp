// Entries written by real installers: an NSIS program and a wixl-built MSI package.

#include "inventory/RegistryScanner.h"
#include "tests/engine/EngineTestSupport.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

constexpr wchar_t kMsiCode[] = L"{6F1B7C2A-3D4E-4F50-9A61-7B8C9D0E1F21}";
const std::wstring kUninstallKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::wstring kRemoveMsi = test::SystemFolderPath() + L"\\msiexec.exe /x" + kMsiCode + L" /qn";

class RealInstallersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test::InstallNsisFixture(L"fixture_inventory_nsis"));
        ASSERT_TRUE(test::InstallMsiFixture(L"fixture_inventory_msi"));
    }
    static void TearDownTestSuite() {
        (void)test::RunProcess(kRemoveMsi);
        test::RemoveNsisLeftovers(L"InventorySample");
    }
};

// NSIS writes no InstallDate: the key's date.
TEST_F(RealInstallersTest, NsisProgramIsListedWithItsOwnIcon) {
    const auto record = test::FindInstalled(L"Inventory Sample 示例");
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->keyPath, L"HKEY_LOCAL_MACHINE\\" + kUninstallKey + L"InventorySample");
    EXPECT_EQ(record->iconPath + L"," + std::to_wstring(record->iconKind) + L"|" + record->displayVersion + L"|" +
                  record->sizeText + L"|" + record->uninstallString,
              L"C:\\Program Files\\InventorySample\\InventorySample.exe,1|1.2.3|2.00 MB|"
              L"\"C:\\Program Files\\InventorySample\\uninst.exe\"");
    EXPECT_EQ(record->installDate.size(), 8u);
    EXPECT_FALSE(RegistryScanner(RegistryView::Wow64Key64).IsEntryGone(record->rootKey, record->relativeKeyPath));
}

// The package's uninstall entry carries no DisplayIcon: the picture can only come from the
// installer product. Once removed, the program is gone.
TEST_F(RealInstallersTest, MsiProgramTakesItsIconFromTheInstallerProductAndGoesWithIt) {
    const auto record = test::FindInstalled(L"Inventory MSI Sample");
    ASSERT_TRUE(record.has_value());
    UniqueHkey entry;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kUninstallKey + kMsiCode).c_str(), 0, KEY_READ | KEY_WOW64_64KEY,
                              entry.Put()),
              ERROR_SUCCESS);
    EXPECT_EQ(::RegQueryValueExW(entry.Get(), L"DisplayIcon", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_NE(record->iconPath.find(kMsiCode), std::wstring::npos);
    EXPECT_TRUE(test::FileExists(record->iconPath));
    EXPECT_EQ(record->displayVersion + L"|" + record->sizeText + L"|" + record->uninstallString,
              std::wstring(L"2.0.1||MsiExec.exe /I") + kMsiCode);
    ASSERT_EQ(test::RunProcess(kRemoveMsi).exitCode, 0u);
    EXPECT_TRUE(RegistryScanner(RegistryView::Wow64Key64).IsEntryGone(kRootLocalMachine, kUninstallKey + kMsiCode));
    EXPECT_FALSE(test::FindInstalled(L"Inventory MSI Sample").has_value());
}

} // namespace
} // namespace tsu
