#include "controls/list/core/ListModel.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace tsu {

namespace {
int Clamp(int value, int high) {
    return std::clamp(value, 0, high);
}
} // namespace

bool ListModel::InsertColumn(int index, ListColumn column) {
    column.width = Clamp(column.width, kMaxColumnWidth);
    column.minWidth = Clamp(column.minWidth, kMaxColumnWidth);
    return m_columns.emplace(index, std::move(column)).second;
}

bool ListModel::InsertRow(int index, ListRow row) {
    row.height = Clamp(row.height, kMaxRowHeight);
    auto [it, added] = m_rows.emplace(index, std::move(row));
    if (!added)
        return false;
    // Pages append in order: keep the table of row tops current instead of rebuilding it for
    // every one of thousands of rows.
    if (m_slotsValid && std::next(it) == m_rows.end()) {
        const int64_t top = m_slots.empty() ? 0 : m_slots.back().top + m_slots.back().row->height;
        m_slots.push_back(Slot{index, &it->second, top});
    } else {
        InvalidateSlots();
    }
    return true;
}

bool ListModel::SetItemData(int row, void* data) {
    ListRow* found = FindRow(row);
    if (!found || !data)
        return false;
    found->data = data;
    return true;
}

void* ListModel::GetItemData(int row) const {
    const ListRow* found = FindRow(row);
    return found ? found->data : nullptr;
}

bool ListModel::SetCellKind(int row, int column, int kind) {
    ListCell* cell = FindCell(row, column);
    if (!cell)
        return false;
    cell->kind = kind;
    return true;
}

bool ListModel::GetCellCheck(int row, int column) const {
    const ListCell* cell = FindCell(row, column);
    return cell && cell->checked;
}

bool ListModel::DeleteRow(int row) {
    auto found = m_rows.find(row);
    if (found == m_rows.end())
        return false;
    // Take the row out first: destroying an animation may wait for its thread, and the map
    // must already be consistent if anything is looked up meanwhile.
    ListRow removed = std::move(found->second);
    m_rows.erase(found);

    RowMap renumbered;
    int next = 0;
    while (!m_rows.empty()) {
        auto node = m_rows.extract(m_rows.begin());
        node.key() = next;
        for (auto& [column, cell] : node.mapped().cells) {
            if (cell.animation)
                cell.animation->SetRow(next);
        }
        renumbered.insert(renumbered.end(), std::move(node));
        ++next;
    }
    m_rows.swap(renumbered);
    InvalidateSlots();
    removed.cells.clear();
    return true;
}

void ListModel::DeleteAllRows() {
    RowMap doomed;
    doomed.swap(m_rows);
    m_slots.clear();
    m_slotsValid = true;
    doomed.clear();
}

void ListModel::SetColumnZeroChecks(bool checked) {
    for (auto& [key, row] : m_rows) {
        auto cell = row.cells.find(0);
        if (cell != row.cells.end())
            cell->second.checked = checked;
    }
}

bool ListModel::AreColumnZeroBoxesTicked() const {
    for (const auto& [key, row] : m_rows) {
        auto cell = row.cells.find(0);
        if (cell != row.cells.end() && cell->second.hasCheck && !cell->second.checked)
            return false;
    }
    return true;
}

ListRow* ListModel::FindRow(int row) {
    auto found = m_rows.find(row);
    return found == m_rows.end() ? nullptr : &found->second;
}

const ListRow* ListModel::FindRow(int row) const {
    auto found = m_rows.find(row);
    return found == m_rows.end() ? nullptr : &found->second;
}

ListCell* ListModel::FindCell(int row, int column) {
    ListRow* found = FindRow(row);
    if (!found)
        return nullptr;
    auto cell = found->cells.find(column);
    return cell == found->cells.end() ? nullptr : &cell->second;
}

const ListCell* ListModel::FindCell(int row, int column) const {
    const ListRow* found = FindRow(row);
    if (!found)
        return nullptr;
    auto cell = found->cells.find(column);
    return cell == found->cells.end() ? nullptr : &cell->second;
}

const ListColumn* ListModel::FindColumn(int column) const {
    auto found = m_columns.find(column);
    return found == m_columns.end() ? nullptr : &found->second;
}

bool ListModel::SetColumnWidth(int column, int width) {
    auto found = m_columns.find(column);
    if (found == m_columns.end())
        return false;
    found->second.width = Clamp(width, kMaxColumnWidth);
    return true;
}

void ListModel::BuildSlots() const {
    m_slots.clear();
    m_slots.reserve(m_rows.size());
    int64_t top = 0;
    for (auto& [key, row] : const_cast<RowMap&>(m_rows)) {
        m_slots.push_back(Slot{key, &row, top});
        top += row.height;
    }
    m_slotsValid = true;
}

const std::vector<ListModel::Slot>& ListModel::SlotsView() const {
    if (!m_slotsValid)
        BuildSlots();
    return m_slots;
}

int64_t ListModel::TotalHeight() const {
    const auto& slots = SlotsView();
    return slots.empty() ? 0 : slots.back().top + slots.back().row->height;
}

int64_t ListModel::TotalWidth() const {
    int64_t total = 0;
    for (const auto& [key, column] : m_columns)
        total += column.width;
    return total;
}

int ListModel::PositionAtOffset(int64_t y) const {
    const auto& slots = SlotsView();
    if (y < 0 || slots.empty())
        return -1;
    // The last row whose top is at or above y; it covers y unless y lies below its bottom.
    // Rows of height 0 are skipped that way, as a walk adding heights would skip them.
    auto it = std::upper_bound(slots.begin(), slots.end(), y,
                               [](int64_t value, const Slot& slot) { return value < slot.top; });
    if (it == slots.begin())
        return -1;
    --it;
    if (y >= it->top + it->row->height)
        return -1;
    return static_cast<int>(it - slots.begin());
}

int64_t ListModel::TopOfPosition(int position) const {
    const auto& slots = SlotsView();
    if (position <= 0 || slots.empty())
        return 0;
    if (position >= static_cast<int>(slots.size()))
        return TotalHeight();
    return slots[position].top;
}

int ListModel::HeightOfPosition(int position) const {
    const auto& slots = SlotsView();
    if (position < 0 || position >= static_cast<int>(slots.size()))
        return 0;
    return slots[position].row->height;
}

int ListModel::KeyOfPosition(int position) const {
    const auto& slots = SlotsView();
    if (position < 0 || position >= static_cast<int>(slots.size()))
        return -1;
    return slots[position].key;
}

ListRow* ListModel::RowOfPosition(int position) {
    const auto& slots = SlotsView();
    if (position < 0 || position >= static_cast<int>(slots.size()))
        return nullptr;
    return slots[position].row;
}

int ListModel::PositionOfKey(int row) const {
    const auto& slots = SlotsView();
    auto it =
        std::lower_bound(slots.begin(), slots.end(), row, [](const Slot& slot, int key) { return slot.key < key; });
    if (it == slots.end() || it->key != row)
        return -1;
    return static_cast<int>(it - slots.begin());
}

} // namespace tsu
