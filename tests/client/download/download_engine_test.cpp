// Engine start at client start-up and engine stop in the shutdown routine, against
// fake engines that record what the client calls.

#include "client/download/download_engine.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "common/log/daily_log.h"
#include "common/settings/ini_file.h"
#include "tests/client/download/engine_folder.h"

namespace tessal::test {
namespace {

std::tm FixedTime() {
    std::tm time{};
    time.tm_year = 2026 - 1900;
    time.tm_mon = 11;
    time.tm_mday = 6;
    time.tm_hour = 9;
    time.tm_min = 5;
    time.tm_sec = 3;
    return time;
}

std::vector<FakeCall> Calls(const FakeEngineState& state) {
    return {state.calls, state.calls + state.call_count};
}

class DownloadEngineTest : public ::testing::Test {
protected:
    // What the daily log holds for the fixed time, after every queued entry is written.
    std::string LoggedLine() {
        log_.Flush();
        return ReadProfileString(log_folder_.path() / DailyLog::FileNameFor(FixedTime()),
                                 "technology", DailyLog::KeyFor(FixedTime()), "");
    }

    TempFolder log_folder_;
    DailyLog log_{log_folder_.path(), FixedTime};
};

TEST_F(DownloadEngineTest, AMissingLibraryIsAFailedStartWithItsLogLine) {
    EngineFolder folder;
    DownloadEngine engine(folder.path());
    EXPECT_FALSE(engine.Start(log_));
    EXPECT_FALSE(engine.initialised());
    EXPECT_EQ(engine.wrapper(), nullptr);
    EXPECT_EQ(LoggedLine(), "迅雷引擎初始化失败");
}

TEST_F(DownloadEngineTest, ASuccessfulStartKeepsTheEngineAndLogsNothing) {
    EngineFolder folder(FAKE_ENGINE_FULL);
    DownloadEngine engine(folder.path());
    EXPECT_TRUE(engine.Start(log_));
    EXPECT_TRUE(engine.initialised());
    EXPECT_NE(engine.wrapper(), nullptr);
    // Opening the download center again must not initialise a running engine twice.
    EXPECT_TRUE(engine.Start(log_));
    EXPECT_EQ(Calls(*folder.state()), std::vector<FakeCall>{FakeCall::kInit});
    EXPECT_EQ(LoggedLine(), "");
}

TEST_F(DownloadEngineTest, AFailedInitEndsAndUnloadsTheEngineAndALaterStartTriesAgain) {
    EngineFolder folder(FAKE_ENGINE_FULL);
    FakeEngineState& state = *folder.state();
    state.init_result = 0;
    DownloadEngine engine(folder.path());
    EXPECT_FALSE(engine.Start(log_));
    EXPECT_FALSE(engine.initialised());
    EXPECT_EQ(engine.wrapper(), nullptr);
    EXPECT_EQ(Calls(state), (std::vector<FakeCall>{FakeCall::kInit, FakeCall::kUnInit}));
    EXPECT_EQ(LoggedLine(), "迅雷引擎初始化失败");

    state.init_result = 1;
    EXPECT_TRUE(engine.Start(log_));
    EXPECT_TRUE(engine.initialised());
    EXPECT_NE(engine.wrapper(), nullptr);
    EXPECT_EQ(state.CountOf(FakeCall::kInit), 2);
}

TEST_F(DownloadEngineTest, AnEngineWithoutXlInitIsAFailedStart) {
    EngineFolder folder(FAKE_ENGINE_UNINIT_ONLY);
    DownloadEngine engine(folder.path());
    EXPECT_FALSE(engine.Start(log_));
    EXPECT_EQ(engine.wrapper(), nullptr);
    EXPECT_EQ(Calls(*folder.state()), std::vector<FakeCall>{FakeCall::kUnInit});
    EXPECT_EQ(LoggedLine(), "迅雷引擎初始化失败");
}

TEST_F(DownloadEngineTest, MissingUnInitAndDeleteTaskAreSkippedOnStop) {
    EngineFolder folder(FAKE_ENGINE_INIT_ONLY);
    DownloadEngine engine(folder.path());
    ASSERT_TRUE(engine.Start(log_));
    int task = 0;
    engine.SetCurrentTask(&task);
    engine.Stop();
    EXPECT_FALSE(engine.initialised());
    EXPECT_EQ(engine.wrapper(), nullptr);
    EXPECT_EQ(engine.current_task(), nullptr);
}

TEST_F(DownloadEngineTest, StopWithoutATaskEndsTheEngineButDeletesNothing) {
    EngineFolder folder(FAKE_ENGINE_FULL);
    DownloadEngine engine(folder.path());
    ASSERT_TRUE(engine.Start(log_));
    engine.Stop();
    EXPECT_EQ(Calls(*folder.state()), (std::vector<FakeCall>{FakeCall::kInit, FakeCall::kUnInit}));
    EXPECT_FALSE(engine.initialised());
    EXPECT_EQ(engine.wrapper(), nullptr);
}

TEST_F(DownloadEngineTest, StopDeletesTheCurrentTaskBeforeEndingTheEngine) {
    EngineFolder folder(FAKE_ENGINE_FULL);
    DownloadEngine engine(folder.path());
    ASSERT_TRUE(engine.Start(log_));
    XlTaskParam param{};
    const XlTaskHandle task = engine.wrapper()->XL_CreateTask(&param);
    ASSERT_NE(task, nullptr);
    engine.SetCurrentTask(task);
    engine.Stop();
    const FakeEngineState& state = *folder.state();
    EXPECT_EQ(Calls(state), (std::vector<FakeCall>{FakeCall::kInit, FakeCall::kCreateTask,
                                                   FakeCall::kDeleteTask, FakeCall::kUnInit}));
    EXPECT_EQ(state.deleted_task, task);
    EXPECT_EQ(engine.current_task(), nullptr);
}

TEST_F(DownloadEngineTest, ASecondStopReleasesNothingMore) {
    EngineFolder folder(FAKE_ENGINE_FULL);
    DownloadEngine engine(folder.path());
    ASSERT_TRUE(engine.Start(log_));
    int task = 0;
    engine.SetCurrentTask(&task);
    engine.Stop();
    engine.Stop();
    EXPECT_EQ(folder.state()->CountOf(FakeCall::kDeleteTask), 1);
    EXPECT_EQ(folder.state()->CountOf(FakeCall::kUnInit), 1);
}

TEST_F(DownloadEngineTest, StopAfterAFailedStartCallsNothing) {
    EngineFolder folder(FAKE_ENGINE_FULL);
    folder.state()->init_result = 0;
    DownloadEngine engine(folder.path());
    ASSERT_FALSE(engine.Start(log_));
    engine.SetCurrentTask(&folder);
    engine.Stop();
    EXPECT_EQ(Calls(*folder.state()), (std::vector<FakeCall>{FakeCall::kInit, FakeCall::kUnInit}));
}

TEST_F(DownloadEngineTest, DestroyingARunningEngineEndsIt) {
    EngineFolder folder(FAKE_ENGINE_FULL);
    {
        DownloadEngine engine(folder.path());
        ASSERT_TRUE(engine.Start(log_));
    }
    EXPECT_EQ(folder.state()->CountOf(FakeCall::kUnInit), 1);
}

}  // namespace
}  // namespace tessal::test
