// Real-GDI figures of the drawing utilities under Wine: FitText with a CJK font for texts that fit
// and texts that are cut, PNG loading, and one paint of the header and the skinned bar.

#include "bench/BenchTiming.h"
#include "controls/CHeaderCtrlEx.h"
#include "controls/DrawingUtils.h"
#include "controls/ImageEx.h"
#include "framework/CMemoryCanvas.h"
#include "res/ResourceIds.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

using tsu::bench::MicrosecondsPerCall;

int main() {
    using namespace tsu;
    ScopedGdiplusStartup gdiplus;
    if (!gdiplus.Succeeded())
        return 1;
    CMemoryCanvas canvas;
    if (!canvas.CreateDib32(400, 100))
        return 1;
    LOGFONTW lf{};
    lf.lfHeight = -12;
    wcscpy_s(lf.lfFaceName, L"WenQuanYi Micro Hei");
    UniqueHfont font(::CreateFontIndirectW(&lf));

    const std::wstring name = L"示例软件 2020 (64 位)";
    const std::wstring path = L"C:\\Program Files\\Some Vendor\\某个很长的软件名称\\卸载程序\\uninstall.exe";
    std::wstring huge(100000, L'软');
    std::printf("FitText with WenQuanYi Micro Hei 12 px:\n");
    std::printf("  name that fits 300 px      %9.1f us\n",
                MicrosecondsPerCall(2000, [&] { (void)FitText(canvas.Dc(), name, 300, font.Get()); }));
    std::printf("  path cut to 150 px         %9.1f us\n",
                MicrosecondsPerCall(500, [&] { (void)FitText(canvas.Dc(), path, 150, font.Get()); }));
    std::printf("  100,000 characters, 300 px %9.1f us\n",
                MicrosecondsPerCall(5, [&] { (void)FitText(canvas.Dc(), huge, 300, font.Get()); }));
    std::printf("LoadPngResource:\n");
    std::printf("  check-box strip 48 x 16    %9.1f us\n",
                MicrosecondsPerCall(200, [&] { (void)LoadPngResource(IDB_PNG_CHECKBOX_STRIP); }));
    std::printf("  page background 800 x 600  %9.1f us\n",
                MicrosecondsPerCall(20, [&] { (void)LoadPngResource(IDB_PNG_START_PAGE); }));
    std::printf("ImageEx wait GIF load        %9.1f us\n",
                MicrosecondsPerCall(50, [&] { ImageEx gif(L"GIF", L"IDR_WAIT_GIF"); }));

    ::InitCommonControls();
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 600, 40, nullptr, nullptr, nullptr, nullptr);
    ::SendMessageW(parent, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    CHeaderCtrlEx header;
    if (header.Create(0, RECT{0, 0, 600, 30}, parent, 101)) {
        const wchar_t* titles[] = {L"软件名称", L"大小", L"版本", L"操作"};
        for (int i = 0; i < 4; ++i) {
            HDITEMW item{};
            item.mask = HDI_TEXT | HDI_WIDTH;
            item.cxy = 150;
            item.pszText = const_cast<wchar_t*>(titles[i]);
            (void)header.InsertItem(i, item);
        }
        header.ShowCheckBox(true);
        CMemoryCanvas target;
        if (target.CreateDib32(600, 30))
            std::printf("CHeaderCtrlEx paint, 4 items %9.1f us\n",
                        MicrosecondsPerCall(200, [&] { header.PaintTo(target.Dc()); }));
    }
    ::DestroyWindow(parent);
    return 0;
}
