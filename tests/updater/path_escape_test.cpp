// Whatever the update list names, the updater touches nothing outside its folder.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_folder.h"
#include "tests/updater/updater_installation.h"

namespace tessal::updater::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr const char* kRefused = "Refused path outside the program folder:";

class PathEscapeTest : public UpdaterTest {
protected:
    void SetUp() override {
        UpdaterTest::SetUp();
        victim_ = outside_.Write("victim.txt", "must stay");
    }
    ListItem Item(const std::string& name, const std::string& truename, const std::string& local) {
        return {name, truename, DemoUrl("TessalNotice.txt"), local, DemoMd5("TessalNotice.txt"),
                ""};
    }
    void ExpectOutsideUntouched() {
        EXPECT_EQ(FileContents(victim_), "must stay");
        EXPECT_THAT(outside_.FileNames(), ElementsAre("victim.txt"));
    }

    TempFolder outside_;
    fs::path victim_;
};

TEST_F(PathEscapeTest, DownloadRefusesNamesAndLocalsLeadingOut) {
    const std::string up = "../" + outside_.path().filename().string() + "/victim.txt";
    ServeList(ListXml("2", {{"Progarm",
                             {Item(up, "t", "a.txt"), Item("b.new", "t", victim_.string()),
                              Item("c.new", "t", "../c.txt"), Item("ok.new", "t", "ok.txt")}}}));
    RunDownload();
    ExpectOutsideUntouched();
    EXPECT_THAT(StagedNames(), ElementsAre("ok.new"));
    EXPECT_THAT(LogText(), HasSubstr(kRefused + up));
    EXPECT_THAT(LogText(), HasSubstr(kRefused + victim_.string()));
    EXPECT_THAT(LogText(), HasSubstr(kRefused + std::string("../c.txt")));
}

TEST_F(PathEscapeTest, InstallRefusesEveryPathLeadingOut) {
    installation().Write("New/a.new", DemoFile("TessalNotice.txt"));
    const std::string up = "../../" + outside_.path().filename().string() + "/victim.txt";
    WriteLocalList(
        ListXml("2", {{"Progarm",
                       {Item("a.new", "a.true", victim_.string()), Item("a.new", up, "a.txt"),
                        Item("../a.new", "a.true", "a.txt")}}}));
    RunInstall();
    ExpectOutsideUntouched();
    EXPECT_FALSE(fs::exists(Path("a.txt")));
    EXPECT_THAT(StagedNames(), ElementsAre("a.new"));
    EXPECT_THAT(LogText(), HasSubstr(kRefused + victim_.string()));
    EXPECT_THAT(LogText(), HasSubstr(kRefused + up));
    EXPECT_THAT(LogText(), HasSubstr(kRefused + std::string("../a.new")));
}

TEST_F(PathEscapeTest, AFolderLinkedOutsideIsRefused) {
    fs::create_symlink(outside_.path(), Path("Linked"));
    installation().Write("New/v.new", DemoFile("TessalNotice.txt"));
    WriteLocalList(ListXml("2", {{"Progarm", {Item("v.new", "v.true", "Linked/victim.txt")}}}));
    RunInstall();
    ExpectOutsideUntouched();
    EXPECT_THAT(LogText(), HasSubstr(kRefused + std::string("Linked/victim.txt")));
    // The refused item can never verify, so the version stays for the next run.
    EXPECT_EQ(InstalledVersionText(), "<missing>");
}

TEST_F(PathEscapeTest, AStagingFolderLinkedOutsideIsNeverWritten) {
    fs::remove_all(Path("New"));
    fs::create_symlink(outside_.path(), Path("New"));
    RunDownload();
    ExpectOutsideUntouched();
    EXPECT_THAT(LogText(), HasSubstr(kRefused + std::string("TessalNotice.new")));
    EXPECT_THAT(FetchedUpdateFiles(), IsEmpty());
}

TEST_F(PathEscapeTest, ALocalFileLinkedOutsideIsNeitherReadNorReplaced) {
    fs::create_symlink(victim_, Path("TessalNotice.txt"));
    RunDownload();
    installation().Write("New/TessalNotice.new", DemoFile("TessalNotice.txt"));
    RunInstall();
    ExpectOutsideUntouched();
    EXPECT_TRUE(fs::is_symlink(Path("TessalNotice.txt")));
    EXPECT_THAT(LogText(), HasSubstr(kRefused + std::string("TessalNotice.txt")));
}

}  // namespace
}  // namespace tessal::updater::test
