#include "core/PathRules.h"
#include "core/TextRules.h"
#include "log/core/LogFormat.h"

#include <gtest/gtest.h>

#include <climits>

namespace tsu {
namespace {

TEST(TextRulesTest, ParseLeadingIntFollowsTheRuntimeConversion) {
    const std::pair<const wchar_t*, int32_t> cases[] = {
        {L"1", 1}, {L" 1", 1}, {L"01", 1}, {L"1x", 1}, {L"-101", -101}, {L"+7", 7}, {L"", 0}, {L"-", 0}, {L"x1", 0},
        {L"\t\r\n 42", 42}, {L"2147483647", INT32_MAX}, {L"2147483648", INT32_MAX}, {L"99999999999", INT32_MAX},
        {L"-2147483648", INT32_MIN}, {L"-99999999999999999999999", INT32_MIN}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseLeadingInt(text), expected) << ToUtf8(text);
}

TEST(TextRulesTest, TrimAndUpperCaseTouchOnlyWhatTheyShould) {
    EXPECT_EQ(TrimWhitespace(L" \t 1 \r\n"), L"1");
    EXPECT_EQ(TrimWhitespace(L"   "), L"");
    EXPECT_EQ(TrimWhitespace(L"a b"), L"a b");
    // Non-ASCII letters keep their case: the rules only look for ASCII extensions.
    EXPECT_EQ(ToUpperAscii(L"a:\\prog\\ä.exe"), L"A:\\PROG\\ä.EXE");
}

TEST(TextRulesTest, Utf8RoundTripsEveryPlaneAndReplacesBrokenInput) {
    const std::wstring text = L"软件 A \U0001F600 z";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(ToUtf8(L"软"), "\xE8\xBD\xAF");
    // A surrogate pair is one character only where wchar_t is UTF-16; a lone surrogate is '?'.
    EXPECT_EQ(ToUtf8(std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}), sizeof(wchar_t) == 2 ? "\xF0\x9F\x98\x80" : "??");
    EXPECT_EQ(ToUtf8(std::wstring{wchar_t(0xDE00), L'a'}), "?a");
    // Truncated, overlong, lone continuation byte, an encoded surrogate, past U+10FFFF.
    const std::pair<const char*, std::wstring> broken[] = {
        {"a\xE8\xBD", L"a\xFFFD\xFFFD"}, {"\xC0\xAF", L"\xFFFD\xFFFD"}, {"\x80", L"\xFFFD"},
        {"\xED\xBF\xBF", L"\xFFFD\xFFFD\xFFFD"}, {"\xF4\x90\x80\x80", L"\xFFFD\xFFFD\xFFFD\xFFFD"}};
    for (const auto& [bytes, expected] : broken)
        EXPECT_EQ(FromUtf8(bytes), expected) << bytes;
}

TEST(PathRulesTest, OnlyLocalDrivePathsAreLocal) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"\\\\server\\share\\app.ico", true}, {L"//server/share/a.exe", true}, {L"\\/server\\a.ico", true},
        {L"\\\\?\\UNC\\server\\share\\a.ico", true}, {L"\\\\.\\UNC\\server\\a.ico", true},
        {L"\\??\\UNC\\server\\a.ico", true}, {L"\\\\.\\pipe\\x", true}, {L"\\\\?\\GLOBALROOT\\Device\\x", true},
        {L"\\\\", true}, {L"\\\\?\\C:\\Program Files\\a.exe", false}, {L"\\\\.\\d:\\a.ico", false},
        {L"\\??\\C:\\a.ico", false}, {L"C:\\Program Files\\a.exe", false}, {L"\\Windows\\a.ico", false},
        {L"a.ico", false}, {L"", false}, {L"\\abcUNC\\server\\x", false}}; // rooted, no device prefix
    for (const auto& [path, network] : cases)
        EXPECT_EQ(IsNetworkPath(path), network) << ToUtf8(path);
}

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

TEST(LogFormatTest, SwitchesAreOnExactlyWhenTheValueReadsAsOne) {
    const std::pair<const wchar_t*, bool> cases[] = {{L"1", true},   {L" 1", true},  {L"01", true}, {L"1x", true},
                                                     {L"1 ", true},  {L"2", false},  {L"-1", false}, {L"", false},
                                                     {L"x1", false}, {L"0", false}};
    for (const auto& [value, on] : cases) {
        EXPECT_EQ(ParsePrintSwitch(value), on) << ToUtf8(value);
        EXPECT_EQ(IsOpenFileWriterMode(value), on) << ToUtf8(value);
    }
}

} // namespace
} // namespace tsu
