// A stand-in for the feedback library, for tests only: answers InitFreedbackDll and
// GetToolIsNewVersion with the numbers in TSU_FAKE_FEEDBACK_INIT / TSU_FAKE_FEEDBACK_VERSION
// (1 when unset), and appends each call as "Name|arg|arg..." to the file TSU_FAKE_FEEDBACK_LOG.

#include <windows.h>

#include <cwchar>
#include <string>

namespace {

int NumberFromEnvironment(const wchar_t* name, int fallback) {
    wchar_t value[32] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, value, 32);
    if (length == 0 || length >= 32)
        return fallback;
    return static_cast<int>(std::wcstol(value, nullptr, 10));
}

std::wstring Text(const wchar_t* text) {
    return text ? std::wstring(text, ::wcsnlen(text, 1024)) : L"(null)";
}

void Log(const std::wstring& line) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"TSU_FAKE_FEEDBACK_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    HANDLE file = ::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::wstring withEnd = line + L"\n";
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, withEnd.c_str(), static_cast<int>(withEnd.size()), nullptr, 0,
                                            nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, withEnd.c_str(), static_cast<int>(withEnd.size()), utf8.data(), bytes, nullptr,
                          nullptr);
    DWORD written = 0;
    ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    ::CloseHandle(file);
}

} // namespace

extern "C" {

int __cdecl InitFreedbackDll() {
    Log(L"InitFreedbackDll");
    return NumberFromEnvironment(L"TSU_FAKE_FEEDBACK_INIT", 1);
}
void __cdecl FeedbackQuestion(const wchar_t* id, const wchar_t* version) {
    Log(L"FeedbackQuestion|" + Text(id) + L"|" + Text(version));
}
void __cdecl OpenUrl(const wchar_t* url) {
    Log(L"OpenUrl|" + Text(url));
}
int __cdecl GetInterNetState() {
    return 1;
}
void __cdecl CustomerFeedback(const wchar_t* id, const wchar_t* version, int answer) {
    Log(L"CustomerFeedback|" + Text(id) + L"|" + Text(version) + L"|" + std::to_wstring(answer));
}
void __cdecl CustomerFeedbackEx(const wchar_t* id, const wchar_t* version, int answer, wchar_t* time) {
    Log(L"CustomerFeedbackEx|" + Text(id) + L"|" + Text(version) + L"|" + std::to_wstring(answer) + L"|" + Text(time));
}
void __cdecl WriteCustomerFeedbackInfoFile(const wchar_t* id, const wchar_t* version, const wchar_t* text) {
    Log(L"WriteCustomerFeedbackInfoFile|" + Text(id) + L"|" + Text(version) + L"|" + Text(text));
}
int __cdecl GetToolIsNewVersion(const wchar_t* id, const wchar_t* version) {
    Log(L"GetToolIsNewVersion|" + Text(id) + L"|" + Text(version));
    return NumberFromEnvironment(L"TSU_FAKE_FEEDBACK_VERSION", 1);
}
void __cdecl OpenToolDownUrl() {
    Log(L"OpenToolDownUrl");
}

} // extern "C"
