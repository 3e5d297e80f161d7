// The demo data set as a maintainer edits it: mistakes are named, never a crash.

#include <gtest/gtest.h>

#include <filesystem>

#include "site/server/reference_site.h"
#include "tests/support/temp_folder.h"

namespace tessal::site {
namespace {

void CopyDataSet(const TempFolder& folder) {
    for (const auto& entry :
         std::filesystem::directory_iterator(DefaultSiteOptions().data_folder)) {
        std::filesystem::copy(entry.path(), folder.path() / entry.path().filename(),
                              std::filesystem::copy_options::recursive);
    }
}

class DemoDataTest : public ::testing::Test {
protected:
    void SetUp() override { CopyDataSet(folder_); }

    // The error of a copy of the shipped data set with one file replaced.
    static std::string LoadWith(const std::string& file, const std::string& text) {
        TempFolder folder;
        CopyDataSet(folder);
        std::filesystem::remove(folder.path() / file);
        folder.Write(file, text);
        DemoData data;
        std::string error;
        EXPECT_FALSE(LoadDemoData(folder.path().string(), data, error));
        return error;
    }

    TempFolder folder_;
};

TEST_F(DemoDataTest, TheShippedSetLoadsWithItsEdgeCases) {
    DemoData data;
    std::string error;
    ASSERT_TRUE(LoadDemoData(folder_.path().string(), data, error)) << error;
    EXPECT_NE(data.MemberByAccount("nouid"), nullptr);
    EXPECT_TRUE(data.MemberByAccount("nouid")->uid.empty());
    EXPECT_EQ(data.MemberByUid(""), nullptr);
    EXPECT_EQ(data.CourseOfLesson(10104)->id, 101);
    EXPECT_EQ(data.LessonById(10104)->chapter, "第二章 会计科目");
    EXPECT_EQ(data.PictureLabels().at("head-10001.png"), "张");
}

TEST_F(DemoDataTest, MistakesNameTheFile) {
    EXPECT_NE(LoadWith("members.json", "{\"members\": [1]}").find("members.json"),
              std::string::npos);
    EXPECT_NE(LoadWith("members.json", "{ not json").find("members.json"), std::string::npos);
    EXPECT_NE(LoadWith("catalogue.json",
                       R"({"types":["A"],"clips":[],"courses":[{"id":"x101","type":"A"}]})")
                  .find("catalogue.json"),
              std::string::npos);
    EXPECT_NE(LoadWith("catalogue.json",
                       R"({"types":["A"],"clips":[{"name":"c","seconds":1,"tone_hz":1}],)"
                       R"("courses":[{"id":1,"type":"A","chapters":[{"name":"x","lessons":[)"
                       R"({"id":5,"file":"a.tessal","clip":"c","host":4}]}]}]})")
                  .find("host must be 1, 2 or 3"),
              std::string::npos);
    EXPECT_NE(LoadWith("pushes.json", "").find("pushes.json"), std::string::npos);
}

}  // namespace
}  // namespace tessal::site
