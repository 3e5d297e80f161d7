#include "tests/support/installation/test_installation.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "common/base/atomic_write.h"
#include "site/builders/installation_builder.h"

extern char** environ;

namespace tessal::test {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> Environment(const RunOptions& options) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry)
        entries.emplace_back(*entry);
    for (const auto& [name, value] : options.environment)
        entries.push_back(name + "=" + value);
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Feeds standard input and collects both outputs until the program closes them or the
// deadline passes.
void Exchange(int input, int output, int errors, std::string to_send, ProcessResult& result,
              Clock::time_point deadline) {
    std::size_t sent = 0;
    if (to_send.empty()) {
        ::close(input);
        input = -1;
    }
    char buffer[4096];
    while ((output >= 0 || errors >= 0) && Clock::now() < deadline) {
        pollfd fds[3] = {{input, POLLOUT, 0}, {output, POLLIN, 0}, {errors, POLLIN, 0}};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (::poll(fds, 3, static_cast<int>(std::max<long>(1, left.count()))) < 0 && errno != EINTR)
            break;
        if (input >= 0 && (fds[0].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t wrote = ::write(input, to_send.data() + sent, to_send.size() - sent);
            sent += wrote > 0 ? static_cast<std::size_t>(wrote) : to_send.size();
            if (sent >= to_send.size()) {
                ::close(input);
                input = -1;
            }
        }
        for (int i = 1; i < 3; ++i) {
            int& fd = i == 1 ? output : errors;
            if (fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got <= 0) {
                ::close(fd);
                fd = -1;
            } else {
                (i == 1 ? result.output : result.errors)
                    .append(buffer, static_cast<std::size_t>(got));
            }
        }
    }
    for (int fd : {input, output, errors}) {
        if (fd >= 0)
            ::close(fd);
    }
}

int WaitForExit(pid_t pid, Clock::time_point deadline, bool& timed_out) {
    int raw = 0;
    while (::waitpid(pid, &raw, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            timed_out = true;
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &raw, 0);
            return -1;
        }
        ::usleep(5000);
    }
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

}  // namespace

ProcessResult RunProcess(const std::filesystem::path& program, const std::filesystem::path& folder,
                         const RunOptions& options) {
    ProcessResult result;
    int input[2], output[2], errors[2];
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0 ||
        ::pipe2(errors, O_CLOEXEC) != 0) {
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errors[1], 2);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<std::string> argv = {program.string()};
    argv.insert(argv.end(), options.arguments.begin(), options.arguments.end());
    std::vector<std::string> environment = Environment(options);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, Pointers(argv).data(),
                                    Pointers(environment).data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    ::close(output[1]);
    ::close(errors[1]);
    const Clock::time_point deadline = Clock::now() + options.limit;
    if (spawned != 0) {
        Exchange(input[1], output[0], errors[0], "", result, Clock::now());
        return result;
    }
    Exchange(input[1], output[0], errors[0], options.input, result, deadline);
    result.exit_status = WaitForExit(pid, deadline, result.timed_out);
    return result;
}

TestInstallation::TestInstallation(site::SiteOptions options) {
    ::setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
    // The ".tessal" association and the machine identity file a run writes stay in the
    // installation's own desktop folders, never the member's.
    for (const auto& [variable, folder] :
         {std::pair{"XDG_DATA_HOME", "xdg-data"}, std::pair{"XDG_CONFIG_HOME", "xdg-config"}}) {
        const auto path = runtime_.path() / folder;
        std::filesystem::create_directories(path);
        ::setenv(variable, path.c_str(), 1);
    }
    options.base_port = 0;
    site_ = std::make_unique<site::ReferenceSite>(options);
    if (!site_->Start(error_))
        return;
    const std::filesystem::path site_ini = folder() / "Site.ini";
    if (!WriteFileAtomically(site_ini, site_->SiteIniText())) {
        error_ = "cannot write " + site_ini.string();
        return;
    }
    site::AssembleInstallation(site_->data(), site_ini, options.media_folder, folder(), error_);
}

bool TestInstallation::AddProgram(const std::filesystem::path& built) {
    std::error_code failure;
    std::filesystem::copy_file(built, folder() / built.filename(),
                               std::filesystem::copy_options::overwrite_existing, failure);
    return !failure;
}

}  // namespace tessal::test
