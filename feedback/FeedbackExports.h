#pragma once
// The nine entry points of "VeltorFeedbackInformation.dll": the caller cleans the stack (__cdecl),
// strings are UTF-16, names are exported undecorated (VeltorFeedbackInformation.def). The tool
// binds them at run time by these names and these types (app/FeedbackBinding); the library defines
// them in VeltorFeedbackInformation.cpp.

#include <windows.h>

namespace tsu::feedback {

// Answers of CustomerFeedbackEx.
inline constexpr int kAnswerSolved = 1;
inline constexpr int kAnswerUnsolved = 2;
inline constexpr int kAnswerClosed = 3;

using InitFreedbackDllFn = int(__cdecl*)();
using FeedbackQuestionFn = void(__cdecl*)(const wchar_t* toolId, const wchar_t* toolVersion);
using OpenUrlFn = void(__cdecl*)(const wchar_t* url);
using GetInterNetStateFn = int(__cdecl*)();
using CustomerFeedbackFn = void(__cdecl*)(const wchar_t* toolId, const wchar_t* toolVersion, int answer);
using CustomerFeedbackExFn = void(__cdecl*)(const wchar_t* toolId, const wchar_t* toolVersion, int answer,
                                            wchar_t* time);
using WriteCustomerFeedbackInfoFileFn = void(__cdecl*)(const wchar_t* toolId, const wchar_t* toolVersion,
                                                       const wchar_t* text);
using GetToolIsNewVersionFn = int(__cdecl*)(const wchar_t* toolId, const wchar_t* toolVersion);
using OpenToolDownUrlFn = void(__cdecl*)();

} // namespace tsu::feedback

extern "C" {
// Non-zero: the library is ready.
int __cdecl InitFreedbackDll();
// Records that the user asked for help with the tool.
void __cdecl FeedbackQuestion(const wchar_t* toolId, const wchar_t* toolVersion);
// Opens a web address (http or https only) in the browser.
void __cdecl OpenUrl(const wchar_t* url);
// 1 when the computer has a network connection, else 0.
int __cdecl GetInterNetState();
// Records an answer (1 solved, 2 not solved, 3 closed without answer).
void __cdecl CustomerFeedback(const wchar_t* toolId, const wchar_t* toolVersion, int answer);
// Records an answer with the caller's time text (seconds since 1970).
void __cdecl CustomerFeedbackEx(const wchar_t* toolId, const wchar_t* toolVersion, int answer, wchar_t* time);
// Records a free text.
void __cdecl WriteCustomerFeedbackInfoFile(const wchar_t* toolId, const wchar_t* toolVersion, const wchar_t* text);
// 3 when the settings file beside the library announces a newer version than toolVersion, else 1.
int __cdecl GetToolIsNewVersion(const wchar_t* toolId, const wchar_t* toolVersion);
// Opens the download address of the newer version.
void __cdecl OpenToolDownUrl();
}
