#include "engines/video/loader/elf_exports.h"

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string_view>

namespace tessal {
namespace {

// The running program's own ELF types: a library of another class cannot be loaded.
using Header = ElfW(Ehdr);
using Segment = ElfW(Phdr);
using Dynamic = ElfW(Dyn);
using Symbol = ElfW(Sym);
using Address = ElfW(Addr);

// Tables larger than this are not a library's; it keeps a damaged size from making the
// check allocate without bound.
constexpr std::uint64_t kMaxTableBytes = 64ull << 20;

// A regular file opened for reading, whose every read must lie within it. Opened
// without blocking: opening a pipe for reading would wait for a writer.
class BoundedFile {
public:
    explicit BoundedFile(const char* path)
        : fd_(::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)) {
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

    bool Contains(std::uint64_t offset, std::uint64_t size) const {
        return fd_ >= 0 && size <= size_ && offset <= size_ - size;
    }
    // The `size` bytes at `offset`, all of them or nothing.
    bool Read(std::uint64_t offset, std::uint64_t size, void* out) const {
        if (!Contains(offset, size))
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

    template <typename T>
    std::optional<std::vector<T>> ReadArray(std::uint64_t offset, std::uint64_t count) const {
        if (count > kMaxTableBytes / sizeof(T))
            return std::nullopt;
        std::vector<T> items(static_cast<std::size_t>(count));
        if (!Read(offset, count * sizeof(T), items.data()))
            return std::nullopt;
        return items;
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
           library.e_machine == program->e_machine;
}

// The segments; a count of PN_XNUM (kept in a section header) is not a library's.
std::optional<std::vector<Segment>> ReadSegments(const BoundedFile& file, const Header& header) {
    if (header.e_phentsize != sizeof(Segment) || header.e_phnum == 0 || header.e_phnum == PN_XNUM)
        return std::nullopt;
    return file.ReadArray<Segment>(header.e_phoff, header.e_phnum);
}

// The loaded image, as the dynamic loader maps it: addresses that the dynamic section
// names are found in the file through the loadable segments.
class Image {
public:
    Image(const BoundedFile& file, std::vector<Segment> segments)
        : file_(file), segments_(std::move(segments)) {}

    // The file offset of `size` bytes at `address`, all within one segment's file part.
    std::optional<std::uint64_t> Offset(Address address, std::uint64_t size) const {
        for (const Segment& segment : segments_) {
            if (segment.p_type != PT_LOAD || address < segment.p_vaddr)
                continue;
            const std::uint64_t into = address - segment.p_vaddr;
            if (into <= segment.p_filesz && size <= segment.p_filesz - into)
                return segment.p_offset + into;
        }
        return std::nullopt;
    }
    template <typename T>
    std::optional<std::vector<T>> ReadArray(Address address, std::uint64_t count) const {
        if (count > kMaxTableBytes / sizeof(T))
            return std::nullopt;
        const auto offset = Offset(address, count * sizeof(T));
        if (!offset)
            return std::nullopt;
        return file_.ReadArray<T>(*offset, count);
    }
    const std::vector<Segment>& segments() const { return segments_; }

private:
    const BoundedFile& file_;
    std::vector<Segment> segments_;
};

// The entries of the one PT_DYNAMIC segment, up to DT_NULL. Every loadable segment
// must lie within the file: the loader would map a cut one and fault on using it.
std::optional<std::vector<Dynamic>> ReadDynamicSection(const BoundedFile& file,
                                                       const Image& image) {
    const Segment* dynamic = nullptr;
    bool loadable = false;
    for (const Segment& segment : image.segments()) {
        if (segment.p_type == PT_LOAD && !file.Contains(segment.p_offset, segment.p_filesz))
            return std::nullopt;
        loadable = loadable || segment.p_type == PT_LOAD;
        if (segment.p_type == PT_DYNAMIC) {
            if (dynamic != nullptr)
                return std::nullopt;
            dynamic = &segment;
        }
    }
    if (!loadable || dynamic == nullptr)
        return std::nullopt;
    auto entries = file.ReadArray<Dynamic>(dynamic->p_offset, dynamic->p_filesz / sizeof(Dynamic));
    if (!entries)
        return std::nullopt;
    for (std::size_t i = 0; i < entries->size(); ++i) {
        if ((*entries)[i].d_tag == DT_NULL) {
            entries->resize(i);
            return entries;
        }
    }
    return std::nullopt;
}

// The dynamic section's values the reader follows; 0 where absent.
struct DynamicValues {
    Address strings = 0, string_bytes = 0, symbols = 0, symbol_size = 0;
    Address gnu_hash = 0, hash = 0, run_path = 0, old_run_path = 0;
    bool has_strings = false, has_symbols = false, has_run_path = false, has_old_run_path = false;
    std::vector<Address> needed;
};

DynamicValues Collect(const std::vector<Dynamic>& entries) {
    DynamicValues values;
    for (const Dynamic& entry : entries) {
        const Address value = entry.d_un.d_val;
        switch (entry.d_tag) {
            case DT_NEEDED:
                values.needed.push_back(value);
                break;
            case DT_STRTAB:
                values.strings = value;
                values.has_strings = true;
                break;
            case DT_STRSZ:
                values.string_bytes = value;
                break;
            case DT_SYMTAB:
                values.symbols = value;
                values.has_symbols = true;
                break;
            case DT_SYMENT:
                values.symbol_size = value;
                break;
            case DT_GNU_HASH:
                values.gnu_hash = value;
                break;
            case DT_HASH:
                values.hash = value;
                break;
            case DT_RUNPATH:
                values.run_path = value;
                values.has_run_path = true;
                break;
            case DT_RPATH:
                values.old_run_path = value;
                values.has_old_run_path = true;
                break;
            default:
                break;
        }
    }
    return values;
}

// The number of symbols, which the dynamic section does not state: from the SysV hash
// table's chain count, or from the GNU hash table's last chain.
std::optional<std::uint64_t> CountFromHash(const Image& image, Address hash) {
    const auto header = image.ReadArray<std::uint32_t>(hash, 2);
    return header ? std::optional<std::uint64_t>((*header)[1]) : std::nullopt;
}

std::optional<std::uint64_t> CountFromGnuHash(const Image& image, Address hash) {
    const auto header = image.ReadArray<std::uint32_t>(hash, 4);
    if (!header)
        return std::nullopt;
    const std::uint32_t buckets = (*header)[0], first = (*header)[1], bloom_words = (*header)[2];
    const Address bucket_table = hash + 16 + std::uint64_t{bloom_words} * sizeof(Address);
    const auto table = image.ReadArray<std::uint32_t>(bucket_table, buckets);
    if (!table)
        return std::nullopt;
    std::uint32_t last = 0;
    for (const std::uint32_t bucket : *table)
        last = std::max(last, bucket);
    if (last < first)
        return first;
    const Address chain = bucket_table + std::uint64_t{buckets} * 4;
    for (std::uint64_t index = last; index - first < kMaxTableBytes / sizeof(Symbol); ++index) {
        const auto link = image.ReadArray<std::uint32_t>(chain + (index - first) * 4, 1);
        if (!link)
            return std::nullopt;
        if (((*link)[0] & 1) != 0)
            return index + 1;
    }
    return std::nullopt;
}

bool IsVisibleFunction(const Symbol& symbol) {
    const unsigned type = ELF64_ST_TYPE(symbol.st_info);
    const unsigned binding = ELF64_ST_BIND(symbol.st_info);
    const unsigned visibility = ELF64_ST_VISIBILITY(symbol.st_other);
    return symbol.st_shndx != SHN_UNDEF && (type == STT_FUNC || type == STT_GNU_IFUNC) &&
           (binding == STB_GLOBAL || binding == STB_WEAK) &&
           (visibility == STV_DEFAULT || visibility == STV_PROTECTED);
}

// The text at `offset` of the string table; nothing when it does not end within it.
std::optional<std::string> StringAt(const std::vector<char>& strings, Address offset) {
    if (offset >= strings.size())
        return std::nullopt;
    const char* text = strings.data() + offset;
    const void* end = std::memchr(text, '\0', strings.size() - offset);
    if (end == nullptr)
        return std::nullopt;
    return std::string(text, static_cast<const char*>(end));
}

std::unordered_set<std::string> FunctionNames(const std::vector<Symbol>& symbols,
                                              const std::vector<char>& strings) {
    std::unordered_set<std::string> names;
    for (std::size_t i = 1; i < symbols.size(); ++i) {
        if (!IsVisibleFunction(symbols[i]))
            continue;
        if (auto name = StringAt(strings, symbols[i].st_name))
            names.insert(std::move(*name));
    }
    return names;
}

std::vector<std::string> SplitSearchPath(std::string_view text) {
    std::vector<std::string> folders;
    while (!text.empty()) {
        const auto colon = text.find(':');
        if (colon != 0)
            folders.emplace_back(text.substr(0, colon));
        text = colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
    }
    return folders;
}

std::optional<std::vector<Symbol>> ReadSymbols(const Image& image, const DynamicValues& values) {
    if (!values.has_symbols || values.symbol_size != sizeof(Symbol))
        return std::nullopt;
    const auto count = values.gnu_hash != 0 ? CountFromGnuHash(image, values.gnu_hash)
                       : values.hash != 0   ? CountFromHash(image, values.hash)
                                            : std::nullopt;
    if (!count)
        return std::nullopt;
    return image.ReadArray<Symbol>(values.symbols, *count);
}

std::optional<ElfDynamicInfo> Describe(const Image& image, const DynamicValues& values) {
    if (!values.has_strings)
        return std::nullopt;
    const auto strings = image.ReadArray<char>(values.strings, values.string_bytes);
    const auto symbols = ReadSymbols(image, values);
    if (!strings || !symbols)
        return std::nullopt;
    ElfDynamicInfo info;
    info.functions = FunctionNames(*symbols, *strings);
    for (const Address name : values.needed) {
        auto text = StringAt(*strings, name);
        if (!text)
            return std::nullopt;
        info.needed.push_back(std::move(*text));
    }
    const bool runpath = values.has_run_path;
    if (runpath || values.has_old_run_path) {
        const auto path = StringAt(*strings, runpath ? values.run_path : values.old_run_path);
        if (!path)
            return std::nullopt;
        info.search_path = SplitSearchPath(*path);
    }
    return info;
}

}  // namespace

std::optional<ElfDynamicInfo> ReadElfDynamicInfo(const std::filesystem::path& library) {
    const BoundedFile file(library.c_str());
    const auto header = ReadHeader(file);
    if (!header || !FitsThisProgram(*header))
        return std::nullopt;
    auto segments = ReadSegments(file, *header);
    if (!segments)
        return std::nullopt;
    const Image image(file, std::move(*segments));
    const auto entries = ReadDynamicSection(file, image);
    if (!entries)
        return std::nullopt;
    return Describe(image, Collect(*entries));
}

bool HasLoadableElfHeader(const std::filesystem::path& file) {
    const auto header = ReadHeader(BoundedFile(file.c_str()));
    return header && FitsThisProgram(*header);
}

}  // namespace tessal
