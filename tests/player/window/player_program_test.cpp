// The installed program as the member runs it: a second start hands its lesson to the
// running player and ends, and a player killed while a lesson plays resumes it, after a
// restart, within seconds of where it was killed; a player the updaters end (at the
// client's close, before a codec update) first saves what the member watched.

#include <signal.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <fstream>

#include "common/settings/ini_file.h"
#include "common/system/process_terminator.h"
#include "player/core/hand_off.h"
#include "tests/player/window/player_fixture.h"

namespace tessal::player::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class PlayerProgramTest : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        fs::copy_file(TESSAL_PLAYER_PROGRAM, Folder() / "TessalPlayer");
        fs::create_directories(runtime_.path());
        WriteProfileString(Folder() / "UserInfo.ini", "Login", "userid", "10001");
    }
    void TearDown() override {
        for (auto& process : processes_) {
            process->kill();
            process->waitForFinished(5000);
        }
        PlayerTest::TearDown();
    }

    QProcess& Launch(const std::string& argument) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("TESSAL_APLAYER_MPV_OPTIONS", "ao=null,vo=null");
        environment.insert("TESSAL_TEST_WAIT_DIVISOR", "100");
        environment.insert("TESSAL_TEST_BOX_LOG",
                           QString::fromStdString((Folder() / "boxes.txt").string()));
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime_.path().string()));
        // Never the machine's own desktop bus.
        environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tessal-test-bus");
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(QString::fromStdString(Folder().string()));
        QStringList arguments;
        if (!argument.empty())
            arguments << QString::fromStdString(argument);
        process->start(QString::fromStdString((Folder() / "TessalPlayer").string()), arguments);
        process->waitForStarted(5000);
        processes_.push_back(std::move(process));
        return *processes_.back();
    }

    bool Running() const { return !ReadHandOffName(Folder() / kHandOffFile).empty(); }

    static bool End(QProcess& process, int signal) {
        ::kill(static_cast<pid_t>(process.processId()), signal);
        return process.waitForFinished(15000);
    }

    std::size_t HistoryCount() const {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& entry :
             fs::directory_iterator(Folder() / "cache" / "History"))
            ++count;
        return count;
    }

    TempFolder runtime_;
    std::vector<std::unique_ptr<QProcess>> processes_;
};

TEST_F(PlayerProgramTest, ASecondStartHandsItsLessonToTheRunningPlayerAndEnds) {
    const auto lesson = AddClip("lesson_long.tessal", "TessalDownload/长课/lesson_long.tessal");
    QProcess& first = Launch({});
    ASSERT_TRUE(WaitUntil([&] { return Running(); }, 20s));
    QProcess& second = Launch(lesson.string());
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    // The first player plays it: its end stores where the lesson was and the viewing.
    QTest::qWait(1500);
    ASSERT_TRUE(End(first, SIGTERM));
    EXPECT_TRUE(StoredPosition("lesson_long.tessal").has_value());
    EXPECT_EQ(HistoryCount(), 1U);
    EXPECT_EQ(ReadProfileString(Folder() / kHandOffFile, "p", "h", "?"), "");
    EXPECT_EQ(ReadProfileString(Folder() / kHandOffFile, "p", "data", "?"), "");
}

TEST_F(PlayerProgramTest, APlayerKilledWhilePlayingResumesWithinSecondsOfTheKill) {
    const auto lesson = AddClip("lesson_long.tessal", "TessalDownload/长课/lesson_long.tessal");
    QProcess& player = Launch(lesson.string());
    // The position is stored every few seconds of play; kill two seconds after one.
    ASSERT_TRUE(WaitUntil([&] { return StoredPosition("lesson_long.tessal").has_value(); }, 30s));
    QTest::qWait(2000);
    const int before_kill = *StoredPosition("lesson_long.tessal");
    ASSERT_TRUE(End(player, SIGKILL));
    const int stored = *StoredPosition("lesson_long.tessal");
    EXPECT_GE(stored, before_kill);
    EXPECT_GE(stored, 4000);

    QProcess& again = Launch(lesson.string());
    ASSERT_TRUE(WaitUntil([&] { return Running(); }, 20s));
    QTest::qWait(1500);
    ASSERT_TRUE(End(again, SIGTERM));
    // Resumed: it closed past where it was stored, not a second or so into the lesson.
    EXPECT_GE(StoredPosition("lesson_long.tessal").value_or(0), stored);
}

TEST_F(PlayerProgramTest, APlayerTheUpdatersEndSavesItsLessonAndViewingRecord) {
    const auto lesson = AddClip("lesson_long.tessal", "TessalDownload/长课/lesson_long.tessal");
    QProcess& player = Launch(lesson.string());
    ASSERT_TRUE(WaitUntil([&] { return StoredPosition("lesson_long.tessal").has_value(); }, 30s));
    QTest::qWait(2000);
    const int periodic = *StoredPosition("lesson_long.tessal");

    EXPECT_EQ(TerminateProcessesNamed("TessalPlayer", Folder(), kPlayerShutdownGrace), 1);
    ASSERT_TRUE(player.waitForFinished(5000));
    EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
    EXPECT_GE(StoredPosition("lesson_long.tessal").value_or(0), periodic + 1500);
    EXPECT_EQ(HistoryCount(), 1U);
    EXPECT_TRUE(fs::exists(Folder() / "PlayerList.ini"));
}

}  // namespace
}  // namespace tessal::player::test
