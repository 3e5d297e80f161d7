#include "common/net/curl_handle.h"

#include <mutex>

#include "common/net/http_client.h"
#include "common/net/url.h"

namespace tessal::curl_detail {
namespace {

constexpr long kMaxRedirects = 10;

void InitializeCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool ApplyCommonOptions(CURL* handle, const std::string& url, long connect_timeout_ms) {
    const std::string user_agent(HttpUserAgent());
    bool ok = curl_easy_setopt(handle, CURLOPT_URL, url.c_str()) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_PROXY, "") == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_PATH_AS_IS, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_MAXREDIRS, kMaxRedirects) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_FORBID_REUSE, 1L) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_USERAGENT, user_agent.c_str()) == CURLE_OK;
    ok = ok && curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, connect_timeout_ms) == CURLE_OK;
    return ok;
}

// libcurl calls it about once a second when idle and at every transfer step otherwise.
int AbandonWhenAsked(void* abandon, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::atomic<bool>*>(abandon)->load() ? 1 : 0;
}

}  // namespace

EasyHandle NewEasyHandle(std::string_view url, long connect_timeout_ms) {
    InitializeCurlOnce();
    EasyHandle handle(curl_easy_init());
    if (handle && !ApplyCommonOptions(handle.get(), RequestUrl(url), connect_timeout_ms)) {
        handle.reset();
    }
    return handle;
}

bool AppendHeader(HeaderList& list, const std::string& line) {
    curl_slist* extended = curl_slist_append(list.get(), line.c_str());
    if (extended == nullptr) {
        return false;
    }
    list.release();
    list.reset(extended);
    return true;
}

bool SetAbandon(CURL* handle, const std::atomic<bool>* abandon) {
    if (abandon == nullptr)
        return true;
    // libcurl hands the data pointer back as void*; the flag is only read through it.
    void* flag = const_cast<std::atomic<bool>*>(abandon);
    return curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &AbandonWhenAsked) == CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_XFERINFODATA, flag) == CURLE_OK &&
           curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L) == CURLE_OK;
}

}  // namespace tessal::curl_detail
