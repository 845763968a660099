#include "smart/core/CanonicalPathText.h"

#include "core/PathText.h"

namespace tsu {

namespace {

// Host names that mean this computer in a UNC path.
constexpr std::wstring_view kLocalHosts[] = {L"localhost", L"127.0.0.1", L"::1", L"0--1.ipv6-literal.net", L"."};
// Characters Windows refuses in a file name; ":" only in a stream name, which is no folder.
constexpr std::wstring_view kRefusedNameChars = L"<>:\"|?*";

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

wchar_t UpperDriveLetter(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

// The next segment of rest, which is consumed up to the separator after it.
std::wstring_view NextSegment(std::wstring_view& rest) {
    while (!rest.empty() && rest.front() == L'\\')
        rest.remove_prefix(1);
    const size_t end = rest.find(L'\\');
    const std::wstring_view segment = rest.substr(0, end);
    rest.remove_prefix(end == std::wstring_view::npos ? rest.size() : end);
    return segment;
}

bool IsLocalHost(std::wstring_view host, const std::vector<std::wstring>& ownNames) {
    for (const std::wstring_view local : kLocalHosts) {
        if (EqualsIgnoreCase(host, local))
            return true;
    }
    for (const std::wstring& own : ownNames) {
        if (!own.empty() && EqualsIgnoreCase(host, own))
            return true;
    }
    return false;
}

} // namespace

std::wstring PathFromFinalName(std::wstring_view path) {
    // "\??\" is the native spelling some links store.
    for (const std::wstring_view prefix : {L"\\\\?\\", L"\\\\.\\", L"\\??\\"}) {
        if (!StartsWith(path, prefix))
            continue;
        const std::wstring_view named = path.substr(prefix.size());
        if (named.size() >= 4 && EqualsIgnoreCase(named.substr(0, 4), L"UNC\\"))
            return L"\\\\" + std::wstring(named.substr(4));
        if (named.size() >= 2 && IsDriveLetter(named[0]) && named[1] == L':')
            return std::wstring(named);
        break;
    }
    return std::wstring(path);
}

std::optional<std::wstring> CanonicalPathText(std::wstring_view input, const std::vector<std::wstring>& ownNames) {
    std::wstring slashed(input);
    for (auto& c : slashed)
        c = c == L'/' ? L'\\' : c;
    const std::wstring text = PathFromFinalName(slashed);
    // A prefix left in place names a volume or device, no drive. "\\.\c$" stays: "." is this
    // computer's name below.
    if (StartsWith(text, L"\\\\?\\") || StartsWith(text, L"\\??\\"))
        return std::nullopt;
    std::wstring_view rest = text;

    std::wstring root;
    if (rest.size() >= 3 && IsDriveLetter(rest[0]) && rest[1] == L':' && rest[2] == L'\\') {
        root = {UpperDriveLetter(rest[0]), L':', L'\\'};
        rest.remove_prefix(3);
    } else if (rest.size() == 2 && IsDriveLetter(rest[0]) && rest[1] == L':') {
        return std::nullopt; // the current folder of that drive
    } else if (StartsWith(rest, L"\\\\")) {
        rest.remove_prefix(2);
        const std::wstring_view host = NextSegment(rest);
        const std::wstring_view share = NextSegment(rest);
        if (host.empty() || share.empty())
            return std::nullopt;
        if (share.size() == 2 && IsDriveLetter(share[0]) && share[1] == L'$' && IsLocalHost(host, ownNames))
            root = {UpperDriveLetter(share[0]), L':', L'\\'};
        else
            root = L"\\\\" + std::wstring(host) + L"\\" + std::wstring(share);
    } else {
        return std::nullopt;
    }

    std::vector<std::wstring_view> segments;
    while (!rest.empty()) {
        std::wstring_view segment = NextSegment(rest);
        if (segment.empty() || segment == L".")
            continue;
        if (segment == L"..") {
            if (!segments.empty()) // Windows stops ".." at the root, as here
                segments.pop_back();
            continue;
        }
        while (!segment.empty() && (segment.back() == L'.' || segment.back() == L' '))
            segment.remove_suffix(1);
        // "..." or " " would name a folder only through "\\?\"; which one is not for the text to say.
        if (segment.empty() || segment.find_first_of(kRefusedNameChars) != std::wstring_view::npos)
            return std::nullopt;
        for (const wchar_t c : segment) {
            if (c < L' ')
                return std::nullopt;
        }
        segments.push_back(segment);
    }

    std::wstring result = root;
    for (const std::wstring_view segment : segments) {
        if (result.back() != L'\\')
            result += L'\\';
        result += segment;
    }
    return result;
}

} // namespace tsu
