#include "app/CConventionalUninstallDlg.h"

#include "app/CPromptDlg.h"
#include "app/LayeredWindow.h"
#include "app/PictureFiles.h"
#include "app/core/DialogRules.h"
#include "app/core/PageRules.h"
#include "controls/DrawingUtils.h"
#include "framework/Messages.h"
#include "res/ResourceIds.h"
#include "uninstall/engine/EngineMessages.h"
#include "uninstall/engine/UninstallEngine.h"

#include <map>
#include <tuple>

namespace tsu {

namespace {

constexpr wchar_t kFoundText[] = L"检测到已安装软件";
constexpr wchar_t kCountMeasure[] = L" 999"; // a leading blank and three digits
constexpr wchar_t kUnitText[] = L"款";
constexpr wchar_t kFirstNotice[] =
    L"常规卸载将调用软件安装时提供的卸载命令进行卸载，是一般软件的标准卸载过程。如您电脑或者程序中\r\n"
    L"有重要数据，请提前备份后再运行卸载。";
constexpr wchar_t kSecondNotice[] =
    L"注意：本工具不是杀毒软件，正在运行的程序是无法删除或者卸载的，这是系统本身限制，与工具无关。";
constexpr int kLabelAlignFixed = 4;
constexpr int kLabelAlignCount = 2;
constexpr int kMinPicturePathChars = 3;

int TextHeight(HDC dc, HFONT font, int* externalLeading = nullptr) {
    const ScopedSelectObject select(dc, font);
    TEXTMETRICW metrics{};
    if (!::GetTextMetricsW(dc, &metrics))
        return 12;
    if (externalLeading)
        *externalLeading = metrics.tmExternalLeading;
    return metrics.tmHeight;
}

} // namespace

CConventionalUninstallDlg::CConventionalUninstallDlg() : CPageDlg(IDD_CONVENTIONAL_UNINSTALL, nullptr) {
    m_startWorker = [this] { return m_engine && m_engine->StartUninstallWorker(); };
}

CConventionalUninstallDlg::~CConventionalUninstallDlg() {
    FreeRowData();
}

BOOL CConventionalUninstallDlg::OnInitToolDialog() {
    if (!m_image)
        m_image = LoadPngResource(IDB_PNG_WHITE_PANEL);
    if (!BindControls({{&m_foundLabel, IDC_FOUND_LABEL},
                       {&m_count, IDC_FOUND_COUNT},
                       {&m_unitLabel, IDC_FOUND_UNIT},
                       {&m_list, IDC_SOFTWARE_LIST}}))
        return FALSE;
    return TRUE;
}

void CConventionalUninstallDlg::LayoutControls(bool first) {
    m_clientRect = GetClientRect();
    const RECT& c = m_clientRect;
    UniqueWindowDc dc(m_hWnd);
    const int w1 = MeasureWindowTextWidth(m_hWnd, dc.Get(), kFoundText, 0, 0);
    const int w2 = MeasureWindowTextWidth(m_hWnd, dc.Get(), kCountMeasure, 0, 0);
    const int w3 = MeasureWindowTextWidth(m_hWnd, dc.Get(), kUnitText, 0, 0);
    const int h = TextHeight(dc.Get(), GetFont());

    const int top = c.top + S(38) + 3 * h;
    const int height = h + S(6);
    const RECT found{c.right - (w1 + w2 + w3) - S(20), top, c.right - (w1 + w2 + w3) - S(20) + w1, top + height};
    const RECT count{c.right - (w2 + w3) - S(20), top, c.right - (w2 + w3) - S(20) + w2, top + height};
    const RECT unit{c.right - w3 - S(20), top, c.right - S(20), top + height};

    if (first) {
        const auto setUp = [this](CDrawTextStatic& label, const wchar_t* text, int alignment, COLORREF colour,
                                  const RECT& rect) {
            (void)label.SetWindowText(text);
            label.SetBackground(m_image.get());
            (void)label.SetFontFromParent(0, 0);
            label.SetAlignment(alignment);
            label.SetBackgroundColour(RGB(255, 255, 255));
            label.SetTextColors(colour, colour);
            // The label's place in the panel picture, which is stretched over the page.
            const RECT client = GetClientRect();
            if (m_image && client.right > 0 && client.bottom > 0) {
                const double sx = static_cast<double>(m_image->GetWidth()) / client.right;
                const double sy = static_cast<double>(m_image->GetHeight()) / client.bottom;
                label.SetBackgroundRect(static_cast<int>(rect.left * sx), static_cast<int>(rect.top * sy),
                                        static_cast<int>(rect.right * sx), static_cast<int>(rect.bottom * sy));
            }
        };
        setUp(m_foundLabel, kFoundText, kLabelAlignFixed, RGB(0, 0, 0), found);
        setUp(m_count, L"0", kLabelAlignCount, RGB(255, 0, 0), count);
        setUp(m_unitLabel, kUnitText, kLabelAlignFixed, RGB(0, 0, 0), unit);
    }
    (void)m_foundLabel.MoveWindow(found);
    (void)m_count.MoveWindow(count);
    (void)m_unitLabel.MoveWindow(unit);
    (void)m_list.MoveWindow(RECT{c.left + S(20), found.bottom + S(10), c.right - S(20), c.bottom - S(10)});
}

void CConventionalUninstallDlg::SetupColumns() {
    m_list.ShowCheckAll(FALSE);
    m_list.SetScale(m_scale);
    m_list.SetHeaderExtraHeight(20);
    const RECT client = m_list.GetClientRect();
    const int width = client.right - client.left;
    m_list.InsertColumn(0, ListColumn{width - S(420), L"软件名称", S(260)});
    m_list.InsertColumn(1, ListColumn{S(130), L"大小", S(60)});
    m_list.InsertColumn(2, ListColumn{S(150), L"版本", S(80)});
    m_list.InsertColumn(3, ListColumn{S(120), L"操作", S(120)});
}

void CConventionalUninstallDlg::FreeRowData() {
    if (m_list.GetSafeHwnd())
        m_list.DeleteItemData<SoftwareRecord>();
}

void CConventionalUninstallDlg::SetCount(int count) {
    (void)m_count.SetWindowText(std::to_wstring(count));
    m_count.Invalidate(false);
}

void CConventionalUninstallDlg::FillList() {
    FreeRowData();
    m_list.DeleteAllRows();
    m_list.AdjustLayout();
    if (!m_engine)
        return;
    const SoftwareMap& inventory = m_engine->Inventory();
    SetCount(static_cast<int>(inventory.size()));
    int rowNumber = 0;
    // Pictures are decoded when their rows are first shown, once per icon source: programs that
    // share an executable or a library share its picture. The default program icon is decoded once
    // and shared by every row that has no picture.
    std::map<std::tuple<std::wstring, int32_t, int32_t>, int> pictureBySource;
    int defaultIconIndex = -1;
    for (const auto& [name, record] : inventory) {
        int iconIndex = -1;
        if (record.imagePath.size() > kMinPicturePathChars) {
            const auto [shared, added] =
                pictureBySource.try_emplace(std::tuple(record.iconPath, record.iconIndex, record.iconKind), -1);
            if (added) {
                // A cached picture that is missing or damaged shows the default program icon.
                shared->second = m_list.AddImageSource([path = record.imagePath] {
                    std::unique_ptr<Gdiplus::Image> picture = LoadPictureFile(path);
                    return picture ? std::move(picture) : LoadPngResource(IDB_PNG_DEFAULT_PROGRAM_ICON);
                });
            }
            iconIndex = shared->second;
        } else {
            if (defaultIconIndex < 0)
                defaultIconIndex = m_list.AddImageSource([] { return LoadPngResource(IDB_PNG_DEFAULT_PROGRAM_ICON); });
            iconIndex = defaultIconIndex;
        }

        ListRow row;
        row.index = rowNumber;
        row.height = S(40);
        ListCell nameCell;
        nameCell.kind = CELL_TEXT;
        nameCell.text = record.displayName;
        nameCell.align = kAlignLeft;
        nameCell.hasIcon = iconIndex >= 0;
        nameCell.iconIndex = iconIndex;
        row.cells[0] = nameCell;
        row.cells[1] = MakeCell(CELL_TEXT, record.sizeText, kAlignCenter);
        row.cells[2] = MakeCell(CELL_TEXT, record.displayVersion, kAlignCenter);
        // A refill (the refresh after a tab switch) keeps what the uninstall of a program shows.
        row.cells[3] = MakeCell(CellKindOnRefill(m_keptStates, record), L"", kAlignLeft);
        m_list.InsertRow(rowNumber, std::move(row));
        m_list.SetItemData(rowNumber, new SoftwareRecord(record));
        ++rowNumber;
    }
    m_list.AdjustLayout();
}

const SoftwareRecord* CConventionalUninstallDlg::RowRecord(int row) const {
    return static_cast<const SoftwareRecord*>(m_list.GetItemData(row));
}

std::vector<const SoftwareRecord*> CConventionalUninstallDlg::RowRecords() const {
    std::vector<const SoftwareRecord*> records;
    records.reserve(static_cast<size_t>(m_list.GetRowCount()));
    for (int row = 0; row < m_list.GetRowCount(); ++row)
        records.push_back(RowRecord(row));
    return records;
}

int CConventionalUninstallDlg::FindRow(const SoftwareRecord& record) const {
    return FindRecordRow(RowRecords(), &record);
}

int CConventionalUninstallDlg::OperationState(int row) const {
    const ListCell* cell = m_list.Model().FindCell(row, kOperationColumn);
    return cell ? cell->kind : -1;
}

bool CConventionalUninstallDlg::IsUninstalling() const {
    return m_engine && m_engine->IsBusy();
}

void CConventionalUninstallDlg::ReleaseQueue() {
    if (m_engine)
        m_engine->ReleaseQueue();
}

void CConventionalUninstallDlg::StopEngine() {
    if (m_engine)
        m_engine->RequestStop();
}

void CConventionalUninstallDlg::SetRowState(int row, const SoftwareRecord& record, int kind) {
    KeepRowState(m_keptStates, record, kind);
    if (row >= 0)
        m_list.SetCellKind(row, kOperationColumn, kind);
}

void CConventionalUninstallDlg::OnListButtonClick(const ListButtonClick* click) {
    if (!click || click->kind != CELL_BUTTON || click->action != 1 || !m_engine)
        return;
    const SoftwareRecord* rowRecord = RowRecord(click->row);
    // The row itself decides: a click reported for a row that no longer shows its button (queued
    // or running) queues nothing a second time.
    if (!rowRecord || OperationState(click->row) != CELL_BUTTON)
        return;
    const SoftwareRecord record = *rowRecord;
    const int row = click->row;
    (void)m_engine->SetUninstallWindow(m_hWnd); // inventory results stay with the function page
    m_engine->Enqueue(record);
    SetRowState(row, record, CELL_UNINSTALLING);
    if (!m_engine->IsWorkerRunning()) {
        if (!m_startWorker || !m_startWorker()) {
            (void)CPromptDlg::Show(nullptr, m_scale, kPromptStyleConfirm, L"卸载软件失败！");
            // Nothing will take the queued programs: they leave the queue and their rows show
            // "卸载" again (the engine reports each as still installed).
            m_engine->ReleaseQueue();
        }
        return;
    }
    SetRowState(FindRow(record), record, CellKindAfterQueueing(true, m_engine->IsBusy()));
}

void CConventionalUninstallDlg::OnUninstallState(WPARAM state, const SoftwareRecord* record) {
    const std::optional<int> kind = CellKindForUninstallState(state);
    if (!kind || !record)
        return;
    SetRowState(FindRecordRow(RowRecords(), record), *record, *kind);
}

void CConventionalUninstallDlg::OnUninstallRemoved(const SoftwareRecord* record) {
    if (record)
        KeepRowState(m_keptStates, *record, CELL_BUTTON);
    const int row = FindRecordRow(RowRecords(), record);
    if (row < 0)
        return;
    delete static_cast<SoftwareRecord*>(m_list.GetItemData(row));
    m_list.SetItemData(row, nullptr);
    m_list.DeleteRow(row);
    SetCount(m_list.GetRowCount());
}

bool CConventionalUninstallDlg::PaintBackground(HDC target) {
    if (!m_image)
        m_image = LoadPngResource(IDB_PNG_WHITE_PANEL);
    if (!m_image)
        return false;
    const RECT client = GetClientRect();
    DrawStretched(target, m_image.get(), client);
    if (!m_noticeFont)
        CreateDerivedFont(m_hWnd, 0, 0, m_noticeFont);
    const ScopedSelectObject font(target, m_noticeFont.Get());
    ::SetBkMode(target, TRANSPARENT);
    int leading = 0;
    const int line = TextHeight(target, m_noticeFont.Get(), &leading);
    RECT first{client.left + S(20), client.top + S(10), client.right - S(20), client.top + S(10) + 2 * line + leading};
    ::SetTextColor(target, RGB(128, 128, 128));
    DrawTextInRect(target, kFirstNotice, first, DT_WORDBREAK | DT_VCENTER | DT_EXTERNALLEADING | DT_NOPREFIX);
    RECT second{first.left, first.bottom + S(2), first.right, first.bottom + S(2) + line + leading};
    ::SetTextColor(target, RGB(0, 0, 0));
    ::DrawTextW(target, kSecondNotice, -1, &second, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    return true;
}

void CConventionalUninstallDlg::OnDestroy() {
    m_image.reset();
    FreeRowData();
    if (m_list.GetSafeHwnd()) {
        m_list.DeleteAllRows();
        m_list.ReleaseImages();
    }
}

LRESULT CConventionalUninstallDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LIST_BUTTONCLICK:
        OnListButtonClick(reinterpret_cast<const ListButtonClick*>(wp));
        return 0;
    case WM_UNINSTALL_STATE:
        OnUninstallState(wp, reinterpret_cast<const SoftwareRecord*>(lp));
        return 0;
    case WM_UNINSTALL_REMOVED:
        OnUninstallRemoved(reinterpret_cast<const SoftwareRecord*>(lp));
        return 0;
    default:
        break;
    }
    return CPageDlg::WindowProc(msg, wp, lp);
}

} // namespace tsu
