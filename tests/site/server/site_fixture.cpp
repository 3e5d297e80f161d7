#include "tests/site/server/site_fixture.h"

#include <curl/curl.h>
#include <strings.h>

namespace tessal::site::test {
namespace {

size_t Collect(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

size_t CollectHeader(char* data, size_t size, size_t count, void* target) {
    const std::string line(data, size * count);
    auto* fetched = static_cast<Fetched*>(target);
    const auto value = [&](const char* name) {
        std::string text = line.substr(std::string(name).size());
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
            text.pop_back();
        return text;
    };
    if (strncasecmp(line.c_str(), "Content-Type: ", 14) == 0) {
        fetched->content_type = value("Content-Type: ");
    }
    if (strncasecmp(line.c_str(), "Content-Range: ", 15) == 0) {
        fetched->content_range = value("Content-Range: ");
    }
    return size * count;
}

// One transfer; `method` empty means GET, or POST when `post`.
Fetched Perform(const std::string& method, const std::string& url, const std::string& range,
                bool post, const std::string& body, long timeout_ms) {
    Fetched fetched;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    if (!method.empty())
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &fetched.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, CollectHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &fetched);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeout_ms);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    if (!range.empty())
        curl_easy_setopt(curl, CURLOPT_RANGE, range.c_str());
    if (post) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    }
    fetched.curl_code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &fetched.status);
    curl_easy_cleanup(curl);
    return fetched;
}

}  // namespace

Fetched FetchWith(const std::string& method, const std::string& url, const std::string& body) {
    return Perform(method, url, "", !body.empty(), body, 20000);
}

Fetched Fetch(const std::string& url, const std::string& range, bool post, const std::string& body,
              long timeout_ms) {
    return Perform("", url, range, post, body, timeout_ms);
}

}  // namespace tessal::site::test
