// TessalPlayer under SIGKILL: the real player plays a lesson (saving its position as it
// goes) and is killed at random moments, while playing or while its shutdown writes the
// playlist, the position, the viewing record and the hand-off file. After each kill
// those stores must read whole, and the next start must play again without a box.

#include <gtest/gtest.h>
#include <signal.h>
#include <tinyxml2.h>

#include <set>
#include <thread>

#include "common/settings/ini_file.h"
#include "player/core/hand_off.h"
#include "player/core/play_progress.h"
#include "player/core/player_list.h"
#include "player/core/view_history.h"
#include "tests/crash/crash_report.h"
#include "tests/crash/crash_stores.h"
#include "tests/crash/kill_loop.h"
#include "tests/support/installation/test_installation.h"

namespace tessal::crash {
namespace {

namespace fs = std::filesystem;
using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr int kPlayerRounds = 8;
constexpr const char* kLesson = "lesson_long.tessal";

class PlayerCrashTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(installation_.ok()) << installation_.error();
        fs::copy(TESSAL_INSTALLATION_DATA_DIR, Folder(),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        for (const char* program :
             {TESSAL_PLAYER_PROGRAM, TESSAL_APLAYER_CALLER, TESSAL_APLAYER_ENGINE})
            ASSERT_TRUE(installation_.AddProgram(program));
        WriteProfileString(Folder() / "UserInfo.ini", "Login", "userid", "10001");
        lesson_ = Folder() / "TessalDownload" / "长课" / kLesson;
        fs::create_directories(lesson_.parent_path());
        fs::copy_file(fs::path(TESSAL_PLAYER_MEDIA_DIR) / kLesson, lesson_);
        // A long playlist, so that its write at the end takes a while.
        player::PlaylistCourses courses;
        for (int c = 0; c < 20; ++c) {
            courses.push_back({"课程" + std::to_string(c), {}});
            for (int l = 0; l < 20; ++l) {
                const fs::path file = Folder() / "TessalDownload" / courses.back().name /
                                      ("第" + std::to_string(l) + "讲.tessal");
                installation_.Write(fs::relative(file, Folder()), "");
                courses.back().lessons.push_back({file.filename().string(), file.string()});
            }
        }
        ASSERT_TRUE(player::SavePlayerList(Folder() / player::kPlayerListFile, courses));
        playlists_.insert(FileContents(Folder() / player::kPlayerListFile));
    }

    const fs::path& Folder() const { return installation_.folder(); }

    std::unique_ptr<Program> Launch() const {
        return std::make_unique<Program>(
            Folder() / "TessalPlayer", std::vector<std::string>{lesson_.string()}, Folder(),
            std::vector<std::pair<std::string, std::string>>{
                {"QT_QPA_PLATFORM", "offscreen"},
                {"TESSAL_APLAYER_MPV_OPTIONS", "ao=null,vo=null"},
                {"TESSAL_TEST_WAIT_DIVISOR", "100"},
                {"TESSAL_TEST_BOX_LOG", (Folder() / "boxes.txt").string()},
                // Never the machine's own desktop bus.
                {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tessal-test-bus"}});
    }

    // A clean run: played for a while, ended as the desktop ends it. How long its end
    // takes bounds the kills aimed at the end.
    microseconds CleanRun(CrashTally& tally) {
        const std::size_t records = RecordCount();
        auto player = Launch();
        std::this_thread::sleep_for(milliseconds(2500));
        hand_off_name_ = player::ReadHandOffName(Folder() / player::kHandOffFile);
        if (!player->Running())
            tally.Fail("a clean run ended by itself: " + player->status());
        const auto asked = std::chrono::steady_clock::now();
        player->Signal(SIGTERM);
        if (player->Wait(milliseconds(20000)) != 0)
            tally.Fail("a clean run ended with " + player->status());
        // It played the lesson: its end wrote the viewing.
        if (RecordCount() != records + 1)
            tally.Fail("a clean run wrote no viewing record");
        playlists_.insert(FileContents(Folder() / player::kPlayerListFile));
        return std::chrono::duration_cast<microseconds>(std::chrono::steady_clock::now() - asked);
    }

    std::size_t RecordCount() const {
        std::size_t count = 0;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(Folder() / player::kHistoryFolder, error))
            count += entry.path().filename().string().starts_with(".") ? 0 : 1;
        return count;
    }

    void CheckPlaylist(CrashTally& tally) {
        const std::string text = FileContents(Folder() / player::kPlayerListFile);
        if (!playlists_.contains(text)) {
            tally.Fail("PlayerList.ini is neither its old nor its new text");
            return;
        }
        std::size_t lessons = 0;
        for (const auto& course : player::LoadPlayerList(Folder() / player::kPlayerListFile))
            lessons += course.lessons.size();
        if (lessons < 400)
            tally.Fail("the playlist reads " + std::to_string(lessons) + " lessons");
    }

    void CheckDatabase(CrashTally& tally) const {
        const fs::path database = Folder() / player::kCacheDatabaseFile;
        if (const std::string integrity = DatabaseIntegrity(database); integrity != "ok")
            tally.Fail("cache.dll integrity check: " + integrity);
        player::PlayProgress progress(database, {});
        if (!progress.EnsureOpen()) {
            tally.Fail("the player's reader cannot open cache.dll");
            return;
        }
        // Where the twelve-minute lesson was left, once it was first stored.
        const auto position = progress.Read(kLesson);
        if (position && (*position < 0 || *position > 720000))
            tally.Fail("the lesson's position reads " + std::to_string(*position));
    }

    void CheckHandOff(CrashTally& tally) const {
        const fs::path file = Folder() / player::kHandOffFile;
        const std::string name = player::ReadHandOffName(file);
        const std::string data = ReadProfileString(file, "p", "data", "");
        const auto keys = ReadProfileKeys(file, "p");
        if ((name != "" && name != hand_off_name_) || data != "" || keys.size() > 2)
            tally.Fail("Handle.dll reads h=" + name + " data=" + data);
    }

    void CheckHistory(CrashTally& tally) {
        std::size_t count = 0;
        for (const auto& entry : fs::directory_iterator(Folder() / player::kHistoryFolder)) {
            if (entry.path().filename().string().starts_with("."))
                continue;
            ++count;
            tinyxml2::XMLDocument record;
            const auto* uid = record.LoadFile(entry.path().c_str()) == tinyxml2::XML_SUCCESS
                                  ? record.FirstChildElement("body")
                                  : nullptr;
            uid = uid != nullptr ? uid->FirstChildElement("view") : nullptr;
            uid = uid != nullptr ? uid->FirstChildElement("uid") : nullptr;
            if (uid == nullptr || uid->GetText() == nullptr ||
                uid->GetText() != std::string("10001"))
                tally.Fail("a torn viewing record: " + entry.path().filename().string());
        }
        if (count < records_)
            tally.Fail("viewing records lost");
        records_ = count;
    }

    void CountLeftovers(CrashTally& tally) {
        const int now = CountTemporaries(Folder()) + CountTemporaries(Folder() / "codecs") +
                        CountTemporaries(Folder() / "cache") +
                        CountTemporaries(Folder() / player::kHistoryFolder);
        tally.temporaries += now > leftovers_ ? 1 : 0;
        leftovers_ = now;
    }

    void CheckNoBox(CrashTally& tally) const {
        if (const std::string boxes = FileContents(Folder() / "boxes.txt"); !boxes.empty())
            tally.Fail("the player showed a box: " + boxes);
    }

    test::TestInstallation installation_;
    fs::path lesson_;
    std::set<std::string> playlists_;
    std::string hand_off_name_;
    std::size_t records_ = 0;
    int leftovers_ = 0;
};

TEST_F(PlayerCrashTest, AKilledPlayerLeavesWholeStoresAndStartsAgain) {
    KillClock clock("TessalPlayer");
    CrashTally tally("TessalPlayer");
    const microseconds shutdown = CleanRun(tally);
    ASSERT_FALSE(hand_off_name_.empty()) << "the player never ran";
    for (int round = 0; round < kPlayerRounds * KillScale(); ++round) {
        auto player = Launch();
        const bool at_the_end = clock.Chance(0.5);
        std::this_thread::sleep_for(
            clock.Between(at_the_end ? milliseconds(1200) : milliseconds(300), milliseconds(2500)));
        if (!player->Running())
            tally.Fail("the player ended by itself: " + player->status());
        if (at_the_end) {
            player->Signal(SIGTERM);
            std::this_thread::sleep_for(clock.Between(microseconds(0), shutdown));
        }
        if (player->Kill())
            ++tally.kills;
        CountLeftovers(tally);
        CheckPlaylist(tally);
        CheckDatabase(tally);
        CheckHandOff(tally);
        CheckHistory(tally);
        CheckNoBox(tally);
    }
    // The start after the last kill: plays, ends cleanly, keeps the lesson in its list.
    CleanRun(tally);
    CheckPlaylist(tally);
    CheckNoBox(tally);
    std::cout << "end of a clean run " << shutdown.count() / 1000 << " ms; " << records_
              << " viewing records" << std::endl;
    ExpectNoFaults(tally);
}

}  // namespace
}  // namespace tessal::crash
