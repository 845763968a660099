#include "log/core/LogFormat.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

TEST(LogFormatTest, EntryIsStampThreeSpacesTextCrLf) {
    const LogTime time{2020, 11, 16, 9, 5, 3, 42};
    EXPECT_EQ(FormatLogStamp(time), "[2020-11-16 09:05:03 042ms]   ");
    EXPECT_EQ(FormatLogEntry(time, "abc"), "[2020-11-16 09:05:03 042ms]   abc\r\n");
    EXPECT_EQ(FormatLogEntry(time, ""), "[2020-11-16 09:05:03 042ms]   \r\n");
}

TEST(LogFormatTest, HexTextHasASpaceAfterEveryPair) {
    const unsigned char bytes[] = {0x00, 0x10, 0xAB, 0x0A, 0xFF};
    EXPECT_EQ(FormatHexText(bytes, 3), "00 10 AB ");
    EXPECT_EQ(FormatHexText(bytes + 3, 2), "0A FF ");
    EXPECT_EQ(FormatHexText(bytes, 0), "");
    EXPECT_EQ(FormatHexText(bytes, -5), "");
    EXPECT_EQ(FormatHexText(nullptr, 4), "");
}

struct SwitchCase {
    const wchar_t* value;
    bool on;
};
class PrintSwitchTest : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(PrintSwitchTest, OnExactlyWhenTheValueReadsAsOne) {
    EXPECT_EQ(ParsePrintSwitch(GetParam().value), GetParam().on);
}

INSTANTIATE_TEST_SUITE_P(Values, PrintSwitchTest,
                         ::testing::Values(SwitchCase{L"1", true}, SwitchCase{L" 1", true}, SwitchCase{L"01", true},
                                           SwitchCase{L"1x", true}, SwitchCase{L"1 ", true}, SwitchCase{L"2", false},
                                           SwitchCase{L"-1", false}, SwitchCase{L"", false},
                                           SwitchCase{L"x1", false}, SwitchCase{L"0", false}));

TEST(LogFormatTest, WriterModeConstantSelectsTheCloseFileWriter) {
    EXPECT_FALSE(IsOpenFileWriterMode(L"0"));
    EXPECT_TRUE(IsOpenFileWriterMode(L"1"));
}

} // namespace
} // namespace tsu
