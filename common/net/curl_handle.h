#pragma once

// The libcurl set-up shared by the request and the whole-file download (internal to
// this module). Every transfer gets its own easy handle: no connection reuse, no cookie
// store, nothing cached between calls.

#include <curl/curl.h>

#include <atomic>
#include <memory>
#include <string>
#include <string_view>

namespace tessal::curl_detail {

struct EasyHandleDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyHandleDeleter>;

struct HeaderListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, HeaderListDeleter>;

// A fresh handle aimed at RequestUrl(url): direct connection (proxy variables of the
// environment ignored), HTTP/1.1, http and https only, up to 10 redirects followed,
// our user agent, no signals. Null when libcurl cannot make one.
EasyHandle NewEasyHandle(std::string_view url, long connect_timeout_ms);

// Makes the transfer end as failed soon after `abandon` turns true (libcurl asks about
// once a second when idle); nothing when `abandon` is null.
bool SetAbandon(CURL* handle, const std::atomic<bool>* abandon);

// Appends one header line; false when libcurl is out of memory.
bool AppendHeader(HeaderList& list, const std::string& line);

}  // namespace tessal::curl_detail
