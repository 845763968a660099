// A stand-in for the feedback library, for tests only: answers InitFreedbackDll and
// GetToolIsNewVersion with TSU_FAKE_FEEDBACK_INIT / TSU_FAKE_FEEDBACK_VERSION (1 when unset), and
// appends each call as "Name|arg|arg..." (UTF-8) to the file TSU_FAKE_FEEDBACK_LOG.

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

int Number(const wchar_t* name) {
    wchar_t value[32] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, value, 32);
    return length == 0 || length >= 32 ? 1 : static_cast<int>(std::wcstol(value, nullptr, 10));
}

std::wstring T(const wchar_t* text) {
    return text ? L"|" + std::wstring(text, ::wcsnlen(text, 1024)) : L"|(null)";
}

void Log(const std::wstring& line) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"TSU_FAKE_FEEDBACK_LOG", path, MAX_PATH);
    std::string utf8(line.size() * 3 + 1, '\0');
    utf8.resize(
        static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(),
                                                  static_cast<int>(utf8.size()), nullptr, nullptr)));
    FILE* file = length == 0 || length >= MAX_PATH ? nullptr : _wfopen(path, L"ab");
    if (file)
        std::fprintf(file, "%s\n", utf8.c_str()), std::fclose(file);
}

} // namespace

extern "C" {
int __cdecl InitFreedbackDll() {
    return Log(L"InitFreedbackDll"), Number(L"TSU_FAKE_FEEDBACK_INIT");
}
void __cdecl FeedbackQuestion(const wchar_t* id, const wchar_t* version) {
    Log(L"FeedbackQuestion" + T(id) + T(version));
}
void __cdecl OpenUrl(const wchar_t* url) {
    Log(L"OpenUrl" + T(url));
}
int __cdecl GetInterNetState() {
    return 1;
}
void __cdecl CustomerFeedback(const wchar_t* id, const wchar_t* version, int answer) {
    Log(L"CustomerFeedback" + T(id) + T(version) + L"|" + std::to_wstring(answer));
}
void __cdecl CustomerFeedbackEx(const wchar_t* id, const wchar_t* version, int answer, wchar_t* time) {
    Log(L"CustomerFeedbackEx" + T(id) + T(version) + L"|" + std::to_wstring(answer) + T(time));
}
void __cdecl WriteCustomerFeedbackInfoFile(const wchar_t* id, const wchar_t* version, const wchar_t* text) {
    Log(L"WriteCustomerFeedbackInfoFile" + T(id) + T(version) + T(text));
}
int __cdecl GetToolIsNewVersion(const wchar_t* id, const wchar_t* version) {
    return Log(L"GetToolIsNewVersion" + T(id) + T(version)), Number(L"TSU_FAKE_FEEDBACK_VERSION");
}
void __cdecl OpenToolDownUrl() {
    Log(L"OpenToolDownUrl");
}
} // extern "C"
