#pragma once
// The tab page "智能卸载" (template 198): the user drops a program's shortcut on the input box; the
// page has its IntelligenceEngine analyse it behind the wait dialog and lists the files, folders
// and shortcuts found (all ticked) with their count, or, when the program has a registered
// uninstaller, a notice instead. "卸载" then runs that uninstaller or deletes the ticked items,
// each after the user confirms.

#include "app/CPageDlg.h"
#include "controls/CDrawTextStatic.h"
#include "controls/CDropEdit.h"
#include "controls/buttons/CImageButton.h"
#include "controls/list/CMultilineList.h"
#include "framework/ScopedHandles.h"
#include "smart/IntelligenceEngine.h"

#include <gdiplus.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>

namespace tsu {

class CExecutePromptDlg;

class CIntelligenceUninstallDlg : public CPageDlg {
public:
    explicit CIntelligenceUninstallDlg(std::optional<InventoryLocations> locations = std::nullopt);
    ~CIntelligenceUninstallDlg() override;

    void LayoutControls(bool first);
    void SetupColumns();

    // Whether the program's own uninstaller, started from this page, still runs.
    [[nodiscard]] bool IsStandardUninstallRunning() const { return m_standardUninstallRunning; }
    // Whether an analysis or a deletion still runs.
    [[nodiscard]] bool IsAnalysisOrDeletionRunning() const { return m_analysisRunning || m_deletionRunning; }

    [[nodiscard]] CMultilineList& List() { return m_list; }
    [[nodiscard]] IntelligenceEngine& Engine() { return *m_engine; }
    [[nodiscard]] std::wstring CountText() const { return m_count.GetWindowText(); }
    [[nodiscard]] std::wstring TitleText() const { return m_title.GetWindowText(); }
    [[nodiscard]] std::wstring InputText() const { return m_drop.GetWindowText(); }
    [[nodiscard]] bool IsNoticeShown() const { return m_notice.IsWindowVisible(); }
    [[nodiscard]] bool IsListShown() const { return m_list.IsWindowVisible(); }
    [[nodiscard]] bool IsCountShown() const { return m_count.IsWindowVisible(); }
    [[nodiscard]] const RelatedItem* RowItem(int row) const;
    [[nodiscard]] CExecutePromptDlg* ProgressDialog() const { return m_progress.get(); }

    static constexpr COLORREF kCountColour = RGB(0, 0, 255);

protected:
    BOOL OnInitToolDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // Results (CIntelligenceUninstallDlgResults.cpp).
    void OnDrop(const wchar_t* path);
    void OnAnalysisState(const wchar_t* target, LPARAM state);
    void DisplayResults();
    void ShowResults();
    void SetResultCount(int count);
    void FreeRowData();
    void OnUninstallClicked();
    void OnStandardUninstallResult(WPARAM result);
    void OnDeleteResult(WPARAM result);
    void RemoveFinishedRows();
    void RunProgress(const wchar_t* text);
    [[nodiscard]] bool RefuseWhileUninstalling();

    bool PaintBackground(HDC dc) override;
    void OnDestroy() override;
    void SetUpLabel(CDrawTextStatic& label, const wchar_t* text, int alignment, COLORREF colour, const RECT& pieceRect);
    [[nodiscard]] int MeasureTitle(const std::wstring& text);

    RECT m_clientRect{};
    std::unique_ptr<Gdiplus::Image> m_image;
    UniqueHfont m_noticeFont;
    UniqueHfont m_hintFont;
    bool m_initialised = false;
    CDropEdit m_drop;
    CDrawTextStatic m_title;
    CDrawTextStatic m_count;
    CDrawTextStatic m_bracket;
    CMultilineList m_list;
    CDrawTextStatic m_notice;
    CImageButton m_uninstall;
    // Owned; left alive on purpose when the page goes while an analysis worker still uses it.
    std::unique_ptr<IntelligenceEngine> m_engine;
    std::unique_ptr<CExecutePromptDlg> m_progress;
    std::atomic<bool> m_analysisRunning{false};
    std::atomic<bool> m_deletionRunning{false};
    std::atomic<bool> m_standardUninstallRunning{false};
};

} // namespace tsu
