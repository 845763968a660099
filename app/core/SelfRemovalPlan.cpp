#include "app/core/SelfRemovalPlan.h"

#include "app/core/ToolIdentity.h"

#include <algorithm>

namespace tsu {

namespace {

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

bool HasUnsafeCharacter(std::wstring_view path) {
    return std::any_of(path.begin(), path.end(), [](wchar_t c) {
        // "%" expands inside quotes; a quote would end the quoted path; control characters and
        // the redirection and pipe characters have no business in a file name we hand to cmd.
        return c == L'%' || c == L'"' || c < 0x20 || c == 0x7F;
    });
}

// The length of the root part: "C:\" (3) or "\\server\share\" (up to and with the fourth "\"),
// 0 when the path has neither form.
size_t RootLength(std::wstring_view path) {
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && path[2] == L'\\')
        return 3;
    if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\') {
        const size_t server = path.find(L'\\', 2);
        if (server == std::wstring_view::npos || server == 2)
            return 0;
        const size_t share = path.find(L'\\', server + 1);
        if (share == server + 1)
            return 0;
        return share == std::wstring_view::npos ? path.size() : share + 1;
    }
    return 0;
}

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

} // namespace

SelfRemovalPlan PlanSelfRemoval(std::wstring_view modulePath, bool pathWasCut) {
    SelfRemovalPlan plan;
    if (pathWasCut) {
        plan.verdict = SelfRemovalVerdict::PathCut;
        return plan;
    }
    if (modulePath.rfind(L"\\\\?\\", 0) == 0 || modulePath.rfind(L"\\\\.\\", 0) == 0 ||
        HasUnsafeCharacter(modulePath)) {
        plan.verdict = SelfRemovalVerdict::UnsafeCharacter;
        return plan;
    }
    const size_t root = RootLength(modulePath);
    if (root == 0) {
        plan.verdict = SelfRemovalVerdict::NotAbsolute;
        return plan;
    }
    const size_t slash = modulePath.find_last_of(L'\\');
    if (slash == std::wstring_view::npos || slash + 1 >= modulePath.size()) {
        plan.verdict = SelfRemovalVerdict::NoFileName;
        return plan;
    }
    // The folder is everything before the last "\"; a folder that is itself the root ("C:",
    // "\\server\share") is never removed.
    if (slash + 1 <= root) {
        plan.verdict = SelfRemovalVerdict::RootFolder;
        return plan;
    }
    std::wstring folder(modulePath.substr(0, slash));
    // "C:\Tools\." or "C:\Tools\.." would name another folder than the one the tool lies in.
    for (size_t start = root; start <= folder.size();) {
        const size_t end = std::min(folder.find(L'\\', start), folder.size());
        const std::wstring_view part = std::wstring_view(folder).substr(start, end - start);
        if (part.empty() || part == L"." || part == L"..") {
            plan.verdict = SelfRemovalVerdict::UnsafeCharacter;
            return plan;
        }
        start = end + 1;
    }
    plan.folder = folder;
    plan.executablePath = std::wstring(modulePath);
    plan.libraryPath = folder + L"\\" + kFeedbackLibraryName;
    plan.cacheFolder = folder + L"\\" + kImageCacheFolderName;
    // "set /p" waits for a line on standard input and returns when the input ends, which happens
    // when the tool's process has gone (it holds the only write end of that pipe). The ping gives
    // the system a moment to let go of the executable's image; Wine's cmd has no "timeout".
    // rmdir without /s removes only an empty folder: a user's file keeps the folder.
    // /D: the interpreter runs no AutoRun command from the registry before this one.
    plan.commandParameters = L"/D /C set /p tsuwait= & ping -n 2 127.0.0.1 >nul & del /f /q " +
                             Quoted(plan.executablePath) + L" & del /f /q " + Quoted(plan.libraryPath) + L" & rmdir " +
                             Quoted(plan.cacheFolder) + L" & rmdir " + Quoted(plan.folder);
    plan.verdict = SelfRemovalVerdict::Remove;
    return plan;
}

bool IsCachePictureName(std::wstring_view fileName) {
    constexpr std::wstring_view kExtension = L".png";
    if (fileName.size() <= kExtension.size() || fileName.size() > kExtension.size() + 9)
        return false;
    const std::wstring_view stem = fileName.substr(0, fileName.size() - kExtension.size());
    if (!std::all_of(stem.begin(), stem.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        return false;
    const std::wstring_view extension = fileName.substr(stem.size());
    for (size_t i = 0; i < extension.size(); ++i) {
        wchar_t c = extension[i];
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != kExtension[i])
            return false;
    }
    return true;
}

} // namespace tsu
