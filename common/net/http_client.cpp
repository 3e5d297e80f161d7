#include "common/net/http_client.h"

#include "common/net/curl_handle.h"
#include "common/net/url.h"

namespace tessal {
namespace {

using curl_detail::HeaderList;

// The site has always received exactly these lines, in this order, after "Host:".
// "Referer:" has no blank after the colon, and the form content type goes with GET too.
// The referrer is escaped like the request line, so no byte of a URL can break a line.
// Content-Length follows from libcurl for POST; "Expect:" only suppresses its
// "100-continue" and is not sent.
HeaderList RequestHeaders(std::string_view url, std::string_view cookie) {
    HeaderList headers;
    std::string lines[] = {
        "User-Agent: " + std::string(HttpUserAgent()),
        "Accept: */*",
        "Referer:" + EscapedUrl(url),
        "Accept-Language: zh-cn",
        "Content-Type: application/x-www-form-urlencoded",
        cookie.empty() ? std::string() : "Cookie: " + std::string(cookie),
        "Expect:",
    };
    for (const std::string& line : lines) {
        if (!line.empty() && !curl_detail::AppendHeader(headers, line)) {
            return nullptr;
        }
    }
    return headers;
}

struct ReplySink {
    std::string text;
    std::size_t limit;  // 0: none
};

// Taking less than was given ends the transfer as failed.
size_t AppendToReply(char* data, size_t size, size_t count, void* sink_pointer) {
    auto* sink = static_cast<ReplySink*>(sink_pointer);
    const std::size_t bytes = size * count;
    if (sink->limit != 0 && sink->text.size() + bytes > sink->limit)
        return 0;
    sink->text.append(data, bytes);
    return bytes;
}

bool SetBody(CURL* handle, std::string_view body) {
    // A null field pointer would make libcurl read the body from stdin instead.
    static constexpr char kEmpty[] = "";
    const char* data = body.empty() ? kEmpty : body.data();
    auto size = static_cast<curl_off_t>(body.size());
    return curl_easy_setopt(handle, CURLOPT_POST, 1L) == CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, size) == CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_POSTFIELDS, data) == CURLE_OK;
}

}  // namespace

std::string SendRequest(std::string_view url, std::string_view body, std::string_view cookie,
                        HttpMethod method, const HttpTimeouts& timeouts) {
    curl_detail::EasyHandle handle = curl_detail::NewEasyHandle(url, timeouts.connect_ms);
    HeaderList headers = RequestHeaders(url, cookie);
    if (!handle || !headers) {
        return {};
    }
    ReplySink reply{{}, timeouts.max_reply_bytes};
    CURL* easy = handle.get();
    bool ready = curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get()) == CURLE_OK &&
                 curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, timeouts.total_ms) == CURLE_OK &&
                 curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &AppendToReply) == CURLE_OK &&
                 curl_easy_setopt(easy, CURLOPT_WRITEDATA, &reply) == CURLE_OK;
    ready = ready && curl_detail::SetAbandon(easy, timeouts.abandon) &&
            (method == HttpMethod::kGet || SetBody(easy, body));
    if (!ready || curl_easy_perform(easy) != CURLE_OK) {
        return {};
    }
    return std::move(reply.text);
}

}  // namespace tessal
