#include "controls/DrawingUtils.h"

#include "controls/core/FitTextRules.h"
#include "controls/core/Scaling.h"
#include "framework/MemoryStream.h"
#include "res/ResourceIds.h"

#include <climits>

namespace tsu {

namespace {

// The font a window draws with: its own, the default GUI font, or the system font.
HFONT WindowFontOrStock(HWND window) {
    HFONT font = window ? reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)) : nullptr;
    if (!font)
        font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    if (!font)
        font = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
    return font;
}

int TextExtentWidth(HDC dc, const wchar_t* text, size_t length) {
    if (length == 0)
        return 0;
    if (length > static_cast<size_t>(INT_MAX))
        return -1;
    SIZE size{};
    if (!::GetTextExtentPoint32W(dc, text, static_cast<int>(length), &size))
        return -1;
    return size.cx;
}

} // namespace

bool GetLogFont(HFONT font, LOGFONTW& logFont) {
    if (!font)
        return false;
    LOGFONTW result{};
    if (::GetObjectW(font, sizeof(result), &result) != static_cast<int>(sizeof(result)))
        return false;
    logFont = result;
    return true;
}

bool LoadPngResource(Gdiplus::Image*& image, UINT id) {
    IStream* stream = CreateResourceStream(res::kPngResourceType, MAKEINTRESOURCEW(id));
    if (!stream)
        return false;
    auto* loaded = Gdiplus::Image::FromStream(stream, FALSE);
    stream->Release(); // the image keeps its own reference
    if (!loaded)
        return false;
    if (loaded->GetLastStatus() != Gdiplus::Ok || loaded->GetWidth() == 0) {
        delete loaded;
        return false;
    }
    image = loaded;
    return true;
}

std::unique_ptr<Gdiplus::Image> LoadPngResource(UINT id) {
    Gdiplus::Image* image = nullptr;
    if (!LoadPngResource(image, id))
        return nullptr;
    return std::unique_ptr<Gdiplus::Image>(image);
}

bool CreateDerivedFont(HWND window, int grow, int weight, UniqueHfont& font) {
    LOGFONTW logFont{};
    if (!GetLogFont(WindowFontOrStock(window), logFont)) {
        font.Reset();
        return false;
    }
    if (grow != 0) {
        if (weight > 0)
            logFont.lfWeight = weight;
        // Character heights are negative: subtracting grows the font by grow pixels.
        logFont.lfHeight -= grow;
    }
    font.Reset(::CreateFontIndirectW(&logFont));
    return font.IsValid();
}

int MeasureTextWidth(HDC dc, const std::wstring& text, HFONT font) {
    if (!dc)
        return -1;
    LOGFONTW logFont{};
    UniqueHfont copy;
    if (GetLogFont(font, logFont))
        copy.Reset(::CreateFontIndirectW(&logFont));
    ScopedSelectObject select(dc, copy.Get());
    return TextExtentWidth(dc, text.c_str(), text.size());
}

int MeasureWindowTextWidth(HWND window, HDC dc, const std::wstring& text, int grow, int weight) {
    if (!window || !dc)
        return -1;
    UniqueHfont font;
    if (!CreateDerivedFont(window, grow, weight, font))
        return -1;
    ScopedSelectObject select(dc, font.Get());
    return TextExtentWidth(dc, text.c_str(), text.size());
}

std::wstring FitText(HDC dc, const std::wstring& text, int maxWidth, HFONT font) {
    if (!dc)
        return text;
    ScopedSelectObject select(dc, font);
    return FitTextToWidth(text, maxWidth, [dc](std::wstring_view part) {
        const int width = TextExtentWidth(dc, part.data(), part.size());
        // A failed measurement counts as too wide, so the text is never claimed to fit.
        return width < 0 ? INT_MAX / 2 : width;
    });
}

int DrawTextInRect(HDC dc, const std::wstring& text, const RECT& rect, UINT flags) {
    if (!dc || text.empty() || text.size() > static_cast<size_t>(INT_MAX))
        return 0;
    const int length = static_cast<int>(text.size());
    RECT target = rect;
    if ((flags & DT_WORDBREAK) && (flags & DT_VCENTER) && !(flags & DT_SINGLELINE)) {
        RECT measure{rect.left, rect.top, rect.right, rect.top};
        const int height = ::DrawTextW(dc, text.c_str(), length, &measure, (flags & ~DT_VCENTER) | DT_CALCRECT);
        const int room = (rect.bottom - rect.top) - height;
        if (height > 0 && room > 0)
            target.top += room / 2;
        flags &= ~DT_VCENTER;
    }
    return ::DrawTextW(dc, text.c_str(), length, &target, flags);
}

void DrawImagePiece(HDC dc, Gdiplus::Image* image, const RECT& source, const RECT& target) {
    if (!dc || !image || source.right <= source.left || source.bottom <= source.top || target.right <= target.left ||
        target.bottom <= target.top)
        return;
    Gdiplus::Graphics graphics(dc);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.DrawImage(
        image, Gdiplus::Rect(target.left, target.top, target.right - target.left, target.bottom - target.top),
        source.left, source.top, source.right - source.left, source.bottom - source.top, Gdiplus::UnitPixel);
}

float ScreenScaleFactor() {
    UniqueWindowDc screen(nullptr);
    if (!screen)
        return 1.0f;
    return ScaleFactorFromDpi(::GetDeviceCaps(screen.Get(), LOGPIXELSY));
}

} // namespace tsu
