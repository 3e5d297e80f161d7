// The codec updater under SIGKILL: the real TessalUpdataCodes, fetching the engine and
// decoder files again over the installed ones, is killed at random moments. Every file
// must then be its old or its new self with its mode, and the next run completes.

#include <gtest/gtest.h>

#include <thread>

#include "codec_updater/codec_downloads.h"
#include "site/server/codec_files.h"
#include "tests/crash/crash_report.h"
#include "tests/crash/kill_loop.h"
#include "tests/support/installation/test_installation.h"

namespace tessal::crash {
namespace {

namespace fs = std::filesystem;
using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr int kCodecRounds = 16;
const std::vector<std::pair<std::string, std::string>> kShortWaits = {
    {"TESSAL_TEST_WAIT_DIVISOR", "1000"}};

site::SiteOptions ServingTheBuiltEngine() {
    site::SiteOptions options = site::DefaultSiteOptions();
    options.engine_file = TESSAL_APLAYER_ENGINE;
    return options;
}

struct CodecFile {
    fs::path local;
    std::string old_content;
    std::string new_content;
    unsigned mode;
};

class CodecUpdaterCrashTest : public ::testing::Test {
protected:
    CodecUpdaterCrashTest() : installation_(ServingTheBuiltEngine()) {}

    void SetUp() override {
        ASSERT_TRUE(installation_.ok()) << installation_.error();
        ASSERT_TRUE(installation_.AddProgram(TESSAL_CODEC_UPDATER_PROGRAM));
        fs::create_directories(installation_.folder() / "codecs/lavfilters");
        fs::create_directories(installation_.folder() / "Apdll");
        for (const auto& download : codecs::CodecDownloads()) {
            const std::string served = download.url_path == site::kEnginePath
                                           ? FileContents(TESSAL_APLAYER_ENGINE)
                                           : site::CodecFileContent(download.url_path);
            ASSERT_FALSE(served.empty()) << download.url_path;
            // An older build: the same library with something after it, still loadable.
            const bool library = download.local.extension() == ".so";
            files_.push_back(
                {download.local, served + "\n(old version)\n", served, library ? 0755u : 0644u});
        }
    }

    void InstallOldFiles() const {
        for (const CodecFile& file : files_) {
            installation_.Write(file.local, file.old_content);
            fs::permissions(installation_.folder() / file.local, static_cast<fs::perms>(file.mode));
        }
    }

    void CheckFiles(bool complete, CrashTally& tally) const {
        for (const CodecFile& file : files_) {
            const fs::path path = installation_.folder() / file.local;
            const std::string bytes = FileContents(path);
            if (bytes != file.new_content && (complete || bytes != file.old_content))
                tally.Fail(file.local.string() +
                           (complete ? " is not the new version" : " is neither old nor new"));
            else if (PermissionBits(path) != file.mode)
                tally.Fail(file.local.string() + " lost its mode");
        }
    }

    Program Start() const {
        return Program(installation_.folder() / "TessalUpdataCodes", {}, installation_.folder(),
                       kShortWaits);
    }

    test::TestInstallation installation_;
    std::vector<CodecFile> files_;
};

TEST_F(CodecUpdaterCrashTest, AKilledRunLeavesOldOrNewFilesAndTheNextRunCompletes) {
    InstallOldFiles();
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(Start().Wait(milliseconds(30000)), 0);
    const auto whole =
        std::chrono::duration_cast<microseconds>(std::chrono::steady_clock::now() - started);
    KillClock clock("TessalUpdataCodes");
    CrashTally tally("TessalUpdataCodes");
    int leftovers = 0;
    for (int round = 0; round < kCodecRounds * KillScale(); ++round) {
        InstallOldFiles();
        Program run = Start();
        std::this_thread::sleep_for(clock.Between(microseconds(0), whole));
        if (!run.Kill())
            continue;  // the whole run fitted in the pause
        ++tally.kills;
        const int now = CountTemporaries(installation_.folder()) +
                        CountTemporaries(installation_.folder() / "codecs") +
                        CountTemporaries(installation_.folder() / "codecs/lavfilters") +
                        CountTemporaries(installation_.folder() / "Apdll");
        tally.temporaries += now > leftovers ? 1 : 0;
        leftovers = now;
        CheckFiles(false, tally);
        Program next = Start();
        if (next.Wait(milliseconds(30000)) != 0)
            tally.Fail("the next run ended with " + next.status());
        CheckFiles(true, tally);
    }
    std::cout << "whole run " << whole.count() / 1000 << " ms" << std::endl;
    ExpectNoFaults(tally);
}

}  // namespace
}  // namespace tessal::crash
