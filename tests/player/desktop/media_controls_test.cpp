#include "player/desktop/media_controls.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QUrl>
#include <functional>
#include <memory>
#include <vector>

#include "tests/player/desktop/private_bus.h"

namespace tessal::player {
namespace {

using test::CallAndWait;
using test::Settle;
using test::WaitFor;
using Status = MediaControls::Status;

const QString kService = QString::fromLatin1(MediaControls::kServiceName);
const QString kPath = QString::fromLatin1(MediaControls::kObjectPath);
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kLesson = QStringLiteral("/tmp/下载的课程/第 1 课.tessal");

// Records the signals the desktop sees from the player's object.
class SignalRecorder : public QObject {
    Q_OBJECT
public:
    QList<QDBusMessage> messages;
public slots:
    void Record(const QDBusMessage& message) { messages.append(message); }
};

QVariantMap AsMap(const QVariant& value) {
    return value.canConvert<QDBusArgument>() ? qdbus_cast<QVariantMap>(value) : value.toMap();
}

class MediaControlsTest : public ::testing::Test {
public:  // the command tables call in
    void SetUp() override {
        ASSERT_TRUE(bus_.started());
        desktop_ = bus_.Connect();
        commands_.clear();
    }

    // Controls whose callbacks write what they were asked into `commands_`.
    std::unique_ptr<MediaControls> Start(QDBusConnection bus) {
        auto record = [this](QString text) { return [this, text] { commands_.append(text); }; };
        MediaControls::Callbacks callbacks;
        callbacks.play_pause = record(QStringLiteral("play_pause"));
        callbacks.play = record(QStringLiteral("play"));
        callbacks.pause = record(QStringLiteral("pause"));
        callbacks.stop = record(QStringLiteral("stop"));
        callbacks.next = record(QStringLiteral("next"));
        callbacks.previous = record(QStringLiteral("previous"));
        callbacks.quit = record(QStringLiteral("quit"));
        callbacks.seek = [this](qint64 us) { commands_.append(QStringLiteral("seek %1").arg(us)); };
        callbacks.set_position = [this](qint64 us) {
            commands_.append(QStringLiteral("set_position %1").arg(us));
        };
        callbacks.set_volume = [this](int v) {
            commands_.append(QStringLiteral("volume %1").arg(v));
        };
        callbacks.set_rate = [this](double r) {
            commands_.append(QStringLiteral("rate %1").arg(r));
        };
        callbacks.open_file = [this](const QString& path) { commands_.append("open " + path); };
        callbacks.position_ms = [] { return qint64{754321}; };
        auto controls = std::make_unique<MediaControls>(bus, std::move(callbacks));
        EXPECT_TRUE(WaitFor([&] { return controls->registered(); }));
        return controls;
    }

    QVariant Get(const QString& interface, const QString& name) {
        return test::GetProperty(desktop_, kService, kPath, interface, name);
    }
    QDBusMessage Call(const QString& interface, const QString& method, QVariantList arguments) {
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, interface, method);
        call.setArguments(arguments);
        return CallAndWait(desktop_, call);
    }
    QDBusMessage Set(const QString& name, const QVariant& value) {
        return Call(kProperties, QStringLiteral("Set"),
                    {kPlayer, name, QVariant::fromValue(QDBusVariant(value))});
    }
    QDBusObjectPath TrackId() {
        return AsMap(Get(kPlayer, QStringLiteral("Metadata")))
            .value(QStringLiteral("mpris:trackid"))
            .value<QDBusObjectPath>();
    }
    bool Owned(const QString& name) {
        return desktop_.interface()->isServiceRegistered(name).value();
    }

    test::PrivateBus bus_;
    QDBusConnection desktop_{QString()};
    QStringList commands_;
};

TEST_F(MediaControlsTest, TakesThePlainNameThenAnInstanceNameAndGivesThemBack) {
    auto first = Start(bus_.Connect());
    auto second = Start(bus_.Connect());
    const QString instance =
        kService + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());

    EXPECT_EQ(first->service_name(), kService);
    EXPECT_EQ(second->service_name(), instance);
    EXPECT_TRUE(Owned(kService));
    EXPECT_TRUE(Owned(instance));

    first.reset();
    second.reset();
    EXPECT_TRUE(WaitFor([&] { return !Owned(kService) && !Owned(instance); }));
}

TEST_F(MediaControlsTest, DesktopReadsThePlayerOverTheBus) {
    auto controls = Start(bus_.Connect());
    controls->SetTrack(QStringLiteral("第1课"), 5400000, kLesson);
    controls->SetPlaybackStatus(Status::Playing);
    controls->SetVolume(35);
    controls->SetRate(1.5);

    EXPECT_EQ(Get(kRoot, QStringLiteral("Identity")).toString(), QStringLiteral("Tessal播放器"));
    EXPECT_EQ(Get(kRoot, QStringLiteral("DesktopEntry")).toString(),
              QStringLiteral("TessalPlayer"));
    EXPECT_TRUE(Get(kRoot, QStringLiteral("CanQuit")).toBool());
    EXPECT_FALSE(Get(kRoot, QStringLiteral("CanRaise")).toBool());  // no raise callback
    EXPECT_EQ(Get(kRoot, QStringLiteral("SupportedUriSchemes")).toStringList(),
              QStringList{QStringLiteral("file")});
    EXPECT_EQ(Get(kPlayer, QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));
    EXPECT_EQ(Get(kPlayer, QStringLiteral("Position")).toLongLong(), 754321000);
    EXPECT_DOUBLE_EQ(Get(kPlayer, QStringLiteral("Volume")).toDouble(), 0.35);
    EXPECT_DOUBLE_EQ(Get(kPlayer, QStringLiteral("Rate")).toDouble(), 1.5);
    EXPECT_TRUE(Get(kPlayer, QStringLiteral("CanSeek")).toBool());

    const QVariantMap metadata = AsMap(Get(kPlayer, QStringLiteral("Metadata")));
    const QVariant track_id = metadata.value(QStringLiteral("mpris:trackid"));
    ASSERT_EQ(track_id.metaType(), QMetaType::fromType<QDBusObjectPath>());
    EXPECT_FALSE(track_id.value<QDBusObjectPath>().path().startsWith(QStringLiteral("/org/mpris")));
    const QVariant length = metadata.value(QStringLiteral("mpris:length"));
    EXPECT_EQ(length.metaType(), QMetaType::fromType<qlonglong>());
    EXPECT_EQ(length.toLongLong(), 5400000000);
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("第1课"));
    const QString url = metadata.value(QStringLiteral("xesam:url")).toString();
    EXPECT_FALSE(url.contains(QLatin1Char(' ')));  // a URI, escaped
    EXPECT_EQ(QUrl(url).toLocalFile(), kLesson);
}

struct Command {
    const char* what;
    std::function<QDBusMessage(MediaControlsTest&)> call;
    QStringList expected;
};

class MediaControlsCommandTest : public MediaControlsTest {
protected:
    void Run(const std::vector<Command>& commands) {
        for (const Command& command : commands) {
            SCOPED_TRACE(command.what);
            commands_.clear();
            const QDBusMessage reply = command.call(*this);
            EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
                << reply.errorMessage().toStdString();
            EXPECT_EQ(commands_, command.expected);
        }
    }
    static std::function<QDBusMessage(MediaControlsTest&)> Player(const char* method,
                                                                  QVariantList arguments = {}) {
        return [method, arguments](MediaControlsTest& test) {
            return test.Call(kPlayer, QString::fromLatin1(method), arguments);
        };
    }
    static std::function<QDBusMessage(MediaControlsTest&)> Set(const char* name, QVariant value) {
        return [name, value](MediaControlsTest& test) {
            return test.Set(QString::fromLatin1(name), value);
        };
    }
};

TEST_F(MediaControlsCommandTest, DesktopCommandsReachThePlayer) {
    auto controls = Start(bus_.Connect());
    controls->SetTrack(QStringLiteral("第1课"), 90000, kLesson);
    controls->SetPlaybackStatus(Status::Playing);
    controls->SetCanGoNext(true);
    controls->SetCanGoPrevious(true);
    const QDBusObjectPath track = TrackId();
    const QString lesson_uri = QUrl::fromLocalFile(kLesson).toString(QUrl::FullyEncoded);

    Run({
        {"PlayPause", Player("PlayPause"), {"play_pause"}},
        {"Pause", Player("Pause"), {"pause"}},
        {"Stop", Player("Stop"), {"stop"}},
        {"Next", Player("Next"), {"next"}},
        {"Previous", Player("Previous"), {"previous"}},
        {"Seek back", Player("Seek", {qlonglong{-5000000}}), {"seek -5000000"}},
        {"SetPosition",
         Player("SetPosition", {QVariant::fromValue(track), qlonglong{30000000}}),
         {"set_position 30000000"}},
        {"SetPosition at the end",
         Player("SetPosition", {QVariant::fromValue(track), qlonglong{90000000}}),
         {"set_position 90000000"}},
        {"OpenUri", Player("OpenUri", {lesson_uri}), {"open " + kLesson}},
        {"Quit, from the event loop",
         [](MediaControlsTest& test) {
             const QDBusMessage reply = test.Call(kRoot, QStringLiteral("Quit"), {});
             WaitFor([&] { return !test.commands_.isEmpty(); });
             return reply;
         },
         {"quit"}},
        {"Volume", Set("Volume", 0.42), {"volume 42"}},
        {"Volume above full", Set("Volume", 1.7), {"volume 100"}},
        {"Volume below silence", Set("Volume", -0.3), {"volume 0"}},
        {"Rate", Set("Rate", 2.0), {"rate 2"}},
        {"Rate 0 pauses", Set("Rate", 0.0), {"pause"}},
    });
}

TEST_F(MediaControlsCommandTest, CommandsTheStateDoesNotAllowAreDropped) {
    auto controls = Start(bus_.Connect());
    controls->SetTrack(QStringLiteral("第1课"), 90000, kLesson);
    controls->SetPlaybackStatus(Status::Playing);
    const QDBusObjectPath track = TrackId();
    const QDBusObjectPath stale(QStringLiteral("/org/tessal/TessalPlayer/Track/999"));

    Run({
        {"Next without a next lesson", Player("Next"), {}},
        {"Previous without one", Player("Previous"), {}},
        {"Play while playing", Player("Play"), {}},
        {"SetPosition of another track",
         Player("SetPosition", {QVariant::fromValue(stale), qlonglong{1000}}),
         {}},
        {"SetPosition beyond the end",
         Player("SetPosition", {QVariant::fromValue(track), qlonglong{90000001}}),
         {}},
        {"SetPosition before the start",
         Player("SetPosition", {QVariant::fromValue(track), qlonglong{-1}}),
         {}},
        {"OpenUri of a web address", Player("OpenUri", {QStringLiteral("http://x/a.tessal")}), {}},
        {"Rate beyond the fastest", Set("Rate", 8.0), {}},
        {"Raise without a window to raise",
         [](MediaControlsTest& test) { return test.Call(kRoot, QStringLiteral("Raise"), {}); },
         {}},
    });

    controls->SetPlaybackStatus(Status::Paused);
    Run({{"Pause while paused", Player("Pause"), {}}});

    controls->ClearTrack();
    Run({
        {"PlayPause without a lesson", Player("PlayPause"), {}},
        {"Play without a lesson", Player("Play"), {}},
        {"Seek without a lesson", Player("Seek", {qlonglong{1000}}), {}},
    });
}

TEST_F(MediaControlsTest, EachChangeAnnouncesOnlyWhatChanged) {
    auto controls = Start(bus_.Connect());
    SignalRecorder recorder;
    ASSERT_TRUE(desktop_.connect(QString(), kPath, kProperties, QStringLiteral("PropertiesChanged"),
                                 &recorder, SLOT(Record(QDBusMessage))));
    ASSERT_TRUE(Owned(kService));  // a round trip: the daemon has the match rule now
    auto next_change = [&]() -> QVariantMap {
        const qsizetype seen = recorder.messages.size();
        if (!WaitFor([&] { return recorder.messages.size() > seen; })) {
            return {};
        }
        const QVariantList arguments = recorder.messages.last().arguments();
        EXPECT_EQ(arguments.value(0).toString(), kPlayer);
        EXPECT_TRUE(qdbus_cast<QStringList>(arguments.value(2)).isEmpty());
        return AsMap(arguments.value(1));
    };

    controls->SetPlaybackStatus(Status::Playing);
    QVariantMap change = next_change();
    EXPECT_EQ(change.keys(), QStringList{QStringLiteral("PlaybackStatus")});
    EXPECT_EQ(change.value(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));

    controls->SetPlaybackStatus(Status::Playing);  // no change, nothing announced
    controls->SetCanGoNext(true);
    EXPECT_EQ(next_change().keys(), QStringList{QStringLiteral("CanGoNext")});

    controls->SetTrack(QStringLiteral("第1课"), 0, kLesson);
    change = next_change();
    EXPECT_EQ(change.keys(), (QStringList{"CanPause", "CanPlay", "Metadata"}));
    const QVariantMap metadata = AsMap(change.value(QStringLiteral("Metadata")));
    EXPECT_FALSE(metadata.contains(QStringLiteral("mpris:length")));  // not known yet

    // The same lesson with its length: the same track, now seekable.
    controls->SetTrack(QStringLiteral("第1课"), 90000, kLesson);
    change = next_change();
    EXPECT_EQ(change.keys(), (QStringList{"CanSeek", "Metadata"}));
    const QVariantMap longer = AsMap(change.value(QStringLiteral("Metadata")));
    EXPECT_EQ(longer.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>(),
              metadata.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>());
    EXPECT_EQ(longer.value(QStringLiteral("mpris:length")).toLongLong(), 90000000);

    controls->SetVolume(35);
    EXPECT_EQ(next_change().keys(), QStringList{QStringLiteral("Volume")});
}

TEST_F(MediaControlsTest, SeekedTellsThePositionInMicroseconds) {
    auto controls = Start(bus_.Connect());
    SignalRecorder recorder;
    ASSERT_TRUE(desktop_.connect(QString(), kPath, kPlayer, QStringLiteral("Seeked"), &recorder,
                                 SLOT(Record(QDBusMessage))));
    ASSERT_TRUE(Owned(kService));

    controls->NotifySeeked(1500);
    ASSERT_TRUE(WaitFor([&] { return !recorder.messages.isEmpty(); }));
    EXPECT_EQ(recorder.messages[0].arguments(), QVariantList{qlonglong{1500000}});
}

}  // namespace
}  // namespace tessal::player

#include "media_controls_test.moc"
