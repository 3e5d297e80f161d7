#pragma once

// SIGTERM (the end of a desktop session) and SIGINT (Ctrl+C) run a program's shutdown
// routine on the GUI thread, like its close buttons do.

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace tessal::gui {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Only one may exist at a time; it restores the default handlers when destroyed.
    explicit TerminationSignals(std::function<void(int signal)> on_signal);
    ~TerminationSignals() override;
    bool ok() const { return notifier_ != nullptr; }

private:
    void Drain();

    std::function<void(int)> on_signal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tessal::gui
