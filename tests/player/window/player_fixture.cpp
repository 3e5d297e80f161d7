#include "tests/player/window/player_fixture.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <cstdlib>
#include <thread>

#include "player/window/desktop_link.h"
#include "site/builders/cache_database_builder.h"

namespace tessal::player::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// No sound card or window system is needed; the system's waits run a hundred times
// faster (a resume's settling seconds become milliseconds).
const bool kEnvironment = [] {
    ::setenv("TESSAL_APLAYER_MPV_OPTIONS", "ao=null,vo=null", 1);
    ::setenv("TESSAL_TEST_WAIT_DIVISOR", "100", 1);
    return true;
}();

void CopyFolder(const fs::path& from, const fs::path& to) {
    fs::create_directories(to);
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

void PlayerTest::SetUp() {
    ASSERT_TRUE(kEnvironment);
    CopyFolder(TESSAL_INSTALLATION_DATA_DIR, Folder());
    for (const char* library : {TESSAL_APLAYER_CALLER, TESSAL_APLAYER_ENGINE})
        fs::copy_file(library, Folder() / fs::path(library).filename(),
                      fs::copy_options::overwrite_existing);
    std::string error;
    ASSERT_TRUE(site::BuildCacheDatabase(Folder() / "cache" / "cache.dll", error)) << error;
}

void PlayerTest::TearDown() {
    app_.reset();
}

bool PlayerTest::Start(const std::string& argument, QSize screen) {
    // The engine loads while the window shows; the tests begin once it is made.
    return StartLoading(argument, screen) &&
           WaitUntil([this] { return app_->ready() || app_->shut_down(); }) && !app_->shut_down();
}

bool PlayerTest::StartLoading(const std::string& argument, QSize screen) {
    PlayerEnvironment environment;
    environment.program_folder = Folder();
    environment.boxes = &boxes_;
    environment.start_program = [this](const fs::path& program) {
        started_programs_.push_back(program.filename().string());
        return true;
    };
    environment.choose_folder = [](QWidget*) { return QString(); };
    environment.choose_file = [](QWidget*) { return QString(); };
    environment.show_in_file_manager = [](const QString&) {};
    environment.desktop_link = desktop_link_;
    environment.screen = screen;
    app_ = std::make_unique<PlayerApp>(environment);
    return app_->Start(argument);
}

fs::path PlayerTest::AddClip(const char* clip, const fs::path& relative) const {
    const fs::path target = Folder() / relative;
    fs::create_directories(target.parent_path());
    fs::copy_file(fs::path(TESSAL_PLAYER_MEDIA_DIR) / clip, target,
                  fs::copy_options::overwrite_existing);
    return target;
}

std::optional<int> PlayerTest::StoredPosition(const std::string& key) const {
    sqlite3* db = nullptr;
    std::optional<int> position;
    if (sqlite3_open_v2((Folder() / "cache" / "cache.dll").c_str(), &db, SQLITE_OPEN_READONLY,
                        nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT Ftime FROM t_PlayProgress WHERE FlessonName=?", -1,
                           &statement, nullptr);
        sqlite3_bind_text(statement, 1, key.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(statement) == SQLITE_ROW)
            position = std::atoi(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return position;
}

void PlayerTest::StorePosition(const std::string& key, int position_ms) const {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((Folder() / "cache" / "cache.dll").c_str(), &db), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t_PlayProgress(FlessonName, Ftime) VALUES(?, ?)", -1,
                       &statement, nullptr);
    sqlite3_bind_text(statement, 1, key.c_str(), -1, SQLITE_TRANSIENT);
    const std::string text = std::to_string(position_ms);
    sqlite3_bind_text(statement, 2, text.c_str(), -1, SQLITE_TRANSIENT);
    EXPECT_EQ(sqlite3_step(statement), SQLITE_DONE);
    sqlite3_finalize(statement);
    sqlite3_close(db);
}

bool PlayerTest::WaitForState(int state, std::chrono::milliseconds limit) {
    return WaitUntil([&] { return App().playback()->state() == state; }, limit);
}

bool PlayerTest::WaitForPosition(const std::function<bool(int)>& holds,
                                 std::chrono::milliseconds limit) {
    return WaitUntil([&] { return holds(App().engine()->Position()); }, limit);
}

}  // namespace tessal::player::test
