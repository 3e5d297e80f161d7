#pragma once

// A reference site of its own for each test, on a free range of loopback ports, and a
// plain libcurl fetch that shows what the programs' HTTP client hides: the status, the
// headers and byte ranges.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/net/http_client.h"
#include "site/server/reference_site.h"

namespace tessal::site::test {

struct Fetched {
    int curl_code = 0;
    long status = 0;
    std::string body;
    std::string content_type;
    std::string content_range;
};

// GET `url` (POST `body` when `post`), asking for `range` ("100-199") when not empty.
Fetched Fetch(const std::string& url, const std::string& range = "", bool post = false,
              const std::string& body = "", long timeout_ms = 20000);

// Any method, for the control port.
Fetched FetchWith(const std::string& method, const std::string& url, const std::string& body);

class SiteTest : public ::testing::Test {
protected:
    void SetUp() override {
        site_ = std::make_unique<ReferenceSite>(Options());
        std::string error;
        ASSERT_TRUE(site_->Start(error)) << error;
    }
    void TearDown() override { site_.reset(); }

    virtual SiteOptions Options() const {
        SiteOptions options = DefaultSiteOptions();
        options.base_port = 0;
        return options;
    }

    std::string Url(SiteHost host, const std::string& path) const {
        return site_->urls().HostUrl(host) + path;
    }
    std::string Post(SiteHost host, const std::string& path, const std::string& body) const {
        return SendRequest(Url(host, path), body, "", HttpMethod::kPost);
    }
    std::string Get(SiteHost host, const std::string& path) const {
        return SendRequest(Url(host, path), "", "", HttpMethod::kGet);
    }

    std::unique_ptr<ReferenceSite> site_;
};

}  // namespace tessal::site::test
