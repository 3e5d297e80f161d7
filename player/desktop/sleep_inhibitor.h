#pragma once

// Keeps the desktop's screen saver and sleep away while a lesson plays, through
// org.freedesktop.ScreenSaver on the session bus. Every call returns at once: the
// desktop's answer (the cookie) arrives through the event loop of the thread that made
// the inhibitor, the GUI thread. A Release, or the inhibitor's end, before that answer
// still gives the cookie back once it arrives (while the event loop runs); a desktop
// without the service, or no session bus at all, leaves nothing to do but one trace line.

#include <QDBusConnection>
#include <QString>
#include <memory>

namespace tessal::player {

class SleepInhibitor {
public:
    SleepInhibitor(QDBusConnection bus, QString application_name);
    ~SleepInhibitor();  // releases
    SleepInhibitor(const SleepInhibitor&) = delete;
    SleepInhibitor& operator=(const SleepInhibitor&) = delete;

    // Asks the desktop to keep the screen on; nothing while already asked.
    void Inhibit(const QString& reason);
    // Gives the screen back; nothing while not asked.
    void Release();
    // True from Inhibit to Release, whether or not the desktop has answered (or has a
    // screen saver to answer at all).
    bool inhibited() const;

private:
    struct State;
    std::shared_ptr<State> state_;  // shared with replies still under way
};

}  // namespace tessal::player
