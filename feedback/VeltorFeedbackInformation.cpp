// The entry points of the feedback library. Nothing here may throw past the export boundary, and
// every string argument may be null or unterminated garbage from a careless caller: each is read
// with a length limit.

#include "feedback/FeedbackExports.h"
#include "feedback/LibraryFiles.h"

#include <wininet.h>

#include <cwchar>
#include <string>

namespace {

using namespace tsu::feedback;

constexpr size_t kMaxArgumentChars = 4096;

std::wstring Argument(const wchar_t* text) {
    if (!text)
        return std::wstring();
    return std::wstring(text, ::wcsnlen(text, kMaxArgumentChars));
}

void Record(const wchar_t* call, const wchar_t* toolId, const wchar_t* toolVersion, const std::wstring& answer,
            const std::wstring& time, const std::wstring& text) {
    try {
        FeedbackRecord record;
        record.call = call;
        record.toolId = Argument(toolId);
        record.toolVersion = Argument(toolVersion);
        record.answer = answer;
        record.time = time;
        record.text = text;
        AppendFeedback(std::move(record)); // offline or not, the caller goes on
    } catch (...) {
        // Out of memory: the answer is lost, the tool is not.
    }
}

} // namespace

extern "C" {

int __cdecl InitFreedbackDll() {
    return 1;
}

void __cdecl FeedbackQuestion(const wchar_t* toolId, const wchar_t* toolVersion) {
    Record(L"FeedbackQuestion", toolId, toolVersion, std::wstring(), std::wstring(), std::wstring());
}

void __cdecl OpenUrl(const wchar_t* url) {
    try {
        OpenAddress(Argument(url), ReadSettingsFile(LibraryFolder()));
    } catch (...) {
    }
}

int __cdecl GetInterNetState() {
    DWORD flags = 0;
    return ::InternetGetConnectedState(&flags, 0) ? 1 : 0;
}

void __cdecl CustomerFeedback(const wchar_t* toolId, const wchar_t* toolVersion, int answer) {
    Record(L"CustomerFeedback", toolId, toolVersion, std::to_wstring(answer), std::wstring(), std::wstring());
}

void __cdecl CustomerFeedbackEx(const wchar_t* toolId, const wchar_t* toolVersion, int answer, wchar_t* time) {
    Record(L"CustomerFeedbackEx", toolId, toolVersion, std::to_wstring(answer), Argument(time), std::wstring());
}

void __cdecl WriteCustomerFeedbackInfoFile(const wchar_t* toolId, const wchar_t* toolVersion, const wchar_t* text) {
    Record(L"WriteCustomerFeedbackInfoFile", toolId, toolVersion, std::wstring(), std::wstring(), Argument(text));
}

int __cdecl GetToolIsNewVersion(const wchar_t* toolId, const wchar_t* toolVersion) {
    try {
        return ReadSettingsFile(LibraryFolder()).CompareWithLatest(Argument(toolVersion));
    } catch (...) {
        return kVersionCurrent;
    }
}

void __cdecl OpenToolDownUrl() {
    try {
        const FeedbackSettings settings = ReadSettingsFile(LibraryFolder());
        OpenAddress(settings.DownloadUrl(), settings);
    } catch (...) {
    }
}

} // extern "C"
