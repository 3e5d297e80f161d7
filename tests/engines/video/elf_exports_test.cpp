// Reading a library's exported functions from its file: the built engine as it is, and
// damaged copies of it, whose offsets and sizes point anywhere. Under the address
// sanitizer a read outside what was read from the file fails the test.

#include "engines/video/loader/elf_exports.h"

#include <gtest/gtest.h>
#include <link.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <random>

#include "engines/video/aplayer.h"
#include "tests/support/temp_folder.h"

namespace tessal {
namespace {

using Header = ElfW(Ehdr);
using Section = ElfW(Shdr);
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
    std::size_t SectionOffset(std::size_t index) const {
        return header().e_shoff + index * sizeof(Section);
    }
    std::size_t IndexOf(std::uint32_t type) const {
        for (std::size_t i = 0; i < header().e_shnum; ++i)
            if (Get<Section>(SectionOffset(i)).sh_type == type)
                return i;
        return 0;
    }
    void ChangeSection(std::uint32_t type, const std::function<void(Section&)>& change) {
        const std::size_t offset = SectionOffset(IndexOf(type));
        Section section = Get<Section>(offset);
        change(section);
        Put(offset, section);
    }
    void ChangeSymbols(const std::function<void(Symbol&)>& change) {
        const auto table = Get<Section>(SectionOffset(IndexOf(SHT_DYNSYM)));
        for (std::size_t at = table.sh_offset; at < table.sh_offset + table.sh_size;
             at += sizeof(Symbol)) {
            Symbol symbol = Get<Symbol>(at);
            change(symbol);
            Put(at, symbol);
        }
    }
    void ChangeStrings(char filler) {
        const auto strings =
            Get<Section>(SectionOffset(Get<Section>(SectionOffset(IndexOf(SHT_DYNSYM))).sh_link));
        std::memset(bytes.data() + strings.sh_offset, filler, strings.sh_size);
    }
};

bool ExportsEveryEntryPoint(const std::optional<std::unordered_set<std::string>>& names) {
    if (!names)
        return false;
    for (const char* name : kAPlayerEntryPointNames)
        if (!names->contains(name))
            return false;
    return true;
}

TEST(APlayerElfExports, TheBuiltEnginesExportWhatTheyDefine) {
    const auto complete = ReadExportedFunctions(TESSAL_APLAYER_ENGINE);
    EXPECT_TRUE(ExportsEveryEntryPoint(complete));
    ASSERT_TRUE(complete);
    EXPECT_EQ(complete->size(), std::size(kAPlayerEntryPointNames)) << "only the entry points";
    EXPECT_FALSE(complete->contains("mpv_create")) << "imported, not exported";

    auto incomplete = ReadExportedFunctions(TESSAL_APLAYER_INCOMPLETE_LIBRARY);
    ASSERT_TRUE(incomplete);
    EXPECT_FALSE(incomplete->contains("APlayer_GetVersion"));
    incomplete->insert("APlayer_GetVersion");
    EXPECT_TRUE(ExportsEveryEntryPoint(incomplete));
}

TEST(APlayerElfExports, DamagedFilesNeverCountAsTheEngine) {
    using Damage = std::function<void(Library&)>;
    const std::vector<std::pair<const char*, Damage>> damages = {
        {"empty", [](Library& l) { l.bytes.clear(); }},
        {"text", [](Library& l) { l.bytes = "not a library"; }},
        {"half a header", [](Library& l) { l.bytes.resize(sizeof(Header) / 2); }},
        {"only the header", [](Library& l) { l.bytes.resize(sizeof(Header)); }},
        {"cut inside the section table",
         [](Library& l) { l.bytes.resize(l.header().e_shoff + sizeof(Section) + 3); }},
        {"section table beyond any file",
         [](Library& l) { l.Change([](Header& h) { h.e_shoff = ~0ull - 8; }); }},
        {"too many sections", [](Library& l) { l.Change([](Header& h) { h.e_shnum = 0xffff; }); }},
        {"no sections", [](Library& l) { l.Change([](Header& h) { h.e_shoff = 0; }); }},
        {"a huge extended section count",
         [](Library& l) {
             l.Change([](Header& h) { h.e_shnum = 0; });
             l.Put(l.SectionOffset(0) + offsetof(Section, sh_size), std::uint64_t{1} << 40);
         }},
        {"sections of another size",
         [](Library& l) { l.Change([](Header& h) { h.e_shentsize = 40; }); }},
        {"another class", [](Library& l) { l.Change([](Header& h) { h.e_ident[EI_CLASS] = 1; }); }},
        {"another byte order",
         [](Library& l) { l.Change([](Header& h) { h.e_ident[EI_DATA] = ELFDATA2MSB; }); }},
        {"another machine",
         [](Library& l) { l.Change([](Header& h) { h.e_machine = EM_AARCH64; }); }},
        {"an object file, not a library",
         [](Library& l) { l.Change([](Header& h) { h.e_type = ET_REL; }); }},
        {"no dynamic symbols",
         [](Library& l) { l.ChangeSection(SHT_DYNSYM, [](Section& s) { s.sh_type = SHT_NOTE; }); }},
        {"symbols past the end",
         [](Library& l) {
             const auto size = l.bytes.size();
             l.ChangeSection(SHT_DYNSYM, [&](Section& s) { s.sh_offset = size - 8; });
         }},
        {"symbols of another size",
         [](Library& l) { l.ChangeSection(SHT_DYNSYM, [](Section& s) { s.sh_entsize = 16; }); }},
        {"symbols 2^63 bytes long",
         [](Library& l) {
             l.ChangeSection(SHT_DYNSYM, [](Section& s) { s.sh_size = 1ull << 63; });
         }},
        {"names in a section that does not exist",
         [](Library& l) { l.ChangeSection(SHT_DYNSYM, [](Section& s) { s.sh_link = 0xfff0; }); }},
        {"names in the symbol table itself",
         [](Library& l) {
             const auto self = static_cast<std::uint32_t>(l.IndexOf(SHT_DYNSYM));
             l.ChangeSection(SHT_DYNSYM, [&](Section& s) { s.sh_link = self; });
         }},
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
        EXPECT_FALSE(ExportsEveryEntryPoint(ReadExportedFunctions(file))) << name;
    }
    EXPECT_FALSE(ReadExportedFunctions(folder.path())) << "a folder";
    EXPECT_FALSE(ReadExportedFunctions(folder.path() / "none.so")) << "no file";
}

// Random bytes in the parts the reader follows: whatever they say, it reads only what
// lies within the file.
TEST(APlayerElfExports, RandomDamageIsReadSafely) {
    // The caller is a small library of the same build: quick to write many times.
    const Library caller{Bytes(TESSAL_APLAYER_LIBRARY)};
    const auto dynsym = caller.Get<Section>(caller.SectionOffset(caller.IndexOf(SHT_DYNSYM)));
    const std::vector<std::pair<std::size_t, std::size_t>> regions = {
        {0, sizeof(Header)},
        {caller.header().e_shoff, caller.header().e_shnum * sizeof(Section)},
        {dynsym.sh_offset, dynsym.sh_size},
    };
    TempFolder folder;
    std::mt19937 random(12);
    for (int round = 0; round < 300; ++round) {
        Library library = caller;
        const auto& [start, size] = regions[random() % regions.size()];
        for (int flips = 1 + static_cast<int>(random() % 8); flips > 0; --flips)
            library.bytes[start + random() % size] = static_cast<char>(random());
        ReadExportedFunctions(folder.Write("libAPlayer.so", library.bytes));
    }
}

}  // namespace
}  // namespace tessal
