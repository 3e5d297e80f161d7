#include "client/messages/push_poller.h"

#include <optional>
#include <utility>

#include "client/messages/web_link.h"
#include "common/base/system_waits.h"
#include "common/base/text_codec.h"
#include "common/base/trace.h"
#include "common/net/file_download.h"
#include "common/net/http_client.h"

namespace tessal::client {
namespace {

constexpr std::chrono::milliseconds kPollInterval{300000};
constexpr const char* kPushPath = "/GetDiscuzPush.php";
// A message is a few hundred bytes; anything near this is no message.
constexpr std::size_t kMaxReplyBytes = 1024 * 1024;
constexpr HttpTimeouts kPollTimeouts{10000, 30000, nullptr, kMaxReplyBytes};
constexpr const char* kPictureFile = "cache/PushImg.png";
constexpr long long kMaxPictureBytes = 8LL * 1024 * 1024;
constexpr long kPictureTimeoutMs = 60000;

std::optional<PopupKind> KindOf(const std::string& mode) {
    if (mode == "1")
        return PopupKind::kText;
    if (mode == "2")
        return PopupKind::kPicture;
    if (mode == "3")
        return PopupKind::kCustom;
    return std::nullopt;
}

PopupData DataOf(const PushMessage& message) {
    PopupData data;
    data.title = message.title;
    data.content = message.content;
    data.link = message.link;
    data.picture_url = message.picture_url;
    data.custom_url = message.custom_url;
    return data;
}

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

}  // namespace

PushPoller::PushPoller(PushPollerContext context) : context_(std::move(context)) {}

PushPoller::~PushPoller() {
    Stop();
}

bool PushPoller::Start(const std::string& account, const std::string& uid) {
    if (started_.exchange(true))
        return false;
    return thread_.Start([this, account, uid] { Run(account, uid); });
}

void PushPoller::Stop() {
    thread_.Close();
}

// A failing step (out of memory, a callback that throws) ends polling for this login
// without taking the client down.
void PushPoller::Run(std::string account, std::string uid) {
    try {
        do {
            PollOnce(account, uid);
        } while (thread_.WaitFor(SystemWait(kPollInterval)));
    } catch (...) {
        Trace("push poller ended by an exception");
    }
}

// An empty mode is no message; a mode without a popup is still stored.
void PushPoller::PollOnce(const std::string& account, const std::string& uid) {
    const auto message = ParsePushReply(FetchReply(uid), uid);
    if (!message || message->mode.empty() || thread_.ending())
        return;
    Announce(*message);
    Store(account, *message);
}

// The site answers "0" when nothing waits, so an empty reply is always a failed poll.
std::string PushPoller::FetchReply(const std::string& uid) {
    if (thread_.ending())
        return {};
    HttpTimeouts timeouts = kPollTimeouts;
    timeouts.abandon = &thread_.ending();
    const std::string url = context_.site.HostUrl(SiteHost::kClientData) + kPushPath;
    const std::string bytes =
        SendRequest(url, "mode=2&uid=" + uid, "", HttpMethod::kPost, timeouts);
    if (bytes.empty()) {
        if (!thread_.ending())
            Log("GetDiscuzPush fail: no reply, or a reply over " + std::to_string(kMaxReplyBytes) +
                " bytes");
        return {};
    }
    std::string reply = Utf8FromCodePage(bytes, context_.site.code_page());
    Trace(reply);
    return reply;
}

// The picture is fetched here, before the hand-over, so that the popup only shows a file.
void PushPoller::Announce(const PushMessage& message) {
    const auto kind = KindOf(message.mode);
    if (!kind || context_.popups == nullptr)
        return;
    PopupData data = DataOf(message);
    if (*kind == PopupKind::kPicture)
        data.picture_downloaded = DownloadPicture(message.picture_url);
    context_.popups->Put(*kind, std::move(data));
    if (context_.hand_over)
        context_.hand_over(*kind);
}

// Fetched again for every picture message, even for the URL of the last one.
bool PushPoller::DownloadPicture(const std::string& url) {
    if (!IsWebLink(url))
        return false;
    DownloadOptions options;
    options.total_timeout_ms = kPictureTimeoutMs;
    options.max_bytes = kMaxPictureBytes;
    options.abandon = &thread_.ending();
    if (DownloadToFile(url, context_.program_folder / kPictureFile, options))
        return true;
    Log("PushImg download fail:" + url);
    return false;
}

void PushPoller::Store(const std::string& account, const PushMessage& message) {
    MessageStore* store = context_.store;
    if (store == nullptr)
        return;
    std::string error;
    if (!store->Open(error)) {
        // Closed for good: the client is ending, no box then.
        if (store->closed())
            return;
        const std::string text = "Open cachedatabase fail:" + error;
        Log(text);
        if (context_.report_database_failure)
            context_.report_database_failure(text);
        return;
    }
    const std::tm arrival = context_.now ? context_.now() : LocalNow();
    std::string statement;
    if (!store->Insert(account, StoredText(message), message.link, MessageTime(arrival), statement))
        Log("sqlfail:" + statement);
}

void PushPoller::Log(const std::string& line) const {
    if (context_.log)
        context_.log(line);
}

}  // namespace tessal::client
