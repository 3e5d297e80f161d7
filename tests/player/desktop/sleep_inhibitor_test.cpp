#include "player/desktop/sleep_inhibitor.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/player/desktop/fake_desktop_services.h"
#include "tests/player/desktop/private_bus.h"

namespace tessal::player {
namespace {

using test::FakeScreenSaver;
using test::Settle;
using test::WaitFor;

class SleepInhibitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus_.started());
        player_ = bus_.Connect();
        desktop_ = bus_.Connect();
        ASSERT_TRUE(player_.isConnected());
    }

    void ServeScreenSaver() { ASSERT_TRUE(saver_.Serve(desktop_)); }
    bool InhibitsReach(int count) {
        return WaitFor([&] { return saver_.inhibits.size() == count; });
    }

    test::PrivateBus bus_;
    QDBusConnection player_{QString()};
    QDBusConnection desktop_{QString()};
    FakeScreenSaver saver_;
};

TEST_F(SleepInhibitorTest, InhibitAndReleaseEachReachTheDesktopOnce) {
    ServeScreenSaver();
    SleepInhibitor inhibitor(player_, QStringLiteral("TessalPlayer"));

    inhibitor.Inhibit(QStringLiteral("播放课程"));
    inhibitor.Inhibit(QStringLiteral("播放课程"));
    ASSERT_TRUE(InhibitsReach(1));
    Settle();  // the cookie comes back
    inhibitor.Inhibit(QStringLiteral("again"));
    EXPECT_TRUE(inhibitor.inhibited());
    inhibitor.Release();
    inhibitor.Release();
    EXPECT_FALSE(inhibitor.inhibited());
    ASSERT_TRUE(WaitFor([&] { return !saver_.uninhibits.isEmpty(); }));
    Settle();

    ASSERT_EQ(saver_.inhibits.size(), 1);
    EXPECT_EQ(saver_.inhibits[0].application, QStringLiteral("TessalPlayer"));
    EXPECT_EQ(saver_.inhibits[0].reason, QStringLiteral("播放课程"));
    EXPECT_EQ(saver_.uninhibits, QList<uint>{saver_.inhibits[0].cookie});
}

TEST_F(SleepInhibitorTest, ReleaseBeforeTheCookieArrivesStillGivesItBack) {
    ServeScreenSaver();
    saver_.hold_replies = true;
    SleepInhibitor inhibitor(player_, QStringLiteral("TessalPlayer"));

    inhibitor.Inhibit(QStringLiteral("播放课程"));
    ASSERT_TRUE(InhibitsReach(1));
    inhibitor.Release();
    Settle();
    EXPECT_TRUE(saver_.uninhibits.isEmpty());  // nothing to give back yet

    saver_.AnswerHeld();
    ASSERT_TRUE(WaitFor([&] { return !saver_.uninhibits.isEmpty(); }));
    EXPECT_EQ(saver_.uninhibits, QList<uint>{saver_.inhibits[0].cookie});
}

TEST_F(SleepInhibitorTest, InhibitAgainBeforeTheCookieArrivesKeepsThatCookie) {
    ServeScreenSaver();
    saver_.hold_replies = true;
    SleepInhibitor inhibitor(player_, QStringLiteral("TessalPlayer"));

    inhibitor.Inhibit(QStringLiteral("播放课程"));
    inhibitor.Release();
    inhibitor.Inhibit(QStringLiteral("播放课程"));
    ASSERT_TRUE(InhibitsReach(1));
    saver_.AnswerHeld();
    Settle();
    EXPECT_EQ(saver_.inhibits.size(), 1);
    EXPECT_TRUE(saver_.uninhibits.isEmpty());

    inhibitor.Release();
    ASSERT_TRUE(WaitFor([&] { return !saver_.uninhibits.isEmpty(); }));
    EXPECT_EQ(saver_.uninhibits, QList<uint>{saver_.inhibits[0].cookie});
}

TEST_F(SleepInhibitorTest, EndingTheInhibitorGivesTheCookieBack) {
    for (const bool cookie_on_its_way : {false, true}) {
        SCOPED_TRACE(cookie_on_its_way ? "cookie on its way" : "cookie held");
        FakeScreenSaver saver;
        QDBusConnection desktop = bus_.Connect();
        ASSERT_TRUE(saver.Serve(desktop));
        saver.hold_replies = cookie_on_its_way;

        auto inhibitor = std::make_unique<SleepInhibitor>(player_, QStringLiteral("TessalPlayer"));
        inhibitor->Inhibit(QStringLiteral("播放课程"));
        ASSERT_TRUE(WaitFor([&] { return saver.inhibits.size() == 1; }));
        Settle();
        inhibitor.reset();
        saver.AnswerHeld();

        ASSERT_TRUE(WaitFor([&] { return !saver.uninhibits.isEmpty(); }));
        EXPECT_EQ(saver.uninhibits, QList<uint>{saver.inhibits[0].cookie});
        desktop.unregisterService(QStringLiteral("org.freedesktop.ScreenSaver"));
    }
}

TEST_F(SleepInhibitorTest, NoScreenSaverIsQuietAndOneThatComesLaterIsUsed) {
    SleepInhibitor inhibitor(player_, QStringLiteral("TessalPlayer"));
    inhibitor.Inhibit(QStringLiteral("播放课程"));
    Settle();  // the bus answers that there is no such service
    EXPECT_TRUE(inhibitor.inhibited());
    inhibitor.Release();
    EXPECT_FALSE(inhibitor.inhibited());

    ServeScreenSaver();
    inhibitor.Inhibit(QStringLiteral("播放课程"));
    ASSERT_TRUE(InhibitsReach(1));
    Settle();
    inhibitor.Release();
    ASSERT_TRUE(WaitFor([&] { return !saver_.uninhibits.isEmpty(); }));
    EXPECT_EQ(saver_.uninhibits, QList<uint>{saver_.inhibits[0].cookie});
}

}  // namespace
}  // namespace tessal::player
