// Entries written by real installers: an NSIS program and a wixl-built MSI package.

#include "inventory/InventorySequence.h"
#include "inventory/RegistryScanner.h"
#include "tests/common/ScratchKey.h"
#include "tests/common/TestProcess.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

constexpr wchar_t kNsisName[] = L"Inventory Sample 示例";
constexpr wchar_t kNsisKey[] = L"InventorySample";
constexpr wchar_t kMsiName[] = L"Inventory MSI Sample";
constexpr wchar_t kMsiCode[] = L"{6F1B7C2A-3D4E-4F50-9A61-7B8C9D0E1F21}";
constexpr wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::wstring FixtureDir() { return test::BinDir() + L"..\\fixtures\\"; }

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    ::GetSystemDirectoryW(folder, MAX_PATH);
    return folder;
}

class RealInstallersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const auto nsis = test::RunProcess(L"\"" + FixtureDir() + L"fixture_inventory_nsis.exe\"");
        ASSERT_TRUE(nsis.started);
        ASSERT_EQ(nsis.exitCode, 0u);
        const auto msi = test::RunProcess(L"\"" + SystemFolder() + L"\\msiexec.exe\" /i \"" + FixtureDir() +
                                          L"fixture_inventory_msi.msi\" /qn");
        ASSERT_TRUE(msi.started);
        ASSERT_EQ(msi.exitCode, 0u);
    }
    static void TearDownTestSuite() {
        (void)test::RunProcess(L"\"" + SystemFolder() + L"\\msiexec.exe\" /x" + kMsiCode + L" /qn");
        test::DeleteKeyTree(HKEY_LOCAL_MACHINE, std::wstring(kUninstallKey) + kNsisKey);
        test::RemoveTree(L"C:\\Program Files\\InventorySample");
    }
};

TEST_F(RealInstallersTest, NsisProgramIsListedWithItsOwnIcon) {
    ProductIconMap icons;
    SoftwareMap map;
    ASSERT_EQ(RunInventorySequence(icons, map), InventoryResult::Loaded);
    ASSERT_EQ(map.count(kNsisName), 1u);
    const SoftwareRecord& record = map.at(kNsisName);
    EXPECT_EQ(record.keyPath, std::wstring(L"HKEY_LOCAL_MACHINE\\") + kUninstallKey + kNsisKey);
    EXPECT_EQ(record.iconPath, L"C:\\Program Files\\InventorySample\\InventorySample.exe");
    EXPECT_EQ(record.iconKind, kIconKindExe);
    EXPECT_EQ(record.displayVersion, L"1.2.3");
    EXPECT_EQ(record.sizeText, L"2.00 MB");
    EXPECT_EQ(record.installDate.size(), 8u); // NSIS writes no InstallDate: the key's date
    EXPECT_EQ(record.uninstallString, L"\"C:\\Program Files\\InventorySample\\uninst.exe\"");
    EXPECT_FALSE(RegistryScanner(RegistryView::Wow64Key64).IsEntryGone(record.rootKey, record.relativeKeyPath));
}

TEST_F(RealInstallersTest, MsiProgramTakesItsIconFromTheInstallerProduct) {
    ProductIconMap icons;
    SoftwareMap map;
    ASSERT_EQ(RunInventorySequence(icons, map), InventoryResult::Loaded);
    ASSERT_EQ(icons.count(kMsiName), 1u);
    ASSERT_EQ(map.count(kMsiName), 1u);
    const SoftwareRecord& record = map.at(kMsiName);
    // The uninstall entry itself carries no DisplayIcon: the picture can only come from the product.
    UniqueHkey entry;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kUninstallKey) + kMsiCode).c_str(), 0,
                              KEY_READ | KEY_WOW64_64KEY, entry.Put()),
              ERROR_SUCCESS);
    EXPECT_EQ(::RegQueryValueExW(entry.Get(), L"DisplayIcon", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(record.iconPath, icons.at(kMsiName).iconPath);
    EXPECT_NE(record.iconPath.find(kMsiCode), std::wstring::npos);
    EXPECT_TRUE(test::FileExists(record.iconPath));
    EXPECT_EQ(record.displayVersion, L"2.0.1");
    EXPECT_EQ(record.uninstallString, std::wstring(L"MsiExec.exe /I") + kMsiCode);
    EXPECT_EQ(record.sizeText, L"");
}

TEST_F(RealInstallersTest, RemovedMsiProgramIsGone) {
    const RegistryScanner scanner(RegistryView::Wow64Key64);
    const std::wstring relative = std::wstring(kUninstallKey) + kMsiCode;
    ASSERT_FALSE(scanner.IsEntryGone(kRootLocalMachine, relative));
    const auto removal = test::RunProcess(L"\"" + SystemFolder() + L"\\msiexec.exe\" /x" + kMsiCode + L" /qn");
    ASSERT_EQ(removal.exitCode, 0u);
    EXPECT_TRUE(scanner.IsEntryGone(kRootLocalMachine, relative));
    ProductIconMap icons;
    SoftwareMap map;
    ASSERT_EQ(RunInventorySequence(icons, map), InventoryResult::Loaded);
    EXPECT_EQ(map.count(kMsiName), 0u);
}

} // namespace
} // namespace tsu
