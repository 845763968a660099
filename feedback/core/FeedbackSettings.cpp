#include "feedback/core/FeedbackSettings.h"

#include "core/TextRules.h"

#include <algorithm>

namespace tsu::feedback {

namespace {

constexpr size_t kMaxUrlChars = 2048;
constexpr size_t kMaxVersionParts = 4;
constexpr unsigned kMaxVersionPart = 99999;

std::wstring LowerAscii(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower) {
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return lower;
}

std::wstring MakeKey(std::wstring_view section, std::wstring_view key) {
    return LowerAscii(TrimWhitespace(section)) + L'\n' + LowerAscii(TrimWhitespace(key));
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && LowerAscii(text.substr(0, prefix.size())) == prefix;
}

std::wstring StripTrailingSlashes(std::wstring text) {
    while (!text.empty() && text.back() == L'/')
        text.pop_back();
    return text;
}

} // namespace

std::wstring DecodeTextFile(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::wstring text;
        text.reserve((bytes.size() - 2) / 2);
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto low = static_cast<unsigned char>(bytes[i]);
            const auto high = static_cast<unsigned char>(bytes[i + 1]);
            text.push_back(static_cast<wchar_t>(low | (high << 8)));
        }
        return text;
    }
    if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
        static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF)
        bytes.remove_prefix(3);
    return FromUtf8(bytes);
}

FeedbackSettings FeedbackSettings::Parse(std::string_view bytes) {
    FeedbackSettings settings;
    const std::wstring text = DecodeTextFile(bytes);
    std::wstring section;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring line = TrimWhitespace(std::wstring_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == L';' || line[0] == L'#')
            continue;
        if (line.front() == L'[') {
            const size_t close = line.find(L']');
            if (close != std::wstring::npos)
                section = line.substr(1, close - 1);
            continue;
        }
        const size_t equals = line.find(L'=');
        if (equals == std::wstring::npos || equals == 0)
            continue;
        const std::wstring value = TrimWhitespace(std::wstring_view(line).substr(equals + 1));
        // The first occurrence wins, as the profile functions of Windows read it.
        settings.m_values.emplace(MakeKey(section, std::wstring_view(line).substr(0, equals)), value);
    }
    return settings;
}

std::optional<std::wstring> FeedbackSettings::Value(std::wstring_view section, std::wstring_view key) const {
    const auto found = m_values.find(MakeKey(section, key));
    if (found == m_values.end() || found->second.empty())
        return std::nullopt;
    return found->second;
}

std::wstring FeedbackSettings::KnowledgeBaseUrl() const {
    if (const auto url = Value(L"Feedback", L"KnowledgeBaseUrl"); url && IsWebAddress(*url)) {
        std::wstring base = StripTrailingSlashes(*url);
        if (IsWebAddress(base))
            return base;
    }
    return kDefaultKnowledgeBaseUrl;
}

std::wstring FeedbackSettings::DownloadUrl() const {
    if (const auto url = Value(L"Update", L"DownloadUrl"); url && IsWebAddress(*url))
        return *url;
    return KnowledgeBaseUrl();
}

std::wstring FeedbackSettings::LatestVersion() const {
    return Value(L"Update", L"LatestVersion").value_or(L"");
}

std::wstring FeedbackSettings::BrowserProgram() const {
    const std::wstring program = Value(L"Browser", L"Program").value_or(L"");
    // A program path in quotes is taken without them; a path with quotes inside is refused.
    std::wstring unquoted = program;
    if (unquoted.size() >= 2 && unquoted.front() == L'"' && unquoted.back() == L'"')
        unquoted = unquoted.substr(1, unquoted.size() - 2);
    return IsBrowserProgramPath(unquoted) ? unquoted : std::wstring();
}

bool IsBrowserProgramPath(std::wstring_view path) {
    constexpr std::wstring_view kExe = L".exe";
    const bool driveRoot = path.size() > 3 &&
                           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
                           path[1] == L':' && path[2] == L'\\';
    if (!driveRoot || path.size() <= 3 + kExe.size())
        return false;
    for (const wchar_t c : path) {
        if (c < 0x20 || c == 0x7F || c == L'"' || c == L'%' || c == L'/')
            return false;
    }
    for (size_t i = 0; i < kExe.size(); ++i) {
        wchar_t c = path[path.size() - kExe.size() + i];
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != kExe[i])
            return false;
    }
    // Every part between the backslashes is a name: none empty, none "." or "..".
    for (size_t start = 3; start <= path.size();) {
        const size_t end = std::min(path.find(L'\\', start), path.size());
        const std::wstring_view part = path.substr(start, end - start);
        if (part.empty() || part == L"." || part == L"..")
            return false;
        start = end + 1;
    }
    return true;
}

int FeedbackSettings::CompareWithLatest(std::wstring_view currentVersion) const {
    const auto latest = ParseVersion(LatestVersion());
    const auto current = ParseVersion(currentVersion);
    if (!latest || !current)
        return kVersionCurrent;
    return CompareVersions(*latest, *current) > 0 ? kVersionNewerExists : kVersionCurrent;
}

std::optional<std::vector<unsigned>> ParseVersion(std::wstring_view text) {
    const std::wstring trimmed = TrimWhitespace(text);
    if (trimmed.empty())
        return std::nullopt;
    std::vector<unsigned> parts;
    unsigned value = 0;
    size_t digits = 0;
    for (size_t i = 0; i <= trimmed.size(); ++i) {
        if (i == trimmed.size() || trimmed[i] == L'.') {
            if (digits == 0 || parts.size() == kMaxVersionParts)
                return std::nullopt;
            parts.push_back(value);
            value = 0;
            digits = 0;
            continue;
        }
        const wchar_t c = trimmed[i];
        if (c < L'0' || c > L'9')
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - L'0');
        if (++digits > 5 || value > kMaxVersionPart)
            return std::nullopt;
    }
    return parts;
}

int CompareVersions(const std::vector<unsigned>& a, const std::vector<unsigned>& b) {
    const size_t count = std::max(a.size(), b.size());
    for (size_t i = 0; i < count; ++i) {
        const unsigned left = i < a.size() ? a[i] : 0;
        const unsigned right = i < b.size() ? b[i] : 0;
        if (left != right)
            return left < right ? -1 : 1;
    }
    return 0;
}

bool IsWebAddress(std::wstring_view url) {
    if (url.size() > kMaxUrlChars)
        return false;
    size_t schemeLength = 0;
    if (StartsWithNoCase(url, L"https://"))
        schemeLength = 8;
    else if (StartsWithNoCase(url, L"http://"))
        schemeLength = 7;
    else
        return false;
    if (url.size() <= schemeLength || url[schemeLength] == L'/')
        return false;
    return std::none_of(url.begin(), url.end(),
                        [](wchar_t c) { return c < 0x20 || c == 0x7F || c == L'"' || c == L' '; });
}

std::wstring JoinUrl(std::wstring_view base, std::wstring_view path) {
    std::wstring joined = StripTrailingSlashes(std::wstring(base));
    if (!path.empty() && path.front() != L'/')
        joined += L'/';
    joined += path;
    return joined;
}

} // namespace tsu::feedback
