// The course-picture thread against a loopback server: pictures fetched in the list's
// order into the picture folder and handed over with their items, failures logged
// with the URL, no part of a cut download left, and a stop that does not wait out a
// hanging server.

#include "client/catalogue/course_pictures.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <mutex>

#include "client/catalogue/picture_cache.h"
#include "client/catalogue/picture_list.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/temp_folder.h"

namespace tessal::client {
namespace {

using test::LoopbackHttpServer;
using test::ScriptedReply;

TEST(PictureCachePathTest, ThePictureKeepsTheNameAfterItsLastSeparator) {
    const std::filesystem::path folder = "/p";
    struct Case {
        const char* url;
        const char* file;  // empty: no cache file
    };
    const Case cases[] = {
        {"http://site/upload/course/kj.png", "/p/data/lesson/img/kj.png"},
        {"x\\pictures\\sc.png", "/p/data/lesson/img/sc.png"},
        {"http://site/a\\b.png", "/p/data/lesson/img/a\\b.png"},  // "/" wins over "\"
        {"no-separator.png", ""},
        {"http://site/upload/", ""},
        {"http://site/..", ""},
    };
    for (const Case& test : cases) {
        const auto path = PictureCachePath(folder, test.url);
        EXPECT_EQ(path ? path->string() : "", test.file) << test.url;
    }
}

class CoursePicturesTest : public ::testing::Test {
protected:
    // A catalogue whose courses' pictures lie on the test's server, and a picture list
    // naming them with items 10, 11, ...
    void Prepare(const std::vector<std::string>& names) {
        const auto file = folder_.path() / "Course.dll";
        sqlite3* made = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &made), SQLITE_OK);
        std::string sql = "CREATE TABLE t_course (Fcoursename TEXT, Fcourseimg TEXT);";
        PictureListWriter list;
        for (std::size_t i = 0; i < names.size(); ++i) {
            sql += "INSERT INTO t_course VALUES ('" + names[i] + "', '" +
                   server_.Url("/img/" + names[i] + ".png") + "');";
            list.Add(names[i], static_cast<int>(10 + i));
        }
        ASSERT_EQ(sqlite3_exec(made, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(made);
        std::string error;
        ASSERT_TRUE(database_.Open(file, error)) << error;
        ASSERT_TRUE(list.Write(folder_.path() / kPictureListFile));
        CoursePicturesContext context;
        context.program_folder = folder_.path();
        context.catalogue = &queries_;
        context.on_picture = [this](int item, const std::filesystem::path& picture) {
            const std::lock_guard lock(mutex_);
            handed_.emplace_back(item, picture.filename().string());
        };
        context.log = [this](const std::string& line) {
            const std::lock_guard lock(mutex_);
            log_.push_back(line);
        };
        pictures_ = std::make_unique<CoursePictures>(std::move(context));
    }
    bool WaitUntil(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return done();
    }
    std::filesystem::path Picture(const std::string& name) const {
        return folder_.path() / kPictureFolder / (name + ".png");
    }

    TempFolder folder_;
    LoopbackHttpServer server_;
    CourseDatabase database_;
    CatalogueQueries queries_{database_, nullptr};
    std::mutex mutex_;
    std::vector<std::pair<int, std::string>> handed_;
    std::vector<std::string> log_;
    std::unique_ptr<CoursePictures> pictures_;
};

TEST_F(CoursePicturesTest, EachListedPictureIsFetchedInOrderAndHandedOverWithItsItem) {
    server_.SetReply("/img/a.png", ScriptedReply::Ok("picture a"));
    server_.SetReply("/img/c.png", ScriptedReply::Ok("picture c"));
    server_.SetReply("/img/d.png", ScriptedReply::CutOff("picture d, cut", 4));
    Prepare({"a", "b", "c", "d"});  // b: the server's 404
    pictures_->Start();
    ASSERT_TRUE(WaitUntil([&] { return pictures_->finished(); }));

    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 4U);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(requests[i].Target(), "/img/" + std::string(1, char('a' + i)) + ".png");
    using Handed = std::vector<std::pair<int, std::string>>;
    EXPECT_EQ(handed_, (Handed{{10, "a.png"}, {12, "c.png"}}));
    EXPECT_EQ(log_, (std::vector<std::string>{
                        "UpdateImg fail:URLDownloadToFileA " + server_.Url("/img/b.png"),
                        "UpdateImg fail:URLDownloadToFileA " + server_.Url("/img/d.png")}));
    // Whole pictures only: nothing of the cut one, no temporary file either.
    EXPECT_TRUE(std::filesystem::exists(Picture("a")));
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator(folder_.path() / kPictureFolder))
        ++files;
    EXPECT_EQ(files, 2U);
}

TEST_F(CoursePicturesTest, AnOversizedPictureIsRefusedAndTheNextCourseTakesItsTurn) {
    server_.SetReply("/img/a.png", ScriptedReply::Ok(std::string(16 * 1024 * 1024 + 1, 'x')));
    server_.SetReply("/img/b.png", ScriptedReply::Ok("picture b"));
    // A crash's leftover is cleared; a transfer of another client now is not.
    const auto leftover = folder_.Write("data/lesson/img/.z.png.Ab12Cd", "part");
    const auto running = folder_.Write("data/lesson/img/.y.png.Ef34Gh", "part");
    std::filesystem::last_write_time(
        leftover, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    Prepare({"a", "b"});
    pictures_->Start();
    ASSERT_TRUE(WaitUntil([&] { return pictures_->finished(); }));
    using Handed = std::vector<std::pair<int, std::string>>;
    EXPECT_EQ(handed_, (Handed{{11, "b.png"}}));
    EXPECT_EQ(log_, std::vector<std::string>{"UpdateImg fail:URLDownloadToFileA " +
                                             server_.Url("/img/a.png")});
    EXPECT_FALSE(std::filesystem::exists(Picture("a")));
    EXPECT_FALSE(std::filesystem::exists(leftover));
    EXPECT_TRUE(std::filesystem::exists(running));
}

TEST_F(CoursePicturesTest, AStopGivesUpAHangingDownloadWithoutLoggingIt) {
    server_.SetReply("/img/a.png", ScriptedReply::Silent());
    Prepare({"a", "b"});
    pictures_->Start();
    ASSERT_TRUE(WaitUntil([&] { return server_.RequestCount() == 1; }));
    const auto begin = std::chrono::steady_clock::now();
    pictures_->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
    EXPECT_TRUE(log_.empty());
    EXPECT_TRUE(handed_.empty());
    EXPECT_EQ(server_.RequestCount(), 1U);
}

}  // namespace
}  // namespace tessal::client
