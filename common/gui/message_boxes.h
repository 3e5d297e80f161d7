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

// Test-only: boxes appended to `file` as "caption|text" lines and answered at once, so
// that tests of the real programs need no member.
class LoggedMessageBoxes : public MessageBoxes {
public:
    explicit LoggedMessageBoxes(QString file) : file_(std::move(file)) {}
    void Show(QWidget* owner, const QString& text, const QString& caption) override;

private:
    QString file_;
};

// The boxes a program shows: modal ones, or the lines of the file TESSAL_TEST_BOX_LOG
// names when it is set (never in use).
MessageBoxes& ProgramMessageBoxes();

}  // namespace tessal::gui
