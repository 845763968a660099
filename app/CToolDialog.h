#pragma once
// What every dialog of the tool has in common, except the About box: Enter and Escape are
// swallowed before the dialog manager sees them (so neither key closes a page, a prompt or the
// main window, and neither "presses" a button), the dialog manager's own IDOK/IDCANCEL commands
// end nothing unless a dialog says so, and the scale factor its creator hands it.

#include "framework/CDialog.h"

#include <initializer_list>
#include <utility>

namespace tsu {

class CToolDialog : public CDialog {
public:
    explicit CToolDialog(UINT templateId, HWND parent = nullptr) : CDialog(templateId, parent) {}

    void SetScale(float scale) { m_scale = scale > 0.0f ? scale : 1.0f; }
    [[nodiscard]] float GetScale() const { return m_scale; }

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    // Switches the dialog to a font with Chinese glyphs when its template face is missing, then
    // runs OnInitToolDialog.
    BOOL OnInitDialog() final;
    virtual BOOL OnInitToolDialog() { return TRUE; }
    // IDOK and IDCANCEL from the dialog manager (a stray WM_CLOSE, Alt+F4 on a frameless popup)
    // do nothing here; hosts that may be closed override OnCancel.
    void OnOK() override {}
    void OnCancel() override {}
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    // Subclasses each control onto its item of the template. A dialog that lacks one is of no use:
    // false, and the dialog is destroyed, so that its creation fails.
    [[nodiscard]] bool BindControls(std::initializer_list<std::pair<CWnd*, UINT>> controls);

    // "N s": a design length times the scale factor, truncated.
    [[nodiscard]] int S(double n) const { return static_cast<int>(n * static_cast<double>(m_scale)); }

    float m_scale = 1.0f;

private:
    HFONT m_fontOverride = nullptr; // process-wide replacement of a template font without Chinese glyphs
};

} // namespace tsu
