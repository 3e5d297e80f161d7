#pragma once

// Loopback ports for tests of unanswered connections. RefusedPort refuses every
// connection for as long as it lives: the socket is bound but never listens, so no other
// test's server can take the port. SilentPort listens, so the kernel completes each
// handshake, and never reads or answers.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace tessal::test {

class RefusedPort {
public:
    explicit RefusedPort(bool listening = false)
        : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* generic = reinterpret_cast<sockaddr*>(&address);
        if (fd_ >= 0 && ::bind(fd_, generic, length) == 0 &&
            (!listening || ::listen(fd_, 4) == 0) && ::getsockname(fd_, generic, &length) == 0) {
            port_ = ntohs(address.sin_port);
        }
    }
    ~RefusedPort() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    RefusedPort(const RefusedPort&) = delete;
    RefusedPort& operator=(const RefusedPort&) = delete;

    int port() const { return port_; }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    int fd_;
    int port_ = 0;
};

class SilentPort : public RefusedPort {
public:
    SilentPort() : RefusedPort(true) {}
};

}  // namespace tessal::test
