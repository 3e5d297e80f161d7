#include "client/messages/push_windows.h"

#include <set>

namespace tessal::client {

PushWindows::PushWindows(PushWindowsContext context)
    : context_(std::move(context)),
      text_(std::make_unique<PushWnd1>(context_)),
      picture_(std::make_unique<PushWnd2>(context_)),
      custom_(std::make_unique<PushWnd3>(context_)) {}

PushWindows::~PushWindows() {
    CloseAll();
}

void PushWindows::Show(PopupKind kind, const PopupData& data) {
    PushPopup& popup = Popup(kind);
    // The replaced window no longer counts: the new one takes the lowest free place.
    popup.Close();
    popup.Show(data, FreeSlot());
}

void PushWindows::CloseAll() {
    for (PushPopup* popup :
         {static_cast<PushPopup*>(text_.get()), static_cast<PushPopup*>(picture_.get()),
          static_cast<PushPopup*>(custom_.get())})
        popup->Close();
}

QWidget* PushWindows::window(PopupKind kind) const {
    const PushPopup& popup = Popup(kind);
    return popup.IsOpen() ? popup.window() : nullptr;
}

PushPopup& PushWindows::Popup(PopupKind kind) const {
    switch (kind) {
        case PopupKind::kText:
            return *text_;
        case PopupKind::kPicture:
            return *picture_;
        case PopupKind::kCustom:
            break;
    }
    return *custom_;
}

// The lowest place no open popup holds: with one popup of each kind open at most, that
// is one popup height above each, as long as none was closed below another; then the
// gap is filled rather than a popup opened over one that is still showing.
int PushWindows::FreeSlot() const {
    std::set<int> taken;
    for (const PopupKind kind : {PopupKind::kText, PopupKind::kPicture, PopupKind::kCustom}) {
        if (Popup(kind).IsOpen())
            taken.insert(Popup(kind).slot());
    }
    int slot = 0;
    while (taken.count(slot) != 0)
        ++slot;
    return slot;
}

}  // namespace tessal::client
