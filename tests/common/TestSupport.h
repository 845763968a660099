#pragma once
// Helpers for GUI tests under Wine: GDI+ for the whole test program, screenshots saved as PNG, a
// visible top-level host window for controls, and pixel checks on memory DCs.

#include "framework/CMemoryCanvas.h"
#include "framework/CWnd.h"
#include "framework/ScopedHandles.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tsu::test {

// Starts GDI+ once for the test program (kept until the process ends). False when it cannot start.
bool EnsureGdiplus();

// Saves what a memory canvas holds as <screenshot folder><name>.png.
bool SaveCanvasPng(const CMemoryCanvas& canvas, const std::wstring& name);
// Repaints a window (and its children) and saves what is on screen of it; the window must be
// visible. The capture is copied out of the window DC, so it shows exactly what the window drew.
bool SaveWindowPng(HWND hwnd, const std::wstring& name);
// Copies a visible window's current look into a canvas (same capture as SaveWindowPng).
bool CaptureWindow(HWND hwnd, CMemoryCanvas& canvas);

// A visible top-level popup with a client area of the given size, to parent controls under test.
// It is shown without activation: under Wine without a window manager, hiding or destroying an
// activated or captioned top-level window costs two seconds (so does every modal dialog run).
// Messages it receives as parent can be watched through OnMessage.
class TestHostWindow : public CWnd {
public:
    // Called for every message before the default handling; return true to answer with *result.
    std::function<bool(UINT, WPARAM, LPARAM, LRESULT*)> OnMessage;

    // The host's font (WM_SETFONT) is a CJK font, as the tool's dialogs have one on Windows: under
    // Wine the dialog font "宋体" falls back to a font without Chinese glyphs, and controls derive
    // their fonts from their parent's.
    [[nodiscard]] bool Create(int clientWidth, int clientHeight, const wchar_t* title = L"tsu test host");
    [[nodiscard]] HFONT GetHostFont() const { return m_font.Get(); }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    UniqueHfont m_font;
    HFONT m_fontSet = nullptr;
};

// A font with Chinese glyphs under Wine (WenQuanYi Micro Hei from fonts-wqy-microhei).
[[nodiscard]] UniqueHfont MakeCjkFont(int height = -12, int weight = FW_NORMAL);

// Runs the thread's message queue until done() or the timeout (ms); true when done() became true.
[[nodiscard]] bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// Dispatches what is queued now (paint and posted messages).
void PumpPending();

// Colour comparison with a tolerance per channel.
[[nodiscard]] bool ColorNear(COLORREF a, COLORREF b, int tolerance = 8);
// Number of pixels in rect (clipped to the canvas) for which match(colour) holds.
[[nodiscard]] int CountPixels(const CMemoryCanvas& canvas, const RECT& rect,
                              const std::function<bool(COLORREF)>& match);
// Pixels in rect that differ from background by more than the tolerance.
[[nodiscard]] int CountNonBackground(const CMemoryCanvas& canvas, const RECT& rect, COLORREF background,
                                     int tolerance = 8);
// Drops the paths on target as the shell hands them over (DROPFILES, wide, double-NUL-terminated).
void DropFiles(HWND target, const std::vector<std::wstring>& paths);

} // namespace tsu::test
