#include "log/LogFile.h"

namespace tsu {

LogTime CurrentLogTime() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return LogTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

UniqueFileHandle OpenLogFile(const std::wstring& path) {
    return UniqueFileHandle(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

long long AppendLogEntry(HANDLE file, const std::string& entry) {
    LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(file, zero, nullptr, FILE_END))
        return -1;
    DWORD written = 0;
    if (!::WriteFile(file, entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr) ||
        written != entry.size())
        return -1;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size))
        return -1;
    return size.QuadPart;
}

bool MoveLogToBackup(const std::wstring& path) {
    const std::wstring backup = path + L"bak";
    return ::MoveFileExW(path.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

} // namespace tsu
