// What the engine takes from its process and does to it: none of the member's own aria2
// settings, netrc or proxy variables reach it; a write to a reset connection does not
// end the program; the program's locale stays as the program set it.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <csignal>

#include "tests/engines/download/engine_fixture.h"
#include "tests/support/loopback_http_server.h"

namespace tessal::xldl::test {
namespace {

using namespace std::chrono_literals;

int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

bool Listening(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool connected =
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// A member's home holding what aria2 would read: its configuration, a netrc with a
// password for the lesson host, and a proxy in the environment that records every
// request. The engine starts only after all of it is in place.
class MembersOwnSettingsTest : public EngineTest {
protected:
    void SetUp() override {
        environment_.Set("HOME", home_.path().string());
        environment_.Set("XDG_CONFIG_HOME", (home_.path() / ".config").string());
        environment_.Set("http_proxy", "http://127.0.0.1:" + std::to_string(proxy_.port()));
        environment_.Set("all_proxy", "http://127.0.0.1:" + std::to_string(proxy_.port()));
        proxy_.SetDefaultReply(tessal::test::ScriptedReply::Ok("from the proxy"));
        const auto netrc =
            home_.Write(".netrc", "machine 127.0.0.1 login member password secret\n");
        std::filesystem::permissions(
            netrc, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        WriteConfiguration();
        EngineTest::SetUp();
    }

    virtual void WriteConfiguration() = 0;

    // Downloads the lesson and checks it came from the site, straight and unannounced.
    void ExpectAPlainDownload() {
        XlTaskHandle task = StartTask(LessonUrl());
        EXPECT_EQ(PollUntilStatus(task, kXlComplete, 20s).back(), kXlComplete);
        EXPECT_EQ(FileMd5(Saved()), lesson_md5_);
        EXPECT_TRUE(proxy_.Requests().empty()) << "the environment's proxy was used";
        const auto requests = site_->requests().To("Download1", kLessonPath);
        ASSERT_FALSE(requests.empty());
        EXPECT_EQ(requests.front().Header("Authorization"), "") << "the member's netrc was used";
    }

    TempFolder home_;
    tessal::test::LoopbackHttpServer proxy_;
    ScopedEnvironment environment_;
};

class MalformedConfiguration : public MembersOwnSettingsTest {
    void WriteConfiguration() override {
        std::filesystem::create_directories(home_.path() / ".aria2");
        home_.Write(".aria2/aria2.conf", "max-tries=abc\n");
    }
};

TEST_F(MalformedConfiguration, NeitherStopsTheEngineNorChangesItsDownloads) {
    ExpectAPlainDownload();
}

class ConfigurationOpeningAPort : public MembersOwnSettingsTest {
protected:
    void WriteConfiguration() override {
        std::filesystem::create_directories(home_.path() / ".config/aria2");
        home_.Write(".config/aria2/aria2.conf",
                    "enable-rpc=true\nrpc-listen-port=" + std::to_string(rpc_port_) + "\n");
    }
    const int rpc_port_ = FreePort();
};

TEST_F(ConfigurationOpeningAPort, OpensNoPortAndTheSizeQueryGoesStraightToo) {
    EXPECT_FALSE(Listening(rpc_port_)) << "an RPC port listens inside the client";
    ExpectAPlainDownload();
    std::int64_t size = -1;
    const std::u16string url = WideFromUtf8(LessonUrl());
    ASSERT_NE(Library().file_size_of_url(url.c_str(), &size), 0);
    EXPECT_EQ(size, static_cast<std::int64_t>(kLessonBytes));
    EXPECT_TRUE(proxy_.Requests().empty());
}

TEST(EngineProcess, AWriteToAResetConnectionDoesNotEndTheProgram) {
    ASSERT_NE(Library().module, nullptr) << ::dlerror();
    ASSERT_EQ(Library().init(), 1);
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    ::close(ends[1]);
    errno = 0;
    EXPECT_EQ(::write(ends[0], "x", 1), -1);
    EXPECT_EQ(errno, EPIPE);
    ::close(ends[0]);
    Library().uninit();
}

void OwnHandler(int) {}

TEST(EngineProcess, AProgramsOwnSigpipeHandlerStays) {
    ASSERT_NE(Library().module, nullptr) << ::dlerror();
    std::signal(SIGPIPE, OwnHandler);
    ASSERT_EQ(Library().init(), 1);
    struct sigaction now {};
    ::sigaction(SIGPIPE, nullptr, &now);
    EXPECT_EQ(now.sa_handler, &OwnHandler);
    Library().uninit();
}

// libaria2 sets two locale categories from the environment when it starts.
TEST(EngineProcess, TheProgramsLocaleStaysAsTheProgramSetIt) {
    ASSERT_NE(Library().module, nullptr) << ::dlerror();
    ScopedEnvironment environment("LC_ALL", "C.UTF-8");
    std::setlocale(LC_ALL, "C");
    ASSERT_EQ(Library().init(), 1);
    EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C");
    EXPECT_STREQ(std::setlocale(LC_MESSAGES, nullptr), "C");
    Library().uninit();
}

}  // namespace
}  // namespace tessal::xldl::test
