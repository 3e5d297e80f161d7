#include "common/base/text_codec.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace tessal {
namespace {

constexpr std::string_view kUtf8 = "UTF-8";
constexpr std::string_view kUtf16 = "UTF-16LE";

// Length of the UTF-8 sequence starting at `text[0]` when it is well formed, else 1,
// so that an unconvertible character is skipped whole and a stray byte alone.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 1;
    if (lead >> 5 == 0x6) {
        length = 2;
    } else if (lead >> 4 == 0xE) {
        length = 3;
    } else if (lead >> 3 == 0x1E) {
        length = 4;
    }
    if (length > text.size()) {
        return 1;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

class Converter {
public:
    Converter(std::string_view from, std::string_view to)
        : from_(from == kUtf8    ? Source::kFromUtf8
                : from == kUtf16 ? Source::kFromUtf16
                                 : Source::kFromBytes),
          handle_(iconv_open(std::string(to).c_str(), std::string(from).c_str())) {}
    ~Converter() {
        if (valid()) {
            iconv_close(handle_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts everything; each input byte is consumed exactly once, so this ends.
    std::string Run(std::string_view input, std::string_view replacement) {
        std::string output;
        output.reserve(input.size() * 2 + 8);
        while (!input.empty()) {
            const std::size_t consumed = Step(input, output);
            input.remove_prefix(consumed);
            if (consumed == 0 && !input.empty()) {
                output.append(replacement);
                input.remove_prefix(std::min(input.size(), UnitToSkip(input)));
                iconv(handle_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return output;
    }

private:
    // Converts as much as iconv takes in one go; returns the bytes consumed.
    std::size_t Step(std::string_view input, std::string& output) {
        char buffer[4096];
        char* in = const_cast<char*>(input.data());
        std::size_t in_left = input.size();
        for (;;) {
            char* out = buffer;
            std::size_t out_left = sizeof buffer;
            const std::size_t result = iconv(handle_, &in, &in_left, &out, &out_left);
            output.append(buffer, static_cast<std::size_t>(out - buffer));
            if (result != static_cast<std::size_t>(-1) || errno != E2BIG) {
                break;
            }
        }
        return input.size() - in_left;
    }

    enum class Source { kFromUtf8, kFromUtf16, kFromBytes };

    std::size_t UnitToSkip(std::string_view input) const {
        switch (from_) {
            case Source::kFromUtf8:
                return Utf8SequenceLength(input);
            case Source::kFromUtf16:
                return 2;
            case Source::kFromBytes:
                break;
        }
        return 1;
    }

    Source from_;
    iconv_t handle_;
};

std::string Convert(std::string_view input, std::string_view from, std::string_view to,
                    std::string_view replacement) {
    if (input.empty()) {
        return {};
    }
    Converter converter(from, to);
    if (!converter.valid()) {
        return {};
    }
    return converter.Run(input, replacement);
}

std::string BytesOf(std::u16string_view wide) {
    std::string bytes;
    bytes.reserve(wide.size() * 2);
    for (const char16_t unit : wide) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

std::u16string WideOf(std::string_view bytes) {
    std::u16string wide;
    wide.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return wide;
}

constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";
constexpr std::string_view kUtf16Replacement{"\xFD\xFF", 2};

}  // namespace

std::u16string WideFromUtf8(std::string_view utf8) {
    return WideOf(Convert(utf8, kUtf8, kUtf16, kUtf16Replacement));
}

std::string Utf8FromWide(std::u16string_view wide) {
    return Convert(BytesOf(wide), kUtf16, kUtf8, kUtf8Replacement);
}

std::string CodePageFromUtf8(std::string_view utf8, std::string_view code_page) {
    return Convert(utf8, kUtf8, code_page, "?");
}

std::string Utf8FromCodePage(std::string_view bytes, std::string_view code_page) {
    return Convert(bytes, code_page, kUtf8, kUtf8Replacement);
}

std::u16string WideFromAscii(std::string_view ascii) {
    std::u16string wide;
    wide.reserve(ascii.size());
    for (const char c : ascii) {
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    }
    return wide;
}

std::string AsciiFromWide(std::u16string_view wide) {
    std::string ascii;
    ascii.reserve(wide.size());
    for (const char16_t unit : wide) {
        ascii.push_back(static_cast<char>(unit));
    }
    return ascii;
}

}  // namespace tessal
