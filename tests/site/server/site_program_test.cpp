// The tessal-site program as the demo and other processes run it: options, Site.ini,
// the control port, and a clean stop on SIGTERM and SIGINT.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/net/http_client.h"
#include "common/settings/site_settings.h"
#include "tests/support/refused_port.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace tessal::site::test {
namespace {

// The program with its output in files, so that a test can read it after the end.
class SiteProgram {
public:
    SiteProgram(const TempFolder& folder, std::vector<std::string> arguments)
        : output_(folder.path() / "out.txt"), errors_(folder.path() / "err.txt") {
        arguments.insert(arguments.begin(), TESSAL_SITE_PROGRAM);
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, output_.c_str(), O_WRONLY | O_CREAT, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, errors_.c_str(), O_WRONLY | O_CREAT, 0600);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~SiteProgram() {
        if (pid_ > 0 && status_ < 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    // The exit status, or -1 when it has not ended within `limit`.
    int WaitForExit(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        int raw = 0;
        while (std::chrono::steady_clock::now() < end) {
            if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
                status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
                return status_;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
    void Signal(int signal) { ::kill(pid_, signal); }
    std::string Output() const { return FileContents(output_); }
    std::string Errors() const { return FileContents(errors_); }

private:
    std::filesystem::path output_;
    std::filesystem::path errors_;
    pid_t pid_ = -1;
    int status_ = -1;
};

bool WaitForFile(const std::filesystem::path& file) {
    for (int i = 0; i < 1000 && !std::filesystem::exists(file); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::filesystem::exists(file);
}

int PortOf(const std::string& host_name) {
    return std::stoi(host_name.substr(host_name.rfind(':') + 1));
}

TEST(SiteProgram, HelpAndBadOptions) {
    TempFolder folder;
    SiteProgram help(folder, {"--help"});
    EXPECT_EQ(help.WaitForExit(), 0);
    EXPECT_NE(help.Output().find("--write-site-ini"), std::string::npos);
    TempFolder other;
    SiteProgram bad(other, {"--base-port", "65530"});
    EXPECT_EQ(bad.WaitForExit(), 2);
    EXPECT_NE(bad.Errors().find("--base-port"), std::string::npos);
}

TEST(SiteProgram, ATakenPortIsReportedNotIgnored) {
    TempFolder folder;
    tessal::test::RefusedPort taken;
    SiteProgram site(folder, {"--base-port", std::to_string(taken.port() - 3)});
    EXPECT_EQ(site.WaitForExit(), 1);
    EXPECT_NE(site.Errors().find("not all free"), std::string::npos) << site.Errors();
}

// The Site.ini it writes points an installation at it, and the control port drives it.
TEST(SiteProgram, WritesItsSiteIniAndStopsOnSigterm) {
    TempFolder folder;
    const auto ini = folder.path() / "Site.ini";
    SiteProgram site(folder, {"--base-port", "0", "--write-site-ini", ini.string(), "--request-log",
                              (folder.path() / "requests.jsonl").string()});
    ASSERT_TRUE(WaitForFile(ini)) << site.Errors();
    const SiteSettings settings = SiteSettings::Load(ini);
    const int base = PortOf(settings.HostName(SiteHost::kMainSite));
    EXPECT_EQ(PortOf(settings.HostName(SiteHost::kIpLookup)), base + 10);
    EXPECT_EQ(PortOf(settings.HostName(SiteHost::kCodec)), base + 9);
    EXPECT_EQ(settings.code_page(), "GBK");
    EXPECT_EQ(settings.hotline(), "400-800-8266");

    const std::string control = "http://127.0.0.1:" + std::to_string(base + 11);
    EXPECT_EQ(SendRequest(control + "/faults", R"({"host":"AppApi","status":500,"body":"x"})", "",
                          HttpMethod::kPost),
              "ok\n");
    EXPECT_EQ(SendRequest(settings.HostUrl(SiteHost::kAppApi) + "/app_client_api_v2/timestamp", "",
                          "", HttpMethod::kGet),
              "x");
    const std::string log = SendRequest(control + "/requests", "", "", HttpMethod::kGet);
    EXPECT_NE(log.find("\"path\":\"/app_client_api_v2/timestamp\""), std::string::npos) << log;
    EXPECT_NE(FileContents(folder.path() / "requests.jsonl").find("timestamp"), std::string::npos);

    site.Signal(SIGTERM);
    EXPECT_EQ(site.WaitForExit(std::chrono::seconds(5)), 0);
    EXPECT_NE(site.Output().find("stopped"), std::string::npos);
}

TEST(SiteProgram, StopsOnSigintWhileAReplyIsHeld) {
    TempFolder folder;
    const auto ini = folder.path() / "Site.ini";
    SiteProgram site(folder, {"--base-port", "0", "--write-site-ini", ini.string()});
    ASSERT_TRUE(WaitForFile(ini));
    const SiteSettings settings = SiteSettings::Load(ini);
    const int base = PortOf(settings.HostName(SiteHost::kMainSite));
    SendRequest("http://127.0.0.1:" + std::to_string(base + 11) + "/faults",
                R"({"host":"MainSite","delay_ms":60000})", "", HttpMethod::kPost);
    std::thread held([url = settings.HostUrl(SiteHost::kMainSite) + "/"] {
        SendRequest(url, "", "", HttpMethod::kGet, HttpTimeouts{1000, 20000});
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    site.Signal(SIGINT);
    EXPECT_EQ(site.WaitForExit(std::chrono::seconds(5)), 0);
    held.join();
}

}  // namespace
}  // namespace tessal::site::test
