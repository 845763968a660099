// Figures of the multi-line list with the conventional page's 5,000-row load: filling it the way
// the page does, one full paint, one mouse move (which repaints the list), and the process's
// private bytes. Prints the figures; never run as a test.

#include "controls/DrawingUtils.h"
#include "controls/list/CMultilineList.h"
#include "framework/CWnd.h"
#include "framework/MessageLoop.h"
#include "framework/ScopedHandles.h"
#include "res/ResourceIds.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Private bytes; Wine leaves PrivateUsage at 0, its committed pagefile figure is the same thing.
double PrivateMegabytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                sizeof(counters)))
        return -1.0;
    const SIZE_T bytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

class HostWindow : public tsu::CWnd {
public:
    HFONT font = nullptr;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_GETFONT)
            return reinterpret_cast<LRESULT>(font);
        return CWnd::WindowProc(msg, wp, lp);
    }
};

// The conventional page's row: icon and name, size, version, button; 40 pixels at scale 1.
tsu::ListRow ProgramRow(int index, int icon) {
    tsu::ListRow row;
    row.index = index;
    row.height = 40;
    tsu::ListCell name;
    name.text = L"示例软件 Example Program " + std::to_wstring(index);
    name.hasIcon = true;
    name.iconIndex = icon;
    row.cells[0] = name;
    tsu::ListCell size;
    size.text = L"123.45 MB";
    size.align = tsu::kAlignCenter;
    row.cells[1] = size;
    tsu::ListCell version;
    version.text = L"10.2." + std::to_wstring(index % 100);
    version.align = tsu::kAlignCenter;
    row.cells[2] = version;
    tsu::ListCell button;
    button.kind = tsu::CELL_BUTTON;
    row.cells[3] = button;
    return row;
}

} // namespace

int main() {
    tsu::ScopedGdiplusStartup gdiplus;
    if (!gdiplus.Succeeded())
        return 1;
    constexpr wchar_t kHostClass[] = L"TsuListBenchHost";
    if (!tsu::CWnd::RegisterWindowClass(kHostClass, 0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
        return 1;
    tsu::UniqueHfont font(::CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    HostWindow host;
    host.font = font.Get();
    if (!host.CreateEx(0, kHostClass, L"list bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, RECT{0, 0, 760, 560},
                       nullptr, 0))
        return 1;
    (void)tsu::PumpPendingMessages();

    const double memoryBefore = PrivateMegabytes();
    tsu::CMultilineList list;
    if (!list.Create(RECT{20, 20, 714, 531}, host.GetSafeHwnd(), 1026))
        return 1;
    list.SetHeaderExtraHeight(20);
    const RECT client = list.GetClientRect();
    list.InsertColumn(0, tsu::ListColumn{static_cast<int>(client.right) - 420, L"软件名称", 260});
    list.InsertColumn(1, tsu::ListColumn{130, L"大小", 60});
    list.InsertColumn(2, tsu::ListColumn{150, L"版本", 80});
    list.InsertColumn(3, tsu::ListColumn{120, L"操作", 120});
    (void)tsu::PumpPendingMessages();

    constexpr int kRows = 5000;
    std::vector<int> records(kRows);

    // The list's own share: rows without pictures.
    const auto bareStart = Clock::now();
    for (int i = 0; i < kRows; ++i) {
        list.InsertRow(i, ProgramRow(i, -1));
        (void)list.SetItemData(i, &records[static_cast<size_t>(i)]);
    }
    list.AdjustLayout();
    const double bareMs = MsSince(bareStart);
    ::RedrawWindow(list.GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double memoryBare = PrivateMegabytes();

    // Pictures decoded once and copied per row (Image::Clone), for comparison with decoding each.
    std::unique_ptr<Gdiplus::Image> prototype = tsu::LoadPngResource(IDB_PNG_DEFAULT_PROGRAM_ICON);
    const auto cloneStart = Clock::now();
    list.DeleteAllRows();
    list.AdjustLayout();
    for (int i = 0; i < kRows; ++i) {
        const int icon = prototype ? list.AddImage(prototype->Clone()) : -1;
        list.InsertRow(i, ProgramRow(i, icon));
        (void)list.SetItemData(i, &records[static_cast<size_t>(i)]);
    }
    list.AdjustLayout();
    const double cloneMs = MsSince(cloneStart);

    // Filled as the page does: clear, lay out, per program a picture, a row and its data, lay out.
    double pictureMs = 0;
    double listMs = 0;
    const auto fillStart = Clock::now();
    list.DeleteAllRows();
    list.AdjustLayout();
    for (int i = 0; i < kRows; ++i) {
        // Each row's picture is its own, decoded when the row is first shown.
        const auto pictureStart = Clock::now();
        const int icon = list.AddImageSource([] { return tsu::LoadPngResource(IDB_PNG_DEFAULT_PROGRAM_ICON); });
        pictureMs += MsSince(pictureStart);
        const auto listStart = Clock::now();
        list.InsertRow(i, ProgramRow(i, icon));
        (void)list.SetItemData(i, &records[static_cast<size_t>(i)]);
        listMs += MsSince(listStart);
    }
    list.AdjustLayout();
    const double fillMs = MsSince(fillStart);
    // The first paint after the fill (the page shows the list).
    const auto firstPaintStart = Clock::now();
    ::RedrawWindow(list.GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double firstPaintMs = MsSince(firstPaintStart);
    (void)tsu::PumpPendingMessages();
    const double memoryAfter = PrivateMegabytes();

    // Full paints of the list's content, scrolled somewhere in the middle.
    for (int i = 0; i < 50; ++i)
        ::SendMessageW(list.GetSafeHwnd(), WM_VSCROLL, SB_PAGEDOWN, 0);
    constexpr int kPaints = 200;
    std::vector<double> paints;
    for (int i = 0; i < kPaints; ++i) {
        const auto start = Clock::now();
        ::RedrawWindow(list.GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        paints.push_back(MsSince(start));
    }

    std::vector<double> invalidateUpdate;
    for (int i = 0; i < kPaints; ++i) {
        const auto start = Clock::now();
        ::InvalidateRect(list.GetSafeHwnd(), nullptr, FALSE);
        ::UpdateWindow(list.GetSafeHwnd());
        invalidateUpdate.push_back(MsSince(start));
    }
    // Mouse moves across the rows (over buttons and text); each one repaints the whole list.
    const RECT content = list.GetContentRect();
    constexpr int kMoves = 400;
    std::vector<double> moves;
    std::vector<double> handlerOnly;
    for (int i = 0; i < kMoves; ++i) {
        const int x = content.left + (i * 7) % (content.right - content.left);
        const int y = content.top + (i * 13) % (content.bottom - content.top);
        const auto start = Clock::now();
        ::SendMessageW(list.GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        handlerOnly.push_back(MsSince(start));
        ::UpdateWindow(list.GetSafeHwnd());
        moves.push_back(MsSince(start));
    }

    // Every row shown once: every picture decoded and kept at its shown size.
    const auto throughStart = Clock::now();
    for (int i = 0; i < kRows / 10; ++i) {
        ::SendMessageW(list.GetSafeHwnd(), WM_VSCROLL, SB_PAGEDOWN, 0);
        ::UpdateWindow(list.GetSafeHwnd());
    }
    const double throughMs = MsSince(throughStart);
    const double memoryThrough = PrivateMegabytes();

    auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    auto mean = [](const std::vector<double>& values) {
        double sum = 0;
        for (double v : values)
            sum += v;
        return sum / static_cast<double>(values.size());
    };
    std::printf("list rows                      %d (with icons)\n", list.GetRowCount());
    std::printf("fill, rows only                %.1f ms\n", bareMs);
    std::printf("fill, one picture cloned/row   %.1f ms\n", cloneMs);
    std::printf("fill as the page does          %.1f ms (goal <= 200 ms): pictures %.1f ms, list %.1f ms\n", fillMs,
                pictureMs, listMs);
    std::printf("first paint after the fill     %.2f ms\n", firstPaintMs);
    std::printf("full paint                     median %.2f ms, mean %.2f ms (goal <= 5 ms)\n", median(paints),
                mean(paints));
    std::printf("invalidate + update            median %.2f ms\n", median(invalidateUpdate));
    std::printf("mouse move with its repaint    median %.2f ms, mean %.2f ms (goal <= 5 ms); handler alone %.2f ms\n",
                median(moves), mean(moves), median(handlerOnly));
    std::printf("private bytes                  %.1f MB before the list, %.1f MB with 5,000 rows without pictures, "
                "%.1f MB with 5,000 pictures\n",
                memoryBefore, memoryBare, memoryAfter);
    std::printf("scrolled through every row     %.0f ms; private bytes then %.1f MB (every picture decoded)\n",
                throughMs, memoryThrough);
    list.DeleteAllRows();
    list.ReleaseImages();
    return 0;
}
