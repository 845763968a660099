#pragma once
// The tool's dialog templates ask for "宋体". Where that face is not installed (Windows without
// East Asian fonts, Wine on Linux), the font mapper substitutes a face without Chinese glyphs and
// every label shows empty boxes. The dialogs then switch to the first installed face that has the
// glyphs, at the template's height and weight.

#include <windows.h>

namespace tsu {

// Whether text of font can show Chinese characters.
[[nodiscard]] bool FontHasChineseGlyphs(HFONT font);
// font itself when it shows Chinese, else a process-wide replacement of the same height and weight
// (never deleted), or font when no installed face has the glyphs either.
[[nodiscard]] HFONT ChineseCapableFont(HFONT font);
// Gives the dialog's controls the replacement when the dialog's template font needs one, and
// returns it (the dialog answers WM_GETFONT with it from then on: the dialog manager keeps its
// template font for WM_GETFONT whatever WM_SETFONT says); null when the template font is fine.
// Called first thing in a dialog's initialisation, before controls copy the dialog's font.
[[nodiscard]] HFONT UseChineseCapableDialogFont(HWND dialog);

} // namespace tsu
