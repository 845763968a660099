#pragma once
// Small rules of the tool's dialogs that need no window. Portable.

#include <cstdint>
#include <string>
#include <string_view>

namespace tsu {

// The wait dialog's text: the caller's text, or "正在修复，请稍等" when it has fewer than two
// characters (a surrogate pair counts as one character).
inline constexpr wchar_t kDefaultWaitText[] = L"正在修复，请稍等";
[[nodiscard]] std::wstring WaitDialogText(std::wstring_view text);

// The time text the feedback dialog reports: seconds since 1970 formatted with "%d", so the low
// 32 bits as a signed decimal number.
[[nodiscard]] std::wstring FeedbackTimeText(int64_t secondsSince1970);

// Prompt styles the tool uses, and how a style places its buttons.
inline constexpr int kPromptStyleYes = 1;           // "是" centred
inline constexpr int kPromptStyleYesNo = 2;         // "是" and "否"
inline constexpr int kPromptStyleConfirm = 3;       // "确认" centred
inline constexpr int kPromptStyleConfirmCancel = 4; // "确认" and "取消"

struct PromptButtonPlan {
    bool secondShown = false;
    bool firstCentred = false;
    bool firstIsConfirm = false; // the confirm images (173-175); otherwise the "是" images (176-178)
    bool secondIsCancel = false; // the cancel images (164-166); otherwise the "否" images (170-172)
};
[[nodiscard]] PromptButtonPlan PlanPromptButtons(int style);

// WM_PROMPT_RESULT's wParam: 1 ends the prompt with the first button's result, anything else
// with the second's.
[[nodiscard]] inline constexpr bool IsFirstButtonResult(uintptr_t wParam) {
    return wParam == 1;
}

} // namespace tsu
