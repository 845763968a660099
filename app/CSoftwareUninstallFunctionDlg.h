#pragma once
// The function page (template 138): the tab strip "常规卸载" / "智能卸载" over the two tab pages,
// the version label, the close and minimise buttons. Its close button is the close guard: while
// something runs that a window of the tool must see to its end, the tool says so and closes only
// when everything is over, or, for an uninstaller that may never end, when asked to close again.

#include "app/CPageDlg.h"
#include "app/core/PageRules.h"
#include "controls/CDrawTextStatic.h"
#include "controls/CTabCtrlEx.h"
#include "controls/buttons/CPngButton.h"
#include "framework/ScopedHandles.h"
#include "inventory/InventorySequence.h"

#include <gdiplus.h>

#include <memory>
#include <optional>

namespace tsu {

class CConventionalUninstallDlg;
class CIntelligenceUninstallDlg;
class UninstallEngine;

class CSoftwareUninstallFunctionDlg : public CPageDlg {
public:
    static constexpr UINT_PTR kCloseWaitTimer = 40;
    static constexpr UINT kCloseWaitIntervalMs = 6;

    explicit CSoftwareUninstallFunctionDlg(std::optional<InventoryLocations> locations = std::nullopt);
    ~CSoftwareUninstallFunctionDlg() override;

    void SetEngine(UninstallEngine* engine) { m_engine = engine; }

    // Called by the main window once the page exists: buttons, version, tab strip, tab pages.
    void BuildContents();
    // The conventional page shows the engine's inventory anew.
    void FillConventionalList();

    // What runs now that closing must wait for.
    [[nodiscard]] BusyState CurrentBusyState() const;
    // The close guard: true when closing was deferred (the tool closes by itself once all is
    // over, posting WM_CLOSE_WHEN_IDLE to the main window); false when the tool may close now.
    bool GuardClose();
    [[nodiscard]] bool IsClosePending() const { return m_closePending; }
    // A further close request while the guard waits: the user will not wait. The running
    // uninstaller is left to run (never killed), the queue is released, and true says the tool may
    // close now; false when what runs belongs to a page that must see it to its end.
    bool StopWaiting();

    [[nodiscard]] CConventionalUninstallDlg* ConventionalPage() const { return m_conventional.get(); }
    [[nodiscard]] CIntelligenceUninstallDlg* IntelligencePage() const { return m_intelligence.get(); }
    // Selects a tab as a click on it does.
    void SelectTab(int index);

protected:
    BOOL OnInitToolDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void OnCommand(UINT id, UINT code);
    LRESULT OnNotify(const NMHDR* header);
    void OnTabChanged();
    void OnSoftwareLoaded(WPARAM result);
    void OnCloseWaitTimer();
    bool PaintBackground(HDC dc) override;
    void OnDestroy() override;

    std::optional<InventoryLocations> m_locations;
    UninstallEngine* m_engine = nullptr;
    std::unique_ptr<Gdiplus::Image> m_image;
    std::unique_ptr<Gdiplus::Image> m_panel;
    UniqueHfont m_titleFont;
    CPngButton m_close;
    CPngButton m_minimize;
    CDrawTextStatic m_version;
    CTabCtrlEx m_tab;
    std::unique_ptr<CConventionalUninstallDlg> m_conventional;
    std::unique_ptr<CIntelligenceUninstallDlg> m_intelligence;
    bool m_initialised = false;
    bool m_closePending = false;
    bool m_waitStopped = false;
};

} // namespace tsu
