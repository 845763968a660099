#pragma once
// Shared by the log tests: reading entries back from real files.

#include <regex>
#include <string>
#include <vector>

namespace tsu::test {

// Splits on CR LF; a line end of anything else leaves the rest in the last element.
inline std::vector<std::string> SplitCrLf(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    if (start < bytes.size())
        lines.push_back(bytes.substr(start));
    return lines;
}

// "[YYYY-MM-DD hh:mm:ss mmmms]   " followed by the text.
inline bool IsEntry(const std::string& line, std::string* text = nullptr) {
    static const std::regex stamp(R"(^\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} \d{3}ms\]   )");
    std::smatch match;
    if (!std::regex_search(line, match, stamp))
        return false;
    if (text)
        *text = line.substr(match.length(0));
    return true;
}

} // namespace tsu::test
