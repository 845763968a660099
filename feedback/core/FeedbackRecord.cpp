#include "feedback/core/FeedbackRecord.h"

#include "core/TextRules.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

namespace tsu::feedback {

namespace {

constexpr size_t kFieldCount = 7;

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

} // namespace

std::wstring FormatLocalTime(int year, int month, int day, int hour, int minute, int second) {
    char buffer[32] = {};
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    return WidenAscii(buffer);
}

std::wstring CleanField(std::wstring_view field, size_t maxChars) {
    std::wstring clean;
    clean.reserve(std::min(field.size(), maxChars));
    for (wchar_t c : field) {
        if (clean.size() == maxChars)
            break;
        clean.push_back((c < 0x20 || c == 0x7F) ? L' ' : c);
    }
    // A cut right after the first half of a surrogate pair would leave half a character.
    if (clean.size() == maxChars && clean.size() < field.size() && !clean.empty() && IsHighSurrogate(clean.back()))
        clean.pop_back();
    return clean;
}

std::string FormatFeedbackLine(const FeedbackRecord& record) {
    const std::array<const std::wstring*, kFieldCount> fields = {&record.localTime,   &record.call,   &record.toolId,
                                                                 &record.toolVersion, &record.answer, &record.time,
                                                                 &record.text};
    std::wstring line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += L'\t';
        line += CleanField(*fields[i]);
    }
    line += L"\r\n";
    return ToUtf8(line);
}

bool ParseFeedbackLine(std::string_view line, FeedbackRecord& record) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    const std::wstring text = FromUtf8(line);
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = text.find(L'\t', start);
        fields.push_back(text.substr(start, tab == std::wstring::npos ? std::wstring::npos : tab - start));
        if (tab == std::wstring::npos)
            break;
        start = tab + 1;
    }
    if (fields.size() != kFieldCount)
        return false;
    record = FeedbackRecord{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6]};
    return true;
}

} // namespace tsu::feedback
