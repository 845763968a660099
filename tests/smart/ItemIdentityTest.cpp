#include "smart/core/ItemIdentity.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

TEST(ItemIdentityTest, FinalNamesBecomeItemPaths) {
    EXPECT_EQ(PathFromFinalName(L"\\\\?\\C:\\Tools\\App\\a.dll"), L"C:\\Tools\\App\\a.dll");
    EXPECT_EQ(PathFromFinalName(L"\\\\?\\UNC\\server\\share\\a.dll"), L"\\\\server\\share\\a.dll");
    EXPECT_EQ(PathFromFinalName(L"C:\\x"), L"C:\\x");
    EXPECT_EQ(PathFromFinalName(L"\\\\?\\Volume{1}\\x"), L"\\\\?\\Volume{1}\\x"); // no drive: left alone
}

struct ItemCase {
    const char* name;
    FileIdentity now;
    const wchar_t* finalPathNow;
    const wchar_t* scopeRoot;
    bool analysed;
};

class AnalysedItemTest : public ::testing::TestWithParam<ItemCase> {};

TEST_P(AnalysedItemTest, OnlyTheSameFileInItsPlace) {
    const ItemCase& c = GetParam();
    const ItemRecord record{FileIdentity{7, 42}, L"C:\\Tools\\App\\sub\\data.bin", c.scopeRoot};
    EXPECT_EQ(IsAnalysedItem(record, c.now, c.finalPathNow), c.analysed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnalysedItemTest,
    ::testing::Values(ItemCase{"SameFileBelowItsFolder", {7, 42}, L"C:\\Tools\\App\\data.bin", L"C:\\Tools\\App", true},
                      ItemCase{"OtherFile", {7, 43}, L"C:\\Tools\\App\\sub\\data.bin", L"C:\\Tools\\App", false},
                      ItemCase{"OtherVolume", {8, 42}, L"C:\\Tools\\App\\sub\\data.bin", L"C:\\Tools\\App", false},
                      // Reached through a link that leads out of the folder, or into a look-alike.
                      ItemCase{"OutsideItsFolder", {7, 42}, L"C:\\Sentinel\\data.bin", L"C:\\Tools\\App", false},
                      ItemCase{"SiblingFolder", {7, 42}, L"C:\\Tools\\AppX\\data.bin", L"C:\\Tools\\App", false},
                      ItemCase{"TheFolderItself", {7, 42}, L"C:\\Tools\\App", L"C:\\Tools\\App", false},
                      // Without a scope the item must be where it was (letter case aside).
                      ItemCase{"InPlace", {7, 42}, L"c:\\tools\\app\\SUB\\data.bin", L"", true},
                      ItemCase{"Moved", {7, 42}, L"C:\\Tools\\App\\data.bin", L"", false},
                      ItemCase{"NoFinalPath", {7, 42}, L"", L"", false}),
    [](const ::testing::TestParamInfo<ItemCase>& info) { return info.param.name; });

} // namespace
} // namespace tsu
