#include "tests/codec_updater/codec_updater_fixture.h"

#include <regex>
#include <sstream>

#include "site/server/codec_files.h"
#include "tests/support/temp_folder.h"

namespace tessal::codecs {
namespace {

namespace fs = std::filesystem;

// No field is zero padded: a lone "0" or a number without leading zeros.
const std::regex kConsoleLine(
    "\\[([1-9][0-9]{3})年([1-9][0-9]?)月([1-9][0-9]?)日(0|[1-9][0-9]?)时(0|[1-9][0-9]?)分(0|[1-"
    "9][0-9]?)秒\\](.*)");

std::time_t TimeOf(const std::smatch& match) {
    std::tm time{};
    time.tm_year = std::stoi(match[1]) - 1900;
    time.tm_mon = std::stoi(match[2]) - 1;
    time.tm_mday = std::stoi(match[3]);
    time.tm_hour = std::stoi(match[4]);
    time.tm_min = std::stoi(match[5]);
    time.tm_sec = std::stoi(match[6]);
    time.tm_isdst = -1;
    return std::mktime(&time);
}

site::SiteOptions ServingTheBuiltEngine() {
    site::SiteOptions options = site::DefaultSiteOptions();
    options.engine_file = TESSAL_APLAYER_ENGINE;
    return options;
}

}  // namespace

std::string SiteFileContent(const std::string& path) {
    return path == site::kEnginePath ? FileContents(TESSAL_APLAYER_ENGINE)
                                     : site::CodecFileContent(path);
}

CodecUpdaterTest::CodecUpdaterTest() : installation_(ServingTheBuiltEngine()) {}

void CodecUpdaterTest::SetUp() {
    ASSERT_TRUE(installation_.ok()) << installation_.error();
    ASSERT_TRUE(installation_.AddProgram(TESSAL_CODEC_UPDATER_PROGRAM));
}

void CodecUpdaterTest::CreateTargetFolders() const {
    fs::create_directories(Installed("codecs/lavfilters"));
    fs::create_directories(Installed("Apdll"));
}

void CodecUpdaterTest::PointCodecHostAt(int port) const {
    std::istringstream lines(FileContents(Installed("Site.ini")));
    std::string text;
    for (std::string line; std::getline(lines, line);) {
        text += line.starts_with("Codec=") ? "Codec=127.0.0.1:" + std::to_string(port) : line;
        text += '\n';
    }
    installation_.Write("Site.ini", text);
}

test::ProcessResult CodecUpdaterTest::RunUpdater(const std::string& input) {
    test::RunOptions options;
    options.input = input;
    options.limit = std::chrono::seconds(30);
    options.environment = {{"TESSAL_TEST_WAIT_DIVISOR", "100"}};
    run_started_ = std::time(nullptr);
    test::ProcessResult result = installation_.Run("TessalUpdataCodes", options);
    run_ended_ = std::time(nullptr);
    return result;
}

std::vector<std::string> CodecUpdaterTest::Messages(const std::string& output) const {
    std::vector<std::string> messages;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (!std::regex_match(line, match, kConsoleLine)) {
            ADD_FAILURE() << "not a console line: " << line;
            continue;
        }
        const std::time_t stamp = TimeOf(match);
        EXPECT_TRUE(stamp >= run_started_ && stamp <= run_ended_)
            << "stamped outside the run: " << line;
        messages.push_back(match[7]);
    }
    return messages;
}

std::vector<std::string> DownloadLabels() {
    std::vector<std::string> labels;
    for (const std::string& path : site::CodecFilePaths()) {
        if (path != site::kEnginePath) {
            labels.push_back(fs::path(path).filename().string());
        }
    }
    labels.push_back("APlayer1");
    labels.push_back("APlayer2");
    return labels;
}

std::vector<std::string> ExpectedMessages(const std::set<std::string>& failed) {
    std::vector<std::string> messages = {"开始更新播放解码文件......", "关闭播放器程序......",
                                         "开始更新......"};
    int succeeded = 0;
    for (const std::string& label : DownloadLabels()) {
        const bool engine = label.starts_with("APlayer");
        messages.push_back(engine ? label + " 开始更新" : "开始更新" + label);
        const bool fails = failed.contains(label);
        messages.push_back(label + (fails ? " 更新失败" : " 更新成功"));
        succeeded += fails ? 0 : 1;
    }
    messages.push_back("更新成功:" + std::to_string(succeeded) +
                       "更新失败:" + std::to_string(failed.size()));
    messages.push_back("输入任意键退出......");
    return messages;
}

}  // namespace tessal::codecs
