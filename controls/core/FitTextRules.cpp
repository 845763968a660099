#include "controls/core/FitTextRules.h"

#include <algorithm>

namespace tsu {

namespace {

thread_local std::size_t t_measureCount = 0;

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

// A cut after n characters must not split a surrogate pair.
bool IsCleanCut(std::wstring_view text, std::size_t n) {
    return n == 0 || !IsHighSurrogate(text[n - 1]);
}

} // namespace

std::size_t LastFitTextMeasureCount() {
    return t_measureCount;
}

std::wstring FitTextToWidth(std::wstring_view text, int maxWidth, const TextWidthFunction& width) {
    t_measureCount = 0;
    auto measure = [&](std::wstring_view part) {
        ++t_measureCount;
        return width(part);
    };
    if (text.empty())
        return std::wstring();
    const int fullWidth = measure(text);
    if (fullWidth + 4 < maxWidth)
        return std::wstring(text);

    // The working buffer holds at most kFitTextBufferChars characters. The loop starts from the
    // buffer's length, never from the full text's, so it does not look past the buffer.
    std::size_t bufferLength = std::min(text.size(), kFitTextBufferChars);
    if (!IsCleanCut(text, bufferLength))
        --bufferLength;
    const std::wstring_view buffer = text.substr(0, bufferLength);
    const int ellipsisWidth = measure(kFitTextEllipsis);

    std::size_t n = text.size() > bufferLength ? bufferLength : (bufferLength > 0 ? bufferLength - 1 : 0);
    for (; n >= 1; --n) {
        if (!IsCleanCut(buffer, n))
            continue;
        if (measure(buffer.substr(0, n)) + ellipsisWidth < maxWidth)
            return std::wstring(buffer.substr(0, n)) + kFitTextEllipsis;
    }
    // Nothing fits: the first character (both halves of a pair) and "...".
    const std::size_t first = (text.size() >= 2 && IsHighSurrogate(text[0])) ? 2 : 1;
    return std::wstring(text.substr(0, first)) + kFitTextEllipsis;
}

} // namespace tsu
