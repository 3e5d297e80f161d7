// What the programs download: lesson files with byte ranges, update lists whose digests
// match the files they name, and the codec host's files.

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include "common/files/file_helpers.h"
#include "common/files/md5.h"
#include "common/net/file_download.h"
#include "common/net/url.h"
#include "site/server/codec_files.h"
#include "tests/site/server/site_fixture.h"
#include "tests/support/temp_folder.h"

namespace tessal::site::test {
namespace {

class FilesTest : public SiteTest {
protected:
    std::string LessonUrl(int lesson_id, SiteHost host) const {
        const Course* course = site_->data().CourseOfLesson(lesson_id);
        const Lesson* lesson = site_->data().LessonById(lesson_id);
        return Url(host, SiteUrls::LessonPath(*course, *lesson));
    }
    std::string ClipBytes(int lesson_id) const {
        const Lesson* lesson = site_->data().LessonById(lesson_id);
        return FileContents(DefaultSiteOptions().media_folder / "clips" / (lesson->clip + ".webm"));
    }
};

TEST_F(FilesTest, EveryDownloadHostServesTheSameLessonFile) {
    const std::string expected = ClipBytes(10101);
    ASSERT_GT(expected.size(), 10000u);
    for (SiteHost host : {SiteHost::kDownload1, SiteHost::kDownload2, SiteHost::kDownload3}) {
        const Fetched lesson = Fetch(LessonUrl(10101, host));
        EXPECT_EQ(lesson.status, 200);
        EXPECT_TRUE(lesson.body == expected) << SiteSettings::KeyOf(host);
    }
}

TEST_F(FilesTest, RangesLetADownloadResume) {
    const std::string expected = ClipBytes(10102);
    const std::string url = LessonUrl(10102, SiteHost::kDownload2);
    const Fetched middle = Fetch(url, "1000-1999");
    EXPECT_EQ(middle.status, 206);
    EXPECT_EQ(middle.content_range, "bytes 1000-1999/" + std::to_string(expected.size()));
    EXPECT_TRUE(middle.body == expected.substr(1000, 1000));
    const Fetched rest = Fetch(url, "5000-");
    EXPECT_EQ(rest.status, 206);
    EXPECT_TRUE(rest.body == expected.substr(5000));
    EXPECT_EQ(site_->requests().All().back().Header("Range"), "bytes=5000-");
}

TEST_F(FilesTest, LessonUrlsWithChineseNamesAndQueriesAreFound) {
    // As the client sends them: every byte outside the kept set percent-encoded.
    const Course* course = site_->data().CourseById(101);
    const std::string chinese =
        Url(SiteHost::kDownload3, UrlEncode("/lessons/101/借贷记账法.tessal", true));
    EXPECT_EQ(Fetch(chinese).status, 200) << chinese;
    const std::string encoded_query =
        Url(SiteHost::kDownload2, UrlEncode("/lessons/102/sw102-02.tessal?v=2", true));
    EXPECT_EQ(Fetch(encoded_query).status, 200);
    EXPECT_EQ(Fetch(Url(SiteHost::kDownload2, "/lessons/102/sw102-02.tessal?v=2")).status, 200);
    EXPECT_EQ(Fetch(Url(SiteHost::kDownload2, "/lessons/102/sw102-02.tessal")).status, 404);
    EXPECT_EQ(
        Fetch(Url(SiteHost::kDownload3, UrlEncode("/lessons/101/借贷记账法.tessal", false, "GBK")))
            .status,
        200);
    EXPECT_EQ(Fetch(Url(SiteHost::kDownload1, "/lessons/101/%2E%2E/102/sw102-01.tessal")).status,
              404);
    EXPECT_EQ(course->lessons.size(), 4u);
}

TEST_F(FilesTest, UpdateListDigestsMatchTheServedFiles) {
    TempFolder folder;
    tinyxml2::XMLDocument list;
    ASSERT_EQ(list.Parse(Get(SiteHost::kMainSite, "/video_ftp/TessalClient/Updata.xml").c_str()),
              tinyxml2::XML_SUCCESS);
    const auto* root = list.RootElement();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->FirstChildElement()->Name(), "version");
    EXPECT_STREQ(root->FirstChildElement("version")->Attribute("id"), "2");
    int items = 0;
    for (const auto* group = root->FirstChildElement(); group;
         group = group->NextSiblingElement()) {
        for (const auto* item = group->FirstChildElement(group->Name()); item;
             item = item->NextSiblingElement(group->Name())) {
            const auto file = folder.path() / item->Attribute("name");
            ASSERT_TRUE(DownloadToFile(item->Attribute("url"), file));
            EXPECT_EQ(FileMd5(file), item->Attribute("md5")) << item->Attribute("url");
            ++items;
        }
    }
    EXPECT_EQ(items, 3);

    tinyxml2::XMLDocument client;
    ASSERT_EQ(
        client.Parse(Get(SiteHost::kMainSite, "/video_ftp/TessalClient/TessalUpdata.xml").c_str()),
        tinyxml2::XML_SUCCESS);
    const auto* item = client.RootElement()->FirstChildElement("Progarm");
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(DownloadToFile(item->Attribute("url"), folder.path() / "client"));
    EXPECT_EQ(FileMd5(folder.path() / "client"), item->Attribute("md5"));
    EXPECT_EQ(
        Fetch(Url(SiteHost::kMainSite, "/video_ftp/TessalClient/files/..%2Fmembers.json")).status,
        404);
}

TEST_F(FilesTest, ListVersionCanBeRaised) {
    site_->state().SetListVersion("7");
    const std::string list = Get(SiteHost::kMainSite, "/video_ftp/TessalClient/Updata.xml");
    EXPECT_NE(list.find("<version id=\"7\"/>"), std::string::npos) << list;
    site_->state().SetListVersion("");
    EXPECT_NE(Get(SiteHost::kMainSite, "/video_ftp/TessalClient/Updata.xml").find("<version/>"),
              std::string::npos);
}

TEST_F(FilesTest, CodecHostServesTheEngineAndDecoderFiles) {
    const auto paths = CodecFilePaths();
    ASSERT_EQ(paths.size(), 23u);
    for (const std::string& path : paths) {
        const Fetched file = Fetch(Url(SiteHost::kCodec, path));
        EXPECT_EQ(file.status, 200) << path;
        EXPECT_TRUE(file.body == CodecFileContent(path)) << path;
    }
    EXPECT_NE(CodecFileContent(paths[0]), CodecFileContent(paths[1]));
    EXPECT_EQ(Fetch(Url(SiteHost::kCodec, "/TessalClient/codecs/unknown.dll")).status, 404);
}

}  // namespace
}  // namespace tessal::site::test
