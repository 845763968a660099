#include "log/core/LogFormat.h"

#include "core/TextRules.h"

#include <cstdio>

namespace tsu {

std::string FormatLogStamp(const LogTime& t) {
    char buffer[96] = {};
    std::snprintf(buffer, sizeof buffer, "[%04d-%02d-%02d %02d:%02d:%02d %03dms]   ", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.millisecond);
    return buffer;
}

std::string FormatLogEntry(const LogTime& time, std::string_view text) {
    std::string entry = FormatLogStamp(time);
    entry.append(text);
    entry.append("\r\n");
    return entry;
}

std::string FormatHexText(const unsigned char* data, int32_t length) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    if (!data || length <= 0)
        return text;
    text.reserve(static_cast<size_t>(length) * 3);
    for (int32_t i = 0; i < length; ++i) {
        text.push_back(kDigits[data[i] >> 4]);
        text.push_back(kDigits[data[i] & 0x0F]);
        text.push_back(' ');
    }
    return text;
}

bool ParsePrintSwitch(std::wstring_view value) { return ParseLeadingInt(TrimWhitespace(value)) == 1; }

bool IsOpenFileWriterMode(std::wstring_view mode) { return ParseLeadingInt(TrimWhitespace(mode)) == 1; }

} // namespace tsu
