// The updater ends the installation's running player before it replaces the engine, and
// nothing else: not a player of another installation, not a program with a longer name.

#include "tests/codec_updater/codec_updater_fixture.h"
#include "tests/support/sleeping_program.h"
#include "tests/support/temp_folder.h"

namespace tessal::codecs {
namespace {

namespace fs = std::filesystem;

TEST_F(CodecUpdaterTest, EndsOnlyThisInstallationsPlayer) {
    const TempFolder other_installation;
    test::SleepingProgram player(test::CopyOfSleep(installation_.folder(), "TessalPlayer"));
    test::SleepingProgram longer_name(test::CopyOfSleep(installation_.folder(), "TessalPlayerX"));
    test::SleepingProgram other_player(
        test::CopyOfSleep(other_installation.path(), "TessalPlayer"));
    ASSERT_TRUE(player.started() && longer_name.started() && other_player.started());

    const test::ProcessResult result = RunUpdater();

    EXPECT_EQ(result.exit_status, 0) << result.errors;
    EXPECT_TRUE(player.EndedBy(SIGTERM));  // asked first, so that it saves its lesson
    EXPECT_TRUE(longer_name.Running());
    EXPECT_TRUE(other_player.Running());
}

}  // namespace
}  // namespace tessal::codecs
