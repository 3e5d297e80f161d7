#include "site/builders/installation_builder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/files/file_helpers.h"
#include "site/builders/media_builder.h"
#include "tests/site/builders/query_rows.h"
#include "tests/support/temp_folder.h"

namespace tessal::site {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::string>;

Rows NamesIn(const fs::path& folder) {
    Rows names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Comments, odd spacing and CRLF line ends must survive the copy untouched.
constexpr const char* kSiteIni =
    "; written by a test site\r\n"
    "[Hosts]\r\n"
    "MainSite=127.0.0.1:23450\r\n"
    "Download1=127.0.0.1:23456\r\n"
    "Download2 = 127.0.0.1:23457\r\n"
    "Download3=https://127.0.0.1:23458\r\n"
    "[Site]\r\nHotline=010-热线\r\n";

class InstallationBuilder : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(LoadDemoData(TESSAL_DEMO_DATA_DIR, data_, error)) << error;
        // The copy is all that matters here, so each clip is a few distinct bytes.
        for (const MediaClip& clip : data_.clips) {
            work_.Write(fs::path("media") / kClipsFolder / (clip.name + ".webm"),
                        "media of " + clip.name);
        }
        site_ini_ = work_.Write("site/Site.ini", kSiteIni);
    }

    bool Assemble(std::string& error) {
        return AssembleInstallation(data_, site_ini_, media_, folder_, error);
    }
    fs::path CourseFolder() const {
        return folder_ / kDownloadFolder / data_.courses[0].type / data_.courses[0].name;
    }

    DemoData data_;
    TempFolder work_;
    fs::path site_ini_;
    fs::path media_ = work_.path() / "media";
    fs::path folder_ = work_.path() / "install";
};

TEST_F(InstallationBuilder, FillsTheFolderForTheSiteThatWroteSiteIni) {
    work_.Write("install/User/keep.txt", "unrelated");
    std::string error;
    ASSERT_TRUE(Assemble(error)) << error;

    EXPECT_EQ(FileContents(folder_ / "Site.ini"), kSiteIni);
    for (const char* empty : {"cache", "codecs", "data/lesson/img", "User", "New"}) {
        EXPECT_TRUE(fs::is_directory(folder_ / empty)) << empty;
    }
    EXPECT_EQ(FileContents(folder_ / "User/keep.txt"), "unrelated");
    const fs::path course_dll = folder_ / "codecs/Course.dll";
    EXPECT_EQ(QueryRows(course_dll,
                        "SELECT Fdownurl FROM t_lesson WHERE Fid IN (10101, 10103, "
                        "10104) ORDER BY Fid"),
              (Rows{"http://127.0.0.1:23456/lessons/101/kj101-01.tessal",
                    "http://127.0.0.1:23457/lessons/101/kj101-03.tessal",
                    "https://127.0.0.1:23458/lessons/101/借贷记账法.tessal"}));
    EXPECT_EQ(QueryRows(course_dll, "SELECT Fcourseimg FROM t_course WHERE FCourseid=102"),
              Rows{"http://127.0.0.1:23450/upload/course/course-102.png"});
    EXPECT_EQ(QueryRows(folder_ / "cache/cache.dll", "SELECT COUNT(*) FROM t_PlayProgress"),
              Rows{"0"});
}

TEST_F(InstallationBuilder, DownloadsTheFirstCourseForTheOfflinePlayer) {
    std::string error;
    ASSERT_TRUE(Assemble(error)) << error;
    ASSERT_EQ(CourseFolder(), folder_ / "TessalDownload/财会金融/会计基础入门");
    Rows files;
    for (const Lesson& lesson : data_.courses[0].lessons) {
        files.push_back(lesson.file);
        EXPECT_EQ(FileContents(CourseFolder() / lesson.file), "media of " + lesson.clip);
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(NamesIn(CourseFolder()), files);
    EXPECT_EQ(NamesIn(folder_ / kDownloadFolder), Rows{data_.courses[0].type});
}

TEST_F(InstallationBuilder, LeavesLessonsItCannotStoreUnderTheirNameToTheClient) {
    Course& course = data_.courses[0];
    course.lessons[0].file = "../../../../escaped.tessal";
    course.lessons[1].file = "sub/inner.tessal";
    course.lessons[2].file = "kj101-03.tessal?v=2";
    std::string error;
    ASSERT_TRUE(Assemble(error)) << error;
    EXPECT_EQ(NamesIn(CourseFolder()), Rows{course.lessons[3].file});
    std::vector<std::string> everything;
    WalkDirectory(work_.path(), everything);
    for (const std::string& file : everything) {
        EXPECT_EQ(file.find("escaped"), std::string::npos) << file;
        EXPECT_EQ(file.find("inner"), std::string::npos) << file;
    }
}

TEST_F(InstallationBuilder, RefusesACourseWhoseNamesWouldLeaveTheDownloadFolder) {
    for (const auto& [type, name] : std::vector<std::pair<std::string, std::string>>{
             {"..", "course"}, {"type", "../../../outside"}, {"a/b", "course"}, {"type", ""}}) {
        SCOPED_TRACE(type + " " + name);
        data_.courses[0].type = type;
        data_.courses[0].name = name;
        std::string error;
        EXPECT_FALSE(Assemble(error));
        EXPECT_NE(error.find("course 101"), std::string::npos) << error;
    }
    EXPECT_FALSE(fs::exists(work_.path() / "outside"));
    EXPECT_FALSE(fs::exists(folder_ / kDownloadFolder / "a"));
}

TEST_F(InstallationBuilder, FailsClearlyWithoutSiteIniOrMedia) {
    std::string error;
    site_ini_ = work_.path() / "nowhere/Site.ini";
    EXPECT_FALSE(Assemble(error));
    EXPECT_NE(error.find(site_ini_.string()), std::string::npos) << error;
    // Nothing is started for a site that is not there.
    EXPECT_FALSE(fs::exists(folder_));

    site_ini_ = work_.path() / "site/Site.ini";
    fs::remove_all(media_);
    EXPECT_FALSE(Assemble(error));
    EXPECT_NE(error.find("tessal-demo-data media"), std::string::npos) << error;
}

TEST_F(InstallationBuilder, AcceptsTheSiteIniAlreadyInTheFolder) {
    site_ini_ = work_.Write("install/Site.ini", kSiteIni);
    std::string error;
    ASSERT_TRUE(Assemble(error)) << error;
    EXPECT_EQ(FileContents(folder_ / "Site.ini"), kSiteIni);
    // A second assembly over a finished folder works as well.
    ASSERT_TRUE(Assemble(error)) << error;
}

}  // namespace
}  // namespace tessal::site
