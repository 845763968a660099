#include "uninstall/engine/core/InventoryRules.h"

#include <gtest/gtest.h>

#include <vector>

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

TEST(PicturePassTest, StemsCountOnlyMadePictures) {
    SoftwareMap inventory;
    SoftwareRecord a = Record(L"A", L"K", L"C");
    a.iconPath = L"\"C:\\a.exe\"";
    a.iconKind = kIconKindExe;
    SoftwareRecord b = Record(L"B", L"K", L"C");
    b.iconPath = L"C:\\"; // three characters: skipped
    SoftwareRecord c = Record(L"C", L"K", L"C");
    c.iconPath = L"C:\\broken.dll"; // the maker fails
    SoftwareRecord d = Record(L"D", L"K", L"C");
    d.iconPath = L"C:\\d.ico";
    for (const auto& r : {a, b, c, d})
        Add(inventory, r);

    std::vector<std::wstring> calls;
    const int made = RunPicturePass(inventory, [&](const std::wstring& path, const std::wstring& stem, int32_t kind) {
        calls.push_back(path + L"|" + stem + L"|" + std::to_wstring(kind));
        return path == L"C:\\broken.dll" ? std::wstring() : L"C:\\Image\\" + stem + L".png";
    });
    EXPECT_EQ(made, 2);
    EXPECT_EQ(calls, (std::vector<std::wstring>{L"C:\\a.exe|0|1", L"C:\\broken.dll|1|0", L"C:\\d.ico|1|0"}));
    EXPECT_EQ(inventory[L"A"].imagePath, L"C:\\Image\\0.png");
    EXPECT_EQ(inventory[L"B"].imagePath, L"");
    EXPECT_EQ(inventory[L"C"].imagePath, L"");
    EXPECT_EQ(inventory[L"D"].imagePath, L"C:\\Image\\1.png");
}

TEST(PicturePassTest, WithoutMakerNothingChanges) {
    SoftwareMap inventory;
    Add(inventory, Record(L"A", L"K", L"C"));
    EXPECT_EQ(RunPicturePass(inventory, nullptr), 0);
    EXPECT_TRUE(inventory[L"A"].imagePath.empty());
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
