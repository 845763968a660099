#include "core/PathText.h"

namespace tsu {

namespace {
bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}
} // namespace

size_t FindIgnoreCase(std::wstring_view text, std::wstring_view part, size_t from) {
    if (part.empty())
        return from <= text.size() ? from : std::wstring_view::npos;
    if (part.size() > text.size())
        return std::wstring_view::npos;
    for (size_t i = from; i + part.size() <= text.size(); ++i) {
        size_t j = 0;
        while (j < part.size() && FoldAsciiCase(text[i + j]) == FoldAsciiCase(part[j]))
            ++j;
        if (j == part.size())
            return i;
    }
    return std::wstring_view::npos;
}

bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i]))
            return false;
    }
    return true;
}

std::wstring StripQuotes(std::wstring_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && text[begin] == L'"')
        ++begin;
    while (end > begin && text[end - 1] == L'"')
        --end;
    return std::wstring(text.substr(begin, end - begin));
}

std::wstring TrimTrailingSeparators(std::wstring_view path) {
    size_t end = path.size();
    while (end > 0 && path[end - 1] == L'\\')
        --end;
    // "C:\" keeps its separator: "C:" alone means the current folder of drive C.
    if (end == 2 && path.size() > 2 && path[1] == L':')
        end = 3;
    return std::wstring(path.substr(0, end));
}

bool IsAbsolutePath(std::wstring_view path) {
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && path[2] == L'\\')
        return true;
    return path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\';
}

bool IsBareFileName(std::wstring_view path) {
    return !path.empty() && path.find_first_of(L"\\/:") == std::wstring_view::npos;
}

bool SamePath(std::wstring_view a, std::wstring_view b) {
    return EqualsIgnoreCase(TrimTrailingSeparators(a), TrimTrailingSeparators(b));
}

bool IsPathBelow(std::wstring_view path, std::wstring_view folder) {
    const std::wstring base = TrimTrailingSeparators(folder);
    if (base.empty() || path.size() <= base.size())
        return false;
    if (!EqualsIgnoreCase(path.substr(0, base.size()), base))
        return false;
    // "C:\Windows2" is not below "C:\Windows"; "C:\x" is below "C:\".
    if (base.back() == L'\\')
        return true;
    return path[base.size()] == L'\\' && path.size() > base.size() + 1;
}

bool IsRootPath(std::wstring_view path) {
    const std::wstring trimmed = TrimTrailingSeparators(path);
    if (trimmed.size() == 2 && IsDriveLetter(trimmed[0]) && trimmed[1] == L':')
        return true;
    if (trimmed.size() == 3 && IsDriveLetter(trimmed[0]) && trimmed[1] == L':' && trimmed[2] == L'\\')
        return true;
    if (trimmed.size() > 2 && trimmed[0] == L'\\' && trimmed[1] == L'\\') {
        // \\server or \\server\share: at most one separator after the leading pair.
        const std::wstring_view rest = std::wstring_view(trimmed).substr(2);
        if (rest.empty() || rest[0] == L'\\')
            return false;
        const size_t separator = rest.find(L'\\');
        return separator == std::wstring_view::npos || rest.find(L'\\', separator + 1) == std::wstring_view::npos;
    }
    return false;
}

} // namespace tsu
