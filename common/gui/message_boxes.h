#pragma once

// Message boxes with an OK button, as the windows show them. Windows receive the boxes
// object from their program, so that tests can answer boxes without a member.

#include <QString>
#include <QWidget>

namespace tessal::gui {

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows `text` under `caption`, owned by `owner` (none when null), and returns once
    // the member closed it or its owner was destroyed. Callers may be gone by then when
    // the owner took them along.
    virtual void Show(QWidget* owner, const QString& text, const QString& caption) = 0;
};

// Modal Qt message boxes.
class ModalMessageBoxes : public MessageBoxes {
public:
    void Show(QWidget* owner, const QString& text, const QString& caption) override;
};

}  // namespace tessal::gui
