// The intelligent page's work: drops, the analysis result display, the uninstall request and the
// results of deletion and standard uninstall.

#include "app/CIntelligenceUninstallDlg.h"

#include "app/AppMessages.h"
#include "app/CExecutePromptDlg.h"
#include "app/CPromptDlg.h"
#include "app/core/DialogRules.h"
#include "log/CLogSave.h"
#include "smart/core/AnalysisRules.h"
#include "uninstall/engine/EngineMessages.h"

namespace tsu {

namespace {

constexpr wchar_t kTitleText[] = L"文件和文件夹分析结果（";
constexpr wchar_t kTitleWithoutBracket[] = L"文件和文件夹分析结果";
constexpr wchar_t kBracketText[] = L"）";
constexpr int kPathColumn = 0;

bool PathExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

const RelatedItem* CIntelligenceUninstallDlg::RowItem(int row) const {
    return static_cast<const RelatedItem*>(m_list.GetItemData(row));
}

bool CIntelligenceUninstallDlg::RefuseWhileUninstalling() {
    // The standard uninstall removes the program the user confirmed; a new analysis or a deletion
    // meanwhile would work on a result that is about to change.
    if (!m_standardUninstallRunning)
        return false;
    (void)CPromptDlg::Show(nullptr, m_scale, kPromptStyleConfirm, L"正在卸载软件，请稍后再试！");
    return true;
}

void CIntelligenceUninstallDlg::RunProgress(const wchar_t* text) {
    m_progress = std::make_unique<CExecutePromptDlg>(m_hWnd);
    m_progress->SetText(text);
    m_progress->SetScale(m_scale);
}

void CIntelligenceUninstallDlg::OnDrop(const wchar_t* path) {
    if (!path || !*path) // several files at once
        return;
    if (RefuseWhileUninstalling())
        return;
    // The progress dialog exists before the worker does, so an analysis that ends at once still
    // finds it to close.
    RunProgress(L"正在分析，请稍等");
    m_analysisRunning = true;
    if (!m_engine->StartAnalysis(path)) {
        m_analysisRunning = false;
        m_progress.reset();
        (void)CPromptDlg::Show(nullptr, m_scale, kPromptStyleConfirm, L"分析软件失败！");
        return;
    }
    (void)m_progress->DoModal();
}

void CIntelligenceUninstallDlg::OnAnalysisState(const wchar_t* target, LPARAM state) {
    if (state == kAnalysisStarted) {
        if (target)
            (void)m_drop.SetWindowText(target);
    } else if (state == kAnalysisFinished) {
        // The worker is still inside its notification: the controls are filled on this thread
        // once it has let go, still before the progress dialog closes.
        if (!PostMessage(WM_DISPLAY_RESULTS)) {
            WriteToolLog(L"创建显示分析文件线程失败");
            m_analysisRunning = false;
            SendMessage(WM_CLOSE_PROGRESS);
        }
    }
}

void CIntelligenceUninstallDlg::DisplayResults() {
    m_analysisRunning = false;
    if (m_engine->HasStandardUninstall()) {
        FreeRowData();
        m_list.DeleteAllRows();
        m_list.AdjustLayout();
        m_list.ShowWindow(SW_HIDE);
        m_notice.ShowWindow(SW_SHOW);
        (void)m_title.SetWindowText(kTitleWithoutBracket);
        m_title.Invalidate(true);
        m_count.ShowWindow(SW_HIDE);
        m_bracket.ShowWindow(SW_HIDE);
    } else {
        m_notice.ShowWindow(SW_HIDE);
        m_list.ShowWindow(SW_SHOW);
        ShowResults();
    }
    SendMessage(WM_CLOSE_PROGRESS);
}

void CIntelligenceUninstallDlg::ShowResults() {
    FreeRowData();
    m_list.DeleteAllRows();
    m_list.AdjustLayout();
    const std::vector<RelatedItem>& items = m_engine->Items();
    const int count = static_cast<int>(items.size());
    if (count > 0)
        m_list.SetCheckAll(TRUE);
    SetResultCount(count);
    for (int i = 0; i < count; ++i) {
        ListRow row;
        row.index = i;
        row.height = S(30);
        ListCell path = MakeCell(CELL_TEXT, items[static_cast<size_t>(i)].path, kAlignLeft);
        path.hasCheck = true;
        path.checked = true;
        row.cells[0] = path;
        row.cells[1] = MakeCell(CELL_TEXT, items[static_cast<size_t>(i)].description, kAlignLeft);
        m_list.InsertRow(i, std::move(row));
        m_list.SetItemData(i, new RelatedItem(items[static_cast<size_t>(i)]));
    }
    m_list.AdjustLayout();
}

void CIntelligenceUninstallDlg::SetResultCount(int count) {
    const std::wstring text = std::to_wstring(count);
    const int w1 = MeasureTitle(kTitleText);
    const int w2 = MeasureTitle(text);
    const int w3 = MeasureTitle(kBracketText);
    const int left = m_clientRect.left + S(20);
    const int top = m_clientRect.top + S(114);
    const int height = S(20);
    (void)m_title.SetWindowText(kTitleText);
    m_title.Invalidate(true);
    (void)m_bracket.MoveWindow(RECT{left + w1 + w2, top, left + w1 + w2 + w3, top + height});
    m_bracket.ShowWindow(SW_SHOW);
    (void)m_count.SetWindowText(text);
    (void)m_count.MoveWindow(RECT{left + w1, top, left + w1 + w2, top + height});
    m_count.ShowWindow(SW_SHOW);
}

void CIntelligenceUninstallDlg::FreeRowData() {
    if (m_list.GetSafeHwnd())
        m_list.DeleteItemData<RelatedItem>();
}

void CIntelligenceUninstallDlg::OnUninstallClicked() {
    if (RefuseWhileUninstalling())
        return;
    if (m_engine->HasStandardUninstall()) {
        if (CPromptDlg::Show(nullptr, m_scale, kPromptStyleConfirmCancel,
                             L"当前软件有标准卸载方式，点击确定进行标准卸载，点击取消不卸载") != IDOK)
            return;
        if (CPromptDlg::Show(nullptr, m_scale, kPromptStyleConfirmCancel, L"您确定卸载当前软件？") != IDOK)
            return;
        m_standardUninstallRunning = true;
        if (!m_engine->StartStandardUninstall()) {
            m_standardUninstallRunning = false;
            (void)CPromptDlg::Show(nullptr, m_scale, kPromptStyleConfirm, L"卸载软件失败！");
        }
        return;
    }
    std::vector<std::wstring>& selected = m_engine->SelectedPaths();
    selected.clear();
    for (int row = 0; row < m_list.GetRowCount(); ++row) {
        const RelatedItem* item = RowItem(row);
        if (item && m_list.GetCellCheck(row, kPathColumn))
            selected.push_back(item->path);
    }
    if (selected.empty()) {
        (void)CPromptDlg::Show(nullptr, m_scale, kPromptStyleConfirm, L"请选择要卸载的文件？");
        return;
    }
    if (CPromptDlg::Show(nullptr, m_scale, kPromptStyleConfirmCancel, L"您确定卸载当前选择的文件？") != IDOK)
        return;
    RunProgress(L"正在卸载，请稍等");
    m_deletionRunning = true;
    if (!m_engine->StartDeletion()) {
        m_deletionRunning = false;
        m_progress.reset();
        (void)CPromptDlg::Show(nullptr, m_scale, kPromptStyleConfirm, L"卸载文件失败！");
        return;
    }
    (void)m_progress->DoModal();
}

void CIntelligenceUninstallDlg::OnStandardUninstallResult(WPARAM result) {
    const bool gone = result == kStandardUninstallGone;
    (void)CPromptDlg::Show(m_hWnd, m_scale, kPromptStyleConfirm, gone ? L"卸载成功！" : L"卸载失败！");
    // Over only once the user has seen the result: a pending close waits for that too.
    m_standardUninstallRunning = false;
    if (gone) {
        FreeRowData();
        m_list.DeleteAllRows();
        m_list.AdjustLayout();
    }
}

void CIntelligenceUninstallDlg::OnDeleteResult(WPARAM result) {
    // Over only once the user has seen the result (a pending close waits for it).
    struct Done {
        std::atomic<bool>& flag;
        ~Done() { flag = false; }
    } done{m_deletionRunning};
    switch (result) {
    case kDeleteAll:
        (void)CPromptDlg::Show(m_hWnd, m_scale, kPromptStyleConfirm, L"卸载成功！");
        RemoveFinishedRows();
        break;
    case kDeleteNone:
        (void)CPromptDlg::Show(m_hWnd, m_scale, kPromptStyleConfirm, L"卸载失败！");
        break;
    case kDeletePartial:
        (void)CPromptDlg::Show(m_hWnd, m_scale, kPromptStyleConfirm, L"部份文件正在使用，无法卸载！");
        RemoveFinishedRows();
        break;
    default:
        break;
    }
}

void CIntelligenceUninstallDlg::RemoveFinishedRows() {
    for (int row = m_list.GetRowCount() - 1; row >= 0; --row) {
        const RelatedItem* item = RowItem(row);
        if (!item || !m_list.GetCellCheck(row, kPathColumn) || PathExists(item->path))
            continue;
        delete item;
        m_list.SetItemData(row, nullptr);
        m_list.DeleteRow(row);
    }
    m_list.AdjustLayout();
    SetResultCount(m_list.GetRowCount());
}

} // namespace tsu
