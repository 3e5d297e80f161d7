// The hand-off file as the two instances use it.

#include "player/core/hand_off.h"

#include <gtest/gtest.h>

#include "common/settings/ini_file.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace tessal::player {
namespace {

class HandOffTest : public ::testing::Test {
protected:
    TempFolder folder_;
    TempFolder locks_;
    ScopedEnvironment runtime_{"XDG_RUNTIME_DIR", locks_.path().string()};
    std::filesystem::path file_ = folder_.path() / kHandOffFile;

    void SetUp() override { std::filesystem::create_directories(file_.parent_path()); }
};

TEST_F(HandOffTest, APathHandedOverIsTakenOnce) {
    ASSERT_TRUE(WriteHandOffName(file_, "tessal-player-1000"));
    ASSERT_TRUE(WriteHandOffData(file_, "/home/a/课程/第1讲.tessal"));
    EXPECT_EQ(ReadHandOffName(file_), "tessal-player-1000");
    EXPECT_EQ(ReadProfileString(file_, "p", "data", ""), "/home/a/课程/第1讲.tessal");
    EXPECT_EQ(TakeHandOffData(file_), "/home/a/课程/第1讲.tessal");
    EXPECT_EQ(TakeHandOffData(file_), "");  // a start without a path finds nothing
    EXPECT_EQ(ReadHandOffName(file_), "tessal-player-1000");
}

TEST_F(HandOffTest, PathsWithBlanksOrQuotesAtTheEndsComeBackUnchanged) {
    for (const std::string path : {" /a/b.tessal", "/a/b.tessal ", "\"/a/b.tessal\"", "'x'"}) {
        ASSERT_TRUE(WriteHandOffData(file_, path));
        EXPECT_EQ(TakeHandOffData(file_), path);
    }
}

TEST_F(HandOffTest, ShutdownEmptiesNameAndData) {
    ASSERT_TRUE(WriteHandOffName(file_, "tessal-player-1000"));
    ASSERT_TRUE(WriteHandOffData(file_, "/a/b.tessal"));
    ASSERT_TRUE(ClearHandOff(file_));
    EXPECT_EQ(FileContents(file_), "[p]\nh=\ndata=\n");
}

}  // namespace
}  // namespace tessal::player
