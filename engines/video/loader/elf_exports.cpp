#include "engines/video/loader/elf_exports.h"

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace tessal {
namespace {

// The running program's own ELF types: a library of another class cannot be loaded.
using Header = ElfW(Ehdr);
using Section = ElfW(Shdr);
using Symbol = ElfW(Sym);

// Tables larger than this are not a library's; it keeps a damaged size from making the
// check allocate without bound.
constexpr std::uint64_t kMaxTableBytes = 64ull << 20;

// A file opened for reading, whose every read must lie within it.
class BoundedFile {
public:
    explicit BoundedFile(const char* path) : fd_(::open(path, O_RDONLY | O_CLOEXEC)) {
        struct stat status {};
        if (fd_ >= 0 && ::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode))
            size_ = static_cast<std::uint64_t>(status.st_size);
    }
    ~BoundedFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    BoundedFile(const BoundedFile&) = delete;
    BoundedFile& operator=(const BoundedFile&) = delete;

    // The `size` bytes at `offset`, all of them or nothing.
    bool Read(std::uint64_t offset, std::uint64_t size, void* out) const {
        if (fd_ < 0 || size > size_ || offset > size_ - size)
            return false;
        auto* bytes = static_cast<char*>(out);
        while (size > 0) {
            const ssize_t got = ::pread(fd_, bytes, size, static_cast<off_t>(offset));
            if (got <= 0)
                return false;
            bytes += got;
            offset += static_cast<std::uint64_t>(got);
            size -= static_cast<std::uint64_t>(got);
        }
        return true;
    }

    std::optional<std::vector<char>> ReadTable(std::uint64_t offset, std::uint64_t size) const {
        if (size > kMaxTableBytes)
            return std::nullopt;
        std::vector<char> bytes(static_cast<std::size_t>(size));
        if (!Read(offset, size, bytes.data()))
            return std::nullopt;
        return bytes;
    }

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

std::optional<Header> ReadHeader(const BoundedFile& file) {
    Header header{};
    if (!file.Read(0, sizeof header, &header) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_VERSION] != EV_CURRENT)
        return std::nullopt;
    return header;
}

// Class, byte order and machine of the running program, which a library it loads must
// share.
bool FitsThisProgram(const Header& library) {
    static const std::optional<Header> program = ReadHeader(BoundedFile("/proc/self/exe"));
    return program && library.e_type == ET_DYN &&
           library.e_ident[EI_CLASS] == program->e_ident[EI_CLASS] &&
           library.e_ident[EI_DATA] == program->e_ident[EI_DATA] &&
           library.e_machine == program->e_machine && library.e_shentsize == sizeof(Section);
}

std::optional<std::vector<Section>> ReadSections(const BoundedFile& file, const Header& header) {
    std::uint64_t count = header.e_shnum;
    // With 0xff00 sections or more, the count is kept in the first section's size.
    if (count == 0 && header.e_shoff != 0) {
        Section first{};
        if (!file.Read(header.e_shoff, sizeof first, &first))
            return std::nullopt;
        count = first.sh_size;
    }
    if (count == 0 || count > kMaxTableBytes / sizeof(Section))
        return std::nullopt;
    std::vector<Section> sections(static_cast<std::size_t>(count));
    if (!file.Read(header.e_shoff, count * sizeof(Section), sections.data()))
        return std::nullopt;
    return sections;
}

std::optional<std::vector<char>> ReadSection(const BoundedFile& file, const Section& section) {
    return file.ReadTable(section.sh_offset, section.sh_size);
}

bool IsVisibleFunction(const Symbol& symbol) {
    const unsigned type = ELF64_ST_TYPE(symbol.st_info);
    const unsigned binding = ELF64_ST_BIND(symbol.st_info);
    const unsigned visibility = ELF64_ST_VISIBILITY(symbol.st_other);
    return symbol.st_shndx != SHN_UNDEF && (type == STT_FUNC || type == STT_GNU_IFUNC) &&
           (binding == STB_GLOBAL || binding == STB_WEAK) &&
           (visibility == STV_DEFAULT || visibility == STV_PROTECTED);
}

// The names of the visible functions; a name that does not end within the string
// table is skipped.
std::unordered_set<std::string> FunctionNames(const std::vector<char>& symbols,
                                              const std::vector<char>& strings) {
    std::unordered_set<std::string> names;
    for (std::size_t at = sizeof(Symbol); at + sizeof(Symbol) <= symbols.size();
         at += sizeof(Symbol)) {
        Symbol symbol{};
        std::memcpy(&symbol, symbols.data() + at, sizeof symbol);
        if (!IsVisibleFunction(symbol) || symbol.st_name >= strings.size())
            continue;
        const char* name = strings.data() + symbol.st_name;
        const void* end = std::memchr(name, '\0', strings.size() - symbol.st_name);
        if (end != nullptr)
            names.emplace(name, static_cast<const char*>(end));
    }
    return names;
}

}  // namespace

std::optional<std::unordered_set<std::string>> ReadExportedFunctions(
    const std::filesystem::path& library) {
    const BoundedFile file(library.c_str());
    const auto header = ReadHeader(file);
    if (!header || !FitsThisProgram(*header))
        return std::nullopt;
    const auto sections = ReadSections(file, *header);
    if (!sections)
        return std::nullopt;
    for (const Section& section : *sections) {
        if (section.sh_type != SHT_DYNSYM)
            continue;
        if (section.sh_entsize != sizeof(Symbol) || section.sh_link >= sections->size() ||
            (*sections)[section.sh_link].sh_type != SHT_STRTAB)
            return std::nullopt;
        const auto symbols = ReadSection(file, section);
        const auto strings = ReadSection(file, (*sections)[section.sh_link]);
        if (!symbols || !strings)
            return std::nullopt;
        return FunctionNames(*symbols, *strings);
    }
    return std::nullopt;
}

}  // namespace tessal
