// The logout notice of the install phase, as the site receives it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "tests/updater/updater_installation.h"

namespace tessal::updater::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class LogoutNoticeTest : public UpdaterTest {
protected:
    std::vector<std::string> NoticeBodies() {
        std::vector<std::string> bodies;
        for (const auto& request : site().requests().To("ClientData", "/ClientDataInterFace.php")) {
            bodies.push_back(request.method + " " + request.body);
        }
        return bodies;
    }
};

TEST_F(LogoutNoticeTest, SignAndUidAreReportedOnce) {
    RunInstall("end#sign7f3a#u#10001#");
    EXPECT_THAT(NoticeBodies(),
                ElementsAre("POST Client=1&type=LoginOut&uid=10001&m=&sign=sign7f3a"));
}

TEST_F(LogoutNoticeTest, NoNoticeWithoutSignOrUid) {
    for (const char* argument : {"end##u##", "end", "end#sign7f3a#u##", "end##u#10001#"}) {
        RunInstall(argument);
    }
    EXPECT_THAT(NoticeBodies(), IsEmpty());
}

TEST_F(LogoutNoticeTest, TheRestOfThePhaseRunsWithoutANotice) {
    installation().Write("New/a.new", DemoFile("TessalNotice.txt"));
    WriteLocalList(ListXml("2", {{"Progarm",
                                  {{"a.new", "a.txt", DemoUrl("TessalNotice.txt"), "a.txt",
                                    DemoMd5("TessalNotice.txt"), ""}}}}));
    RunInstall("end##u##");
    EXPECT_EQ(Md5Of("a.txt"), DemoMd5("TessalNotice.txt"));
}

TEST_F(LogoutNoticeTest, TheUpdaterWaitsForASlowReply) {
    site::FaultRule slow;
    slow.host = "ClientData";
    slow.path = "/ClientDataInterFace.php";
    slow.delay_ms = 1500;
    site().faults().Add(slow);
    const auto start = std::chrono::steady_clock::now();
    RunInstall("end#s1#u#2#");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(1400));
    EXPECT_EQ(NoticeBodies().size(), 1u);
}

}  // namespace
}  // namespace tessal::updater::test
