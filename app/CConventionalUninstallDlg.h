#pragma once
// The tab page "常规卸载" (template 197): two notice lines, the number of installed programs, and
// one list row per program of the engine's inventory with its picture, name, size, version and
// the row's "卸载" button, whose state follows the engine's uninstall of that program. Each row
// carries its own heap copy of the program's record, owned by the page.

#include "app/CPageDlg.h"
#include "app/core/PageRules.h"
#include "controls/CDrawTextStatic.h"
#include "controls/list/CMultilineList.h"
#include "framework/ScopedHandles.h"
#include "inventory/core/SoftwareRecord.h"

#include <gdiplus.h>

#include <functional>
#include <memory>
#include <vector>

namespace tsu {

class UninstallEngine;
struct ListButtonClick;

class CConventionalUninstallDlg : public CPageDlg {
public:
    static constexpr int kOperationColumn = 3;

    CConventionalUninstallDlg();
    ~CConventionalUninstallDlg() override;

    void SetEngine(UninstallEngine* engine) { m_engine = engine; }
    void LayoutControls(bool first);
    void SetupColumns();
    void FillList();
    [[nodiscard]] bool IsUninstalling() const;
    void ReleaseQueue();
    void StopEngine();

    // How the page starts the engine's uninstall worker; tests replace it to see the failure path.
    void SetWorkerStarter(std::function<bool()> starter) { m_startWorker = std::move(starter); }

    [[nodiscard]] CMultilineList& List() { return m_list; }
    [[nodiscard]] std::wstring CountText() const { return m_count.GetWindowText(); }
    // The row's record copy, or null.
    [[nodiscard]] const SoftwareRecord* RowRecord(int row) const;
    // The row that shows this program (same display name and key path), or -1.
    [[nodiscard]] int FindRow(const SoftwareRecord& record) const;
    [[nodiscard]] int OperationState(int row) const;

protected:
    BOOL OnInitToolDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    bool PaintBackground(HDC dc) override;
    void OnListButtonClick(const ListButtonClick* click);
    void OnUninstallState(WPARAM state, const SoftwareRecord* record);
    void OnUninstallRemoved(const SoftwareRecord* record);
    // Sets the row's operation cell and remembers it for the program, so a refill keeps it.
    void SetRowState(int row, const SoftwareRecord& record, int kind);
    void SetCount(int count);
    void FreeRowData();
    [[nodiscard]] std::vector<const SoftwareRecord*> RowRecords() const;
    void OnDestroy() override;

    RECT m_clientRect{};
    std::unique_ptr<Gdiplus::Image> m_image;
    UniqueHfont m_noticeFont;
    CDrawTextStatic m_foundLabel;
    CDrawTextStatic m_count;
    CDrawTextStatic m_unitLabel;
    CMultilineList m_list;
    UninstallEngine* m_engine = nullptr;
    std::function<bool()> m_startWorker;
    // Programs queued, being uninstalled or found gone, by name and key path.
    std::vector<KeptRowState> m_keptStates;
};

} // namespace tsu
