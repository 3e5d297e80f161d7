#include "engines/video/loader/library_search.h"

#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string_view>

#include "engines/video/loader/elf_exports.h"

namespace tessal {
namespace {

constexpr const char* kCacheFile = "/etc/ld.so.cache";
constexpr std::string_view kCacheMagic = "glibc-ld.so.cache1.1";
constexpr std::string_view kOldCacheMagic = "ld.so-1.7.0";
constexpr std::size_t kCacheHeaderBytes = 48;
constexpr std::size_t kCacheEntryBytes = 24;
constexpr std::uint64_t kMaxCacheBytes = 16ull << 20;

// Folders the loader searches last, whatever its cache says; the folder of the C
// library in use stands for the machine's own multiarch folder.
std::vector<std::filesystem::path> SystemFolders() {
    std::vector<std::filesystem::path> folders = {"/lib64", "/usr/lib64", "/lib", "/usr/lib"};
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&::free), &info) != 0 && info.dli_fname != nullptr)
        folders.push_back(std::filesystem::path(info.dli_fname).parent_path());
    return folders;
}

bool AlreadyLoaded(const std::string& name) {
    void* module = ::dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (module == nullptr)
        return false;
    ::dlclose(module);
    return true;
}

// A folder of a library's own search path: $ORIGIN is the library's folder; other
// tokens depend on the loader's platform and are not followed.
std::optional<std::filesystem::path> Expand(std::string folder,
                                            const std::filesystem::path& origin) {
    for (const std::string_view token : {"${ORIGIN}", "$ORIGIN"}) {
        for (auto at = folder.find(token); at != std::string::npos; at = folder.find(token))
            folder.replace(at, token.size(), origin.string());
    }
    if (folder.find('$') != std::string::npos)
        return std::nullopt;
    return std::filesystem::path(folder);
}

bool InFolders(const std::string& name, const std::vector<std::filesystem::path>& folders) {
    for (const auto& folder : folders) {
        if (HasLoadableElfHeader(folder / name))
            return true;
    }
    return false;
}

std::vector<std::filesystem::path> EnvironmentFolders() {
    std::vector<std::filesystem::path> folders;
    const char* variable = std::getenv("LD_LIBRARY_PATH");
    std::string_view text = variable != nullptr ? variable : "";
    while (!text.empty()) {
        const auto end = text.find_first_of(":;");
        if (end != 0)
            folders.emplace_back(std::string(text.substr(0, end)));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return folders;
}

std::string ReadCache() {
    std::ifstream in(kCacheFile, std::ios::binary);
    std::string bytes;
    char chunk[16384];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kMaxCacheBytes)
            return {};
    }
    return bytes;
}

// Where the cache's current table starts: at once, or after the old format's table.
std::optional<std::size_t> CacheTableStart(std::string_view cache) {
    if (cache.starts_with(kCacheMagic))
        return 0;
    const std::size_t old_header = kOldCacheMagic.size() + 1 + 4;
    if (!cache.starts_with(kOldCacheMagic) || cache.size() < old_header)
        return std::nullopt;
    std::uint32_t old_entries = 0;
    std::memcpy(&old_entries, cache.data() + old_header - 4, 4);
    const std::uint64_t start = (old_header + std::uint64_t{old_entries} * 12 + 7) & ~7ull;
    if (start >= cache.size() || !cache.substr(start).starts_with(kCacheMagic))
        return std::nullopt;
    return static_cast<std::size_t>(start);
}

std::optional<std::string_view> CacheString(std::string_view table, std::uint32_t offset) {
    if (offset >= table.size())
        return std::nullopt;
    const auto end = table.find('\0', offset);
    if (end == std::string_view::npos)
        return std::nullopt;
    return table.substr(offset, end - offset);
}

// The files the cache names for `name`.
std::vector<std::filesystem::path> CacheFiles(const std::string& name) {
    const std::string cache = ReadCache();
    const auto start = CacheTableStart(cache);
    std::vector<std::filesystem::path> files;
    if (!start || cache.size() - *start < kCacheHeaderBytes)
        return files;
    const std::string_view table = std::string_view(cache).substr(*start);
    std::uint32_t entries = 0;
    std::memcpy(&entries, table.data() + kCacheMagic.size(), 4);
    const std::uint64_t fit = (table.size() - kCacheHeaderBytes) / kCacheEntryBytes;
    for (std::uint64_t i = 0; i < std::min<std::uint64_t>(entries, fit); ++i) {
        std::uint32_t key_and_value[2] = {};
        std::memcpy(key_and_value, table.data() + kCacheHeaderBytes + i * kCacheEntryBytes + 4, 8);
        const auto key = CacheString(table, key_and_value[0]);
        const auto value = CacheString(table, key_and_value[1]);
        if (key && value && *key == name)
            files.emplace_back(std::string(*value));
    }
    return files;
}

bool InCache(const std::string& name) {
    for (const auto& file : CacheFiles(name)) {
        if (HasLoadableElfHeader(file))
            return true;
    }
    return false;
}

}  // namespace

bool CanFindNeededLibrary(const std::string& name, const std::filesystem::path& origin,
                          const std::vector<std::string>& search_path) {
    if (name.find('/') != std::string::npos)
        return HasLoadableElfHeader(name);
    if (AlreadyLoaded(name))
        return true;
    std::vector<std::filesystem::path> own;
    for (const auto& folder : search_path) {
        if (auto expanded = Expand(folder, origin))
            own.push_back(std::move(*expanded));
    }
    return InFolders(name, own) || InFolders(name, EnvironmentFolders()) || InCache(name) ||
           InFolders(name, SystemFolders());
}

}  // namespace tessal
