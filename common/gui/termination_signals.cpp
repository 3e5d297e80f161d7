#include "common/gui/termination_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

namespace tessal::gui {
namespace {

// A signal handler may only write to a descriptor; the GUI thread reads the other end.
int signal_pipe[2] = {-1, -1};

void OnSignal(int signal) {
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signal_pipe[1], &number, 1);
}

void Handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int signal)> on_signal)
    : on_signal_(std::move(on_signal)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signal_pipe) != 0)
        return;
    ::fcntl(signal_pipe[1], F_SETFL, O_NONBLOCK);
    notifier_ = std::make_unique<QSocketNotifier>(signal_pipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Drain(); });
    Handle(SIGTERM, OnSignal);
    Handle(SIGINT, OnSignal);
}

TerminationSignals::~TerminationSignals() {
    Handle(SIGTERM, SIG_DFL);
    Handle(SIGINT, SIG_DFL);
    notifier_.reset();
    for (int& end : signal_pipe) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

void TerminationSignals::Drain() {
    unsigned char number = 0;
    if (::read(signal_pipe[0], &number, 1) == 1 && on_signal_)
        on_signal_(number);
}

}  // namespace tessal::gui
