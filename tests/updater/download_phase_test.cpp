// The download phase of the real program against the reference site.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "common/files/md5.h"
#include "tests/updater/updater_installation.h"

namespace tessal::updater::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

class DownloadPhaseTest : public UpdaterTest {};

TEST_F(DownloadPhaseTest, MissingVersionFileCountsAsOneAndStagesTheDemoList) {
    RunDownload();
    EXPECT_THAT(StagedNames(),
                ElementsAre("TessalNotice.new", "UpdateNote.new", "update-badge.new"));
    EXPECT_EQ(Md5Of("New/TessalNotice.new"), DemoMd5("TessalNotice.txt"));
    EXPECT_EQ(Md5Of("New/UpdateNote.new"), DemoMd5("UpdateNote.xml"));
    EXPECT_EQ(Md5Of("New/update-badge.new"), DemoMd5("update-badge.png"));
    EXPECT_NE(Contents("cache/Updata.xml").find("<version id=\"2\""), std::string::npos);
}

TEST_F(DownloadPhaseTest, InstalledVersionEqualToTheListsFetchesNothing) {
    WriteInstalledVersion("2");
    RunDownload();
    EXPECT_THAT(FetchedUpdateFiles(), IsEmpty());
    EXPECT_THAT(StagedNames(), IsEmpty());
}

TEST_F(DownloadPhaseTest, ListWithIdZeroOrWithoutIdFetchesNothing) {
    for (const char* id : {"0", ""}) {
        site().state().SetListVersion(id);
        RunDownload();
    }
    EXPECT_THAT(FetchedUpdateFiles(), IsEmpty());
    EXPECT_THAT(StagedNames(), IsEmpty());
}

TEST_F(DownloadPhaseTest, AnInstalledFileThatMatchesIsNotDownloaded) {
    installation().Write("TessalNotice.txt", DemoFile("TessalNotice.txt"));
    RunDownload();
    EXPECT_THAT(FetchedUpdateFiles(), ElementsAre("UpdateNote.xml", "update-badge.png"));
    EXPECT_THAT(StagedNames(), ElementsAre("UpdateNote.new", "update-badge.new"));
}

TEST_F(DownloadPhaseTest, DigestsCompareWithoutRegardToCase) {
    installation().Write("Notice.txt", DemoFile("TessalNotice.txt"));
    std::string upper = DemoMd5("TessalNotice.txt");
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    ServeList(ListXml(
        "2",
        {{"Progarm",
          {{"Notice.new", "Notice.txt", DemoUrl("TessalNotice.txt"), "Notice.txt", upper, ""}}}}));
    RunDownload();
    EXPECT_THAT(FetchedUpdateFiles(), IsEmpty());
}

TEST_F(DownloadPhaseTest, ItemsMissingAnAttributeAreSkipped) {
    const std::string url = DemoUrl("TessalNotice.txt");
    const std::string md5 = DemoMd5("TessalNotice.txt");
    ServeList(ListXml("2", {{"dll",
                             {{"", "a", url, "a", md5, ""},
                              {"b.new", "b", "", "b", md5, ""},
                              {"c.new", "c", url, "", md5, ""},
                              {"d.new", "d", url, "d", "", ""},
                              {"e.new", "", url, "e", md5, ""}}}}));
    RunDownload();
    // "truename" is not needed to stage a file.
    EXPECT_THAT(StagedNames(), ElementsAre("e.new"));
}

TEST_F(DownloadPhaseTest, AFailingUrlIsLoggedAndTheOtherItemsGoOn) {
    const std::string missing = DemoUrl("no-such-file.bin");
    ServeList(ListXml(
        "2",
        {{"image",
          {{"gone.new", "gone.png", missing, "IMAGE/gone.png", DemoMd5("update-badge.png"), ""},
           {"badge.new", "badge.png", DemoUrl("update-badge.png"), "IMAGE/badge.png",
            DemoMd5("update-badge.png"), ""}}}}));
    RunDownload();
    EXPECT_THAT(StagedNames(), ElementsAre("badge.new"));
    EXPECT_THAT(LogText(), HasSubstr("DownLoad Fail  url:" + missing + " local:./New/gone.new"));
}

TEST_F(DownloadPhaseTest, AUrlWithBlanksFetchesTheFileItNames) {
    const std::string bytes = "<Window name=\"note\"/>\n";
    const std::string url = ServeUpdateFile("Update Note.xml", bytes);
    ServeList(ListXml("2", {{"layout",
                             {{"Update Note.new", "Update Note.xml", url, "Layout/Update Note.xml",
                               TextMd5(bytes), ""}}}}));
    RunDownload();
    EXPECT_THAT(FetchedUpdateFiles(), ElementsAre("Update Note.xml"));
    EXPECT_EQ(Contents("New/Update Note.new"), bytes);
    EXPECT_THAT(LogText(), Not(HasSubstr("DownLoad Fail")));
}

TEST_F(DownloadPhaseTest, ACutOffDownloadNeverBecomesAStagedFile) {
    site::FaultRule cut;
    cut.host = "MainSite";
    cut.path = "/video_ftp/TessalClient/files/update-badge.png";
    cut.cut_after_bytes = 100;
    site().faults().Add(cut);
    RunDownload();
    // Neither the staged name nor a temporary file stays behind.
    EXPECT_THAT(StagedNames(), ElementsAre("TessalNotice.new", "UpdateNote.new"));
    EXPECT_THAT(LogText(), HasSubstr("DownLoad Fail  url:" + DemoUrl("update-badge.png") +
                                     " local:./New/update-badge.new"));
}

TEST_F(DownloadPhaseTest, AListThatCannotBeFetchedEndsThePhase) {
    site::FaultRule refused;
    refused.host = "MainSite";
    refused.path = "/video_ftp/TessalClient/Updata.xml";
    refused.status = 404;
    site().faults().Add(refused);
    RunDownload();
    EXPECT_FALSE(std::filesystem::exists(Path("cache/Updata.xml")));
    EXPECT_THAT(LogText(),
                HasSubstr("DownLoad Fail  url:" + site().urls().HostUrl(SiteHost::kMainSite) +
                          "/video_ftp/TessalClient/Updata.xml local:./cache/Updata.xml"));
}

TEST_F(DownloadPhaseTest, AnUnreadableListIsLoggedAndEndsThePhase) {
    ServeList("<Updata><version id=\"2\"><Progarm>");
    RunDownload();
    EXPECT_THAT(StagedNames(), IsEmpty());
    EXPECT_THAT(LogText(), HasSubstr("XML_ERROR"));
}

TEST_F(DownloadPhaseTest, AListWithoutRootElementIsLogged) {
    ServeList("<?xml version=\"1.0\"?>\n<!-- nothing -->\n");
    RunDownload();
    EXPECT_THAT(LogText(), HasSubstr("Failed to load file: No root element"));
}

TEST_F(DownloadPhaseTest, GroupsBeforeTheVersionAreHandledAnyway) {
    WriteInstalledVersion("5");
    ServeList("<Updata><layout><layout name=\"early.new\" url=\"" + DemoUrl("UpdateNote.xml") +
              "\" local=\"Layout/early.xml\" md5=\"" + DemoMd5("UpdateNote.xml") +
              "\"/></layout><version id=\"5\"/><dll><dll name=\"late.new\" url=\"" +
              DemoUrl("UpdateNote.xml") + "\" local=\"late\" md5=\"" + DemoMd5("UpdateNote.xml") +
              "\"/></dll></Updata>");
    RunDownload();
    EXPECT_THAT(StagedNames(), ElementsAre("early.new"));
}

TEST_F(DownloadPhaseTest, AnUnknownArgumentDoesNothing) {
    tessal::test::RunOptions options;
    options.arguments = {"--check"};
    auto result = installation().Run("TessalUpdata", options);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_THAT(site().requests().All(), IsEmpty());
    EXPECT_TRUE(std::filesystem::is_directory(Path("cache/Updatatechnology")));
    EXPECT_THAT(LogText(), Not(HasSubstr("DownLoad")));
}

}  // namespace
}  // namespace tessal::updater::test
