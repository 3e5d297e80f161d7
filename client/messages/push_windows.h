#pragma once

// The push popups of the main window's messages 2026 (text), 2028 (picture) and 2029
// (custom): one window of each kind at most, a newer message of a kind replacing the
// open one. A new popup opens in the lower right corner, in the lowest place no other
// open popup holds (one popup height above each while none was closed below another);
// closing one does not move the others. GUI thread only.

#include <memory>

#include "client/messages/pending_popups.h"
#include "client/messages/push_popup.h"
#include "client/messages/push_wnd.h"

namespace tessal::client {

class PushWindows {
public:
    explicit PushWindows(PushWindowsContext context);
    ~PushWindows();
    PushWindows(const PushWindows&) = delete;
    PushWindows& operator=(const PushWindows&) = delete;

    // Shows the popup of `kind` with `data`. A layout that does not load shows the box
    // "CreatePushWndFail1" (2, 3) and writes the same line to the daily log.
    void Show(PopupKind kind, const PopupData& data);
    // The client's end: every popup goes.
    void CloseAll();

    // The open window of `kind`; null when none.
    QWidget* window(PopupKind kind) const;

private:
    PushPopup& Popup(PopupKind kind) const;
    int FreeSlot() const;

    PushWindowsContext context_;  // before the popups, which keep a reference to it
    std::unique_ptr<PushWnd1> text_;
    std::unique_ptr<PushWnd2> picture_;
    std::unique_ptr<PushWnd3> custom_;
};

}  // namespace tessal::client
