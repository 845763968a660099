#include "smart/core/AnalysisRules.h"

#include "core/PathText.h"

namespace tsu {

namespace {
constexpr std::wstring_view kShortcutExtension = L".lnk";
constexpr std::wstring_view kStartMenuAnchor = L"Programs";
} // namespace

std::wstring ProgramNameFromShortcut(std::wstring_view shortcutPath) {
    const size_t slash = shortcutPath.rfind(L'\\');
    if (slash == std::wstring_view::npos)
        return std::wstring();
    const std::wstring_view fileName = shortcutPath.substr(slash + 1);
    const size_t dot = fileName.find(L'.');
    if (dot == std::wstring_view::npos)
        return std::wstring();
    return std::wstring(fileName.substr(0, dot));
}

std::wstring ParentFolder(std::wstring_view path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, slash));
}

std::wstring LastPathComponent(std::wstring_view path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(slash + 1));
}

bool HasShortcutExtension(std::wstring_view path) {
    return path.size() > kShortcutExtension.size() &&
           EqualsIgnoreCase(path.substr(path.size() - kShortcutExtension.size()), kShortcutExtension);
}

std::optional<std::wstring> StartMenuFolderItem(std::wstring_view shortcutPath) {
    const size_t anchor = shortcutPath.find(kStartMenuAnchor);
    if (anchor == std::wstring_view::npos)
        return std::nullopt;
    // base ends with the separator after "Programs".
    const size_t baseEnd = anchor + kStartMenuAnchor.size() + 1;
    if (baseEnd > shortcutPath.size())
        return std::nullopt;
    const std::wstring_view rest = shortcutPath.substr(baseEnd);
    const size_t lastSlash = rest.rfind(L'\\');
    if (lastSlash == std::wstring_view::npos || lastSlash == 0)
        return std::nullopt;
    return std::wstring(shortcutPath.substr(0, baseEnd + lastSlash));
}

DeleteResult DeleteResultCode(int deleted, int failed) {
    if (deleted <= 0)
        return kDeleteNone;
    return failed > 0 ? kDeletePartial : kDeleteAll;
}

} // namespace tsu
