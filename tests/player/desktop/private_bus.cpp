#include "tests/player/desktop/private_bus.h"

#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QFile>
#include <QTest>
#include <atomic>

namespace tessal::test {
namespace {

constexpr int kStartTimeoutMs = 5000;
constexpr int kStopTimeoutMs = 2000;

QString BusConfiguration(const QString& socket_folder) {
    return QStringLiteral(
               "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
               "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig>\n"
               "  <type>session</type>\n"
               "  <listen>unix:dir=%1</listen>\n"
               "  <auth>EXTERNAL</auth>\n"
               "  <policy context=\"default\">\n"
               "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
               "    <allow eavesdrop=\"true\"/>\n"
               "    <allow own=\"*\"/>\n"
               "  </policy>\n"
               "</busconfig>\n")
        .arg(socket_folder);
}

}  // namespace

PrivateBus::PrivateBus() {
    const QString folder = QString::fromStdString(folder_.path().string());
    const QString configuration = folder + QStringLiteral("/bus.conf");
    QFile file(configuration);
    if (!file.open(QIODevice::WriteOnly) || file.write(BusConfiguration(folder).toUtf8()) < 0) {
        return;
    }
    file.close();
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--config-file=") + configuration, QStringLiteral("--nofork"),
                   QStringLiteral("--print-address=1")});
    if (!daemon_.waitForStarted(kStartTimeoutMs)) {
        return;
    }
    while (!daemon_.canReadLine() && daemon_.waitForReadyRead(kStartTimeoutMs)) {
    }
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
}

PrivateBus::~PrivateBus() {
    for (const QString& name : connection_names_) {
        QDBusConnection::disconnectFromBus(name);
    }
    if (daemon_.state() == QProcess::NotRunning) {
        return;
    }
    daemon_.terminate();
    if (!daemon_.waitForFinished(kStopTimeoutMs)) {
        daemon_.kill();
        daemon_.waitForFinished(kStopTimeoutMs);
    }
}

QDBusConnection PrivateBus::Connect() {
    static std::atomic<int> connections{0};
    const QString name = QStringLiteral("tessal-test-bus-%1").arg(++connections);
    connection_names_.append(name);
    return QDBusConnection::connectToBus(address_, name);
}

bool WaitFor(const std::function<bool()>& done, int timeout_ms) {
    return QTest::qWaitFor(done, timeout_ms);
}

void Settle(int duration_ms) {
    QTest::qWait(duration_ms);
}

QDBusMessage CallAndWait(QDBusConnection bus, const QDBusMessage& call) {
    const QDBusPendingCall pending = bus.asyncCall(call);
    WaitFor([&pending] { return pending.isFinished(); });
    return pending.reply();
}

QVariant GetProperty(QDBusConnection bus, const QString& service, const QString& path,
                     const QString& interface, const QString& name) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << interface << name;
    const QDBusMessage reply = CallAndWait(bus, call);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {};
    }
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}

}  // namespace tessal::test
