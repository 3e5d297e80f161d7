#include "common/files/md5.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

namespace tessal {
namespace {

// The update check hashes every installed file. Blocks of 64 KiB amortise the read
// calls yet stay in the processor's cache while they are hashed; measured, both smaller
// and larger blocks (128 KiB and up) are slower.
constexpr std::size_t kReadBlockBytes = 64 * 1024;

struct DigestContextDeleter {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestContextDeleter>;

DigestContext StartMd5() {
    DigestContext context(EVP_MD_CTX_new());
    if (context && EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1) {
        context.reset();
    }
    return context;
}

std::string FinishMd5(EVP_MD_CTX* context) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context, digest.data(), &length) != 1) {
        return {};
    }
    static constexpr char kHexDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        text += kHexDigits[digest[i] >> 4];
        text += kHexDigits[digest[i] & 0x0f];
    }
    return text;
}

// Feeds the whole file to `context`; false on a read error.
bool DigestDescriptor(int fd, EVP_MD_CTX* context) {
    std::vector<unsigned char> block(kReadBlockBytes);
    for (;;) {
        const ssize_t count = read(fd, block.data(), block.size());
        if (count == 0) {
            return true;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (EVP_DigestUpdate(context, block.data(), static_cast<std::size_t>(count)) != 1) {
            return false;
        }
    }
}

}  // namespace

std::string TextMd5(std::string_view bytes) {
    DigestContext context = StartMd5();
    if (!context || EVP_DigestUpdate(context.get(), bytes.data(), bytes.size()) != 1) {
        return {};
    }
    return FinishMd5(context.get());
}

std::string FileMd5(const std::filesystem::path& path) {
    // O_NONBLOCK and the type check keep a named pipe in a walked folder from hanging us.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat status {};
    if (fd >= 0 && (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))) {
        close(fd);
        fd = -1;
    }
    if (fd < 0) {
        std::fprintf(stderr, "fopen %s failed\n", path.c_str());
        return {};
    }
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    DigestContext context = StartMd5();
    const bool complete = context && DigestDescriptor(fd, context.get());
    close(fd);
    return complete ? FinishMd5(context.get()) : std::string();
}

}  // namespace tessal
