#include "app/SelfRemoval.h"

#include "app/core/SelfRemovalPlan.h"
#include "framework/ModulePath.h"
#include "framework/PlainFolder.h"
#include "framework/ScopedHandles.h"
#include "framework/StartupHardening.h"
#include "icons/PicturePass.h"
#include "log/CLogSave.h"

#include <windows.h>

namespace tsu {

namespace {

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Only the pictures this run wrote, by name; a numbered picture someone else put there stays.
// Nothing at all when the cache folder is a link: deleting through it would reach wherever it
// points. The folder goes only when that empties it.
void DeleteCachePictures(const std::wstring& cacheFolder) {
    if (!IsPlainFolder(cacheFolder))
        return;
    for (const std::wstring& picture : PicturesWrittenThisRun()) {
        const size_t slash = picture.find_last_of(L'\\');
        if (slash == std::wstring::npos || !IsCachePictureName(std::wstring_view(picture).substr(slash + 1)) ||
            ::CompareStringOrdinal(picture.c_str(), static_cast<int>(slash), cacheFolder.c_str(),
                                   static_cast<int>(cacheFolder.size()), TRUE) != CSTR_EQUAL)
            continue;
        (void)::DeleteFileW(picture.c_str());
    }
    (void)::RemoveDirectoryW(cacheFolder.c_str());
}

} // namespace

bool IsInBuildTree(const std::wstring& executableFolder) {
    const size_t slash = executableFolder.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return false;
    return FileExists(executableFolder.substr(0, slash) + L"\\CMakeCache.txt");
}

bool StartSelfRemoval() {
    // A path that cannot be read whole counts as cut: nothing is removed then.
    const std::wstring modulePath = ExecutablePath();
    const SelfRemovalPlan plan = PlanSelfRemoval(modulePath, modulePath.empty());
    if (!plan.ShouldRemove() || IsInBuildTree(plan.folder))
        return false;
    DeleteCachePictures(plan.cacheFolder);

    // cmd.exe by its full path: a cmd.exe in the tool's folder or the current folder is never run.
    const std::wstring system = SystemFolder();
    if (system.empty())
        return false;
    const std::wstring interpreter = system + L"\\cmd.exe";

    // The interpreter waits on a pipe whose only write end this process holds: when the process
    // has ended, the pipe closes and the deletions run (no fixed wait; Wine's cmd has no timeout).
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    UniqueHandle read;
    UniqueHandle write;
    if (!::CreatePipe(read.Put(), write.Put(), nullptr, 0) ||
        !::SetHandleInformation(read.Get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT))
        return false;
    UniqueFileHandle nul(::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                       OPEN_EXISTING, 0, nullptr));

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = read.Get();
    startup.hStdOutput = nul.Get();
    startup.hStdError = nul.Get();
    std::wstring commandLine = L"\"" + interpreter + L"\" " + plan.commandParameters;
    PROCESS_INFORMATION process{};
    // The working folder is the system folder: a process whose current folder is the tool's
    // folder would keep that folder from being removed.
    const BOOL started = ::CreateProcessW(interpreter.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                          CREATE_NO_WINDOW, nullptr, system.c_str(), &startup, &process);
    if (!started) {
        WriteToolLog(L"启动删除工具目录命令失败");
        return false;
    }
    const UniqueHandle childThread(process.hThread);
    const UniqueHandle child(process.hProcess);
    (void)write.Release(); // stays open on purpose until this process ends
    return true;
}

} // namespace tsu
