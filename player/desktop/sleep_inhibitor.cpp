#include "player/desktop/sleep_inhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <optional>
#include <string>
#include <utility>

#include "common/base/trace.h"

namespace tessal::player {
namespace {

QDBusMessage ScreenSaverCall(const QString& method) {
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.ScreenSaver"),
                                          QStringLiteral("/org/freedesktop/ScreenSaver"),
                                          QStringLiteral("org.freedesktop.ScreenSaver"), method);
}

}  // namespace

struct SleepInhibitor::State {
    State(QDBusConnection bus_to_use, QString name)
        : bus(std::move(bus_to_use)), application_name(std::move(name)) {}

    QDBusConnection bus;
    QString application_name;
    bool wanted = false;  // between Inhibit and Release
    bool asking = false;  // an Inhibit call waits for its cookie
    std::optional<uint> cookie;

    // The reply handler holds the state, so a cookie that arrives after a Release, or
    // after the inhibitor is gone, is still given back.
    static void AskForCookie(const std::shared_ptr<State>& state, const QString& reason) {
        if (!state->bus.isConnected()) {
            Trace("ScreenSaver: no session bus, the screen is not kept on");
            return;
        }
        QDBusMessage call = ScreenSaverCall(QStringLiteral("Inhibit"));
        call << state->application_name << reason;
        state->asking = true;
        auto* watcher = new QDBusPendingCallWatcher(state->bus.asyncCall(call));
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [state, watcher] {
            watcher->deleteLater();
            state->asking = false;
            const QDBusPendingReply<uint> reply = *watcher;
            if (reply.isError()) {
                Trace("ScreenSaver Inhibit: " + reply.error().name().toStdString());
            } else if (state->wanted) {
                state->cookie = reply.value();
            } else {
                state->GiveBack(reply.value());
            }
        });
    }

    void GiveBack(uint held) {
        QDBusMessage call = ScreenSaverCall(QStringLiteral("UnInhibit"));
        call << held;
        // Nothing waits for the answer: a screen saver gone meanwhile has nothing to undo.
        bus.send(call);
    }
};

SleepInhibitor::SleepInhibitor(QDBusConnection bus, QString application_name)
    : state_(std::make_shared<State>(std::move(bus), std::move(application_name))) {}

SleepInhibitor::~SleepInhibitor() {
    Release();
}

void SleepInhibitor::Inhibit(const QString& reason) {
    if (state_->wanted) {
        return;
    }
    state_->wanted = true;
    // Released and asked again while the first cookie is on its way: that cookie serves.
    if (!state_->asking) {
        State::AskForCookie(state_, reason);
    }
}

void SleepInhibitor::Release() {
    if (!state_->wanted) {
        return;
    }
    state_->wanted = false;
    if (state_->cookie) {
        state_->GiveBack(*state_->cookie);
        state_->cookie.reset();
    }
}

bool SleepInhibitor::inhibited() const {
    return state_->wanted;
}

}  // namespace tessal::player
