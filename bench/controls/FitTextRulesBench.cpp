// How FitText's cutting loop scales: texts that fit cost one measurement; a cut costs one per
// removed character from the end, never more than the 1,024-character buffer.

#include "bench/BenchTiming.h"
#include "controls/core/FitTextRules.h"
#include "controls/core/SkinScrollGeometry.h"

#include <cstdio>
#include <string>

namespace {

int Proportional(std::wstring_view text) {
    int width = 0;
    for (wchar_t c : text)
        width += c < 0x80 ? 7 : 14;
    return width;
}

} // namespace

using tsu::bench::MicrosecondsPerCall;

int main() {
    using namespace tsu;
    const std::wstring fits = L"Wine Gecko 2.47.4";
    const std::wstring path = L"C:\\Program Files (x86)\\Some Vendor\\Some Product 2020\\bin\\uninstall.exe";
    const std::wstring huge(100000, L'x');
    volatile size_t sink = 0;
    std::printf("FitTextToWidth (callback width, no GDI):\n");
    struct Case {
        const char* label;
        const std::wstring* text;
        int width;
        int calls;
    };
    const Case cases[] = {{"fits                ", &fits, 400, 20000},
                          {"path cut to 200 px  ", &path, 200, 2000},
                          {"100,000 chars, 300px", &huge, 300, 20}};
    for (const Case& c : cases) {
        (void)FitTextToWidth(*c.text, c.width, Proportional);
        const size_t measured = LastFitTextMeasureCount();
        const double us =
            MicrosecondsPerCall(c.calls, [&] { sink = sink + FitTextToWidth(*c.text, c.width, Proportional).size(); });
        std::printf("  %s %9.3f us, %zu measurement(s)\n", c.label, us, measured);
    }

    SkinScrollValues values;
    values.nMax = 2814;
    values.nPage = 280;
    std::printf("ComputeSkinBarLayout   %8.3f us\n", MicrosecondsPerCall(200000, [&] {
                    values.nPos = (values.nPos + 7) % 2500;
                    sink = sink + static_cast<size_t>(ComputeSkinBarLayout(384, 13, 1.2f, 0, values).thumbStart);
                }));
    return 0;
}
