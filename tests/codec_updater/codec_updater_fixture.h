#pragma once

// The real TessalUpdataCodes in a temporary installation against a reference site, and
// the console it leaves behind.

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/support/installation/test_installation.h"

namespace tessal::codecs {

class CodecUpdaterTest : public ::testing::Test {
protected:
    CodecUpdaterTest();
    void SetUp() override;

    // The folders a full installation has for the codec files and the second engine copy.
    void CreateTargetFolders() const;
    // Site.ini's codec host becomes 127.0.0.1 on `port`.
    void PointCodecHostAt(int port) const;
    // Runs the program with shortened waits; `input` is its whole standard input.
    test::ProcessResult RunUpdater(const std::string& input = "\n");

    std::filesystem::path Installed(const std::filesystem::path& relative) const {
        return installation_.folder() / relative;
    }
    // The messages of the last run's console, each line's time stamp checked (well formed,
    // within the run) and removed.
    std::vector<std::string> Messages(const std::string& output) const;

    test::TestInstallation installation_;

private:
    std::time_t run_started_ = 0;
    std::time_t run_ended_ = 0;
};

// The bytes the site serves at `path` of the codec host: the built engine at the engine's
// address, made-up bytes elsewhere.
std::string SiteFileContent(const std::string& path);

// The console of a whole run in which exactly the downloads named in `failed` fail (a file
// name, or "APlayer1" / "APlayer2" for the engine copies); built from the site's files.
std::vector<std::string> ExpectedMessages(const std::set<std::string>& failed);

// Every label a run prints, in order: the file names, then "APlayer1" and "APlayer2".
std::vector<std::string> DownloadLabels();

}  // namespace tessal::codecs
