// The real program against the reference site: what lands where, what the console says,
// and that failures only count.

#include <gtest/gtest.h>

#include <filesystem>

#include "engines/video/loader/aplayer_loader.h"
#include "site/server/codec_files.h"
#include "tests/codec_updater/codec_updater_fixture.h"
#include "tests/support/refused_port.h"
#include "tests/support/temp_folder.h"

namespace tessal::codecs {
namespace {

namespace fs = std::filesystem;

// Where each of the site's files must land, the engine in both places.
std::vector<std::pair<std::string, fs::path>> SiteFilesAndTargets() {
    std::vector<std::pair<std::string, fs::path>> targets;
    for (const std::string& path : site::CodecFilePaths()) {
        const std::string name = fs::path(path).filename().string();
        if (path == site::kEnginePath) {
            targets.emplace_back(path, kAPlayerEngineLibrary);
            targets.emplace_back(path, fs::path("Apdll") / kAPlayerEngineLibrary);
        } else if (path.starts_with(site::kFilterFolderPath)) {
            targets.emplace_back(path, fs::path("codecs/lavfilters") / name);
        } else {
            targets.emplace_back(path, fs::path("codecs") / name);
        }
    }
    return targets;
}

site::FaultRule CodecHostRule(const std::string& path) {
    site::FaultRule rule;
    rule.host = "Codec";
    rule.path = path;
    return rule;
}

void ExpectEnded(const test::ProcessResult& result) {
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.exit_status, 0) << result.errors;
}

TEST_F(CodecUpdaterTest, ReplacesEveryFileWithTheSitesCopy) {
    CreateTargetFolders();
    installation_.Write("codecs/adetection.dll", "an older decoder");
    installation_.Write(fs::path("Apdll") / kAPlayerEngineLibrary, "an older engine");

    const test::ProcessResult result = RunUpdater();

    ExpectEnded(result);
    EXPECT_EQ(Messages(result.output), ExpectedMessages({}));
    const auto targets = SiteFilesAndTargets();
    ASSERT_EQ(targets.size(), 24u);
    for (const auto& [path, target] : targets) {
        EXPECT_EQ(FileContents(Installed(target)), SiteFileContent(path)) << target;
    }
}

bool CallerLoads(const fs::path& folder) {
    APlayerLoader loader([](const std::string&, const std::string&) {});
    return loader.Load(folder);
}

// The installation's caller beside an engine that lacks an entry point: the player would
// refuse it. After a run the caller finds a complete engine where it looks for one.
TEST_F(CodecUpdaterTest, ARunReplacesTheEngineTheCallerLoads) {
    CreateTargetFolders();
    ASSERT_TRUE(installation_.AddProgram(TESSAL_APLAYER_CALLER));
    const std::string incomplete = FileContents(TESSAL_APLAYER_INCOMPLETE_ENGINE);
    installation_.Write(kAPlayerEngineLibrary, incomplete);
    installation_.Write(fs::path("Apdll") / kAPlayerEngineLibrary, incomplete);
    ASSERT_FALSE(CallerLoads(installation_.folder()));

    ExpectEnded(RunUpdater());

    EXPECT_TRUE(CallerLoads(installation_.folder()));
    EXPECT_EQ(FileContents(Installed(fs::path("Apdll") / kAPlayerEngineLibrary)),
              FileContents(TESSAL_APLAYER_ENGINE));
}

TEST_F(CodecUpdaterTest, UnreachableCodecHostFailsEveryDownloadAndStillEnds) {
    CreateTargetFolders();
    const test::RefusedPort refused;
    ASSERT_NE(refused.port(), 0);
    PointCodecHostAt(refused.port());

    const test::ProcessResult result = RunUpdater();

    ExpectEnded(result);
    const auto labels = DownloadLabels();
    EXPECT_EQ(Messages(result.output), ExpectedMessages({labels.begin(), labels.end()}));
    for (const auto& [path, target] : SiteFilesAndTargets()) {
        EXPECT_FALSE(fs::exists(Installed(target))) << target;
    }
}

TEST_F(CodecUpdaterTest, MissingApdllFolderFailsOnlyTheSecondEngineCopy) {
    fs::create_directories(Installed("codecs/lavfilters"));
    fs::remove_all(Installed("Apdll"));  // an installation that lost it

    const test::ProcessResult result = RunUpdater();

    ExpectEnded(result);
    EXPECT_EQ(Messages(result.output), ExpectedMessages({"APlayer2"}));
    EXPECT_EQ(FileContents(Installed(kAPlayerEngineLibrary)), SiteFileContent(site::kEnginePath));
    EXPECT_FALSE(fs::exists(Installed("Apdll")));
}

TEST_F(CodecUpdaterTest, FailedFilesKeepTheirOldCopyAndTheRunGoesOn) {
    CreateTargetFolders();
    const std::string refused = std::string(site::kCodecFolderPath) + "apng.dll";
    const std::string cut = std::string(site::kFilterFolderPath) + "avutil-54.dll";
    site::FaultRule not_found = CodecHostRule(refused);
    not_found.status = 404;
    site::FaultRule cut_off = CodecHostRule(cut);
    cut_off.cut_after_bytes = 100;
    installation_.site().faults().Add(not_found);
    installation_.site().faults().Add(cut_off);
    installation_.Write("codecs/apng.dll", "old apng");
    installation_.Write("codecs/lavfilters/avutil-54.dll", "old avutil");

    const test::ProcessResult result = RunUpdater();

    ExpectEnded(result);
    EXPECT_EQ(Messages(result.output), ExpectedMessages({"apng.dll", "avutil-54.dll"}));
    EXPECT_EQ(FileContents(Installed("codecs/apng.dll")), "old apng");
    EXPECT_EQ(FileContents(Installed("codecs/lavfilters/avutil-54.dll")), "old avutil");
    const std::string next = std::string(site::kCodecFolderPath) + "audioswitcher.dll";
    EXPECT_EQ(FileContents(Installed("codecs/audioswitcher.dll")), site::CodecFileContent(next));
}

TEST_F(CodecUpdaterTest, EndOfInputAtThePromptEndsTheProgram) {
    const test::ProcessResult result = RunUpdater("");

    ExpectEnded(result);
    const auto messages = Messages(result.output);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "输入任意键退出......");
}

}  // namespace
}  // namespace tessal::codecs
