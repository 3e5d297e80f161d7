#include "tests/support/loopback_http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <stdexcept>
#include <utility>

#include "tests/support/http_wire.h"

namespace tessal::test {
namespace {

constexpr std::size_t kMaxHeadBytes = 64 * 1024;

enum class Wait { kReady, kStopped, kTimedOut };

// Waits until `fd` can be read or the server is told to stop; -1 waits without limit.
Wait WaitReadable(int fd, int wake_fd, int timeout_ms) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {wake_fd, POLLIN, 0}};
    for (;;) {
        int ready = poll(fds, 2, timeout_ms);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready == 0) {
            return Wait::kTimedOut;
        }
        return (ready < 0 || fds[1].revents != 0) ? Wait::kStopped : Wait::kReady;
    }
}

// A pause that ends early when the server stops; true when it ran its full length.
bool Pause(int wake_fd, std::chrono::milliseconds length) {
    return WaitReadable(wake_fd, wake_fd, static_cast<int>(length.count())) == Wait::kTimedOut;
}

bool ReadMore(int fd, int wake_fd, std::string& received) {
    if (WaitReadable(fd, wake_fd, -1) != Wait::kReady) {
        return false;
    }
    char chunk[4096];
    ssize_t count = recv(fd, chunk, sizeof chunk, 0);
    if (count <= 0) {
        return false;
    }
    received.append(chunk, static_cast<std::size_t>(count));
    return true;
}

std::optional<CapturedRequest> ReadRequest(int fd, int wake_fd) {
    std::string received;
    std::size_t head_end;
    while ((head_end = received.find("\r\n\r\n")) == std::string::npos) {
        if (received.size() > kMaxHeadBytes || !ReadMore(fd, wake_fd, received)) {
            return std::nullopt;
        }
    }
    std::size_t body_start = head_end + 4;
    CapturedRequest request = ParseRequestHead(std::string_view(received).substr(0, body_start));
    std::size_t body_length = AnnouncedBodyLength(request);
    while (received.size() < body_start + body_length) {
        if (!ReadMore(fd, wake_fd, received)) {
            return std::nullopt;
        }
    }
    request.body = received.substr(body_start, body_length);
    return request;
}

bool SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

// Holds the connection until the client gives up (or the server stops).
void WaitForClientToLeave(int fd, int wake_fd) {
    std::string ignored;
    while (ReadMore(fd, wake_fd, ignored)) {
        ignored.clear();
    }
}

void SendThrottled(int fd, int wake_fd, const ScriptedReply& reply) {
    if (!SendAll(fd, ReplyHead(reply))) {
        return;
    }
    std::string_view rest = reply.body;
    while (!rest.empty()) {
        std::string_view chunk = rest.substr(0, reply.chunk_bytes);
        rest.remove_prefix(chunk.size());
        if (!SendAll(fd, chunk) || (!rest.empty() && !Pause(wake_fd, reply.chunk_interval))) {
            return;
        }
    }
}

void SendReply(int fd, int wake_fd, const ScriptedReply& reply) {
    using Kind = ScriptedReply::Kind;
    std::string_view body = reply.body;
    switch (reply.kind) {
        case Kind::kComplete:
            SendAll(fd, ReplyHead(reply) + reply.body);
            return;
        case Kind::kCutOff:
            SendAll(fd, ReplyHead(reply) + std::string(body.substr(0, reply.body_bytes_sent)));
            return;
        case Kind::kStall:
            if (SendAll(fd,
                        ReplyHead(reply) + std::string(body.substr(0, reply.body_bytes_sent)))) {
                WaitForClientToLeave(fd, wake_fd);
            }
            return;
        case Kind::kSilent:
            WaitForClientToLeave(fd, wake_fd);
            return;
        case Kind::kThrottled:
            SendThrottled(fd, wake_fd, reply);
            return;
    }
}

int ListenOnLoopback(std::uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int reuse = 1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse) != 0 ||
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, SOMAXCONN) != 0) {
        int error = errno;
        if (fd >= 0) {
            close(fd);
        }
        throw std::runtime_error("loopback server cannot listen: errno " + std::to_string(error));
    }
    return fd;
}

std::uint16_t PortOf(int listener) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

}  // namespace

LoopbackHttpServer::LoopbackHttpServer(std::uint16_t port)
    : default_reply_(ScriptedReply::WithStatus(404, "not found")) {
    listener_ = ListenOnLoopback(port);
    port_ = PortOf(listener_);
    int wake[2];
    if (pipe2(wake, O_CLOEXEC) != 0) {
        close(listener_);
        throw std::runtime_error("loopback server cannot make its stop pipe");
    }
    wake_read_ = wake[0];
    wake_write_ = wake[1];
    thread_ = std::thread([this] { Run(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    // The byte is never read, so every wait of the server thread sees it.
    [[maybe_unused]] ssize_t written = write(wake_write_, "x", 1);
    thread_.join();
    close(listener_);
    close(wake_read_);
    close(wake_write_);
}

std::string LoopbackHttpServer::HostAndPort() const {
    return "127.0.0.1:" + std::to_string(port_);
}

std::string LoopbackHttpServer::Url(std::string_view path) const {
    return "http://" + HostAndPort() + std::string(path);
}

void LoopbackHttpServer::SetReply(const std::string& path, ScriptedReply reply) {
    std::lock_guard lock(mutex_);
    replies_[path] = std::move(reply);
}

void LoopbackHttpServer::SetDefaultReply(ScriptedReply reply) {
    std::lock_guard lock(mutex_);
    default_reply_ = std::move(reply);
}

void LoopbackHttpServer::SetRecording(bool recording) {
    std::lock_guard lock(mutex_);
    recording_ = recording;
}

std::vector<CapturedRequest> LoopbackHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t LoopbackHttpServer::RequestCount() const {
    std::lock_guard lock(mutex_);
    return request_count_;
}

void LoopbackHttpServer::Run() {
    while (WaitReadable(listener_, wake_read_, -1) == Wait::kReady) {
        int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0) {
            Serve(connection);
            close(connection);
        }
    }
}

void LoopbackHttpServer::Serve(int connection) {
    std::optional<CapturedRequest> request = ReadRequest(connection, wake_read_);
    if (!request) {
        return;
    }
    Record(*request);
    SendReply(connection, wake_read_, ReplyFor(*request));
}

ScriptedReply LoopbackHttpServer::ReplyFor(const CapturedRequest& request) const {
    std::string target = request.Target();
    std::string path = target.substr(0, target.find('?'));
    std::lock_guard lock(mutex_);
    auto found = replies_.find(path);
    return found == replies_.end() ? default_reply_ : found->second;
}

void LoopbackHttpServer::Record(const CapturedRequest& request) {
    std::lock_guard lock(mutex_);
    ++request_count_;
    if (recording_) {
        requests_.push_back(request);
    }
}

}  // namespace tessal::test
