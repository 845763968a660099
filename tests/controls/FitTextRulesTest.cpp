#include "controls/core/FitTextRules.h"

#include <gtest/gtest.h>

#include <string>

namespace tsu {
namespace {

// Every character is 7 pixels wide, "..." is 9 (like a proportional font's narrow dots).
int FixedWidth(std::wstring_view text) {
    return text == kFitTextEllipsis ? 9 : static_cast<int>(text.size()) * 7;
}

// U+10000 (the lowest pair, D800 DC00) as its two UTF-16 units, spelled out so the test means the
// same where wchar_t is 32 bits.
const std::wstring kPair = {static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0xDC00)};
const std::wstring kTopPair = {static_cast<wchar_t>(0xDBFF), static_cast<wchar_t>(0xDFFF)}; // U+10FFFF

TEST(FitText, CutsOnlyWhenTheTextDoesNotFit) {
    struct Case {
        std::wstring text;
        int maxWidth;
        std::wstring expected;
    };
    // "abcd" in 33: 28 + 4 < 33; "abcdefgh" in 31: 21 + 9 < 31; a, b and a pair: 28 + 9 < 38, and no cut splits it.
    const Case cases[] = {
        {L"", 0, L""}, {L"", 100, L""}, {L"abcd", 33, L"abcd"}, {L"abcd", 32, L"abc..."}, {L"abcdefgh", 31, L"abc..."},
        {L"abcdefgh", 30, L"ab..."}, {L"abcdefgh", 5, L"a..."}, {L"abcdefgh", -10, L"a..."}, {L"W", 3, L"W..."},
        {L"ab" + kPair + L"cd", 38, L"ab" + kPair + L"..."}, {L"ab" + kPair + L"cd", 37, L"ab..."},
        {kPair + L"xyz", 1, kPair + L"..."}, {L"ab" + kTopPair + L"cd", 37, L"ab..."}};
    for (const Case& c : cases)
        EXPECT_EQ(FitTextToWidth(c.text, c.maxWidth, FixedWidth), c.expected) << c.text.size() << " in " << c.maxWidth;
    (void)FitTextToWidth(L"short", 1000, FixedWidth);
    EXPECT_EQ(LastFitTextMeasureCount(), 1u); // a text that fits is measured once
}

// Cuts text with FixedWidth; longest is the longest prefix measured (the whole text and "..." aside).
std::wstring FitRecording(const std::wstring& text, int maxWidth, size_t& longest) {
    longest = 0;
    return FitTextToWidth(text, maxWidth, [&](std::wstring_view part) {
        if (part.size() == text.size())
            return 1 << 30;
        if (part != kFitTextEllipsis)
            longest = std::max(longest, part.size());
        return FixedWidth(part);
    });
}

TEST(FitText, LongTextsAreCutFromTheirFirst1024CharactersAndShortWhenTheWidthIsSmall) {
    size_t longest = 0;
    // 100,000 characters: the loop must start at the buffer's end, never past it.
    EXPECT_EQ(FitRecording(std::wstring(100000, L'x'), 7 * 2000, longest),
              std::wstring(kFitTextBufferChars, L'x') + L"...");
    EXPECT_LE(longest, kFitTextBufferChars);
    // Units 1023 and 1024 are a pair straddling the buffer's end: the boundary moves before it.
    const std::wstring straddling = std::wstring(kFitTextBufferChars - 1, L'z') + kPair + L"tail";
    EXPECT_EQ(FitRecording(straddling, 1 << 30, longest), std::wstring(kFitTextBufferChars - 1, L'z') + L"...");
    EXPECT_LE(longest, kFitTextBufferChars - 1);
    EXPECT_EQ(FitTextToWidth(std::wstring(5000, L'y'), 7 * 10 + 9 + 1, FixedWidth), std::wstring(10, L'y') + L"...");
    // Measured: the full text, "...", then from 1,024 down to 10 characters.
    EXPECT_EQ(LastFitTextMeasureCount(), 2u + (kFitTextBufferChars - 10 + 1));
}

} // namespace
} // namespace tsu
