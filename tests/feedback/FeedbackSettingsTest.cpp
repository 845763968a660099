// The feedback library's settings file: encodings, sections and keys, damaged lines, the version
// check and which addresses may be handed to a browser.

#include "feedback/core/FeedbackSettings.h"

#include <gtest/gtest.h>

#include <string>

namespace tsu::feedback {
namespace {

std::string Utf16Bytes(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return bytes;
}

TEST(FeedbackSettings, MissingFileGivesTheDefaults) {
    const FeedbackSettings settings = FeedbackSettings::Parse("");
    EXPECT_EQ(settings.KnowledgeBaseUrl(), kDefaultKnowledgeBaseUrl);
    EXPECT_EQ(settings.DownloadUrl(), kDefaultKnowledgeBaseUrl);
    EXPECT_EQ(settings.LatestVersion(), L"");
    EXPECT_EQ(settings.BrowserProgram(), L"");
    EXPECT_EQ(settings.CompareWithLatest(L"1.0.20.1116"), kVersionCurrent);
}

TEST(FeedbackSettings, ReadsUtf8WithAndWithoutMarkAndUtf16) {
    const std::string body = "[Feedback]\r\nKnowledgeBaseUrl = https://kb.example.cn/帮助/ \r\n";
    for (const std::string& bytes :
         {body, "\xEF\xBB\xBF" + body, Utf16Bytes(L"[Feedback]\r\nKnowledgeBaseUrl=https://kb.example.cn/帮助/\r\n")}) {
        const FeedbackSettings settings = FeedbackSettings::Parse(bytes);
        EXPECT_EQ(settings.KnowledgeBaseUrl(), L"https://kb.example.cn/帮助");
    }
}

TEST(FeedbackSettings, NamesIgnoreCaseCommentsAndDamagedLinesAreSkipped) {
    const FeedbackSettings settings =
        FeedbackSettings::Parse("; comment\n# another\nno equals sign here\n=novalue\n"
                                "[update]\nlatestversion=2.0\n[UPDATE]\nLatestVersion=9.9\n"
                                "[Browser\nProgram=x\n");
    // The first occurrence wins; an unclosed section header leaves the section as it was.
    EXPECT_EQ(settings.LatestVersion(), L"2.0");
    EXPECT_EQ(settings.Value(L"Update", L"Program").value_or(L""), L"x");
    EXPECT_FALSE(settings.Value(L"Browser", L"Program").has_value());
}

TEST(FeedbackSettings, OnlyWebAddressesReplaceTheDefaults) {
    const FeedbackSettings settings = FeedbackSettings::Parse(
        "[Feedback]\nKnowledgeBaseUrl=file:///C:/Windows/system32/cmd.exe\n[Update]\nDownloadUrl=cmd /c del *\n");
    EXPECT_EQ(settings.KnowledgeBaseUrl(), kDefaultKnowledgeBaseUrl);
    EXPECT_EQ(settings.DownloadUrl(), kDefaultKnowledgeBaseUrl);
}

TEST(FeedbackSettings, DownloadUrlFallsBackToTheKnowledgeBase) {
    const FeedbackSettings settings = FeedbackSettings::Parse("[Feedback]\nKnowledgeBaseUrl=http://kb.example\n");
    EXPECT_EQ(settings.DownloadUrl(), L"http://kb.example");
    const FeedbackSettings own = FeedbackSettings::Parse("[Update]\nDownloadUrl=https://dl.example/tool.zip\n");
    EXPECT_EQ(own.DownloadUrl(), L"https://dl.example/tool.zip");
}

TEST(FeedbackSettings, BrowserProgramLosesItsQuotesButMayNotContainQuotes) {
    EXPECT_EQ(FeedbackSettings::Parse("[Browser]\nProgram=\"C:\\B r\\b.exe\"\n").BrowserProgram(), L"C:\\B r\\b.exe");
    EXPECT_EQ(FeedbackSettings::Parse("[Browser]\nProgram=C:\\b.exe\" /evil \"\n").BrowserProgram(), L"");
}

struct BrowserCase {
    const wchar_t* path;
    bool accepted;
};

class BrowserProgramRule : public ::testing::TestWithParam<BrowserCase> {};

TEST_P(BrowserProgramRule, OnlyAnAbsoluteLocalExeIsStarted) {
    EXPECT_EQ(IsBrowserProgramPath(GetParam().path), GetParam().accepted) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BrowserProgramRule,
    ::testing::Values(BrowserCase{L"C:\\Program Files\\Browser\\browser.exe", true}, BrowserCase{L"d:\\b.EXE", true},
                      BrowserCase{L"\\\\server\\share\\browser.exe", false},
                      BrowserCase{L"\\\\?\\C:\\browser.exe", false}, BrowserCase{L"browser.exe", false},
                      BrowserCase{L"\\Windows\\browser.exe", false}, BrowserCase{L"C:browser.exe", false},
                      BrowserCase{L"C:\\b.exe /evil", false}, BrowserCase{L"C:\\b.exe\" --x \"", false},
                      BrowserCase{L"C:\\run.bat", false}, BrowserCase{L"C:\\b.exe.txt", false},
                      BrowserCase{L"C:\\%TEMP%\\b.exe", false}, BrowserCase{L"C:\\a\\..\\b.exe", false},
                      BrowserCase{L"C:/b.exe", false}, BrowserCase{L"C:\\.exe", false}, BrowserCase{L"", false}));

struct VersionCase {
    const char* latest;
    const wchar_t* current;
    int expected;
};

class VersionCheck : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionCheck, ThreeOnlyForAStrictlyNewerAnnouncedVersion) {
    const VersionCase& c = GetParam();
    const FeedbackSettings settings = FeedbackSettings::Parse(std::string("[Update]\nLatestVersion=") + c.latest);
    EXPECT_EQ(settings.CompareWithLatest(c.current), c.expected) << c.latest << " vs current";
}

INSTANTIATE_TEST_SUITE_P(Table, VersionCheck,
                         ::testing::Values(VersionCase{"1.0.21.0", L"1.0.20.1116", kVersionNewerExists},
                                           VersionCase{"1.0.20.1117", L"1.0.20.1116", kVersionNewerExists},
                                           VersionCase{"2", L"1.0.20.1116", kVersionNewerExists},
                                           VersionCase{"1.0.20.1116", L"1.0.20.1116", kVersionCurrent},
                                           VersionCase{"1.0.20", L"1.0.20.0", kVersionCurrent},
                                           VersionCase{"1.0.3.0", L"1.0.20.1116", kVersionCurrent},
                                           VersionCase{"1.0.100.0", L"1.0.20.1116", kVersionNewerExists},
                                           VersionCase{"v2.0", L"1.0.20.1116", kVersionCurrent},
                                           VersionCase{"1..2", L"1.0.20.1116", kVersionCurrent},
                                           VersionCase{"1.0.20.1116.5", L"1.0.20.1116", kVersionCurrent},
                                           VersionCase{"999999.0", L"1.0.20.1116", kVersionCurrent},
                                           VersionCase{"2.0", L"garbage", kVersionCurrent},
                                           VersionCase{"2.0", L"", kVersionCurrent}));

TEST(WebAddress, AcceptsHttpAndHttpsOnly) {
    EXPECT_TRUE(IsWebAddress(L"https://help.veltor.com/detail/dc_172545.html"));
    EXPECT_TRUE(IsWebAddress(L"HTTP://example.com"));
    EXPECT_FALSE(IsWebAddress(L"https://"));
    EXPECT_FALSE(IsWebAddress(L"https:///etc/passwd"));
    EXPECT_FALSE(IsWebAddress(L"file:///C:/x.exe"));
    EXPECT_FALSE(IsWebAddress(L"C:\\Windows\\notepad.exe"));
    EXPECT_FALSE(IsWebAddress(L"javascript:alert(1)"));
    EXPECT_FALSE(IsWebAddress(L"https://a.example/\" --evil"));
    EXPECT_FALSE(IsWebAddress(L"https://a.example/a b"));
    EXPECT_FALSE(IsWebAddress(L"https://a.example/\r\nx"));
    EXPECT_FALSE(IsWebAddress(L"https://" + std::wstring(3000, L'a')));
}

TEST(WebAddress, JoinKeepsExactlyOneSlash) {
    EXPECT_EQ(JoinUrl(L"https://kb.example/", kMoreToolsArticlePath), L"https://kb.example/detail/dc_172545.html");
    EXPECT_EQ(JoinUrl(L"https://kb.example", L"detail/x.html"), L"https://kb.example/detail/x.html");
}

TEST(TextFile, DecodesAnOddUtf16ByteCountWithoutReadingPastTheEnd) {
    EXPECT_EQ(DecodeTextFile(std::string("\xFF\xFE"
                                         "A\0B",
                                         5)),
              L"A");
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF"), L"");
}

} // namespace
} // namespace tsu::feedback
