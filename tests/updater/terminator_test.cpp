// The install phase ends the client and player of its own folder, and nothing else; the
// player is asked to end before it would be killed.

#include <gtest/gtest.h>
#include <signal.h>

#include "tests/support/sleeping_program.h"
#include "tests/support/temp_folder.h"
#include "tests/updater/updater_installation.h"

namespace tessal::updater::test {
namespace {

class TerminatorTest : public UpdaterTest {};

TEST_F(TerminatorTest, EndsOnlyThePlayerAndClientOfItsFolder) {
    TempFolder other_installation;
    tessal::test::SleepingProgram player(
        tessal::test::CopyOfSleep(installation().folder(), "TessalPlayer"));
    tessal::test::SleepingProgram client(
        tessal::test::CopyOfSleep(installation().folder(), "TessalClient"));
    tessal::test::SleepingProgram similar(
        tessal::test::CopyOfSleep(installation().folder(), "TessalPlayerX"));
    tessal::test::SleepingProgram foreign(
        tessal::test::CopyOfSleep(other_installation.path(), "TessalPlayer"));
    ASSERT_TRUE(player.Running());
    RunInstall("end##u##");
    EXPECT_TRUE(player.EndedBy(SIGTERM));  // asked first, so that it saves its lesson
    EXPECT_TRUE(client.Killed());
    EXPECT_TRUE(similar.Running());
    EXPECT_TRUE(foreign.Running());
}

TEST_F(TerminatorTest, TheDownloadPhaseEndsNothing) {
    tessal::test::SleepingProgram player(
        tessal::test::CopyOfSleep(installation().folder(), "TessalPlayer"));
    RunDownload();
    EXPECT_TRUE(player.Running());
}

}  // namespace
}  // namespace tessal::updater::test
