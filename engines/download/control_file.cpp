#include "engines/download/control_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

namespace tessal::xldl {
namespace {

constexpr std::int64_t kBlockBytes = 16 * 1024;  // aria2's block within a piece
constexpr std::size_t kLargestControlFile = 64 * 1024 * 1024;

// Big-endian fields, read in order; every read is bounds-checked.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    bool Number(std::size_t width, std::uint64_t& value) {
        if (bytes_.size() - offset_ < width)
            return false;
        value = 0;
        for (std::size_t i = 0; i < width; ++i)
            value = value << 8 | static_cast<unsigned char>(bytes_[offset_ + i]);
        offset_ += width;
        return true;
    }
    bool Bytes(std::uint64_t length, std::string_view& out) {
        if (bytes_.size() - offset_ < length)
            return false;
        out = bytes_.substr(offset_, static_cast<std::size_t>(length));
        offset_ += static_cast<std::size_t>(length);
        return true;
    }

private:
    std::string_view bytes_;
    std::size_t offset_ = 0;
};

bool BitSet(std::string_view bitfield, std::uint64_t index) {
    return (static_cast<unsigned char>(bitfield[index / 8]) & (0x80U >> (index % 8))) != 0;
}

// The end of the last set bit's unit: bit i covers [i * unit, (i + 1) * unit) from `start`.
std::int64_t EndOfSetBits(std::string_view bitfield, std::int64_t start, std::int64_t unit,
                          std::int64_t limit) {
    for (std::uint64_t i = bitfield.size() * 8; i-- > 0;) {
        if (BitSet(bitfield, i))
            return std::min(start + static_cast<std::int64_t>(i + 1) * unit, limit);
    }
    return 0;
}

bool ReadInFlightPieces(Reader& reader, std::uint64_t piece_bytes, ControlFileFacts& facts) {
    std::uint64_t count = 0;
    if (!reader.Number(4, count))
        return false;
    for (std::uint64_t piece = 0; piece < count; ++piece) {
        std::uint64_t index = 0;
        std::uint64_t length = 0;
        std::uint64_t bitfield_length = 0;
        std::string_view bitfield;
        if (!reader.Number(4, index) || !reader.Number(4, length) ||
            !reader.Number(4, bitfield_length) || !reader.Bytes(bitfield_length, bitfield))
            return false;
        const auto start = static_cast<std::int64_t>(index * piece_bytes);
        const std::int64_t end =
            std::min(start + static_cast<std::int64_t>(length), facts.total_bytes);
        facts.needed_bytes =
            std::max(facts.needed_bytes, EndOfSetBits(bitfield, start, kBlockBytes, end));
    }
    return true;
}

}  // namespace

std::optional<ControlFileFacts> ParseControlFile(std::string_view bytes) {
    Reader reader(bytes);
    std::uint64_t version = 0, extension = 0, hash_length = 0, piece_bytes = 0, total = 0,
                  upload = 0, bitfield_length = 0;
    std::string_view hash;
    std::string_view bitfield;
    if (!reader.Number(2, version) || version != 1 || !reader.Number(4, extension) ||
        !reader.Number(4, hash_length) || !reader.Bytes(hash_length, hash) ||
        !reader.Number(4, piece_bytes) || piece_bytes == 0 || !reader.Number(8, total) ||
        total > static_cast<std::uint64_t>(INT64_MAX) || !reader.Number(8, upload) ||
        !reader.Number(4, bitfield_length) || !reader.Bytes(bitfield_length, bitfield))
        return std::nullopt;
    ControlFileFacts facts;
    facts.total_bytes = static_cast<std::int64_t>(total);
    facts.needed_bytes =
        EndOfSetBits(bitfield, 0, static_cast<std::int64_t>(piece_bytes), facts.total_bytes);
    if (!ReadInFlightPieces(reader, piece_bytes, facts))
        return std::nullopt;
    return facts;
}

std::int64_t KeepTrustworthyControlFile(const std::filesystem::path& lesson) {
    std::filesystem::path control = lesson;
    control += ".aria2";
    std::error_code error;
    const auto control_size = std::filesystem::file_size(control, error);
    if (error)
        return 0;  // none: aria2 starts afresh by itself
    std::optional<ControlFileFacts> facts;
    if (control_size <= kLargestControlFile) {
        std::ifstream in(control, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        facts = ParseControlFile(bytes);
    }
    const auto lesson_size = std::filesystem::file_size(lesson, error);
    if (facts && !error && static_cast<std::int64_t>(lesson_size) >= facts->needed_bytes)
        return facts->total_bytes;
    std::filesystem::remove(control, error);
    return 0;
}

}  // namespace tessal::xldl
