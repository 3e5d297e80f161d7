// The install phase of the real program: both passes, priorities and the version file.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "common/files/md5.h"
#include "tests/updater/updater_installation.h"

namespace tessal::updater::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr const char* kVersionTwo = "[GlobalVersion]\nGlobalVersion=2\n";

class InstallPhaseTest : public UpdaterTest {
protected:
    // An item whose new file (a demo file) is staged under `name`.
    ListItem Staged(const std::string& name, const std::string& local, const std::string& file,
                    const std::string& priority = "") {
        installation().Write("New/" + name, DemoFile(file));
        return {name, name + ".true", DemoUrl(file), local, DemoMd5(file), priority};
    }
};

TEST_F(InstallPhaseTest, TheDemoListIsInstalledInTwoRuns) {
    installation().Write("TessalNotice.txt", "the old notice");
    RunDownload();
    RunInstall("end#sign42#u#10001#");
    EXPECT_EQ(Md5Of("TessalNotice.txt"), DemoMd5("TessalNotice.txt"));
    EXPECT_EQ(Md5Of("Layout/UpdateNote.xml"), DemoMd5("UpdateNote.xml"));
    EXPECT_EQ(Md5Of("IMAGE/update-badge.png"), DemoMd5("update-badge.png"));
    EXPECT_THAT(StagedNames(), IsEmpty());
    EXPECT_EQ(Contents("New/Version.ini"), kVersionTwo);
    EXPECT_THAT(LogText(), Not(HasSubstr("fail")));
}

TEST_F(InstallPhaseTest, InstalledVersionEqualToTheListsChangesNothing) {
    WriteInstalledVersion("2");
    WriteLocalList(ListXml("2", {{"Progarm", {Staged("a.new", "a.txt", "TessalNotice.txt")}}}));
    RunInstall();
    EXPECT_FALSE(fs::exists(Path("a.txt")));
    EXPECT_THAT(StagedNames(), ElementsAre("a.new"));
    EXPECT_EQ(Contents("New/Version.ini"), "[GlobalVersion]\nGlobalVersion=2\n");
}

TEST_F(InstallPhaseTest, ListWithIdZeroOrWithoutIdInstallsButNeverRecordsTheVersion) {
    for (const char* id : {"0", ""}) {
        WriteLocalList(ListXml(id, {{"Progarm", {Staged("a.new", "a.txt", "TessalNotice.txt")}}}));
        fs::remove(Path("a.txt"));
        RunInstall();
        EXPECT_EQ(Md5Of("a.txt"), DemoMd5("TessalNotice.txt"));
        EXPECT_EQ(InstalledVersionText(), "<missing>");
    }
}

TEST_F(InstallPhaseTest, PriorityFourAfterTwoStopsItsGroupOnly) {
    WriteLocalList(
        ListXml("2", {{"layout",
                       {Staged("p1.new", "Layout/p1.xml", "UpdateNote.xml", "1"),
                        Staged("p2.new", "Layout/p2.xml", "UpdateNote.xml", "2"),
                        Staged("p4.new", "Layout/p4.xml", "UpdateNote.xml", "4"),
                        Staged("after.new", "Layout/after.xml", "UpdateNote.xml")}},
                      {"image", {Staged("img.new", "IMAGE/img.png", "update-badge.png")}}}));
    RunInstall();
    EXPECT_TRUE(fs::exists(Path("Layout/p1.xml")));
    EXPECT_TRUE(fs::exists(Path("Layout/p2.xml")));
    EXPECT_FALSE(fs::exists(Path("Layout/p4.xml")));
    EXPECT_FALSE(fs::exists(Path("Layout/after.xml")));
    EXPECT_TRUE(fs::exists(Path("IMAGE/img.png")));
    EXPECT_THAT(StagedNames(), ElementsAre("after.new", "p4.new"));
    EXPECT_EQ(InstalledVersionText(), "<missing>");
}

TEST_F(InstallPhaseTest, TheCounterRunsAcrossGroups) {
    WriteLocalList(
        ListXml("2", {{"layout", {Staged("p1.new", "Layout/p1.xml", "UpdateNote.xml", "1")}},
                      {"image", {Staged("p2.new", "IMAGE/p2.png", "update-badge.png", "2")}}}));
    RunInstall();
    EXPECT_TRUE(fs::exists(Path("IMAGE/p2.png")));
    EXPECT_EQ(Contents("New/Version.ini"), kVersionTwo);
}

TEST_F(InstallPhaseTest, AMatchingItemOnlyAdvancesTheCounter) {
    installation().Write("Layout/same.xml", DemoFile("UpdateNote.xml"));
    const ListItem same{"same.new",
                        "same.xml",
                        DemoUrl("UpdateNote.xml"),
                        "Layout/same.xml",
                        DemoMd5("UpdateNote.xml"),
                        "1"};
    WriteLocalList(ListXml(
        "2", {{"layout", {same, Staged("p2.new", "Layout/p2.xml", "UpdateNote.xml", "2")}}}));
    RunInstall();
    EXPECT_EQ(Md5Of("Layout/p2.xml"), DemoMd5("UpdateNote.xml"));
    EXPECT_EQ(Contents("New/Version.ini"), kVersionTwo);
}

TEST_F(InstallPhaseTest, AnItemWhoseDownloadFailedKeepsTheOldFile) {
    installation().Write("Notice.txt", "old notice");
    const ListItem unstaged{
        "n.new", "n.txt", DemoUrl("TessalNotice.txt"), "Notice.txt", DemoMd5("TessalNotice.txt"),
        ""};
    WriteLocalList(ListXml("2", {{"Progarm", {unstaged}}}));
    RunInstall();
    EXPECT_EQ(Contents("Notice.txt"), "old notice");
    EXPECT_EQ(InstalledVersionText(), "<missing>");
}

TEST_F(InstallPhaseTest, AStagedFileWithAWrongDigestIsNotInstalled) {
    installation().Write("Notice.txt", "old notice");
    ListItem item = Staged("n.new", "Notice.txt", "TessalNotice.txt");
    item.md5 = DemoMd5("UpdateNote.xml");
    WriteLocalList(ListXml("2", {{"Progarm", {item}}}));
    RunInstall();
    EXPECT_EQ(Contents("Notice.txt"), "old notice");
    EXPECT_THAT(StagedNames(), ElementsAre("n.new.true"));
}

TEST_F(InstallPhaseTest, AMissingFolderForLocalFailsTheMoveAndCreatesNothing) {
    WriteLocalList(ListXml("2", {{"dll", {Staged("x.new", "Plugins/x.so", "TessalNotice.txt")}}}));
    RunInstall();
    EXPECT_FALSE(fs::exists(Path("Plugins")));
    EXPECT_THAT(StagedNames(), ElementsAre("x.new.true"));
    EXPECT_THAT(LogText(), HasSubstr("MoveFile:./New/x.newTo:Plugins/x.so  fail"));
    EXPECT_THAT(LogText(), Not(HasSubstr("remove:")));
}

TEST_F(InstallPhaseTest, AFolderInTheWayOfLocalIsReported) {
    fs::create_directories(Path("Busy.txt/inside"));
    WriteLocalList(ListXml("2", {{"Progarm", {Staged("b.new", "Busy.txt", "TessalNotice.txt")}}}));
    RunInstall();
    EXPECT_TRUE(fs::is_directory(Path("Busy.txt/inside")));
    EXPECT_THAT(LogText(), HasSubstr("remove:Busy.txt  fail"));
    EXPECT_THAT(LogText(), HasSubstr("MoveFile:./New/b.newTo:Busy.txt  fail"));
}

TEST_F(InstallPhaseTest, AnOlderFileUnderTheTrueNameIsReplaced) {
    installation().Write("New/a.new.true", "left from an earlier run");
    WriteLocalList(ListXml("2", {{"Progarm", {Staged("a.new", "a.txt", "TessalNotice.txt")}}}));
    RunInstall();
    EXPECT_EQ(Md5Of("a.txt"), DemoMd5("TessalNotice.txt"));
}

// A run killed between the rename to the true name and the move into place: the next
// run must not delete the only copy of the new file.
TEST_F(InstallPhaseTest, AFileAKilledRunLeftUnderItsTrueNameIsInstalledByTheNextRun) {
    installation().Write("a.txt", "old");
    const ListItem item = Staged("a.new", "a.txt", "TessalNotice.txt");
    fs::rename(Path("New/a.new"), Path("New/a.new.true"));
    WriteLocalList(ListXml("2", {{"Progarm", {item}}}));
    RunInstall();
    EXPECT_EQ(Md5Of("a.txt"), DemoMd5("TessalNotice.txt"));
    EXPECT_THAT(StagedNames(), IsEmpty());
    EXPECT_EQ(Contents("New/Version.ini"), kVersionTwo);
}

unsigned Mode(const fs::path& file) {
    return static_cast<unsigned>(fs::status(file).permissions());
}

// Both runs as the client makes them, then the programs are started: a replaced program
// keeps its permission bits, a new one in "Progarm" becomes runnable, a new data file does not.
TEST_F(InstallPhaseTest, UpdatedAndNewProgramsStartAfterBothPhases) {
    const std::string player = "#!/bin/sh\necho updated player\n";
    const std::string tool = "#!/bin/sh\necho new tool\n";
    const std::string note = "#!/bin/sh\nexit 0\n";
    // Set-ID bits do not go over to the downloaded content; the permission bits do.
    fs::permissions(installation().Write("TessalPlayer", "#!/bin/sh\necho old player\n"),
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                        fs::perms::set_uid | fs::perms::set_gid);
    fs::permissions(installation().Write("Layout/note.xml", "old note"), fs::perms::owner_read);
    ServeList(ListXml(
        "2", {{"Progarm",
               {{"TessalPlayer.new", "TessalPlayer", ServeUpdateFile("TessalPlayer", player),
                 "TessalPlayer", TextMd5(player), ""},
                {"TessalTool.new", "TessalTool", ServeUpdateFile("TessalTool", tool), "TessalTool",
                 TextMd5(tool), ""}}},
              {"layout",
               {{"note.new", "note.xml", ServeUpdateFile("note.xml", note), "Layout/note.xml",
                 TextMd5(note), ""},
                {"new.new", "new.xml", ServeUpdateFile("new.xml", note), "Layout/new.xml",
                 TextMd5(note), ""}}}}));
    RunDownload();
    RunInstall();
    ASSERT_EQ(InstalledVersionText(), kVersionTwo);

    EXPECT_EQ(Mode(Path("TessalPlayer")), 0750u);
    EXPECT_EQ(Mode(Path("TessalTool")), 0755u);
    EXPECT_EQ(Mode(Path("Layout/note.xml")), 0400u);
    EXPECT_EQ(Mode(Path("Layout/new.xml")) & 0111u, 0u);
    EXPECT_EQ(installation().Run("TessalPlayer").output, "updated player\n");
    EXPECT_EQ(installation().Run("TessalTool").output, "new tool\n");
}

TEST_F(InstallPhaseTest, AMissingLocalListEndsThePhase) {
    RunInstall();
    EXPECT_THAT(LogText(), HasSubstr("XML_ERROR_FILE_NOT_FOUND"));
    EXPECT_EQ(InstalledVersionText(), "<missing>");
}

}  // namespace
}  // namespace tessal::updater::test
