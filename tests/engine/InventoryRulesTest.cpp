#include "uninstall/engine/core/EngineRules.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

SoftwareRecord Record(const std::wstring& name, const std::wstring& key, const std::wstring& command) {
    SoftwareRecord record;
    record.displayName = name;
    record.keyPath = key;
    record.uninstallString = command;
    return record;
}

void Add(SoftwareMap& map, const SoftwareRecord& record) {
    InsertFirstWins(map, record.displayName, record);
}

TEST(PruneInventoryTest, RemovesOnlyEntriesThatChangedOrVanished) {
    SoftwareMap inventory;
    Add(inventory, Record(L"Kept", L"K1", L"C1"));
    Add(inventory, Record(L"Gone", L"K2", L"C2"));
    Add(inventory, Record(L"Moved", L"K3", L"C3"));
    Add(inventory, Record(L"Recommand", L"K4", L"C4"));
    inventory[L"Kept"].imagePath = L"C:\\Image\\0.png";

    SoftwareMap fresh;
    Add(fresh, Record(L"Kept", L"K1", L"C1"));
    Add(fresh, Record(L"Moved", L"K3-elsewhere", L"C3"));
    Add(fresh, Record(L"Recommand", L"K4", L"c4")); // letter case counts
    Add(fresh, Record(L"New", L"K5", L"C5"));

    EXPECT_EQ(PruneInventory(inventory, fresh), 3u);
    ASSERT_EQ(inventory.size(), 1u);
    EXPECT_EQ(inventory.begin()->first, L"Kept");
    EXPECT_EQ(inventory.begin()->second.imagePath, L"C:\\Image\\0.png"); // keeps its picture
    EXPECT_EQ(inventory.count(L"New"), 0u);                              // never added
}

struct VersionCase {
    uint32_t major;
    uint32_t minor;
    bool supported;
};

class WindowsVersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(WindowsVersionTest, AcceptsSevenToTen) {
    EXPECT_EQ(IsSupportedWindowsVersion(GetParam().major, GetParam().minor), GetParam().supported);
}

INSTANTIATE_TEST_SUITE_P(Versions, WindowsVersionTest,
                         ::testing::Values(VersionCase{5, 0, false}, VersionCase{5, 1, false}, VersionCase{5, 2, false},
                                           VersionCase{6, 0, false}, VersionCase{6, 1, true}, VersionCase{6, 2, true},
                                           VersionCase{6, 3, true}, VersionCase{6, 4, false}, VersionCase{10, 0, true},
                                           VersionCase{10, 1, false}, VersionCase{11, 0, false}));

} // namespace
} // namespace tsu
