#pragma once
// Shared pieces of the list window tests: one host window for the program (it answers the font
// the list copies and records what the list tells its parent), a list per test, and renderings
// of the list's content into memory bitmaps.

#include "controls/list/CMultilineList.h"
#include "framework/CMemoryCanvas.h"
#include "framework/ScopedHandles.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace tsu::test {

inline constexpr UINT kListId = 1026;
inline constexpr COLORREF kSelectionColor = RGB(234, 234, 255);
inline constexpr COLORREF kGridColor = RGB(218, 218, 218);

class ListWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new list at rect in the host (client coordinates), as a page's template would make it.
    CMultilineList& MakeList(const RECT& rect = RECT{10, 10, 650, 410});
    // The conventional page's four columns (name, size, version, operation) at scale 1.
    void AddConventionalColumns();
    // A program row: name with icon (index), size, version, and the button.
    [[nodiscard]] static ListRow ProgramRow(int index, const std::wstring& name, int icon = -1, int height = 40);
    // n program rows named "Program <i>", then AdjustLayout as the pages do.
    void FillPrograms(int count, int height = 40);

    // The content as the list paints it, in a DIB the size of the list's client area.
    [[nodiscard]] CMemoryCanvas Render();
    [[nodiscard]] COLORREF PixelAt(const CMemoryCanvas& canvas, int x, int y) const;
    void MouseMove(POINT pt);
    void Click(POINT pt);
    [[nodiscard]] RECT Content() const { return m_list->GetContentRect(); }

    static TestHostWindow* SharedHost();

    TestHostWindow* m_host = nullptr;
    std::unique_ptr<CMultilineList> m_list;
    UniqueHfont m_font;
    std::function<void(const ListButtonClick&)> m_onButtonClick;
    int m_buttonClicks = 0;
    int m_commands = 0;
};

} // namespace tsu::test
