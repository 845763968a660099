#include "feedback/core/FeedbackRecord.h"
#include "feedback/core/FeedbackSettings.h"

#include <gtest/gtest.h>
#include <string>

namespace tsu::feedback {
namespace {

TEST(FeedbackSettings, EncodingsNamesCommentsAndDamagedLines) {
    const std::string body = "[Feedback]\r\nKnowledgeBaseUrl = https://kb.example.cn/帮助/ \r\n";
    std::string utf16 = "\xFF\xFE";
    for (const wchar_t c : std::wstring(L"[Feedback]\r\nKnowledgeBaseUrl=https://kb.example.cn/帮助/\r\n"))
        utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    for (const std::string& bytes : {body, "\xEF\xBB\xBF" + body, utf16})
        EXPECT_EQ(FeedbackSettings::Parse(bytes).KnowledgeBaseUrl(), L"https://kb.example.cn/帮助");
    // An odd UTF-16 byte count is never read past its end.
    EXPECT_EQ(DecodeTextFile(std::string("\xFF\xFE" "A\0B", 5)) + L"|" + DecodeTextFile("\xEF\xBB\xBF"), L"A|");
    // The first occurrence wins; an unclosed section header leaves the section as it was.
    const FeedbackSettings settings =
        FeedbackSettings::Parse("; comment\n# another\nno equals sign here\n=novalue\n"
                                "[zone]\nsize=z\n[update]\nlatestversion=2.0\n[UPDATE]\nLatestVersion=9.9\n"
                                "[Browser\nProgram=x\n");
    EXPECT_EQ(settings.LatestVersion() + L"|" + settings.Value(L"Update", L"Program").value_or(L"") +
                  settings.Value(L"ZONE", L"SIZE").value_or(L""),
              L"2.0|xz");
    EXPECT_FALSE(settings.Value(L"Browser", L"Program").has_value());
}

// Only web addresses replace the defaults; the download falls back to the knowledge base.
TEST(FeedbackSettings, AddressesAndTheirFallbacks) {
    const std::wstring fallback = std::wstring(kDefaultKnowledgeBaseUrl) + L"|" + kDefaultKnowledgeBaseUrl;
    const std::pair<const char*, std::wstring> cases[] = {
        {"", fallback},
        {"[Feedback]\nKnowledgeBaseUrl=file:///C:/Windows/system32/cmd.exe\n[Update]\nDownloadUrl=cmd /c del *\n",
         fallback},
        {"[Feedback]\nKnowledgeBaseUrl=http://kb.example\n", L"http://kb.example|http://kb.example"},
        {"[Update]\nDownloadUrl=https://dl.example/tool.zip\n",
         std::wstring(kDefaultKnowledgeBaseUrl) + L"|https://dl.example/tool.zip"}};
    for (const auto& [text, expected] : cases) {
        const FeedbackSettings settings = FeedbackSettings::Parse(text);
        EXPECT_EQ(settings.KnowledgeBaseUrl() + L"|" + settings.DownloadUrl(), expected) << text;
    }
    EXPECT_EQ(JoinUrl(L"https://kb.example/", kMoreToolsArticlePath) + L"|" + JoinUrl(L"https://kb.example", L"x.html"),
              L"https://kb.example/detail/dc_172545.html|https://kb.example/x.html");
    EXPECT_TRUE(IsWebAddress(L"https://help.veltor.com/detail/dc_172545.html") && IsWebAddress(L"HTTP://example.com"));
    for (const std::wstring& refused : std::vector<std::wstring>{
             L"https://", L"https:///etc/passwd", L"file:///C:/x.exe", L"https://a.example/\" --evil",
             L"https://a.example/a b", L"https://" + std::wstring(3000, L'a')})
        EXPECT_FALSE(IsWebAddress(refused)) << refused;
}

TEST(FeedbackSettings, OnlyAnAbsoluteLocalExeIsStartedAsBrowser) {
    EXPECT_EQ(FeedbackSettings::Parse("[Browser]\nProgram=\"C:\\B r\\b.exe\"\n").BrowserProgram(), L"C:\\B r\\b.exe");
    EXPECT_EQ(FeedbackSettings::Parse("[Browser]\nProgram=C:\\b.exe\" /evil \"\n").BrowserProgram(), L"");
    EXPECT_TRUE(IsBrowserProgramPath(L"C:\\Program Files\\Browser\\browser.exe") && IsBrowserProgramPath(L"d:\\b.EXE"));
    for (const wchar_t* path :
         {L"\\\\server\\share\\browser.exe", L"browser.exe", L"C:browser.exe", L"1:\\b.exe", L"C:\\b.exe /evil",
          L"C:\\b.exe\" --x \"", L"C:\\run.bat", L"C:\\%TEMP%\\b.exe", L"C:\\a\\..\\b.exe", L"C:/b.exe", L"C:\\.exe"})
        EXPECT_FALSE(IsBrowserProgramPath(path)) << path;
}

TEST(FeedbackSettings, NewerOnlyForAStrictlyNewerAnnouncedVersion) {
    const std::tuple<const char*, const wchar_t*, int> cases[] = {
        {"1.0.20.1117", L"1.0.20.1116", kVersionNewerExists}, {"2", L"1.0.20.1116", kVersionNewerExists},
        {"1.0.100.0", L"1.0.20.1116", kVersionNewerExists},   {"1.0.20.1116", L"1.0.20.1116", kVersionCurrent},
        {"1.0.20", L"1.0.20.0", kVersionCurrent},             {"v2.0", L"1.0.20.1116", kVersionCurrent},
        {"1..2", L"1.0.20.1116", kVersionCurrent},            {"999999.0", L"1.0.20.1116", kVersionCurrent},
        {"1.0.3.0", L"1.0.20.1116", kVersionCurrent},         {"2.0", L"garbage", kVersionCurrent}};
    for (const auto& [latest, version, expected] : cases)
        EXPECT_EQ(FeedbackSettings::Parse(std::string("[Update]\nLatestVersion=") + latest).CompareWithLatest(version),
                  expected)
            << latest << " vs " << version;
}

TEST(FeedbackRecord, LineRoundTripsWhateverTheFieldsHold) {
    const FeedbackRecord record{L"2024-05-01 12:00:00", L"CustomerFeedbackEx", L"10\t100", L"1.0.20.1116", L"1",
                                L"1714560000",          L"反馈\r\nsecond\x01"};
    const std::string line = FormatFeedbackLine(record);
    ASSERT_GE(line.size(), 2u);
    // Tabs and line breaks in fields cannot split it.
    EXPECT_TRUE(line.find('\n') == line.size() - 1 && line.substr(line.size() - 2) == "\r\n");
    FeedbackRecord back;
    ASSERT_TRUE(ParseFeedbackLine(line, back));
    EXPECT_EQ(back.localTime + back.call + back.toolVersion + back.answer + back.time + L"|" + back.toolId + L"|" +
                  back.text,
              L"2024-05-01 12:00:00CustomerFeedbackEx1.0.20.111611714560000|10 100|反馈  second ");
    EXPECT_FALSE(ParseFeedbackLine("a\tb\tc\r\n", back) || ParseFeedbackLine("", back));
    EXPECT_EQ(CleanField(std::wstring(1023, L'x') + L"\xD83D\xDE00").size(), 1023u); // a pair straddling the limit
    EXPECT_EQ(CleanField(L"abc", 2) + L"|" + FormatLocalTime(2024, 5, 1, 7, 8, 9), L"ab|2024-05-01 07:08:09");
}

} // namespace
} // namespace tsu::feedback
