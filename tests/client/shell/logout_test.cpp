// Closing the client after a login: TessalUpdata, started with the logout parameters,
// tells the site that the session ended.

#include "tests/client/shell/client_fixture.h"

namespace tessal::client::test {
namespace {

TEST_F(ClientTest, ClosingAfterLoginLogsTheSessionOutThroughTessalUpdata) {
    ASSERT_TRUE(StartClient());
    TypeAndLogin("demo", "demo123");
    ASSERT_TRUE(WaitForMainWindow());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !client_->session().Snapshot().sign.empty(); }, 10000));
    const std::string sign = client_->session().Snapshot().sign;

    Click(gui::FindElement(Main(), 4));
    ASSERT_EQ(started_.size(), 1U);
    EXPECT_EQ(started_[0].argument, "end#" + sign + "#u#10001#");
    EXPECT_FALSE(Main()->isVisible());

    tessal::test::RunOptions options;
    options.arguments = {started_[0].argument};
    options.environment = {{"TESSAL_TEST_WAIT_DIVISOR", "100"}};
    const auto result = installation_->Run("TessalUpdata", options);
    EXPECT_EQ(result.exit_status, 0) << result.errors;
    const auto sessions = installation_->site().state().Sessions();
    ASSERT_EQ(sessions.size(), 1U);
    EXPECT_TRUE(sessions[0].logged_out);
    EXPECT_EQ(sessions[0].sign, sign);
}

}  // namespace
}  // namespace tessal::client::test
