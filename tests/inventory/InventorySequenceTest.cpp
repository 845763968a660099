// The full inventory sequence over scratch copies of the system's keys, and over the real keys.

#include "inventory/InventorySequence.h"
#include "inventory/Is64BitWindows.h"
#include "tests/common/ScratchKey.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

using test::ScratchKey;

class InventorySequenceTest : public ::testing::Test {
protected:
    const std::wstring m_base = L"Software\\TsuTest\\Sequence-" + std::to_wstring(::GetCurrentProcessId());
    ScratchKey m_wow{HKEY_CURRENT_USER, m_base + L"\\Wow"};
    ScratchKey m_machine{HKEY_CURRENT_USER, m_base + L"\\Machine"};
    ScratchKey m_user{HKEY_CURRENT_USER, m_base + L"\\User"};
    ScratchKey m_products{HKEY_CURRENT_USER, m_base + L"\\Products"};
    InventoryLocations m_locations;

    void SetUp() override {
        m_locations.installerProducts = {kRootCurrentUser, m_products.Path()};
        m_locations.uninstallKeys64 = {{kRootCurrentUser, m_wow.Path()},
                                       {kRootCurrentUser, m_machine.Path()},
                                       {kRootCurrentUser, m_user.Path()}};
        m_locations.uninstallKeys32 = {{kRootCurrentUser, m_machine.Path()}, {kRootCurrentUser, m_user.Path()}};
    }

    static void Add(ScratchKey& key, const std::wstring& subkey, const std::wstring& name, const std::wstring& cmd) {
        ASSERT_TRUE(key.SetString(subkey, L"DisplayName", name));
        ASSERT_TRUE(key.SetString(subkey, L"UninstallString", cmd));
    }
};

TEST_F(InventorySequenceTest, ScanOrderDecidesWhichEntryRepresentsAName) {
    Add(m_wow, L"x", L"Shared", L"wow.exe");
    Add(m_machine, L"x", L"Shared", L"machine.exe");
    Add(m_machine, L"y", L"Machine And User", L"machine.exe");
    Add(m_user, L"y", L"Machine And User", L"user.exe");
    Add(m_user, L"z", L"User Only", L"user.exe");

    ProductIconMap icons;
    SoftwareMap map;
    ASSERT_EQ(RunInventorySequence(icons, map, true, m_locations), InventoryResult::Loaded);
    ASSERT_EQ(map.size(), 3u);
    EXPECT_EQ(map.at(L"Shared").uninstallString, L"wow.exe");
    EXPECT_EQ(map.at(L"Machine And User").uninstallString, L"machine.exe");

    // 32-bit Windows has no WOW6432Node key to read.
    ASSERT_EQ(RunInventorySequence(icons, map, false, m_locations), InventoryResult::Loaded);
    EXPECT_EQ(map.at(L"Shared").uninstallString, L"machine.exe");
}

TEST_F(InventorySequenceTest, MapIsRebuiltNotAppendedTo) {
    Add(m_user, L"a", L"Old Entry", L"old.exe");
    ProductIconMap icons;
    SoftwareMap map;
    ASSERT_EQ(RunInventorySequence(icons, map, true, m_locations), InventoryResult::Loaded);
    ASSERT_EQ(map.count(L"Old Entry"), 1u);
    m_user.DeleteSubkey(L"a");
    ASSERT_EQ(RunInventorySequence(icons, map, true, m_locations), InventoryResult::Loaded);
    EXPECT_TRUE(map.empty());
}

TEST_F(InventorySequenceTest, AbsentProductsKeyMeansNoProductsNotFailure) {
    Add(m_user, L"a", L"Listed Anyway", L"un.exe");
    m_locations.installerProducts.path = m_base + L"\\NoSuchProducts";
    ProductIconMap icons;
    icons[L"stale"] = ProductIconInfo{};
    SoftwareMap map;
    EXPECT_EQ(RunInventorySequence(icons, map, true, m_locations), InventoryResult::Loaded);
    EXPECT_TRUE(icons.empty());
    EXPECT_EQ(map.count(L"Listed Anyway"), 1u);
}

TEST_F(InventorySequenceTest, UnopenableProductsKeyLeavesTheMapUntouched) {
    Add(m_user, L"a", L"New Entry", L"un.exe");
    // Not a predefined root: the open fails with an error other than "not found".
    m_locations.installerProducts.root = 0x80000009u;
    for (bool on64 : {true, false}) {
        ProductIconMap icons;
        SoftwareMap map;
        SoftwareRecord previous;
        previous.displayName = L"Previous";
        map[L"Previous"] = previous;
        EXPECT_EQ(RunInventorySequence(icons, map, on64, m_locations), InventoryResult::ProductsFailed);
        ASSERT_EQ(map.size(), 1u);
        EXPECT_EQ(map.count(L"Previous"), 1u);
    }
}

TEST(InventoryDefaultsTest, ReadsTheSystemKeysIn64BitView) {
    // The 64-bit build runs on 64-bit Windows only, so it must always read both views.
    EXPECT_TRUE(Is64BitWindows());
    const InventoryLocations defaults = InventoryLocations::Default();
    ASSERT_EQ(defaults.uninstallKeys64.size(), 3u);
    EXPECT_EQ(defaults.uninstallKeys64[0].path, L"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
    EXPECT_EQ(defaults.uninstallKeys64[2].path, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
    EXPECT_EQ(defaults.uninstallKeys64[2].root, kRootCurrentUser);
    EXPECT_EQ(defaults.installerProducts.path, L"SOFTWARE\\Classes\\Installer\\Products");
}

// A 32-bit program's entry (WOW6432Node) wins over a 64-bit entry of the same name in the real keys.
TEST(InventoryRealKeysTest, ThirtyTwoBitEntryWinsOverSixtyFourBitEntry) {
    const std::wstring subkey = L"TsuSeqDup-" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring name = L"Tsu Duplicate " + std::to_wstring(::GetCurrentProcessId());
    ScratchKey wow(HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + subkey);
    ScratchKey native(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + subkey);
    ASSERT_TRUE(wow.IsValid() && native.IsValid());
    wow.SetString(L"", L"DisplayName", name);
    wow.SetString(L"", L"UninstallString", L"C:\\x86\\un.exe");
    native.SetString(L"", L"DisplayName", name);
    native.SetString(L"", L"UninstallString", L"C:\\x64\\un.exe");

    ProductIconMap icons;
    SoftwareMap map;
    ASSERT_EQ(RunInventorySequence(icons, map), InventoryResult::Loaded);
    ASSERT_EQ(map.count(name), 1u);
    EXPECT_EQ(map.at(name).uninstallString, L"C:\\x86\\un.exe");
    EXPECT_EQ(map.at(name).keyPath,
              L"HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + subkey);
}

} // namespace
} // namespace tsu
