#include "core/PathRules.h"

namespace tsu {

namespace {
wchar_t LowerAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}
} // namespace

bool IsNetworkPath(std::wstring_view path) {
    const auto isSeparator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    if (path.size() < 4)
        return path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]);
    // "\\?\" and "\\.\" lead into the device namespace, and so does "\??\", which the path
    // functions pass on unchanged; anything else after two separators is a server name.
    const bool device = (isSeparator(path[0]) && isSeparator(path[1]) && (path[2] == L'?' || path[2] == L'.') &&
                         isSeparator(path[3])) ||
                        (path[0] == L'\\' && path[1] == L'?' && path[2] == L'?' && path[3] == L'\\');
    if (!device)
        return isSeparator(path[0]) && isSeparator(path[1]);
    const std::wstring_view rest = path.substr(4);
    const bool drive = rest.size() >= 2 && LowerAscii(rest[0]) >= L'a' && LowerAscii(rest[0]) <= L'z' &&
                       rest[1] == L':' && (rest.size() == 2 || isSeparator(rest[2]));
    return !drive;
}

} // namespace tsu
