#include "client/messages/pending_popups.h"

#include <utility>

namespace tessal::client {
namespace {

// The numbers of the toolkit interface's private messages (kTextPopupMessage,
// kPicturePopupMessage, kSecondPicturePopupMessage); this library carries no Qt.
constexpr int kTextPopup = 2026;
constexpr int kPicturePopup = 2028;
constexpr int kCustomPopup = 2029;

std::size_t SlotOf(PopupKind kind) {
    return static_cast<std::size_t>(kind);
}

}  // namespace

void PendingPopups::Put(PopupKind kind, PopupData data) {
    const std::lock_guard lock(mutex_);
    pending_[SlotOf(kind)] = std::move(data);
}

std::optional<PopupData> PendingPopups::Take(PopupKind kind) {
    const std::lock_guard lock(mutex_);
    std::optional<PopupData> taken;
    taken.swap(pending_[SlotOf(kind)]);
    return taken;
}

int PopupMessage(PopupKind kind) {
    switch (kind) {
        case PopupKind::kText:
            return kTextPopup;
        case PopupKind::kPicture:
            return kPicturePopup;
        case PopupKind::kCustom:
            return kCustomPopup;
    }
    return kTextPopup;
}

}  // namespace tessal::client
