#include "core/PathRules.h"
#include "core/TextRules.h"

#include <gtest/gtest.h>

#include <climits>

namespace tsu {
namespace {

struct IntCase {
    const wchar_t* text;
    int32_t expected;
};

class ParseLeadingIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(ParseLeadingIntTest, FollowsTheRuntimeConversion) {
    EXPECT_EQ(ParseLeadingInt(GetParam().text), GetParam().expected) << "text: " << ToUtf8(GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseLeadingIntTest,
                         ::testing::Values(IntCase{L"1", 1}, IntCase{L" 1", 1}, IntCase{L"01", 1},
                                           IntCase{L"1x", 1}, IntCase{L"-101", -101}, IntCase{L"+7", 7},
                                           IntCase{L"", 0}, IntCase{L"-", 0}, IntCase{L"x1", 0},
                                           IntCase{L"\t\r\n 42", 42}, IntCase{L"2147483647", INT32_MAX},
                                           IntCase{L"2147483648", INT32_MAX}, IntCase{L"99999999999", INT32_MAX},
                                           IntCase{L"-2147483648", INT32_MIN},
                                           IntCase{L"-99999999999999999999999", INT32_MIN}));

TEST(TextRulesTest, TrimAndUpperCaseTouchOnlyWhatTheyShould) {
    EXPECT_EQ(TrimWhitespace(L" \t 1 \r\n"), L"1");
    EXPECT_EQ(TrimWhitespace(L"   "), L"");
    EXPECT_EQ(TrimWhitespace(L"a b"), L"a b");
    // Non-ASCII letters keep their case: the rules only look for ASCII extensions.
    EXPECT_EQ(ToUpperAscii(L"c:\\prog\\ä.exe"), L"C:\\PROG\\ä.EXE");
}

TEST(TextRulesTest, Utf8RoundTripsEveryPlaneAndReplacesBrokenInput) {
    const std::wstring text = L"软件 A \U0001F600 z";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(ToUtf8(L"软"), "\xE8\xBD\xAF");
    // Truncated sequence, overlong form, lone continuation byte.
    EXPECT_EQ(FromUtf8("a\xE8\xBD"), std::wstring(L"a\xFFFD\xFFFD"));
    EXPECT_EQ(FromUtf8("\xC0\xAF"), std::wstring(L"\xFFFD\xFFFD"));
    EXPECT_EQ(FromUtf8("\x80"), std::wstring(L"\xFFFD"));
}

struct NetworkPathCase {
    const wchar_t* path;
    bool network;
};

class IsNetworkPathTest : public ::testing::TestWithParam<NetworkPathCase> {};

TEST_P(IsNetworkPathTest, OnlyLocalDrivePathsAreLocal) {
    EXPECT_EQ(IsNetworkPath(GetParam().path), GetParam().network) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, IsNetworkPathTest,
    ::testing::Values(NetworkPathCase{L"\\\\server\\share\\app.ico", true},
                      NetworkPathCase{L"//server/share/a.exe", true}, NetworkPathCase{L"\\/server\\a.ico", true},
                      NetworkPathCase{L"\\\\?\\UNC\\server\\share\\a.ico", true},
                      NetworkPathCase{L"\\\\.\\UNC\\server\\a.ico", true},
                      NetworkPathCase{L"\\??\\UNC\\server\\a.ico", true}, NetworkPathCase{L"\\\\.\\pipe\\x", true},
                      NetworkPathCase{L"\\\\?\\GLOBALROOT\\Device\\x", true}, NetworkPathCase{L"\\\\", true},
                      NetworkPathCase{L"\\\\?\\C:\\Program Files\\a.exe", false},
                      NetworkPathCase{L"\\\\.\\d:\\a.ico", false}, NetworkPathCase{L"\\??\\C:\\a.ico", false},
                      NetworkPathCase{L"C:\\Program Files\\a.exe", false}, NetworkPathCase{L"\\Windows\\a.ico", false},
                      NetworkPathCase{L"a.ico", false}, NetworkPathCase{L"", false}));

} // namespace
} // namespace tsu
