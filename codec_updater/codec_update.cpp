#include "codec_updater/codec_update.h"

#include "codec_updater/codec_downloads.h"

namespace tessal::codecs {
namespace {

using std::chrono::milliseconds;

// The player closes itself shortly after starting this program; these pauses give it
// the time to do so before it is ended and its files are replaced.
constexpr milliseconds kAfterGreeting{1000};
constexpr milliseconds kBeforeEndingPlayer{1000};
constexpr milliseconds kAfterEndingPlayer{2000};
constexpr milliseconds kBetweenDownloads{500};

constexpr std::streamsize kExitLineLength = 260;

void EndPlayer(const CodecUpdateActions& actions) {
    actions.print("开始更新播放解码文件......");
    actions.wait(kAfterGreeting);
    actions.print("关闭播放器程序......");
    actions.wait(kBeforeEndingPlayer);
    actions.end_player();
    actions.wait(kAfterEndingPlayer);
}

void Fetch(const std::string& codec_host_url, const CodecDownload& file,
           const CodecUpdateActions& actions, CodecUpdateTotals& totals) {
    actions.print(file.start_message);
    if (actions.download(codec_host_url + file.url_path, file.local)) {
        ++totals.succeeded;
        actions.print(file.label + " 更新成功");
    } else {
        ++totals.failed;
        actions.print(file.label + " 更新失败");
    }
}

CodecUpdateTotals FetchAll(const std::string& codec_host_url, const CodecUpdateActions& actions) {
    actions.print("开始更新......");
    CodecUpdateTotals totals;
    const auto& downloads = CodecDownloads();
    for (std::size_t i = 0; i < downloads.size(); ++i) {
        Fetch(codec_host_url, downloads[i], actions, totals);
        if (i + 1 < downloads.size()) {
            actions.wait(kBetweenDownloads);
        }
    }
    return totals;
}

void AwaitExitLine(const CodecUpdateActions& actions, std::istream& input) {
    actions.print("输入任意键退出......");
    input.ignore(kExitLineLength, '\n');
}

}  // namespace

CodecUpdateTotals RunCodecUpdate(const std::string& codec_host_url,
                                 const CodecUpdateActions& actions, std::istream& input) {
    EndPlayer(actions);
    const CodecUpdateTotals totals = FetchAll(codec_host_url, actions);
    actions.print("更新成功:" + std::to_string(totals.succeeded) +
                  "更新失败:" + std::to_string(totals.failed));
    AwaitExitLine(actions, input);
    return totals;
}

}  // namespace tessal::codecs
