// A member's line for the download benchmark: moves IP packets between two TUN devices
// (which the benchmark puts into two network namespaces of its own), holding each one
// for half the round-trip time and pacing each direction to the line's rate, with a
// drop-tail limit of 1,000 packets held per direction, like netem's default. The
// kernel's own TCP runs at both ends, so window growth, receive-buffer tuning and
// retransmission behave as on a real line of that length and speed.
//
//   delay_line TUN_A TUN_B ROUND_TRIP_MS RATE_MBIT
//
// Creates both devices, prints "ready" once they exist, and moves packets until SIGTERM
// or SIGINT. Needs CAP_NET_ADMIN.

#include <fcntl.h>
#include <linux/if.h>
#include <linux/if_tun.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Nanoseconds = std::chrono::nanoseconds;

constexpr std::size_t kPacketLimit = 1000;
constexpr std::size_t kLargestPacket = 65536;

volatile std::sig_atomic_t g_stop = 0;

void OnStopSignal(int) {
    g_stop = 1;
}

int OpenTun(const char* name) {
    const int fd = ::open("/dev/net/tun", O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    ifreq request{};
    request.ifr_flags = IFF_TUN | IFF_NO_PI;
    std::strncpy(request.ifr_name, name, IFNAMSIZ - 1);
    if (::ioctl(fd, TUNSETIFF, &request) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

struct Packet {
    std::vector<char> bytes;
    Clock::time_point deliver_at;
};

// One direction of the line: packets read from `in` leave through `out` once they have
// been serialised at the line's rate and have crossed its one-way delay.
class Direction {
public:
    Direction(int in, int out, Nanoseconds one_way, double bytes_per_second)
        : in_(in), out_(out), one_way_(one_way), bytes_per_second_(bytes_per_second) {}

    void ReadAll(Clock::time_point now) {
        std::vector<char> buffer(kLargestPacket);
        for (;;) {
            const ssize_t size = ::read(in_, buffer.data(), buffer.size());
            if (size <= 0)
                return;
            if (held_.size() >= kPacketLimit)
                continue;  // the queue is full: the line drops it
            const auto serialise = Nanoseconds(
                static_cast<std::int64_t>(static_cast<double>(size) * 1e9 / bytes_per_second_));
            free_at_ = std::max(free_at_, now) + serialise;
            held_.push_back({{buffer.begin(), buffer.begin() + size}, free_at_ + one_way_});
        }
    }

    void DeliverDue(Clock::time_point now) {
        while (!held_.empty() && held_.front().deliver_at <= now) {
            const auto& bytes = held_.front().bytes;
            [[maybe_unused]] const ssize_t written = ::write(out_, bytes.data(), bytes.size());
            held_.pop_front();
        }
    }

    // When the next packet is due; far away when none is held.
    Clock::time_point NextDue() const {
        return held_.empty() ? Clock::time_point::max() : held_.front().deliver_at;
    }

private:
    int in_;
    int out_;
    Nanoseconds one_way_;
    double bytes_per_second_;
    Clock::time_point free_at_{};
    std::deque<Packet> held_;
};

timespec Until(Clock::time_point due, Clock::time_point now) {
    const auto wait = std::chrono::duration_cast<Nanoseconds>(
        std::min(due - now, Clock::duration(std::chrono::milliseconds(100))));
    const auto count = std::max<std::int64_t>(wait.count(), 0);
    return {static_cast<time_t>(count / 1000000000), static_cast<long>(count % 1000000000)};
}

void Run(int a, int b, Nanoseconds one_way, double bytes_per_second) {
    Direction a_to_b(a, b, one_way, bytes_per_second);
    Direction b_to_a(b, a, one_way, bytes_per_second);
    pollfd ends[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
    while (g_stop == 0) {
        auto now = Clock::now();
        const timespec wait = Until(std::min(a_to_b.NextDue(), b_to_a.NextDue()), now);
        if (::ppoll(ends, 2, &wait, nullptr) < 0 && errno != EINTR)
            return;
        now = Clock::now();
        a_to_b.ReadAll(now);
        b_to_a.ReadAll(now);
        a_to_b.DeliverDue(now);
        b_to_a.DeliverDue(now);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s TUN_A TUN_B ROUND_TRIP_MS RATE_MBIT\n", argv[0]);
        return 2;
    }
    const int a = OpenTun(argv[1]);
    const int b = OpenTun(argv[2]);
    if (a < 0 || b < 0) {
        std::perror("delay_line: TUN device");
        return 1;
    }
    std::signal(SIGTERM, OnStopSignal);
    std::signal(SIGINT, OnStopSignal);
    const auto one_way = Nanoseconds(std::atoll(argv[3]) * 1000000 / 2);
    const double bytes_per_second = std::atof(argv[4]) * 1e6 / 8;
    std::printf("ready\n");
    std::fflush(stdout);
    Run(a, b, one_way, bytes_per_second);
    return 0;
}
