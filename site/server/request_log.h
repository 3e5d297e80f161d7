#pragma once

// Every request the site received, in arrival order, so that tests can assert on the
// exact host, path, headers and body a program sent. Optionally mirrored as JSON lines
// to a file that a maintainer can follow while the demo runs.

#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace tessal::site {

struct RecordedRequest {
    std::uint64_t sequence = 0;
    std::string host;  // the Site.ini key of the host ("MainSite", ...) or "Control"
    int port = 0;
    std::string method;
    std::string path;    // percent-decoded, as routed
    std::string target;  // the request line's target as sent
    std::string query;   // the raw text after "?", empty when none
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::string remote_address;

    std::string Header(const std::string& name) const;  // first match, any letter case
};

class RequestLog {
public:
    // Also appends each request as one JSON line to `file` (when not empty).
    bool MirrorTo(const std::string& file);
    void StopMirror();

    std::uint64_t Add(RecordedRequest request);
    std::vector<RecordedRequest> Since(std::uint64_t sequence) const;  // those after it
    std::vector<RecordedRequest> All() const { return Since(0); }
    // The requests to one host and exact path, oldest first.
    std::vector<RecordedRequest> To(const std::string& host, const std::string& path) const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<RecordedRequest> requests_;
    std::uint64_t next_sequence_ = 1;
    std::ofstream mirror_;
};

// One request as a JSON object. The body goes as text when it is valid UTF-8 and always
// as base64, since form bodies in the site code page are not UTF-8.
std::string RequestToJson(const RecordedRequest& request);
std::string RequestsToJson(const std::vector<RecordedRequest>& requests);

}  // namespace tessal::site
