#pragma once

// A small HTTP server on 127.0.0.1 for tests: it records every request byte for byte
// and answers each one with a scripted reply, including the misbehaving kinds a client
// must survive (cut off, stalled, silent, throttled). Connections are served one at a
// time, in order of arrival, on the server's own thread.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tessal::test {

struct CapturedRequest {
    std::string head;  // request line and header lines as received, through the blank line
    std::string request_line;
    std::vector<std::string> header_lines;  // in order, without line ends
    std::string body;                       // as many bytes as Content-Length announced

    std::string Method() const;
    std::string Target() const;  // path and query
    // The value of the first header named `name` (any case); empty when absent.
    std::string HeaderValue(std::string_view name) const;
};

struct ScriptedReply {
    enum class Kind {
        kComplete,   // status, headers and the whole body, then close
        kCutOff,     // announces the whole body, sends `body_bytes_sent`, then closes
        kStall,      // announces the whole body, sends `body_bytes_sent`, then holds still
        kSilent,     // reads the request, sends nothing, holds the connection open
        kThrottled,  // the whole body in `chunk_bytes` pieces, `chunk_interval` apart
    };
    Kind kind = Kind::kComplete;
    int status = 200;
    std::vector<std::string> extra_header_lines;  // e.g. "Location: /next"
    std::string body;
    std::size_t body_bytes_sent = 0;
    std::size_t chunk_bytes = 1;
    std::chrono::milliseconds chunk_interval{0};

    static ScriptedReply Ok(std::string body);
    static ScriptedReply WithStatus(int status, std::string body);
    static ScriptedReply Redirect(int status, std::string location);
    static ScriptedReply CutOff(std::string body, std::size_t body_bytes_sent);
    static ScriptedReply Stall(std::string body, std::size_t body_bytes_sent);
    static ScriptedReply Silent();
    static ScriptedReply Throttled(std::string body, std::size_t chunk_bytes,
                                   std::chrono::milliseconds chunk_interval);
};

class LoopbackHttpServer {
public:
    // Listens on 127.0.0.1:`port` (0: an ephemeral port) and starts serving.
    explicit LoopbackHttpServer(std::uint16_t port = 0);
    // Stops serving, drops any connection held open and joins the thread.
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    std::uint16_t port() const { return port_; }
    std::string HostAndPort() const;               // "127.0.0.1:<port>"
    std::string Url(std::string_view path) const;  // "http://127.0.0.1:<port>" + path

    // The reply to requests for `path` (query not compared); others get the default
    // reply, which starts as a 404 page.
    void SetReply(const std::string& path, ScriptedReply reply);
    void SetDefaultReply(ScriptedReply reply);
    // Stops recording requests (a long benchmark run would only grow the list).
    void SetRecording(bool recording);

    std::vector<CapturedRequest> Requests() const;
    std::size_t RequestCount() const;

private:
    void Run();
    void Serve(int connection);
    ScriptedReply ReplyFor(const CapturedRequest& request) const;
    void Record(const CapturedRequest& request);

    int listener_ = -1;
    int wake_read_ = -1;
    int wake_write_ = -1;
    std::uint16_t port_ = 0;

    mutable std::mutex mutex_;
    std::map<std::string, ScriptedReply> replies_;
    ScriptedReply default_reply_;
    std::vector<CapturedRequest> requests_;
    std::size_t request_count_ = 0;
    bool recording_ = true;

    std::thread thread_;
};

}  // namespace tessal::test
