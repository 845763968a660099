#pragma once
// How the terms viewer's rich-edit box laid its text out: how many lines, and how far right the
// widest line reaches compared with the part of the box the user sees.

#include "app/core/TermsText.h"

#include <windows.h>

#include <richedit.h>

#include <algorithm>

namespace tsu::test {

struct TermsLayout {
    int lines = 0;
    int paragraphs = 0; // of the text put in, each one line when nothing wraps
    int widestRight = 0;
    int visibleRight = 0; // in the box's client coordinates
};

inline TermsLayout MeasureTermsLayout(HWND edit) {
    TermsLayout layout;
    layout.paragraphs = static_cast<int>(std::count(TermsText().begin(), TermsText().end(), L'\n')) + 1;
    layout.lines = static_cast<int>(::SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
    RECT visible{};
    ::GetClientRect(edit, &visible);
    // A skinned box sits in a clipping window that hides its standard scroll bar.
    RECT clip{};
    ::GetClientRect(::GetParent(edit), &clip);
    ::MapWindowPoints(::GetParent(edit), edit, reinterpret_cast<POINT*>(&clip), 2);
    layout.visibleRight = std::min(visible.right, clip.right);
    const auto xOf = [edit](LRESULT index) {
        POINTL point{};
        ::SendMessageW(edit, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), index);
        return static_cast<int>(point.x);
    };
    for (int line = 0; line < layout.lines; ++line) {
        const LRESULT first = ::SendMessageW(edit, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
        const LRESULT length = ::SendMessageW(edit, EM_LINELENGTH, static_cast<WPARAM>(first), 0);
        if (first < 0 || length < 2)
            continue;
        // The last character's left edge plus its width (taken from the one before it).
        const int last = xOf(first + length - 1);
        layout.widestRight = std::max(layout.widestRight, last + (last - xOf(first + length - 2)));
    }
    return layout;
}

} // namespace tsu::test
