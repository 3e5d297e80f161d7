// Play progress against a real cache database made as the installation ships it, with a
// connection of the test's own standing for the client, which uses the same file.

#include "player/core/play_progress.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "site/builders/cache_database_builder.h"
#include "tests/support/temp_folder.h"

namespace tessal::player {
namespace {

namespace fs = std::filesystem;

// The first column of every row of `sql`, as text.
std::vector<std::string> RunSql(const fs::path& file, const std::string& sql) {
    std::vector<std::string> column;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        char* message = nullptr;
        const int result = sqlite3_exec(
            db, sql.c_str(),
            [](void* rows, int, char** values, char**) {
                static_cast<std::vector<std::string>*>(rows)->push_back(values[0] ? values[0] : "");
                return 0;
            },
            &column, &message);
        EXPECT_EQ(result, SQLITE_OK) << sql << ": " << (message ? message : "");
        sqlite3_free(message);
    } else {
        ADD_FAILURE() << "cannot open " << file;
    }
    sqlite3_close(db);
    return column;
}

class PlayProgressTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(file_.parent_path());
        std::string error;
        ASSERT_TRUE(site::BuildCacheDatabase(file_, error)) << error;
    }

    std::vector<std::string> Logged() {
        const std::lock_guard lock(mutex_);
        return log_;
    }

    TempFolder folder_;
    fs::path file_ = folder_.path() / kCacheDatabaseFile;
    std::mutex mutex_;
    std::vector<std::string> log_;
    std::vector<std::string> boxes_;
    PlayProgress progress_{file_,
                           {[this](const std::string& text) { boxes_.push_back(text); },
                            [this](const std::string& line) {
                                const std::lock_guard lock(mutex_);
                                log_.push_back(line);
                            }}};
};

TEST_F(PlayProgressTest, EachKeyReadsAndWritesOnlyItsOwnRow) {
    const std::vector<std::string> keys = {"第1讲.tessal", "it's.tessal", "x' OR '1'='1",
                                           "'); DROP TABLE t_PlayProgress; --", "第1讲.TESSAL"};
    ASSERT_TRUE(progress_.EnsureOpen());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_FALSE(progress_.Read(keys[i])) << keys[i];
        ASSERT_TRUE(progress_.Save(keys[i], 1000 * static_cast<int>(i + 1))) << keys[i];
    }
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(progress_.Read(keys[i]), 1000 * static_cast<int>(i + 1)) << keys[i];
    }
    // A file without a lesson title never takes another lesson's row, nor one of its own.
    EXPECT_FALSE(progress_.Save("", 1));
    EXPECT_FALSE(progress_.Read(""));
    EXPECT_EQ(RunSql(file_, "SELECT count(*) FROM t_PlayProgress"),
              std::vector<std::string>{std::to_string(keys.size())});
    EXPECT_TRUE(Logged().empty());
}

TEST_F(PlayProgressTest, ALaterSaveUpdatesTheRowTheFirstInserted) {
    ASSERT_TRUE(progress_.EnsureOpen());
    ASSERT_TRUE(progress_.Save("a.tessal", 600000));
    ASSERT_TRUE(progress_.Save("a.tessal", 720500));
    EXPECT_EQ(RunSql(file_, "SELECT Ftime FROM t_PlayProgress WHERE FlessonName='a.tessal'"),
              std::vector<std::string>{"720500"});
    EXPECT_EQ(progress_.Read("a.tessal"), 720500);
}

// Statements that fail leave a "sqlfail:" line with the statement as it reads with its
// values in place, and store nothing; the table is never made here.
TEST_F(PlayProgressTest, AFailingStatementLogsSqlfailWithItsValues) {
    struct Case {
        const char* breakage;
        bool save;
        const char* line;
    };
    const Case cases[] = {
        {"DROP TABLE t_PlayProgress", false,
         "sqlfail:SELECT Ftime from t_PlayProgress WHERE FlessonName='it's.tessal'"},
        {"DROP TABLE t_PlayProgress", true,
         "sqlfail:SELECT * FROM t_PlayProgress where FlessonName='it's.tessal'"},
        {"CREATE TRIGGER refuse BEFORE INSERT ON t_PlayProgress BEGIN SELECT RAISE(ABORT, "
         "'no'); END",
         true,
         "sqlfail:INSERT INTO t_PlayProgress(FlessonName, Ftime) VALUES('it's.tessal', '5000')"},
        {"INSERT INTO t_PlayProgress VALUES('it''s.tessal', '1'); CREATE TRIGGER refuse BEFORE "
         "UPDATE ON t_PlayProgress BEGIN SELECT RAISE(ABORT, 'no'); END",
         true, "sqlfail:UPDATE t_PlayProgress SET Ftime='5000' where  FlessonName='it's.tessal'"},
    };
    for (const Case& test : cases) {
        SetUp();  // a fresh file for each case
        RunSql(file_, test.breakage);
        PlayProgress progress(file_, {nullptr, [this](const std::string& line) {
                                          const std::lock_guard lock(mutex_);
                                          log_.push_back(line);
                                      }});
        ASSERT_TRUE(progress.EnsureOpen());
        if (test.save) {
            EXPECT_FALSE(progress.Save("it's.tessal", 5000)) << test.line;
        } else {
            EXPECT_FALSE(progress.Read("it's.tessal")) << test.line;
        }
        EXPECT_EQ(Logged(), std::vector<std::string>{test.line});
        EXPECT_EQ(
            RunSql(file_, "SELECT count(*) FROM sqlite_master WHERE name='t_PlayProgress'"),
            std::vector<std::string>{std::string(test.breakage).starts_with("DROP") ? "0" : "1"});
        log_.clear();
    }
}

TEST_F(PlayProgressTest, AMissingFileFailsToOpenIsNotCreatedAndIsTriedAgain) {
    fs::remove(file_);
    EXPECT_FALSE(progress_.Read("a.tessal"));
    EXPECT_FALSE(progress_.Save("a.tessal", 1000));
    EXPECT_FALSE(progress_.EnsureOpen());
    const std::string text = "Open Keydatabase fail:unable to open database file";
    EXPECT_EQ(boxes_, std::vector<std::string>{text});
    EXPECT_EQ(Logged(), std::vector<std::string>{text});
    EXPECT_FALSE(fs::exists(file_));

    std::string error;
    ASSERT_TRUE(site::BuildCacheDatabase(file_, error)) << error;
    EXPECT_TRUE(progress_.EnsureOpen());
    EXPECT_TRUE(progress_.Save("a.tessal", 1000));
}

// The opener's thread reads while the GUI thread saves, and the client holds the file's
// write lock now and then: every call waits its turn and none fails.
TEST_F(PlayProgressTest, ReaderWriterAndAnotherConnectionShareTheFile) {
    ASSERT_TRUE(progress_.EnsureOpen());
    ASSERT_TRUE(progress_.Save("read.tessal", 42));
    std::promise<bool> locked;
    std::thread client([this, &locked] {
        sqlite3* db = nullptr;
        sqlite3_open_v2(file_.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        locked.set_value(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) ==
                         SQLITE_OK);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    });
    std::thread reader([this] {
        for (int i = 0; i < 200; ++i) {
            EXPECT_EQ(progress_.Read("read.tessal"), 42);
        }
    });
    EXPECT_TRUE(locked.get_future().get());
    for (int i = 0; i < 20; ++i) {
        EXPECT_TRUE(progress_.Save("write.tessal", i));
    }
    reader.join();
    client.join();
    EXPECT_EQ(progress_.Read("write.tessal"), 19);
    EXPECT_TRUE(Logged().empty());
}

}  // namespace
}  // namespace tessal::player
