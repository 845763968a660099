#include "inventory/core/InventoryRules.h"

#include <gtest/gtest.h>

#include <climits>

namespace tsu {
namespace {

struct IconCase {
    const wchar_t* raw;
    const wchar_t* path;
    int32_t index;
    int32_t kind;
};

class IconTextTest : public ::testing::TestWithParam<IconCase> {};

TEST_P(IconTextTest, SplitsFileIndexAndKind) {
    const IconText icon = ParseIconText(GetParam().raw);
    EXPECT_EQ(icon.path, GetParam().path);
    EXPECT_EQ(icon.index, GetParam().index);
    EXPECT_EQ(icon.kind, GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    DisplayIconForms, IconTextTest,
    ::testing::Values(IconCase{L"\"C:\\Program Files\\App\\app.exe\",0", L"C:\\Program Files\\App\\app.exe", 0, 1},
                      IconCase{L"C:\\Windows\\system32\\shell32.dll,-101", L"C:\\Windows\\system32\\shell32.dll", -101,
                               2},
                      IconCase{L"C:\\App\\app.ico", L"C:\\App\\app.ico", 0, 3},
                      IconCase{L"", L"", 0, 3},
                      // Kind is decided on the whole upper-cased text, index quotes are stripped too.
                      IconCase{L"c:\\app\\App.Exe,\"3\"", L"c:\\app\\App.Exe", 3, 1},
                      IconCase{L"C:\\x.dll.ico", L"C:\\x.dll.ico", 0, 2},
                      IconCase{L"C:\\setup.exe\\lib.dll", L"C:\\setup.exe\\lib.dll", 0, 1},
                      // Degenerate forms seen in the wild.
                      IconCase{L"\"\"", L"", 0, 3}, IconCase{L"\"", L"", 0, 3}, IconCase{L",", L"", 0, 3},
                      IconCase{L"a.exe,1,2", L"a.exe", 1, 1}, IconCase{L"a.exe,", L"a.exe", 0, 1},
                      IconCase{L"a.exe,-", L"a.exe", 0, 1}, IconCase{L"a.exe,x", L"a.exe", 0, 1},
                      IconCase{L"a.exe,99999999999", L"a.exe", INT32_MAX, 1},
                      IconCase{L"\"a.exe,2\"", L"a.exe", 2, 1}));

} // namespace
} // namespace tsu
