// Times small form POSTs sent with SendRequest, each on its own connection, against a
// loopback server; with --serve it is that server, for comparing other clients with it.
//
//   bench_http_post [--count N] [--url URL]   N requests (default 1000) to URL + "?seq=i",
//                                             or to a server in this process
//   bench_http_post --serve PORT              serve on 127.0.0.1:PORT (0: any free port),
//                                             print "port <n>", run until SIGTERM/SIGINT

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "common/net/http_client.h"
#include "tests/support/loopback_http_server.h"

namespace {

constexpr std::string_view kFormBody = "username=demo&password=123456&remember=1";

struct Arguments {
    int count = 1000;
    std::string url;
    std::optional<int> serve_port;
};

std::optional<Arguments> ParseArguments(int argc, char** argv) {
    Arguments arguments;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string_view name = argv[i];
        if (name == "--count") {
            arguments.count = std::atoi(argv[i + 1]);
        } else if (name == "--url") {
            arguments.url = argv[i + 1];
        } else if (name == "--serve") {
            arguments.serve_port = std::atoi(argv[i + 1]);
        } else {
            return std::nullopt;
        }
    }
    if (argc % 2 == 0 || arguments.count <= 0) {
        return std::nullopt;
    }
    return arguments;
}

tessal::test::ScriptedReply LoginReply() {
    return tessal::test::ScriptedReply::Ok("<result>1</result>");
}

int Serve(int port) {
    // Blocked before the server thread starts, so that only sigwait receives them.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGTERM);
    sigaddset(&stop_signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    tessal::test::LoopbackHttpServer server(static_cast<std::uint16_t>(port));
    server.SetRecording(false);
    server.SetDefaultReply(LoginReply());
    std::printf("port %u\n", static_cast<unsigned>(server.port()));
    std::fflush(stdout);
    int signal_number = 0;
    sigwait(&stop_signals, &signal_number);
    std::printf("served %zu requests\n", server.RequestCount());
    return 0;
}

int SendAll(const std::string& url, int count) {
    int failed = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 1; i <= count; ++i) {
        std::string reply = tessal::SendRequest(url + "?seq=" + std::to_string(i), kFormBody, "",
                                                tessal::HttpMethod::kPost);
        failed += reply.empty() ? 1 : 0;
    }
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("bench_http_post: %d POST requests in %.3f s (%.3f ms each), %d failed\n", count,
                elapsed.count(), elapsed.count() * 1000.0 / count, failed);
    return failed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<Arguments> arguments = ParseArguments(argc, argv);
    if (!arguments) {
        std::fprintf(stderr, "usage: %s [--count N] [--url URL] | --serve PORT\n", argv[0]);
        return 2;
    }
    if (arguments->serve_port) {
        return Serve(*arguments->serve_port);
    }
    if (!arguments->url.empty()) {
        return SendAll(arguments->url, arguments->count);
    }
    tessal::test::LoopbackHttpServer server;
    server.SetRecording(false);
    server.SetDefaultReply(LoginReply());
    return SendAll(server.Url("/login"), arguments->count);
}
