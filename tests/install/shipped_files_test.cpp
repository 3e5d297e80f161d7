// The folders and empty databases an installation ships, read through the programs' own
// database code: every lookup of the client's catalogue, the message store and the
// player's play progress work on them as they are shipped.

#include "site/builders/shipped_files.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <vector>

#include "client/catalogue/catalogue_queries.h"
#include "client/messages/message_store.h"
#include "player/core/play_progress.h"
#include "tests/site/builders/query_rows.h"
#include "tests/support/temp_folder.h"

namespace tessal::site {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::string>;

class ShippedFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(BuildShippedFiles(folder_.path(), error)) << error;
    }

    fs::path File(const char* relative) const { return folder_.path() / relative; }

    TempFolder folder_;
};

TEST_F(ShippedFiles, HoldsEveryFolderAndOnlyTheTwoDatabases) {
    for (const char* relative : kShippedFolders)
        EXPECT_TRUE(fs::is_directory(File(relative))) << relative;
    Rows files;
    for (const auto& entry : fs::recursive_directory_iterator(folder_.path())) {
        if (!entry.is_directory())
            files.push_back(fs::relative(entry.path(), folder_.path()).string());
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (Rows{kCacheDatabaseFile, kCourseDatabaseFile}));
}

TEST_F(ShippedFiles, TheCatalogueAnswersEveryLookupOfTheClientWithNothing) {
    client::CourseDatabase database;
    std::string error;
    ASSERT_TRUE(database.Open(File(kCourseDatabaseFile), error)) << error;
    Rows failures;
    const client::CatalogueQueries queries(
        database, [&](const std::string&, const std::string& line) { failures.push_back(line); });

    using client::CatalogueLookup;
    const std::vector<std::pair<CatalogueLookup, Rows>> lookups = {
        {CatalogueLookup::kLessonNameId2, {"lesson", "course"}},
        {CatalogueLookup::kLessonIdtoName, {"1"}},
        {CatalogueLookup::kLessonidtoImg, {"1"}},
        {CatalogueLookup::kLessonIdtoUrl, {"1"}},
        {CatalogueLookup::kLessonNametoCourseName, {"lesson", "1"}},
        {CatalogueLookup::kLessonIdtoCourseName, {"1"}},
        {CatalogueLookup::kCoruseIDtoName, {"1"}},
        {CatalogueLookup::kCourseIdToImgUrl, {"1"}},
        {CatalogueLookup::kCourseNametoID, {"course"}},
        {CatalogueLookup::kCoursNametoType, {"course"}},
    };
    for (const auto& [lookup, arguments] : lookups)
        EXPECT_EQ(queries.Lookup(lookup, arguments), "") << static_cast<int>(lookup);
    EXPECT_EQ(queries.CourseTypes(), std::optional<Rows>(Rows{}));
    EXPECT_EQ(failures, Rows{});
}

TEST_F(ShippedFiles, TheCacheDatabaseStoresMessagesWithTheIndexTheClientWouldMake) {
    const fs::path file = File(kCacheDatabaseFile);
    const auto schema = [&] {
        return QueryRows(file,
                         "SELECT type || ' ' || name || ' ' || tbl_name FROM sqlite_master "
                         "ORDER BY name");
    };
    const Rows shipped = schema();
    EXPECT_EQ(shipped,
              (Rows{"table t_Message t_Message", "index t_Message_account_type_time t_Message",
                    "table t_PlayProgress t_PlayProgress"}));

    client::MessageStore store(file);
    std::string error;
    ASSERT_TRUE(store.Open(error)) << error;
    std::string statement;
    ASSERT_TRUE(store.Insert("demo", "text", "link", "2026-1-2    3:4:5", statement)) << statement;
    EXPECT_EQ(store.Count("demo", 1, error), 1) << error;
    std::vector<client::StoredMessage> rows;
    ASSERT_TRUE(store.Page("demo", 1, 0, rows, error)) << error;
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].content, "text");
    store.Close();
    // Opening it made nothing of its own: the shipped schema is the one the client keeps.
    EXPECT_EQ(schema(), shipped);
}

TEST_F(ShippedFiles, ThePlayerKeepsPlayProgressInTheCacheDatabase) {
    Rows log;
    player::PlayProgress progress(File(kCacheDatabaseFile),
                                  {nullptr, [&](const std::string& line) { log.push_back(line); }});
    ASSERT_TRUE(progress.EnsureOpen());
    EXPECT_EQ(progress.Read("lesson"), std::nullopt);
    ASSERT_TRUE(progress.Save("lesson", 61000));
    ASSERT_TRUE(progress.Save("lesson", 62000));
    EXPECT_EQ(progress.Read("lesson"), std::optional<int>(62000));
    EXPECT_EQ(log, Rows{});
}

TEST(ShippedFilesBuild, ReplacesOldDatabasesAndKeepsWhatElseIsThere) {
    TempFolder folder;
    folder.Write("codecs/Course.dll", "an older catalogue");
    folder.Write("User/keep.txt", "unrelated");
    std::string error;
    ASSERT_TRUE(BuildShippedFiles(folder.path(), error)) << error;
    EXPECT_EQ(QueryRows(folder.path() / kCourseDatabaseFile, "SELECT COUNT(*) FROM t_lesontype"),
              Rows{"0"});
    EXPECT_EQ(FileContents(folder.path() / "User/keep.txt"), "unrelated");
}

TEST(ShippedFilesBuild, NamesTheFolderThatCannotBeMade) {
    TempFolder folder;
    folder.Write("data", "a file where a folder belongs");
    std::string error;
    EXPECT_FALSE(BuildShippedFiles(folder.path(), error));
    EXPECT_NE(error.find((folder.path() / "data/lesson/img").string()), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(folder.path() / kCacheDatabaseFile));
}

}  // namespace
}  // namespace tessal::site
