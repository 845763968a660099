#include "uninstall/engine/core/EngineRules.h"

#include <gtest/gtest.h>

#include <tuple>

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

TEST(WindowsVersionTest, AcceptsSevenToTen) {
    const std::tuple<uint32_t, uint32_t, bool> cases[] = {{5, 0, false}, {5, 1, false},  {5, 2, false}, {6, 0, false},
                                                          {6, 1, true},  {6, 2, true},   {6, 3, true},  {6, 4, false},
                                                          {10, 0, true}, {10, 1, false}, {11, 0, false}};
    for (const auto& [major, minor, supported] : cases)
        EXPECT_EQ(IsSupportedWindowsVersion(major, minor), supported) << major << "." << minor;
}

} // namespace
} // namespace tsu
