#include "inventory/core/InventoryRules.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

struct SizeCase {
    uint32_t kilobytes;
    const wchar_t* expected;
};

class SizeTextTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SizeTextTest, FormatsEstimatedSize) { EXPECT_EQ(FormatSizeText(GetParam().kilobytes), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Boundaries, SizeTextTest,
    ::testing::Values(SizeCase{0, L""}, SizeCase{1, L"1 KB"}, SizeCase{1023, L"1023 KB"}, SizeCase{1024, L"1024 KB"},
                      SizeCase{1025, L"1.00 MB"}, SizeCase{1536, L"1.50 MB"}, SizeCase{1048576, L"1024.00 MB"},
                      SizeCase{1048577, L"1.00 GB"}, SizeCase{5 * 1048576 + 524288, L"5.50 GB"},
                      // A value of all ones (a broken installer) still gives a defined text.
                      SizeCase{0xFFFFFFFFu, L"4096.00 GB"}));

TEST(SizeTextPrecisionTest, DecimalsAreThoseOfTheSinglePrecisionValue) {
    // 1,234,567,890 KB / 1024 / 1024 = 1177.3757... in double; the float rounds to 1177.37573...
    EXPECT_EQ(FormatSizeText(1234567890u), L"1177.38 GB");
    // 2049 KB is 2.0009765625 MB: exact in float, rounds to 2.00.
    EXPECT_EQ(FormatSizeText(2049u), L"2.00 MB");
}

} // namespace
} // namespace tsu
