// tessal-site: the reference site on loopback, for the demo and for tests that run it
// as a process of its own.

#include <signal.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "common/base/atomic_write.h"
#include "site/server/reference_site.h"

namespace {

constexpr const char* kUsage =
    "Usage: tessal-site [options]\n"
    "Plays every host of the Tessal site on 127.0.0.1: host number k of Site.ini\n"
    "(MainSite 0, VideoApi 1, ClientData 2, AppApi 3, Course 4, Passport 5,\n"
    "Download1-3 6-8, Codec 9, IpLookup 10) listens on the base port + k, and the\n"
    "control port (request log, fault rules, outages, pushes, list version) on\n"
    "base + 11.\n"
    "Stops on SIGTERM or SIGINT.\n"
    "\n"
    "  --base-port N          first port (default 18700); 0 picks a free range\n"
    "  --write-site-ini PATH  write the Site.ini that points an installation here\n"
    "  --data DIR             demo data set (default: the source tree's data/demo)\n"
    "  --media DIR            generated media (default: the build's site/media)\n"
    "  --code-page NAME       site code page (default GBK)\n"
    "  --hotline TEXT         support telephone number written to Site.ini\n"
    "  --request-log FILE     append every request to FILE as one JSON line\n"
    "  --list-version N       version of the update lists\n"
    "  --serve-file PATH=FILE also serve FILE at PATH on the three download hosts\n"
    "  --engine-file FILE     serve FILE as the codec host's engine (default: made-up\n"
    "                         bytes, which no player can load)\n"
    "  --listen-address IP    listen there instead of 127.0.0.1 (a benchmark's own\n"
    "                         network namespace; never a shared network)\n"
    "  --help                 this text\n";

struct Arguments {
    tessal::site::SiteOptions options = tessal::site::DefaultSiteOptions();
    std::string site_ini;
    std::string list_version;
};

bool TakeValue(int argc, char** argv, int& i, std::string& value) {
    if (i + 1 >= argc)
        return false;
    value = argv[++i];
    return true;
}

bool ApplyOption(const std::string& name, const std::string& value, Arguments& arguments) {
    auto& options = arguments.options;
    if (name == "--base-port") {
        char* end = nullptr;
        const long port = std::strtol(value.c_str(), &end, 10);
        if (*end != '\0' || port < 0 || port + tessal::site::kPortCount > 65536)
            return false;
        options.base_port = static_cast<int>(port);
    } else if (name == "--write-site-ini") {
        arguments.site_ini = value;
    } else if (name == "--data") {
        options.data_folder = value;
    } else if (name == "--media") {
        options.media_folder = value;
    } else if (name == "--code-page") {
        options.code_page = value;
    } else if (name == "--hotline") {
        options.hotline = value;
    } else if (name == "--request-log") {
        options.request_log_file = value;
    } else if (name == "--list-version") {
        arguments.list_version = value;
    } else if (name == "--listen-address") {
        options.listen_address = value;
    } else if (name == "--engine-file") {
        options.engine_file = value;
    } else if (name == "--serve-file") {
        const std::size_t equals = value.find('=');
        if (equals == std::string::npos || value[0] != '/')
            return false;
        options.extra_files[value.substr(0, equals)] = value.substr(equals + 1);
    } else {
        return false;
    }
    return true;
}

// 0 when parsed, otherwise the exit status (help: 0 after printing).
int ParseArguments(int argc, char** argv, Arguments& arguments, bool& help) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        std::string value;
        if (name == "--help" || name == "-h") {
            help = true;
            return 0;
        }
        if (!TakeValue(argc, argv, i, value) || !ApplyOption(name, value, arguments)) {
            std::cerr << "tessal-site: bad option " << name << "\n" << kUsage;
            return 2;
        }
    }
    return 0;
}

sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    return signals;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    bool help = false;
    if (const int status = ParseArguments(argc, argv, arguments, help); status != 0)
        return status;
    if (help) {
        std::cout << kUsage;
        return 0;
    }
    // Every thread the site starts inherits the mask, so only sigwait below sees them.
    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    tessal::site::ReferenceSite site(arguments.options);
    std::string error;
    if (!site.Start(error)) {
        std::cerr << "tessal-site: " << error << "\n";
        return 1;
    }
    if (!arguments.list_version.empty())
        site.state().SetListVersion(arguments.list_version);
    if (!arguments.site_ini.empty() &&
        !tessal::WriteFileAtomically(arguments.site_ini, site.SiteIniText())) {
        std::cerr << "tessal-site: cannot write " << arguments.site_ini << "\n";
        return 1;
    }
    const auto& addresses = site.addresses();
    std::cout << "tessal-site: serving on 127.0.0.1 ports " << addresses.base_port() << " to "
              << addresses.ControlPort() << " (control " << addresses.ControlPort() << ")"
              << std::endl;
    int received = 0;
    sigwait(&signals, &received);
    site.Stop();
    std::cout << "tessal-site: stopped" << std::endl;
    return 0;
}
