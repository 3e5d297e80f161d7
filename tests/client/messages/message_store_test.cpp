// The message store against a real cache database file made as the installation ships
// it, with a second connection of the test's own to look at what was stored.

#include "client/messages/message_store.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/client/messages/cache_file.h"
#include "tests/support/temp_folder.h"

namespace tessal::client {
namespace {

using test::RunSql;

// The page and count queries of the message manager, for their query plans.
constexpr const char* kPageQuery =
    "SELECT FContent,Furl,Ftime FROM t_Message  where FAccount='a' AND Ftype=1 "
    "ORDER BY Ftime DESC LIMIT 0,30";
constexpr const char* kCountQuery =
    "SELECT count(*) FROM t_Message WHERE Ftype = 1 AND FAccount ='a'";

// Two-digit minutes and seconds, so that text order is arrival order.
std::string TimeOf(int index) {
    std::tm local{};
    local.tm_year = 124;
    local.tm_mon = 4;
    local.tm_mday = 1;
    local.tm_hour = 10;
    local.tm_min = 10 + index / 40;
    local.tm_sec = 10 + index % 40;
    return MessageTime(local);
}

// The detail lines of the query's plan.
std::string PlanOf(const std::filesystem::path& file, const std::string& query) {
    std::string plan;
    sqlite3* db = nullptr;
    sqlite3_stmt* explain = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + query).c_str(), -1, &explain, nullptr) ==
            SQLITE_OK) {
        while (sqlite3_step(explain) == SQLITE_ROW)
            plan +=
                std::string(reinterpret_cast<const char*>(sqlite3_column_text(explain, 3))) + "\n";
    }
    sqlite3_finalize(explain);
    sqlite3_close(db);
    return plan;
}

class MessageStoreTest : public ::testing::Test {
protected:
    void SetUp() override { test::MakeCacheFile(file_); }

    void OpenStore() {
        std::string error;
        ASSERT_TRUE(store_.Open(error)) << error;
    }

    void Insert(const std::string& account, const std::string& text, const std::string& time) {
        std::string statement;
        ASSERT_TRUE(store_.Insert(account, text, "http://h/?uid=1&from=client", time, statement))
            << statement;
    }

    std::vector<StoredMessage> Page(const std::string& account, int type, int offset) {
        std::vector<StoredMessage> rows;
        std::string error;
        EXPECT_TRUE(store_.Page(account, type, offset, rows, error)) << error;
        return rows;
    }

    int Count(const std::string& account, int type) {
        std::string error;
        const int count = store_.Count(account, type, error);
        EXPECT_GE(count, 0) << error;
        return count;
    }

    TempFolder folder_;
    const std::filesystem::path file_ = folder_.path() / kCacheDatabaseFile;
    MessageStore store_{file_};
};

TEST(MessageTimeTest, FourBlanksAndNoPadding) {
    std::tm early{};
    early.tm_year = 124;
    early.tm_mon = 0;
    early.tm_mday = 5;
    early.tm_hour = 9;
    early.tm_min = 7;
    early.tm_sec = 3;
    EXPECT_EQ(MessageTime(early), "2024-1-5    9:7:3");
    std::tm late{};
    late.tm_year = 123;
    late.tm_mon = 11;
    late.tm_mday = 31;
    late.tm_hour = 23;
    late.tm_min = 59;
    late.tm_sec = 59;
    EXPECT_EQ(MessageTime(late), "2023-12-31    23:59:59");
}

TEST(MessageStoreOpen, MissingFileFailsAndIsNotCreated) {
    TempFolder folder;
    std::filesystem::create_directories(folder.path() / "cache");
    MessageStore store(folder.path() / kCacheDatabaseFile);
    std::string error;
    EXPECT_FALSE(store.Open(error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(store.is_open());
    EXPECT_TRUE(std::filesystem::is_empty(folder.path() / "cache"));
}

TEST(MessageStoreOpen, FileThatIsNoDatabaseFails) {
    TempFolder folder;
    const auto file = folder.Write(kCacheDatabaseFile, std::string(4096, 'x'));
    MessageStore store(file);
    std::string error;
    EXPECT_FALSE(store.Open(error));
    EXPECT_NE(error.find("not a database"), std::string::npos) << error;
}

TEST(MessageStoreOpen, MakesTheTableInAFileWithoutIt) {
    TempFolder folder;
    const auto file = folder.path() / kCacheDatabaseFile;
    test::MakeCacheFile(file);
    RunSql(file, "DROP TABLE t_Message");
    MessageStore store(file);
    std::string error;
    ASSERT_TRUE(store.Open(error)) << error;
    std::string statement;
    EXPECT_TRUE(store.Insert("a", "text", "link", "2024-1-1    1:1:1", statement)) << statement;
    EXPECT_EQ(store.Count("a", 1, error), 1);
    EXPECT_EQ(RunSql(file, "SELECT count(*) FROM t_PlayProgress"), std::vector<std::string>{"0"});
}

TEST_F(MessageStoreTest, CloseIsForGood) {
    OpenStore();
    store_.Close();
    std::string error;
    EXPECT_FALSE(store_.Open(error));
    EXPECT_FALSE(store_.is_open());
    EXPECT_TRUE(store_.closed());
    std::string statement;
    EXPECT_FALSE(store_.Insert("a", "t", "l", "x", statement));
}

TEST_F(MessageStoreTest, TextWithQuotesIsStoredAsReceived) {
    OpenStore();
    const std::string text = "it's '); DROP TABLE t_Message; --";
    Insert("o'brien", text, TimeOf(0));
    const auto rows = Page("o'brien", 1, 0);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].content, text);
    EXPECT_EQ(rows[0].time, TimeOf(0));
    EXPECT_EQ(rows[0].link, "http://h/?uid=1&from=client");
    // The class compares equal to the integer 1, as the message manager asks.
    EXPECT_EQ(RunSql(file_, "SELECT count(*) FROM t_Message WHERE Ftype = 1"),
              std::vector<std::string>{"1"});
}

TEST_F(MessageStoreTest, FailedInsertGivesStatementWithValuesInPlace) {
    OpenStore();
    RunSql(file_, "DROP TABLE t_Message");
    std::string statement;
    EXPECT_FALSE(store_.Insert("zhang", "it's", "http://h/?uid=1", "2024-5-1    8:0:9", statement));
    EXPECT_EQ(statement,
              "INSERT INTO t_Message (FAccount,FContent,Furl,Ftype,Ftime) VALUES "
              "('zhang','it's','http://h/?uid=1','1','2024-5-1    8:0:9')");
}

TEST_F(MessageStoreTest, SixtyOneMessagesMakePagesOfThirtyThirtyOneNewestFirst) {
    OpenStore();
    for (int i = 0; i < 61; ++i)
        Insert("a", "m" + std::to_string(i), TimeOf(i));
    Insert("b", "other account", TimeOf(70));
    RunSql(file_, "INSERT INTO t_Message VALUES ('a','class two','l',2,'" + TimeOf(75) + "')");
    EXPECT_EQ(Count("a", 1), 61);
    EXPECT_EQ(Count("a", 2), 1);
    const auto first = Page("a", 1, 0);
    ASSERT_EQ(first.size(), 30u);
    EXPECT_EQ(first.front().content, "m60");
    EXPECT_EQ(first.back().content, "m31");
    const auto second = Page("a", 1, 30);
    ASSERT_EQ(second.size(), 30u);
    EXPECT_EQ(second.front().content, "m30");
    const auto third = Page("a", 1, 60);
    ASSERT_EQ(third.size(), 1u);
    EXPECT_EQ(third.front().content, "m0");
    EXPECT_TRUE(Page("a", 1, 61).empty());
    EXPECT_EQ(Page("a", 1, -30).front().content, "m60");
    EXPECT_EQ(Page("a", 1, -30).size(), 30u);
}

TEST_F(MessageStoreTest, DeleteRemovesEveryRowOfTimeClassAndAccountOnly) {
    OpenStore();
    const std::string time = TimeOf(1);
    Insert("a", "first", time);
    Insert("a", "second", time);
    Insert("a", "later", TimeOf(2));
    Insert("b", "other account", time);
    RunSql(file_, "INSERT INTO t_Message VALUES ('a','class two','l',2,'" + time + "')");
    std::string error;
    ASSERT_TRUE(store_.Delete(time, 1, "a", error)) << error;
    EXPECT_EQ(RunSql(file_, "SELECT FContent FROM t_Message ORDER BY FContent"),
              (std::vector<std::string>{"class two", "later", "other account"}));
}

TEST_F(MessageStoreTest, PageAndCountQueriesUseTheIndex) {
    OpenStore();
    for (int i = 0; i < 50; ++i)
        Insert(i % 2 ? "a" : "b", "m", TimeOf(i));
    const std::string page_plan = PlanOf(file_, kPageQuery);
    const std::string count_plan = PlanOf(file_, kCountQuery);
    EXPECT_NE(page_plan.find("USING INDEX"), std::string::npos) << page_plan;
    EXPECT_EQ(page_plan.find("TEMP B-TREE"), std::string::npos) << page_plan;
    EXPECT_NE(count_plan.find("USING COVERING INDEX"), std::string::npos) << count_plan;
    for (const std::string& plan : {page_plan, count_plan}) {
        const auto scan = plan.find("SCAN t_Message");
        EXPECT_TRUE(scan == std::string::npos || plan.find("INDEX", scan) != std::string::npos)
            << plan;
    }
}

// The player writes the same file; a short write of its own does not fail a message.
TEST_F(MessageStoreTest, InsertWaitsOutAnotherWriter) {
    OpenStore();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file_.c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; INSERT INTO t_PlayProgress VALUES ('x','1')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    std::thread release([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    std::string statement;
    const bool stored = store_.Insert("a", "t", "l", TimeOf(0), statement);
    release.join();
    sqlite3_close(other);
    EXPECT_TRUE(stored) << statement;
    EXPECT_EQ(Count("a", 1), 1);
}

}  // namespace
}  // namespace tessal::client
