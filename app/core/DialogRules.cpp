#include "app/core/DialogRules.h"

#include <cstdio>

namespace tsu {

namespace {

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

size_t CountCharacters(std::wstring_view text) {
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
            ++i;
        ++count;
    }
    return count;
}

} // namespace

std::wstring WaitDialogText(std::wstring_view text) {
    if (CountCharacters(text) < 2)
        return kDefaultWaitText;
    return std::wstring(text);
}

std::wstring FeedbackTimeText(int64_t secondsSince1970) {
    // "%d" of the 64-bit time shows its low half as a signed number; written out explicitly so
    // the result does not depend on how a variadic call passes the wider value.
    const auto low = static_cast<uint32_t>(static_cast<uint64_t>(secondsSince1970) & 0xFFFFFFFFu);
    const auto value = static_cast<int32_t>(low);
    char buffer[16] = {};
    std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(value));
    std::wstring text;
    for (const char* p = buffer; *p; ++p)
        text.push_back(static_cast<wchar_t>(*p));
    return text;
}

PromptButtonPlan PlanPromptButtons(int style) {
    PromptButtonPlan plan;
    switch (style) {
    case kPromptStyleConfirm:
        plan.firstCentred = true;
        plan.firstIsConfirm = true;
        break;
    case kPromptStyleConfirmCancel:
        plan.secondShown = true;
        plan.firstIsConfirm = true;
        plan.secondIsCancel = true;
        break;
    case kPromptStyleYes:
        plan.firstCentred = true;
        break;
    case kPromptStyleYesNo:
        plan.secondShown = true;
        break;
    default:
        // Unknown styles show the "是" button alone at its two-button place.
        break;
    }
    return plan;
}

} // namespace tsu
