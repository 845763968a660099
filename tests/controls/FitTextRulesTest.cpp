// FitText's cutting loop over a width callback: when a text is left alone, where it is cut, the
// 1,024-character working buffer, and surrogate pairs.

#include "controls/core/FitTextRules.h"

#include <gtest/gtest.h>

#include <string>

namespace tsu {
namespace {

// Every character is 7 pixels wide, "..." is 9 (like a proportional font's narrow dots).
int FixedWidth(std::wstring_view text) {
    if (text == kFitTextEllipsis)
        return 9;
    return static_cast<int>(text.size()) * 7;
}

struct FitCase {
    const wchar_t* text;
    int maxWidth;
    const wchar_t* expected;
};

class FitTextTable : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitTextTable, CutsOnlyWhenTheTextDoesNotFit) {
    const FitCase& c = GetParam();
    EXPECT_EQ(FitTextToWidth(c.text, c.maxWidth, FixedWidth), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, FitTextTable,
                         ::testing::Values(
                             // Empty stays empty, whatever the width.
                             FitCase{L"", 0, L""}, FitCase{L"", 100, L""},
                             // "abcd" is 28 wide: it fits while 28 + 4 is below the width.
                             FitCase{L"abcd", 33, L"abcd"},
                             // Exactly the width minus 4: not below, so it is shortened.
                             FitCase{L"abcd", 32, L"abc..."},
                             // 3 characters (21) + "..." (9) = 30 < 31; 2 characters (14) + 9 = 23.
                             FitCase{L"abcdefgh", 31, L"abc..."}, FitCase{L"abcdefgh", 30, L"ab..."},
                             // Nothing fits: the first character and "...".
                             FitCase{L"abcdefgh", 5, L"a..."}, FitCase{L"abcdefgh", -10, L"a..."},
                             // A single character that does not fit cannot be shortened further.
                             FitCase{L"W", 3, L"W..."}));

TEST(FitText, TextsThatFitAreMeasuredOnce) {
    (void)FitTextToWidth(L"short", 1000, FixedWidth);
    EXPECT_EQ(LastFitTextMeasureCount(), 1u);
}

TEST(FitText, LongTextsAreCutFromTheirFirst1024Characters) {
    // 100,000 characters: the loop must start at the buffer's end, never past it.
    const std::wstring text(100000, L'x');
    size_t longest = 0;
    auto width = [&](std::wstring_view part) {
        if (part != kFitTextEllipsis && part.size() != text.size())
            longest = std::max(longest, part.size());
        return FixedWidth(part);
    };
    const std::wstring fitted = FitTextToWidth(text, 7 * 2000, width);
    EXPECT_LE(longest, kFitTextBufferChars);
    // The whole buffer fits: 1,024 characters and "...".
    EXPECT_EQ(fitted, std::wstring(kFitTextBufferChars, L'x') + L"...");
}

TEST(FitText, LongTextCutShortWhenTheWidthIsSmall) {
    const std::wstring text(5000, L'y');
    const std::wstring fitted = FitTextToWidth(text, 7 * 10 + 9 + 1, FixedWidth);
    EXPECT_EQ(fitted, std::wstring(10, L'y') + L"...");
    // Measured: the full text, "...", then from 1,024 down to 10 characters.
    EXPECT_EQ(LastFitTextMeasureCount(), 2u + (kFitTextBufferChars - 10 + 1));
}

// U+1F600 as its two UTF-16 units, spelled out so the test means the same where wchar_t is 32 bits.
const std::wstring kPair = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};

TEST(FitText, NeverSplitsASurrogatePair) {
    // Each unit counts 7 pixels here.
    const std::wstring text = L"ab" + kPair + L"cd";
    ASSERT_EQ(text.size(), 6u);
    // 4 units (a, b, the pair) = 28 + 9 = 37 < 38; a cut after 3 units would split the pair.
    EXPECT_EQ(FitTextToWidth(text, 38, FixedWidth), L"ab" + kPair + L"...");
    EXPECT_EQ(FitTextToWidth(text, 37, FixedWidth), L"ab...");
    // A pair first: the whole pair is "the first character".
    EXPECT_EQ(FitTextToWidth(kPair + L"xyz", 1, FixedWidth), kPair + L"...");
}

TEST(FitText, BufferBoundaryInsideASurrogatePairIsMovedBeforeIt) {
    std::wstring text(kFitTextBufferChars - 1, L'z');
    text += kPair; // units 1023 and 1024: the pair straddles the buffer's end
    text += L"tail";
    size_t longest = 0;
    auto width = [&](std::wstring_view part) {
        if (part != kFitTextEllipsis && part.size() != text.size())
            longest = std::max(longest, part.size());
        return FixedWidth(part);
    };
    const std::wstring fitted = FitTextToWidth(
        text, 1 << 30, [&](std::wstring_view p) { return p.size() == text.size() ? (1 << 30) : width(p); });
    EXPECT_EQ(fitted, std::wstring(kFitTextBufferChars - 1, L'z') + L"...");
    EXPECT_LE(longest, kFitTextBufferChars - 1);
}

} // namespace
} // namespace tsu
