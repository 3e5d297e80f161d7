#include "engines/download/library_setup.h"

#include <aria2/aria2.h>
#include <libintl.h>

#include <clocale>
#include <csignal>
#include <mutex>
#include <string>
#include <thread>

namespace tessal::xldl {
namespace {

// A locale category's name now, and that name set again when the guard ends.
class LocaleCategoryGuard {
public:
    explicit LocaleCategoryGuard(int category) : category_(category) {
        const char* name = std::setlocale(category, nullptr);
        saved_ = name != nullptr ? name : "C";
    }
    ~LocaleCategoryGuard() { std::setlocale(category_, saved_.c_str()); }
    LocaleCategoryGuard(const LocaleCategoryGuard&) = delete;
    LocaleCategoryGuard& operator=(const LocaleCategoryGuard&) = delete;

private:
    int category_;
    std::string saved_;
};

// The program's gettext message domain, which libaria2 replaces with its own.
class TextDomainGuard {
public:
    TextDomainGuard() {
        const char* domain = ::textdomain(nullptr);
        saved_ = domain != nullptr ? domain : "messages";
    }
    ~TextDomainGuard() { ::textdomain(saved_.c_str()); }
    TextDomainGuard(const TextDomainGuard&) = delete;
    TextDomainGuard& operator=(const TextDomainGuard&) = delete;

private:
    std::string saved_;
};

void IgnoreBrokenPipes() {
    struct sigaction current {};
    if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace

// aria2 cannot be initialised again after a deinit in one process, so it never is.
void SetUpLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        {
            // libaria2 sets these two from the environment, and its own message domain.
            const LocaleCategoryGuard keep_ctype(LC_CTYPE);
            const LocaleCategoryGuard keep_messages(LC_MESSAGES);
            const TextDomainGuard keep_domain;
            // On a thread of its own, so that the TLS libraries it sets up leave no
            // thread-local blocks on the caller's thread: the leak checker of our sanitizer
            // builds misreads such blocks on the GUI thread and aborts the client's exit.
            std::thread([] { aria2::libraryInit(); }).join();
        }
        IgnoreBrokenPipes();
    });
}

}  // namespace tessal::xldl
