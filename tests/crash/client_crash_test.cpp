// TessalClient under SIGKILL: the real client logs a remembered member in by itself and
// goes on to write the member's login, the catalogue's picture list, the push message it
// polls and its daily log; it is killed at a random moment of that, many times. After each
// kill its files must read whole (the login file still private) and the next start must
// reach its login window without a box.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <thread>

#include "client/messages/message_store.h"
#include "client/shell/user_info.h"
#include "common/settings/ini_file.h"
#include "tests/crash/crash_report.h"
#include "tests/crash/crash_stores.h"
#include "tests/crash/kill_loop.h"
#include "tests/support/installation/test_installation.h"

namespace tessal::crash {
namespace {

namespace fs = std::filesystem;
using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr int kClientRounds = 6;
// The INI files the client itself writes.
const char* const kClientIniFiles[] = {"UserInfo.ini", "UserSet.ini", "LoadList.ini",
                                       "data/lesson/Updata.ini"};

class ClientCrashTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(installation_.ok()) << installation_.error();
        const fs::path data = TESSAL_INSTALLATION_DATA_DIR;
        for (const char* item : {"Layout", "IMAGE", "ico1.ico", "ico2.ico", "TessalClient.png"})
            fs::copy(data / item, Folder() / item, fs::copy_options::recursive);
        for (const char* built :
             {TESSAL_CLIENT_PROGRAM, TESSAL_UPDATER_PROGRAM, TESSAL_XLDL_LIBRARY,
              TESSAL_APLAYER_CALLER, TESSAL_APLAYER_ENGINE, TESSAL_EWE_LIBRARY})
            ASSERT_TRUE(installation_.AddProgram(built)) << built;
        ASSERT_TRUE(
            client::WriteLoginChoices(Folder() / "UserInfo.ini", true, true, "demo", "demo123"));
    }

    void TearDown() override { EndUpdaters(); }

    const fs::path& Folder() const { return installation_.folder(); }

    std::unique_ptr<Program> Launch() const {
        return std::make_unique<Program>(
            Folder() / "TessalClient", std::vector<std::string>{}, Folder(),
            std::vector<std::pair<std::string, std::string>>{
                {"QT_QPA_PLATFORM", "offscreen"},
                {"TESSAL_TRACE", "1"},
                {"TESSAL_TEST_WAIT_DIVISOR", "100"},
                {"TESSAL_TEST_BOX_LOG", (Folder() / "boxes.txt").string()}},
            true);
    }

    // The TessalUpdata runs a client started (its update check) end here: found by their
    // executable, which only this installation holds.
    void EndUpdaters() const {
        const fs::path updater = Folder() / "TessalUpdata";
        std::error_code error;
        for (const auto& entry : fs::directory_iterator("/proc", error)) {
            const std::string pid = entry.path().filename().string();
            if (pid.find_first_not_of("0123456789") != std::string::npos)
                continue;
            std::error_code unreadable;
            if (fs::read_symlink(entry.path() / "exe", unreadable) == updater)
                ::kill(std::stoi(pid), SIGKILL);
        }
    }

    void CheckLogin(CrashTally& tally) const {
        const fs::path file = Folder() / "UserInfo.ini";
        if (PermissionBits(file) != 0600)
            tally.Fail("UserInfo.ini is missing or not private");
        const client::RememberedLogin login = client::ReadRememberedLogin(file);
        const std::string uid = ReadProfileString(file, "Login", "userid", "");
        if (login.account != "demo" || login.password != "demo123" || !login.auto_login ||
            !login.remember_password || uid.find_first_not_of("0123456789") != std::string::npos)
            tally.Fail("UserInfo.ini reads " + FileContents(file));
    }

    // Each file as the INI module writes it: what it reads is all it holds.
    void CheckIniFiles(CrashTally& tally) const {
        for (const char* name : kClientIniFiles) {
            const std::string text = FileContents(Folder() / name);
            if (IniDocument::Parse(text).Serialize() != text)
                tally.Fail(std::string(name) + " is not whole: " + text.substr(0, 300));
        }
    }

    void CheckDatabase(CrashTally& tally) {
        const fs::path database = Folder() / client::kCacheDatabaseFile;
        if (const std::string integrity = DatabaseIntegrity(database); integrity != "ok")
            tally.Fail("cache.dll integrity check: " + integrity);
        client::MessageStore messages(database);
        std::string error;
        const int count = messages.Open(error) ? messages.Count("demo", 1, error) : -1;
        if (count < messages_)
            tally.Fail("stored messages went from " + std::to_string(messages_) + " to " +
                       std::to_string(count) + " " + error);
        messages_ = std::max(count, messages_);
    }

    void CheckNoBox(CrashTally& tally) const {
        if (const std::string boxes = FileContents(Folder() / "boxes.txt"); !boxes.empty())
            tally.Fail("the client showed a box: " + boxes);
    }

    test::TestInstallation installation_;
    int messages_ = 0;
    int leftovers_ = 0;
};

TEST_F(ClientCrashTest, AKilledClientLeavesWholeFilesAndStartsAgain) {
    KillClock clock("TessalClient");
    CrashTally tally("TessalClient");
    for (int round = 0; round < kClientRounds * KillScale(); ++round) {
        auto client = Launch();
        if (!client->WaitForText("login window shown", milliseconds(30000))) {
            tally.Fail("the client did not reach its login window: " + client->status() +
                       client->errors().substr(0, 2000));
            continue;
        }
        // The login, the member's display, the pictures and the push poll follow.
        client->ReadErrorsFor(clock.Between(microseconds(0), milliseconds(2500)));
        if (client->Kill())
            ++tally.kills;
        else
            tally.Fail("the client ended by itself: " + client->status());
        EndUpdaters();
        const int leftovers = CountTemporaries(Folder()) + CountTemporaries(Folder() / "cache");
        tally.temporaries += leftovers > leftovers_ ? 1 : 0;
        leftovers_ = leftovers;
        CheckLogin(tally);
        CheckIniFiles(tally);
        CheckDatabase(tally);
        CheckNoBox(tally);
    }
    // The start after the last kill ends cleanly.
    auto client = Launch();
    if (!client->WaitForText("main window shown", milliseconds(30000)))
        tally.Fail("the last start did not reach the main window");
    client->Signal(SIGTERM);
    // Its shutdown starts TessalUpdata, which kills a client still exiting after its
    // (here shortened) wait, as in a slow sanitizer build; any other end is a fault.
    if (client->Wait(milliseconds(60000)) != 0 && client->status() != "signal 9")
        tally.Fail("the last start ended with " + client->status());
    EndUpdaters();
    CheckLogin(tally);
    CheckNoBox(tally);
    std::cout << messages_ << " push messages stored" << std::endl;
    ExpectNoFaults(tally);
}

}  // namespace
}  // namespace tessal::crash
