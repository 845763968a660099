#pragma once
// One answer the feedback library keeps: which call made it, the tool's id and version, the answer
// and its time. Written as one tab-separated UTF-8 line so that no answer is lost while offline
// and a line can always be read back. Portable: no Win32 here.

#include <cstdint>
#include <string>
#include <string_view>

namespace tsu::feedback {

// The file in the tool's log folder "ToolLog" that collects the lines.
inline constexpr wchar_t kFeedbackFileName[] = L"VeltorFeedback.txt";

struct FeedbackRecord {
    std::wstring localTime; // "2024-05-01 12:00:00", when the line was written
    std::wstring call;      // the export that was called, e.g. "CustomerFeedbackEx"
    std::wstring toolId;
    std::wstring toolVersion;
    std::wstring answer; // decimal answer code, or empty
    std::wstring time;   // the caller's time text (seconds since 1970), or empty
    std::wstring text;   // free text, or empty
};

// "YYYY-MM-DD hh:mm:ss".
[[nodiscard]] std::wstring FormatLocalTime(int year, int month, int day, int hour, int minute, int second);

// A field as it goes into the line: tabs, CR, LF and other control characters become blanks, and
// a field is cut to 1024 characters (never inside a surrogate pair), so a line stays one line.
[[nodiscard]] std::wstring CleanField(std::wstring_view field, size_t maxChars = 1024);

// The UTF-8 line with CR LF: the fields in the order of the struct, tab-separated.
[[nodiscard]] std::string FormatFeedbackLine(const FeedbackRecord& record);

// Reads a line written by FormatFeedbackLine back (without its CR LF); false when it has not
// seven fields.
[[nodiscard]] bool ParseFeedbackLine(std::string_view line, FeedbackRecord& record);

} // namespace tsu::feedback
