#pragma once
// The input box of the intelligent page: accepts one dropped file or folder and reports it to the
// parent with WM_DROPEDIT_FILE; the user cannot type into it or open its context menu (only the
// owner sets its text).

#include "framework/CEdit.h"

#include <string>

namespace tsu {

class CDropEdit : public CEdit {
public:
    // Keys, characters and right-button presses aimed at the box are swallowed before the dialog
    // manager sees them.
    BOOL PreTranslateMessage(MSG* msg) override;

    // True for the messages the box swallows.
    [[nodiscard]] static bool IsSwallowed(UINT msg);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void PreSubclassWindow() override;

private:
    void OnDropFiles(HDROP drop);
    void AcceptDrops();
};

} // namespace tsu
