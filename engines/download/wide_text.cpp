#include "engines/download/wide_text.h"

#include <algorithm>
#include <cstdint>

namespace tessal::xldl {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(char32_t code, std::string& out) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

void AppendUtf16(char32_t code, std::u16string& out) {
    if (code < 0x10000) {
        out.push_back(static_cast<char16_t>(code));
        return;
    }
    code -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
}

bool IsHigh(char16_t unit) {
    return unit >= 0xD800 && unit < 0xDC00;
}
bool IsLow(char16_t unit) {
    return unit >= 0xDC00 && unit < 0xE000;
}

// The length of the UTF-8 sequence a lead byte starts, 0 when it starts none.
int SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead < 0xE0)
        return 2;
    if (lead >= 0xE0 && lead < 0xF0)
        return 3;
    if (lead >= 0xF0 && lead < 0xF5)
        return 4;
    return 0;
}

// Decodes one sequence at `at`; advances `at` past it (one byte when invalid).
char32_t DecodeOne(std::string_view utf8, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(utf8[at]);
    const int length = SequenceLength(lead);
    if (length == 0 || at + static_cast<std::size_t>(length) > utf8.size()) {
        ++at;
        return kReplacement;
    }
    if (length == 1) {
        ++at;
        return lead;
    }
    char32_t code = lead & (0x3F >> (length - 1));
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(utf8[at + static_cast<std::size_t>(i)]);
        if ((next & 0xC0) != 0x80) {
            ++at;
            return kReplacement;
        }
        code = (code << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    at += static_cast<std::size_t>(length);
    const bool surrogate = code >= 0xD800 && code < 0xE000;
    return (code < kSmallest[length] || code > 0x10FFFF || surrogate) ? kReplacement : code;
}

}  // namespace

std::string Utf8FromField(const char16_t* field, std::size_t capacity) {
    const char16_t* end = std::find(field, field + capacity, u'\0');
    return Utf8FromWide(std::u16string_view(field, static_cast<std::size_t>(end - field)));
}

std::string Utf8FromWide(std::u16string_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const char16_t unit = wide[i];
        if (IsHigh(unit) && i + 1 < wide.size() && IsLow(wide[i + 1])) {
            AppendUtf8(0x10000 + ((char32_t{unit} - 0xD800) << 10) + (wide[i + 1] - 0xDC00u), out);
            ++i;
        } else {
            AppendUtf8(IsHigh(unit) || IsLow(unit) ? kReplacement : char32_t{unit}, out);
        }
    }
    return out;
}

std::u16string WideFromUtf8(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t at = 0;
    while (at < utf8.size()) {
        AppendUtf16(DecodeOne(utf8, at), out);
    }
    return out;
}

void CopyToField(std::u16string_view text, char16_t* field, std::size_t capacity) {
    if (capacity == 0)
        return;
    const std::size_t count = std::min(text.size(), capacity - 1);
    std::copy_n(text.data(), count, field);
    field[count] = u'\0';
}

}  // namespace tessal::xldl
