#pragma once
// The busy text of the wait dialog: the window text followed by "", ".", "..", "..." in turn, one
// step per second while the dots run, painted through a memory bitmap.

#include "controls/CSelfDrawnStatic.h"

#include <string>

namespace tsu {

class CDrawStateInfoStatic : public CSelfDrawnStatic {
public:
    static constexpr UINT_PTR kDotsTimer = 36;
    static constexpr UINT kDotsIntervalMs = 1000;

    // A copy of the parent's font (or the default GUI font, or the system font).
    bool SetFontFromParent();
    void SetTextColor(COLORREF colour);
    // 1-3 single line (left, centre, right), 4-6 word-wrapped (left, centre, right), vertically
    // centred; any other value single line left.
    void SetAlignment(int alignment) { m_alignment = alignment; }

    void StartDots();
    void StopDots();
    [[nodiscard]] int GetDotStep() const { return m_dotStep; }
    // The text as painted now: the window text and the dots of the current step.
    [[nodiscard]] std::wstring GetDisplayText() const;
    [[nodiscard]] static UINT AlignmentFlags(int alignment);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void Draw(HDC dc, const RECT& client) override;

private:
    COLORREF m_textColour = RGB(0, 0, 0);
    int m_dotStep = 0;
    int m_alignment = 0;
};

} // namespace tsu
