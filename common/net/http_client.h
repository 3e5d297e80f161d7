#pragma once

// The one blocking HTTP exchange every program has with the site: a fixed browser-like
// header set, one connection per request, and the reply body as the bytes received.

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

namespace tessal {

enum class HttpMethod { kGet = 0, kPost = 1 };

// A hung server must not hang the calling thread forever.
struct HttpTimeouts {
    long connect_ms = 10000;
    long total_ms = 60000;
    // Looked at while the request runs (at least once a second): once true, the request
    // ends at once as a failure (the program is ending and nobody waits for the answer).
    const std::atomic<bool>* abandon = nullptr;
    // A reply longer than this (0: no limit) is no answer the caller can use: the request
    // ends as a failure once it is passed, instead of filling memory.
    std::size_t max_reply_bytes = 0;
};

constexpr std::string_view HttpUserAgent() {
    return "Mozilla / 4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
}

// Sends `body` (already form-encoded; ignored for GET) to `url` with `cookie` when it is
// not empty. Returns the reply body whatever the status (an error page comes back like
// any page); empty on any transfer failure, a reply cut off before its announced length
// included. Redirects are followed. A blank or raw byte in the path or query of `url`
// goes out escaped (RequestUrl), in the request line and the referrer alike.
std::string SendRequest(std::string_view url, std::string_view body, std::string_view cookie,
                        HttpMethod method, const HttpTimeouts& timeouts = {});

}  // namespace tessal
