// The real TessalClient program in an installation of its own: the end of a desktop
// session (SIGTERM) and Ctrl+C (SIGINT) run its shutdown routine, which starts
// TessalUpdata to log the session out; an incomplete installation only shows its box.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "common/settings/ini_file.h"
#include "tests/support/installation/test_installation.h"
#include "tests/support/temp_folder.h"

namespace tessal::client::test {
namespace {

using namespace std::chrono_literals;

class ClientProgram {
public:
    ClientProgram(const std::filesystem::path& folder, const std::filesystem::path& box_log,
                  const char* scale_factor = "1") {
        int ends[2];
        if (::pipe(ends) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(ends[1], STDERR_FILENO);
            ::close(ends[0]);
            if (::chdir(folder.c_str()) != 0)
                ::_exit(127);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::setenv("QT_SCALE_FACTOR", scale_factor, 1);
            ::setenv("TESSAL_TRACE", "1", 1);
            ::setenv("TESSAL_TEST_BOX_LOG", box_log.c_str(), 1);
            const std::string program = (folder / "TessalClient").string();
            ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(ends[1]);
        errors_ = ends[0];
    }
    ~ClientProgram() {
        if (pid_ > 0 && !ended_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (errors_ >= 0)
            ::close(errors_);
    }

    // True once the trace appears; false when the program ended or closed its stream.
    bool WaitForLoginWindow() { return WaitForTrace("login window shown"); }
    bool WaitForTrace(const std::string& trace) {
        char buffer[4096];
        for (;;) {
            if (seen_.find(trace) != std::string::npos)
                return true;
            const ssize_t got = ::read(errors_, buffer, sizeof buffer);
            if (got <= 0)
                return false;
            seen_.append(buffer, static_cast<std::size_t>(got));
        }
    }
    pid_t pid() const { return pid_; }
    // What the program wrote to its error stream so far; once it ended, all of it. The
    // TessalUpdata it started may hold the stream open, so the rest is not waited for.
    const std::string& errors() {
        if (ended_)
            ::fcntl(errors_, F_SETFL, O_NONBLOCK);
        char buffer[4096];
        ssize_t got = 0;
        while (ended_ && (got = ::read(errors_, buffer, sizeof buffer)) > 0)
            seen_.append(buffer, static_cast<std::size_t>(got));
        return seen_;
    }
    void Signal(int signal) { ::kill(pid_, signal); }

    // The exit status, or -1 when it did not end normally within `limit`.
    int WaitForExit(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                ended_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -100 - WTERMSIG(status);
            }
            std::this_thread::sleep_for(20ms);
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
    int errors_ = -1;
    std::string seen_;
    bool ended_ = false;
};

class ClientProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(installation_.ok()) << installation_.error();
        const std::filesystem::path data = TESSAL_INSTALLATION_DATA_DIR;
        for (const char* item : {"Layout", "IMAGE", "ico1.ico", "ico2.ico", "TessalClient.png"}) {
            std::filesystem::copy(data / item, installation_.folder() / item,
                                  std::filesystem::copy_options::recursive);
        }
        for (const char* built :
             {TESSAL_CLIENT_PROGRAM, TESSAL_UPDATER_PROGRAM, TESSAL_XLDL_LIBRARY,
              TESSAL_APLAYER_LIBRARY, TESSAL_APLAYER_ENGINE, TESSAL_EWE_LIBRARY})
            ASSERT_TRUE(installation_.AddProgram(built)) << built;
    }
    void TearDown() override {
        // TessalUpdata outlives the client by design; it ends here at the latest.
        const std::string updater = (installation_.folder() / "TessalUpdata").string();
        tessal::test::RunOptions options;
        options.arguments = {"-f", updater};
        tessal::test::RunProcess("/usr/bin/pkill", installation_.folder(), options);
    }

    template <typename Done>
    static bool WaitFor(Done done) {
        for (int i = 0; i < 300 && !done(); ++i)
            std::this_thread::sleep_for(50ms);
        return done();
    }

    tessal::test::TestInstallation installation_;
    std::filesystem::path box_log_ = installation_.folder().parent_path() /
                                     (installation_.folder().filename().string() + "-boxes.txt");
};

// A remembered automatic login gives the run a session to log out. Each signal has an
// installation of its own: the TessalUpdata a run starts ends the clients of its folder.
class ClientSignalTest : public ClientProgramTest, public ::testing::WithParamInterface<int> {};

TEST_P(ClientSignalTest, RunsTheShutdownRoutine) {
    installation_.Write("UserInfo.ini", "[Login]\nAcc=demo\nPwd=demo123\nRemPwd=1\nAutoLogin=1\n");
    ClientProgram client(installation_.folder(), box_log_);
    ASSERT_TRUE(client.WaitForLoginWindow()) << client.errors();
    ASSERT_TRUE(WaitFor([&] { return !installation_.site().state().Sessions().empty(); }));
    client.Signal(GetParam());
    EXPECT_EQ(client.WaitForExit(10s), 0) << client.errors();
    // The TessalUpdata it started logs the session out.
    EXPECT_TRUE(WaitFor([&] { return installation_.site().state().Sessions().back().logged_out; }));
    EXPECT_FALSE(std::filesystem::exists(box_log_))
        << tessal::FileContents(box_log_) << client.errors();
}

INSTANTIATE_TEST_SUITE_P(EndOfSessionAndCtrlC, ClientSignalTest,
                         ::testing::Values(SIGTERM, SIGINT));

// The end of a session during a slow login: the client abandons the request and ends by
// itself at once, rather than when the updater it started gives up waiting and kills it.
TEST_F(ClientProgramTest, AnEndDuringALoginDoesNotWaitForTheSite) {
    site::FaultRule slow;
    slow.host = "MainSite";
    slow.path = "/pc_player/videoAPI/LOGIN.aspx";
    slow.delay_ms = 8000;
    installation_.site().faults().Add(slow);
    installation_.Write("UserInfo.ini", "[Login]\nAcc=demo\nPwd=demo123\nRemPwd=1\nAutoLogin=1\n");
    ClientProgram client(installation_.folder(), box_log_);
    ASSERT_TRUE(client.WaitForLoginWindow()) << client.errors();
    ASSERT_TRUE(WaitFor([&] { return !installation_.site().requests().All().empty(); }));
    client.Signal(SIGTERM);
    EXPECT_EQ(client.WaitForExit(2500ms), 0) << client.errors();
    EXPECT_TRUE(installation_.site().state().Sessions().empty());
}

// On a scaled desktop the site still learns the screen's device pixels (the offscreen
// screen is 800 by 800 of them, 400 by 400 units at this scale), not the toolkit's units.
TEST_F(ClientProgramTest, TheLoginSendsTheScreensDevicePixels) {
    installation_.Write("UserInfo.ini", "[Login]\nAcc=demo\nPwd=demo123\nRemPwd=1\nAutoLogin=1\n");
    ClientProgram client(installation_.folder(), box_log_, "2");
    ASSERT_TRUE(client.WaitForLoginWindow()) << client.errors();
    ASSERT_TRUE(WaitFor([&] { return !installation_.site().state().Sessions().empty(); }));
    std::string form;
    for (const auto& request : installation_.site().requests().All()) {
        if (request.path.find("LOGIN.aspx") != std::string::npos)
            form = request.body;
    }
    EXPECT_NE(form.find("&Screen_Heigh=800&Screen_Width=800"), std::string::npos) << form;
    client.Signal(SIGTERM);
    EXPECT_EQ(client.WaitForExit(10s), 0) << client.errors();
}

// What the member's run leaves behind: every course picture of the catalogue in the
// picture folder, the list they were fetched from, the head picture kept for the login
// window; and an end while a picture hangs neither waits for it nor shows a box.
TEST_F(ClientProgramTest, ALoginShowsTheCatalogueWhosePicturesArriveAndAnEndDoesNotWaitForThem) {
    installation_.Write("UserInfo.ini", "[Login]\nAcc=demo\nPwd=demo123\nRemPwd=1\nAutoLogin=1\n");
    const auto& courses = installation_.site().data().courses;
    const auto folder = installation_.folder();
    {
        ClientProgram client(folder, box_log_);
        ASSERT_TRUE(client.WaitForLoginWindow()) << client.errors();
        ASSERT_TRUE(WaitFor([&] {
            for (const auto& course : courses) {
                if (!std::filesystem::exists(folder / "data/lesson/img" / course.picture))
                    return false;
            }
            return true;
        })) << client.errors();
        EXPECT_EQ(tessal::FileContents(folder / "User/demo/headpic.png"),
                  tessal::FileContents(folder / "User/demo/headpic2.png"));
        EXPECT_EQ(ReadProfileKeys(folder / "data/lesson/Updata.ini", "Courselist").size(),
                  courses.size());
        client.Signal(SIGTERM);
        EXPECT_EQ(client.WaitForExit(10s), 0) << client.errors();
    }
    TearDown();
    // The next run finds every picture on disk and lists none; one course's picture,
    // removed, hangs on the site when it is fetched again.
    std::filesystem::remove(folder / "data/lesson/img" / courses.front().picture);
    site::FaultRule hang;
    hang.host = "MainSite";
    hang.path = "/upload/course/" + courses.front().picture;
    hang.delay_ms = 20000;
    installation_.site().faults().Add(hang);
    const auto requests = [&] { return installation_.site().requests().To("MainSite", hang.path); };
    ClientProgram client(folder, box_log_);
    ASSERT_TRUE(client.WaitForLoginWindow()) << client.errors();
    ASSERT_TRUE(WaitFor([&] { return !requests().empty(); }));
    EXPECT_EQ(ReadProfileKeys(folder / "data/lesson/Updata.ini", "Courselist").size(), 1U);
    const auto begin = std::chrono::steady_clock::now();
    client.Signal(SIGTERM);
    EXPECT_EQ(client.WaitForExit(10s), 0) << client.errors();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 3s);
    EXPECT_FALSE(std::filesystem::exists(folder / "data/lesson/img" / courses.front().picture));
    EXPECT_EQ(tessal::FileContents(box_log_), "");
}

// The main window holds a web view element that never shows a page: after a login, with
// the main window on the screen, nothing of the web engine is mapped and no engine process
// runs.
TEST_F(ClientProgramTest, NoWebEngineRunsWhileNoPageWasLoaded) {
    installation_.Write("UserInfo.ini", "[Login]\nAcc=demo\nPwd=demo123\nRemPwd=1\nAutoLogin=1\n");
    ClientProgram client(installation_.folder(), box_log_);
    ASSERT_TRUE(client.WaitForTrace("main window shown")) << client.errors();
    std::this_thread::sleep_for(500ms);
    const std::string maps =
        tessal::FileContents("/proc/" + std::to_string(client.pid()) + "/maps");
    ASSERT_FALSE(maps.empty());
    EXPECT_EQ(maps.find("libQt6WebEngine"), std::string::npos);
    EXPECT_EQ(maps.find("libewe.so"), std::string::npos);
    EXPECT_EQ(maps.find("libQt6Quick"), std::string::npos);
    int engine_processes = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        if (entry.path().filename().string().find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::istringstream stat(tessal::FileContents(entry.path() / "stat"));
        std::string pid, name, state;
        pid_t parent = 0;
        std::error_code error;
        if (stat >> pid >> name >> state >> parent && parent == client.pid() &&
            std::filesystem::read_symlink(entry.path() / "exe", error).filename() ==
                "QtWebEngineProcess")
            ++engine_processes;
    }
    EXPECT_EQ(engine_processes, 0);
    client.Signal(SIGTERM);
    EXPECT_EQ(client.WaitForExit(10s), 0) << client.errors();
}

TEST_F(ClientProgramTest, AnIncompleteInstallationOnlyShowsItsBox) {
    std::filesystem::remove(installation_.folder() / "codecs" / "Course.dll");
    ClientProgram client(installation_.folder(), box_log_);
    EXPECT_FALSE(client.WaitForLoginWindow());
    EXPECT_EQ(client.WaitForExit(10s), 0);
    EXPECT_EQ(tessal::FileContents(box_log_),
              "文件不完整|您的客户端的文件不完整，请去Tessal网站重新下载安装\n");
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(installation_.site().requests().All().empty());
    // No daily log written (the installation ships its folder empty).
    const auto logs = installation_.folder() / "cache" / "technology";
    EXPECT_TRUE(!std::filesystem::exists(logs) || std::filesystem::is_empty(logs));
    std::filesystem::remove(box_log_);
}

}  // namespace
}  // namespace tessal::client::test
