// Reading what a library offers and needs from its file: the built engine as it is,
// and damaged copies of it, whose offsets and sizes point anywhere. Under the address
// sanitizer a read outside what was read from the file fails the test.

#include "engines/video/loader/elf_exports.h"

#include <gtest/gtest.h>
#include <link.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>

#include "engines/video/aplayer.h"
#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

using Header = ElfW(Ehdr);
using Segment = ElfW(Phdr);
using Dynamic = ElfW(Dyn);
using Symbol = ElfW(Sym);

std::string Bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A library's bytes with typed access to the parts a damage changes.
struct Library {
    std::string bytes;

    template <typename T>
    T Get(std::size_t offset) const {
        T value{};
        std::memcpy(&value, bytes.data() + offset, sizeof value);
        return value;
    }
    template <typename T>
    void Put(std::size_t offset, const T& value) {
        std::memcpy(bytes.data() + offset, &value, sizeof value);
    }
    Header header() const { return Get<Header>(0); }
    void Change(const std::function<void(Header&)>& change) {
        Header header = this->header();
        change(header);
        Put(0, header);
    }
    std::size_t SegmentOffset(std::size_t index) const {
        return header().e_phoff + index * sizeof(Segment);
    }
    std::size_t SegmentIndex(std::uint32_t type) const {
        for (std::size_t i = 0; i < header().e_phnum; ++i)
            if (Get<Segment>(SegmentOffset(i)).p_type == type)
                return i;
        return 0;
    }
    void ChangeSegment(std::uint32_t type, const std::function<void(Segment&)>& change) {
        const std::size_t offset = SegmentOffset(SegmentIndex(type));
        Segment segment = Get<Segment>(offset);
        change(segment);
        Put(offset, segment);
    }
    // The file offset of a dynamic entry with `tag`.
    std::size_t EntryOffset(std::int64_t tag) const {
        const auto dynamic = Get<Segment>(SegmentOffset(SegmentIndex(PT_DYNAMIC)));
        for (std::size_t at = dynamic.p_offset; at < dynamic.p_offset + dynamic.p_filesz;
             at += sizeof(Dynamic))
            if (Get<Dynamic>(at).d_tag == tag)
                return at;
        return 0;
    }
    void ChangeEntries(std::int64_t tag, const std::function<void(Dynamic&)>& change) {
        for (std::size_t at = EntryOffset(tag); at != 0; at = EntryOffset(tag)) {
            Dynamic entry = Get<Dynamic>(at);
            change(entry);
            if (entry.d_tag == tag)
                entry.d_tag = DT_DEBUG;  // each entry once
            Put(at, entry);
        }
    }
    // The file offset of an address the dynamic section names (within a loaded segment).
    std::size_t FileOffset(std::uint64_t address) const {
        for (std::size_t i = 0; i < header().e_phnum; ++i) {
            const auto segment = Get<Segment>(SegmentOffset(i));
            if (segment.p_type == PT_LOAD && address >= segment.p_vaddr &&
                address < segment.p_vaddr + segment.p_filesz)
                return address - segment.p_vaddr + segment.p_offset;
        }
        return 0;
    }
    std::uint64_t Value(std::int64_t tag) const {
        return Get<Dynamic>(EntryOffset(tag)).d_un.d_val;
    }
    void ChangeSymbols(const std::function<void(Symbol&)>& change) {
        const std::size_t start = FileOffset(Value(DT_SYMTAB));
        const std::size_t end = FileOffset(Value(DT_STRTAB));  // the names follow the symbols
        for (std::size_t at = start + sizeof(Symbol); at + sizeof(Symbol) <= end;
             at += sizeof(Symbol)) {
            Symbol symbol = Get<Symbol>(at);
            change(symbol);
            Put(at, symbol);
        }
    }
    void ChangeStrings(char filler) {
        std::memset(bytes.data() + FileOffset(Value(DT_STRTAB)), filler, Value(DT_STRSZ));
    }
    void ChangeValue(std::int64_t tag, std::uint64_t value) {
        Dynamic entry = Get<Dynamic>(EntryOffset(tag));
        entry.d_un.d_val = value;
        Put(EntryOffset(tag), entry);
    }
};

bool ExportsEveryEntryPoint(const std::optional<ElfDynamicInfo>& info) {
    if (!info)
        return false;
    for (const char* name : kAPlayerEntryPointNames)
        if (!info->functions.contains(name))
            return false;
    return true;
}

TEST(APlayerElfExports, TheBuiltEnginesExportWhatTheyDefine) {
    const auto complete = ReadElfDynamicInfo(TESSAL_APLAYER_ENGINE);
    EXPECT_TRUE(ExportsEveryEntryPoint(complete));
    ASSERT_TRUE(complete);
    EXPECT_EQ(complete->functions.size(), std::size(kAPlayerEntryPointNames))
        << "only the entry points";
    EXPECT_FALSE(complete->functions.contains("mpv_create")) << "imported, not exported";
    EXPECT_TRUE(std::any_of(complete->needed.begin(), complete->needed.end(),
                            [](const std::string& name) { return name.starts_with("libmpv.so."); }))
        << "needs libmpv";

    auto incomplete = ReadElfDynamicInfo(TESSAL_APLAYER_INCOMPLETE_LIBRARY);
    ASSERT_TRUE(incomplete);
    EXPECT_FALSE(incomplete->functions.contains("APlayer_GetVersion"));
    incomplete->functions.insert("APlayer_GetVersion");
    EXPECT_TRUE(ExportsEveryEntryPoint(incomplete));

    // Section headers are not needed to load a library (strip tools remove them), so
    // their absence changes nothing.
    Library stripped{Bytes(TESSAL_APLAYER_ENGINE)};
    stripped.Change([](Header& h) {
        h.e_shoff = 0;
        h.e_shnum = 0;
        h.e_shstrndx = 0;
    });
    TempFolder folder;
    const auto without_sections = ReadElfDynamicInfo(folder.Write("libAPlayer.so", stripped.bytes));
    EXPECT_TRUE(ExportsEveryEntryPoint(without_sections));
    EXPECT_EQ(without_sections ? without_sections->needed : std::vector<std::string>{},
              complete->needed);
}

TEST(APlayerElfExports, DamagedFilesNeverCountAsTheEngine) {
    using Damage = std::function<void(Library&)>;
    const std::vector<std::pair<const char*, Damage>> damages = {
        {"empty", [](Library& l) { l.bytes.clear(); }},
        {"text", [](Library& l) { l.bytes = "not a library"; }},
        {"half a header", [](Library& l) { l.bytes.resize(sizeof(Header) / 2); }},
        {"only the header", [](Library& l) { l.bytes.resize(sizeof(Header)); }},
        {"cut inside the program headers",
         [](Library& l) { l.bytes.resize(l.header().e_phoff + sizeof(Segment) + 3); }},
        {"program headers beyond any file",
         [](Library& l) { l.Change([](Header& h) { h.e_phoff = ~0ull - 8; }); }},
        {"no program headers", [](Library& l) { l.Change([](Header& h) { h.e_phnum = 0; }); }},
        {"program headers zeroed",
         [](Library& l) {
             const auto h = l.header();
             std::memset(l.bytes.data() + h.e_phoff, 0, h.e_phnum * sizeof(Segment));
         }},
        {"a program header count kept elsewhere",
         [](Library& l) { l.Change([](Header& h) { h.e_phnum = PN_XNUM; }); }},
        {"program headers of another size",
         [](Library& l) { l.Change([](Header& h) { h.e_phentsize = 40; }); }},
        {"another class", [](Library& l) { l.Change([](Header& h) { h.e_ident[EI_CLASS] = 1; }); }},
        {"another byte order",
         [](Library& l) { l.Change([](Header& h) { h.e_ident[EI_DATA] = ELFDATA2MSB; }); }},
        {"another machine",
         [](Library& l) { l.Change([](Header& h) { h.e_machine = EM_AARCH64; }); }},
        {"an object file, not a library",
         [](Library& l) { l.Change([](Header& h) { h.e_type = ET_REL; }); }},
        {"no dynamic section",
         [](Library& l) { l.ChangeSegment(PT_DYNAMIC, [](Segment& s) { s.p_type = PT_NOTE; }); }},
        {"nothing loadable",
         [](Library& l) {
             for (int i = 0; i < 8; ++i)
                 l.ChangeSegment(PT_LOAD, [](Segment& s) { s.p_type = PT_NOTE; });
         }},
        {"dynamic section past the end",
         [](Library& l) {
             const auto size = l.bytes.size();
             l.ChangeSegment(PT_DYNAMIC, [&](Segment& s) { s.p_offset = size - 8; });
         }},
        {"dynamic section without its end",
         [](Library& l) {
             l.ChangeSegment(PT_DYNAMIC, [](Segment& s) { s.p_filesz = 2 * sizeof(Dynamic); });
         }},
        {"dynamic section 2^63 bytes long",
         [](Library& l) {
             l.ChangeSegment(PT_DYNAMIC, [](Segment& s) { s.p_filesz = 1ull << 63; });
         }},
        {"no symbol table", [](Library& l) { l.ChangeEntries(DT_SYMTAB, [](Dynamic&) {}); }},
        {"symbols outside the image", [](Library& l) { l.ChangeValue(DT_SYMTAB, 1ull << 40); }},
        {"symbols of another size", [](Library& l) { l.ChangeValue(DT_SYMENT, 16); }},
        {"no hash table to count the symbols",
         [](Library& l) {
             l.ChangeEntries(DT_GNU_HASH, [](Dynamic&) {});
             l.ChangeEntries(DT_HASH, [](Dynamic&) {});
         }},
        {"a hash table outside the image",
         [](Library& l) { l.ChangeValue(DT_GNU_HASH, ~0ull - 4); }},
        {"a hash table of 2^31 buckets",
         [](Library& l) { l.Put<std::uint32_t>(l.FileOffset(l.Value(DT_GNU_HASH)), 0x80000000u); }},
        {"no string table", [](Library& l) { l.ChangeEntries(DT_STRTAB, [](Dynamic&) {}); }},
        {"strings 2^63 bytes long", [](Library& l) { l.ChangeValue(DT_STRSZ, 1ull << 63); }},
        {"strings outside the image", [](Library& l) { l.ChangeValue(DT_STRTAB, 1ull << 40); }},
        {"names past the end of their table",
         [](Library& l) { l.ChangeSymbols([](Symbol& s) { s.st_name += 0x100000; }); }},
        {"names that never end", [](Library& l) { l.ChangeStrings('A'); }},
        {"functions only imported",
         [](Library& l) { l.ChangeSymbols([](Symbol& s) { s.st_shndx = SHN_UNDEF; }); }},
        {"functions hidden",
         [](Library& l) { l.ChangeSymbols([](Symbol& s) { s.st_other = STV_HIDDEN; }); }},
        {"data, not functions",
         [](Library& l) {
             l.ChangeSymbols([](Symbol& s) { s.st_info = ELF64_ST_INFO(STB_GLOBAL, STT_OBJECT); });
         }},
    };
    const Library engine{Bytes(TESSAL_APLAYER_ENGINE)};
    TempFolder folder;
    for (const auto& [name, damage] : damages) {
        Library library = engine;
        damage(library);
        const auto file = folder.Write("libAPlayer.so", library.bytes);
        EXPECT_FALSE(ExportsEveryEntryPoint(ReadElfDynamicInfo(file))) << name;
    }
    EXPECT_FALSE(ReadElfDynamicInfo(folder.path())) << "a folder";
    EXPECT_FALSE(ReadElfDynamicInfo(folder.path() / "none.so")) << "no file";
    // A needed name that does not end within the string table.
    Library library = engine;
    library.ChangeValue(DT_NEEDED, library.Value(DT_STRSZ) + 5);
    EXPECT_FALSE(ReadElfDynamicInfo(folder.Write("libAPlayer.so", library.bytes)));
}

// Random bytes in the parts the reader follows: whatever they say, it reads only what
// lies within the file.
TEST(APlayerElfExports, RandomDamageIsReadSafely) {
    // The caller is a small library of the same build: quick to write many times.
    const Library caller{Bytes(TESSAL_APLAYER_LIBRARY)};
    const auto dynamic = caller.Get<Segment>(caller.SegmentOffset(caller.SegmentIndex(PT_DYNAMIC)));
    const auto symbols = caller.FileOffset(caller.Value(DT_SYMTAB));
    const auto hash = caller.FileOffset(caller.Value(DT_GNU_HASH));
    const std::vector<std::pair<std::size_t, std::size_t>> regions = {
        {0, sizeof(Header)},
        {caller.header().e_phoff, caller.header().e_phnum * sizeof(Segment)},
        {dynamic.p_offset, dynamic.p_filesz},
        {symbols, caller.FileOffset(caller.Value(DT_STRTAB)) - symbols},
        {hash, symbols > hash ? symbols - hash : 64},
    };
    TempFolder folder;
    std::mt19937 random(12);
    for (int round = 0; round < 300; ++round) {
        Library library = caller;
        const auto& [start, size] = regions[random() % regions.size()];
        for (int flips = 1 + static_cast<int>(random() % 8); flips > 0; --flips)
            library.bytes[start + random() % size] = static_cast<char>(random());
        ReadElfDynamicInfo(folder.Write("libAPlayer.so", library.bytes));
    }
}

}  // namespace
}  // namespace tessal
