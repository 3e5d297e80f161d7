#pragma once

// A session bus of the test's own: a dbus-daemon on a socket in a temporary folder,
// with nothing activatable, so that the tests see only the services they register and
// never the machine's own session bus. Stopped, with its connections closed, when the
// object goes. Also the waits the tests need while the event loop delivers bus traffic.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QStringList>
#include <QVariant>
#include <functional>

#include "tests/support/temp_folder.h"

namespace tessal::test {

class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool started() const { return !address_.isEmpty(); }
    // A new connection of its own (another client of the bus).
    QDBusConnection Connect();

private:
    TempFolder folder_;
    QProcess daemon_;
    QString address_;
    QStringList connection_names_;
};

// Runs the event loop until `done` or `timeout_ms`; true when done.
bool WaitFor(const std::function<bool()>& done, int timeout_ms = 3000);
// Runs the event loop for a while, for what must not happen.
void Settle(int duration_ms = 100);
// Calls without blocking the event loop (the callee may live in this process); the reply.
QDBusMessage CallAndWait(QDBusConnection bus, const QDBusMessage& call);
// org.freedesktop.DBus.Properties.Get through CallAndWait; invalid on an error.
QVariant GetProperty(QDBusConnection bus, const QString& service, const QString& path,
                     const QString& interface, const QString& name);

}  // namespace tessal::test
