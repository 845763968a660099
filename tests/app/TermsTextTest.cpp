// The terms text: its shape is what the viewer relies on.

#include "app/core/TermsText.h"

#include <gtest/gtest.h>

namespace tsu {
namespace {

TEST(TermsText, TitleNoticeAndSixSectionsInOrder) {
    const std::wstring& text = TermsText();
    EXPECT_EQ(text.rfind(L"《Veltor服务工具使用许可协议》\r\n\r\n", 0), 0u);
    size_t previous = text.find(L"    重要须知\r\n");
    ASSERT_NE(previous, std::wstring::npos);
    for (const wchar_t* section : {L"一.", L"二.", L"三.", L"四.", L"五.", L"六."}) {
        const size_t at = text.find(std::wstring(L"\r\n\r\n    ") + section);
        ASSERT_NE(at, std::wstring::npos) << section;
        EXPECT_GT(at, previous);
        previous = at;
    }
    EXPECT_GT(text.size(), 2000u);
}

TEST(TermsText, EveryParagraphStartsWithFourSpacesAndEndsWithCrLf) {
    const std::wstring& text = TermsText();
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), L"\r\n");
    size_t start = text.find(L"\r\n") + 2; // after the title
    int paragraphs = 0;
    while (start < text.size()) {
        const size_t end = text.find(L"\r\n", start);
        ASSERT_NE(end, std::wstring::npos);
        const std::wstring line = text.substr(start, end - start);
        if (!line.empty()) {
            EXPECT_EQ(line.rfind(L"    ", 0), 0u) << "paragraph " << paragraphs;
            EXPECT_NE(line[4], L' ');
            ++paragraphs;
        }
        EXPECT_EQ(line.find(L'\n'), std::wstring::npos);
        start = end + 2;
    }
    EXPECT_GT(paragraphs, 30);
}

} // namespace
} // namespace tsu
