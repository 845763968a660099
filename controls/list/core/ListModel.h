#pragma once
// Columns and rows of the multi-line list and the rules the list's operations follow.
// Portable: no Win32 here; the window class forwards to this and paints what it holds.
//
// Rows are kept by the caller's index and shown in ascending index order. The pages insert
// 0, 1, 2, ...; a caller that inserts out of order or leaves a gap still sees every row (the
// n-th row on screen is the n-th index in order) and DeleteRow closes any gap again.

#include "controls/list/core/ListColumn.h"
#include "controls/list/core/ListRow.h"

#include <cstdint>
#include <map>
#include <vector>

namespace tsu {

class ListModel {
public:
    using ColumnMap = std::map<int, ListColumn>;
    using RowMap = std::map<int, ListRow>;

    // A row or column outside these limits is clamped on the way in, so that sums of 100,000
    // rows stay far from overflowing and negative sizes cannot turn the layout upside down.
    static constexpr int kMaxRowHeight = 10000;
    static constexpr int kMaxColumnWidth = 100000;

    ListModel() = default;
    ListModel(const ListModel&) = delete;
    ListModel& operator=(const ListModel&) = delete;

    // Adds under the index unless one exists there (then nothing changes and the result is false).
    [[nodiscard]] bool InsertColumn(int index, ListColumn column);
    [[nodiscard]] bool InsertRow(int index, ListRow row);

    [[nodiscard]] bool SetItemData(int row, void* data);
    [[nodiscard]] void* GetItemData(int row) const;
    [[nodiscard]] bool SetCellKind(int row, int column, int kind);
    [[nodiscard]] bool GetCellCheck(int row, int column) const;
    // Drops the row with its cells' animations and gives the rows behind it the indexes 0, 1, ...
    // in order, telling each moved animation its new row.
    [[nodiscard]] bool DeleteRow(int row);
    void DeleteAllRows();
    [[nodiscard]] int GetRowCount() const { return static_cast<int>(m_rows.size()); }

    // The select-all box of the header: ticks or clears the column-0 cell of every row (with or
    // without a visible box), and tells whether every column-0 box is ticked (true when empty).
    void SetColumnZeroChecks(bool checked);
    [[nodiscard]] bool AreColumnZeroBoxesTicked() const;

    [[nodiscard]] const ColumnMap& Columns() const { return m_columns; }
    [[nodiscard]] const RowMap& Rows() const { return m_rows; }
    [[nodiscard]] ListRow* FindRow(int row);
    [[nodiscard]] const ListRow* FindRow(int row) const;
    [[nodiscard]] ListCell* FindCell(int row, int column);
    [[nodiscard]] const ListCell* FindCell(int row, int column) const;
    [[nodiscard]] const ListColumn* FindColumn(int column) const;
    [[nodiscard]] bool SetColumnWidth(int column, int width);

    // Vertical layout, rows stacked in index order from offset 0.
    [[nodiscard]] int64_t TotalHeight() const;
    [[nodiscard]] int64_t TotalWidth() const;
    // Position on screen (0 = topmost row) of the row covering offset y, -1 above or below all.
    [[nodiscard]] int PositionAtOffset(int64_t y) const;
    [[nodiscard]] int64_t TopOfPosition(int position) const;
    [[nodiscard]] int HeightOfPosition(int position) const;
    [[nodiscard]] int KeyOfPosition(int position) const;
    [[nodiscard]] ListRow* RowOfPosition(int position);
    // Position of the row stored under the index, -1 when there is none.
    [[nodiscard]] int PositionOfKey(int row) const;

private:
    struct Slot {
        int key;
        ListRow* row;
        int64_t top;
    };
    void InvalidateSlots() { m_slotsValid = false; }
    void BuildSlots() const;
    const std::vector<Slot>& SlotsView() const;

    ColumnMap m_columns;
    RowMap m_rows;
    // Row tops in screen order, so painting and hit testing need no walk over 100,000 rows.
    mutable std::vector<Slot> m_slots;
    mutable bool m_slotsValid = true;
};

} // namespace tsu
