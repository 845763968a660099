#include "app/DialogFont.h"

#include "framework/ScopedHandles.h"

#include <cwchar>
#include <map>
#include <mutex>
#include <utility>

namespace tsu {

namespace {

// Faces that carry Chinese glyphs, the system's own first.
constexpr const wchar_t* kFallbackFaces[] = {L"SimSun",
                                             L"NSimSun",
                                             L"Microsoft YaHei",
                                             L"SimHei",
                                             L"WenQuanYi Micro Hei",
                                             L"WenQuanYi Zen Hei",
                                             L"Noto Sans CJK SC",
                                             L"Droid Sans Fallback"};
constexpr wchar_t kProbeText[] = L"软件卸载";

std::mutex g_fontLock; // guards g_replacements
std::map<std::pair<LONG, LONG>, HFONT> g_replacements;

} // namespace

bool FontHasChineseGlyphs(HFONT font) {
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc || !font)
        return false;
    const ScopedSelectObject select(dc.Get(), font);
    WORD glyphs[4] = {};
    const DWORD count = ::GetGlyphIndicesW(dc.Get(), kProbeText, 4, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
    if (count == GDI_ERROR)
        return false;
    for (WORD glyph : glyphs) {
        if (glyph == 0xFFFF)
            return false;
    }
    return true;
}

HFONT ChineseCapableFont(HFONT font) {
    if (!font || FontHasChineseGlyphs(font))
        return font;
    LOGFONTW logFont{};
    if (::GetObjectW(font, sizeof logFont, &logFont) != static_cast<int>(sizeof logFont))
        return font;
    const std::lock_guard<std::mutex> lock(g_fontLock);
    const auto key = std::make_pair(logFont.lfHeight, logFont.lfWeight);
    if (const auto found = g_replacements.find(key); found != g_replacements.end())
        return found->second;
    for (const wchar_t* face : kFallbackFaces) {
        LOGFONTW candidate = logFont;
        candidate.lfCharSet = DEFAULT_CHARSET;
        wcsncpy_s(candidate.lfFaceName, face, _TRUNCATE);
        HFONT made = ::CreateFontIndirectW(&candidate);
        if (!made)
            continue;
        if (FontHasChineseGlyphs(made)) {
            g_replacements.emplace(key, made); // kept for the life of the process: windows hold it
            return made;
        }
        ::DeleteObject(made);
    }
    return font;
}

HFONT UseChineseCapableDialogFont(HWND dialog) {
    if (!dialog)
        return nullptr;
    HFONT current = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
    HFONT replacement = ChineseCapableFont(current);
    if (!replacement || replacement == current)
        return nullptr;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(replacement), FALSE);
    return replacement;
}

} // namespace tsu
