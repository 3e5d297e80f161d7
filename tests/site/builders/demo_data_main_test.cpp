// The command line of tessal-demo-data: exit statuses, where messages go, and one whole
// installation made through it.

#include <gtest/gtest.h>

#include "site/builders/installation_builder.h"
#include "site/builders/media_builder.h"
#include "site/builders/run_program.h"
#include "tests/site/builders/query_rows.h"
#include "tests/support/temp_folder.h"

namespace tessal::site {
namespace {

namespace fs = std::filesystem;

ProgramResult RunDemoData(std::vector<std::string> args) {
    args.insert(args.begin(), TESSAL_DEMO_DATA_PROGRAM);
    return RunProgram(args);
}

TEST(DemoDataProgram, HelpGoesToStandardOutput) {
    const ProgramResult help = RunDemoData({"--help"});
    EXPECT_EQ(help.exit_status, 0);
    EXPECT_NE(help.output.find("tessal-demo-data install FOLDER --site-ini FILE"),
              std::string::npos);
    EXPECT_EQ(help.errors, "");
}

TEST(DemoDataProgram, BadCommandLinesGiveUsageAndStatus2) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {},
             {"media"},
             {"build", "out"},
             {"media", "out", "--site-ini", "x"},
             {"media", "out", "--data"},
             {"install", "folder"},
             {"install", "folder", "--site-ini", "a", "--site-ini", "b"},
             {"install", "--site-ini", "a"},
             {"--help", "extra"}}) {
        const ProgramResult result = RunDemoData(args);
        EXPECT_EQ(result.exit_status, 2) << ::testing::PrintToString(args);
        EXPECT_NE(result.errors.find("Usage:"), std::string::npos);
        EXPECT_EQ(result.output, "");
    }
}

TEST(DemoDataProgram, ErrorsGoToStandardErrorWithStatus1) {
    TempFolder folder;
    const ProgramResult no_data = RunDemoData({"media", (folder.path() / "media").string(),
                                               "--data", (folder.path() / "no-data").string()});
    EXPECT_EQ(no_data.exit_status, 1);
    EXPECT_NE(no_data.errors.find("no-data"), std::string::npos) << no_data.errors;

    const fs::path site_ini = folder.path() / "missing.ini";
    const ProgramResult no_site = RunDemoData(
        {"install", (folder.path() / "install").string(), "--site-ini", site_ini.string()});
    EXPECT_EQ(no_site.exit_status, 1);
    EXPECT_NE(no_site.errors.find(site_ini.string()), std::string::npos) << no_site.errors;
}

TEST(DemoDataProgram, InstallsFromTheDefaultDataSet) {
    TempFolder folder;
    DemoData data;
    std::string error;
    ASSERT_TRUE(LoadDemoData(TESSAL_DEMO_DATA_DIR, data, error)) << error;
    for (const MediaClip& clip : data.clips) {
        folder.Write(fs::path("media") / kClipsFolder / (clip.name + ".webm"), clip.name);
    }
    const fs::path site_ini = folder.Write("Site.ini", "[Hosts]\nDownload1=127.0.0.1:23456\n");
    const fs::path install = folder.path() / "install";
    const ProgramResult result =
        RunDemoData({"install", install.string(), "--media", (folder.path() / "media").string(),
                     "--site-ini", site_ini.string()});
    ASSERT_EQ(result.exit_status, 0) << result.errors;
    EXPECT_EQ(
        QueryRows(install / "codecs/Course.dll", "SELECT Fdownurl FROM t_lesson WHERE Fid=10101"),
        std::vector<std::string>{"http://127.0.0.1:23456/lessons/101/kj101-01.tessal"});
    EXPECT_TRUE(fs::is_regular_file(install / kDownloadFolder / data.courses[0].type /
                                    data.courses[0].name / data.courses[0].lessons[0].file));
}

}  // namespace
}  // namespace tessal::site
