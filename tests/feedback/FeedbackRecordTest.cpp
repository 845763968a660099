// Feedback lines: one line per answer whatever the caller passes, readable back field by field.

#include "feedback/core/FeedbackRecord.h"

#include <gtest/gtest.h>

namespace tsu::feedback {
namespace {

TEST(FeedbackRecord, LineRoundTripsAndEndsWithCrLf) {
    FeedbackRecord record{
        L"2024-05-01 12:00:00", L"CustomerFeedbackEx", L"10100", L"1.0.20.1116", L"1", L"1714560000", L"反馈"};
    const std::string line = FormatFeedbackLine(record);
    ASSERT_GE(line.size(), 2u);
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
    EXPECT_EQ(line.find('\n'), line.size() - 1);
    FeedbackRecord back;
    ASSERT_TRUE(ParseFeedbackLine(line, back));
    EXPECT_EQ(back.call, L"CustomerFeedbackEx");
    EXPECT_EQ(back.toolId, L"10100");
    EXPECT_EQ(back.answer, L"1");
    EXPECT_EQ(back.time, L"1714560000");
    EXPECT_EQ(back.text, L"反馈");
}

TEST(FeedbackRecord, TabsAndLineBreaksInFieldsCannotSplitTheLine) {
    FeedbackRecord record;
    record.toolId = L"10\t100";
    record.text = L"first\r\nsecond\x01";
    const std::string line = FormatFeedbackLine(record);
    EXPECT_EQ(line.find('\n'), line.size() - 1);
    FeedbackRecord back;
    ASSERT_TRUE(ParseFeedbackLine(line, back));
    EXPECT_EQ(back.toolId, L"10 100");
    EXPECT_EQ(back.text, L"first  second ");
}

TEST(FeedbackRecord, LongFieldsAreCutOutsideSurrogatePairs) {
    std::wstring text(1023, L'x');
    text += L"\xD83D\xDE00"; // a pair straddling the limit
    const std::wstring clean = CleanField(text);
    EXPECT_EQ(clean.size(), 1023u);
    EXPECT_EQ(CleanField(L"abc", 2), L"ab");
}

TEST(FeedbackRecord, LinesWithTheWrongFieldCountAreRejected) {
    FeedbackRecord back;
    EXPECT_FALSE(ParseFeedbackLine("a\tb\tc\r\n", back));
    EXPECT_FALSE(ParseFeedbackLine("", back));
}

TEST(FeedbackRecord, LocalTimeFormat) {
    EXPECT_EQ(FormatLocalTime(2024, 5, 1, 7, 8, 9), L"2024-05-01 07:08:09");
}

} // namespace
} // namespace tsu::feedback
