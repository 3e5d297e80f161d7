#pragma once

// Stand-ins for the desktop's services, registered by a test on its private bus. They
// record what the player asked for.

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QStringList>
#include <utility>

namespace tessal::test {

// org.freedesktop.ScreenSaver. With `hold_replies` the cookies wait for AnswerHeld.
class FakeScreenSaver : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    struct InhibitCall {
        QString application;
        QString reason;
        uint cookie = 0;
    };

    // Takes the service on `bus`; false when that failed.
    bool Serve(QDBusConnection bus) {
        bus_ = bus;
        return bus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), this,
                                  QDBusConnection::ExportAllSlots) &&
               bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver"));
    }

    void AnswerHeld() {
        for (const auto& [call, cookie] : std::exchange(held_, {})) {
            bus_.send(call.createReply(cookie));
        }
    }

    bool hold_replies = false;
    QList<InhibitCall> inhibits;
    QList<uint> uninhibits;

public slots:
    uint Inhibit(const QString& application, const QString& reason) {
        const uint cookie = next_cookie_++;
        inhibits.append({application, reason, cookie});
        if (hold_replies) {
            setDelayedReply(true);
            held_.append({message(), cookie});
            return 0;
        }
        return cookie;
    }
    void UnInhibit(uint cookie) { uninhibits.append(cookie); }

private:
    QDBusConnection bus_{QString()};
    uint next_cookie_ = 7001;
    QList<std::pair<QDBusMessage, uint>> held_;
};

// org.freedesktop.FileManager1; with `fail` it answers ShowItems with an error.
class FakeFileManager : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    bool Serve(QDBusConnection bus) {
        return bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), this,
                                  QDBusConnection::ExportAllSlots) &&
               bus.registerService(QStringLiteral("org.freedesktop.FileManager1"));
    }

    bool fail = false;
    QList<QStringList> shown;
    QStringList startup_ids;

public slots:
    void ShowItems(const QStringList& uris, const QString& startup_id) {
        shown.append(uris);
        startup_ids.append(startup_id);
        if (fail) {
            sendErrorReply(QDBusError::Failed, QStringLiteral("cannot show"));
        }
    }
};

}  // namespace tessal::test
