#include "uninstall/engine/core/EngineRules.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

namespace tsu {
namespace {

SoftwareMap Map(std::initializer_list<std::array<const wchar_t*, 3>> entries) {
    SoftwareMap map;
    for (const auto& [name, key, command] : entries) {
        SoftwareRecord record;
        record.displayName = name;
        record.keyPath = key;
        record.uninstallString = command;
        InsertFirstWins(map, name, record);
    }
    return map;
}

TEST(PruneInventoryTest, RemovesOnlyEntriesThatChangedOrVanished) {
    SoftwareMap inventory =
        Map({{L"Kept", L"K1", L"C1"}, {L"Gone", L"K2", L"C2"}, {L"Moved", L"K3", L"C3"}, {L"Recommand", L"K4", L"C4"}});
    inventory[L"Kept"].imagePath = L"C:\\Image\\0.png";
    // Letter case counts; new entries are never added.
    EXPECT_EQ(PruneInventory(inventory, Map({{L"Kept", L"K1", L"C1"},
                                             {L"Moved", L"K3-elsewhere", L"C3"},
                                             {L"Recommand", L"K4", L"c4"},
                                             {L"New", L"K5", L"C5"}})),
              3u);
    ASSERT_EQ(inventory.size(), 1u);
    EXPECT_EQ(inventory.begin()->first + L"|" + inventory.begin()->second.imagePath, L"Kept|C:\\Image\\0.png");
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
