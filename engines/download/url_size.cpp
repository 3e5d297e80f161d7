#include "engines/download/url_size.h"

#include <curl/curl.h>

#include <memory>

namespace tessal::xldl {

std::optional<std::int64_t> FileSizeOfUrl(const std::string& url,
                                          const EngineSettingsSnapshot& settings) {
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(),
                                                                   &curl_easy_cleanup);
    if (!curl)
        return std::nullopt;
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 10L);
    if (!settings.user_agent.empty())
        curl_easy_setopt(curl.get(), CURLOPT_USERAGENT, settings.user_agent.c_str());
    // An empty proxy turns off curl's reading of http_proxy and the like, an empty
    // exception list that of no_proxy.
    curl_easy_setopt(curl.get(), CURLOPT_PROXY, settings.proxy.url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_NOPROXY, "");
    if (!settings.proxy.url.empty()) {
        curl_easy_setopt(curl.get(), CURLOPT_PROXYUSERNAME, settings.proxy.user.c_str());
        curl_easy_setopt(curl.get(), CURLOPT_PROXYPASSWORD, settings.proxy.password.c_str());
    }
    if (curl_easy_perform(curl.get()) != CURLE_OK)
        return std::nullopt;
    long status = 0;
    curl_off_t length = -1;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (status < 200 || status >= 300 || length < 0)
        return std::nullopt;
    return static_cast<std::int64_t>(length);
}

}  // namespace tessal::xldl
