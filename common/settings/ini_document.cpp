#include "common/settings/ini_document.h"

#include <algorithm>
#include <charconv>

namespace tessal {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

// The section name of a "[name]" line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[') {
        return std::nullopt;
    }
    const std::size_t close = trimmed.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(trimmed.substr(1, close - 1));
}

// The key of a "key=value" line, or nothing for comments and other lines.
std::optional<std::string_view> KeyName(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';') {
        return std::nullopt;
    }
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(trimmed.substr(0, equals));
}

std::string ValueOf(std::string_view line) {
    std::string_view value = Trim(line.substr(line.find('=') + 1));
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    if (quoted) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

// Keys and values are single-line by nature; a line break would split the entry.
std::string SingleLine(std::string_view text) {
    std::string line(text);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return line;
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view text) {
    IniDocument document;
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        document.byte_order_mark_ = true;
        text.remove_prefix(kByteOrderMark.size());
    }
    document.crlf_ = text.find("\r\n") != std::string_view::npos;
    document.final_newline_ = text.empty() || text.back() == '\n';
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        document.lines_.push_back({std::string(line)});
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return document;
}

std::string IniDocument::Serialize() const {
    const std::string_view line_end = crlf_ ? "\r\n" : "\n";
    std::string text;
    if (byte_order_mark_) {
        text.append(kByteOrderMark);
    }
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        text.append(lines_[i].text);
        if (i + 1 < lines_.size() || final_newline_) {
            text.append(line_end);
        }
    }
    return text;
}

std::optional<IniDocument::Range> IniDocument::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = SectionName(lines_[i].text);
        if (!name || !EqualIgnoringAsciiCase(*name, section)) {
            continue;
        }
        std::size_t end = i + 1;
        while (end < lines_.size() && !SectionName(lines_[end].text)) {
            ++end;
        }
        return Range{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> IniDocument::FindKey(const Range& range, std::string_view key) const {
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        const auto name = KeyName(lines_[i].text);
        if (name && EqualIgnoringAsciiCase(*name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::Value(std::string_view section,
                                              std::string_view key) const {
    const auto range = FindSection(section);
    const auto line = range ? FindKey(*range, key) : std::nullopt;
    if (!line) {
        return std::nullopt;
    }
    return ValueOf(lines_[*line].text);
}

std::vector<std::string> IniDocument::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    const auto range = FindSection(section);
    for (std::size_t i = range ? range->header + 1 : 0; range && i < range->end; ++i) {
        if (const auto name = KeyName(lines_[i].text)) {
            keys.emplace_back(*name);
        }
    }
    return keys;
}

std::vector<std::pair<std::string, std::string>> IniDocument::Entries(
    std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> entries;
    const auto range = FindSection(section);
    for (std::size_t i = range ? range->header + 1 : 0; range && i < range->end; ++i) {
        if (const auto name = KeyName(lines_[i].text)) {
            entries.emplace_back(std::string(*name), ValueOf(lines_[i].text));
        }
    }
    return entries;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string entry = SingleLine(key) + "=" + SingleLine(value);
    const auto range = FindSection(section);
    if (!range) {
        InsertLines(lines_.size(), {{"[" + SingleLine(section) + "]"}, {std::move(entry)}});
    } else if (const auto line = FindKey(*range, key)) {
        lines_[*line].text = std::move(entry);
    } else {
        InsertLines(InsertionPoint(*range), {{std::move(entry)}});
    }
}

void IniDocument::Append(std::string_view section,
                         const std::vector<std::pair<std::string, std::string>>& entries) {
    std::vector<Line> lines;
    lines.reserve(entries.size() + 1);
    const auto range = FindSection(section);
    if (!range) {
        lines.push_back({"[" + SingleLine(section) + "]"});
    }
    for (const auto& [key, value] : entries) {
        lines.push_back({SingleLine(key) + "=" + SingleLine(value)});
    }
    InsertLines(range ? InsertionPoint(*range) : lines_.size(), std::move(lines));
}

// After the section's last entry, before any blank lines that separate it from the next.
std::size_t IniDocument::InsertionPoint(const Range& range) const {
    std::size_t at = range.end;
    while (at > range.header + 1 && Trim(lines_[at - 1].text).empty()) {
        --at;
    }
    return at;
}

void IniDocument::InsertLines(std::size_t at, std::vector<Line> lines) {
    if (at == lines_.size()) {
        final_newline_ = true;  // the old last line gets its line end back
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
}

bool IniDocument::RemoveKey(std::string_view section, std::string_view key) {
    const auto range = FindSection(section);
    const auto line = range ? FindKey(*range, key) : std::nullopt;
    if (!line) {
        return false;
    }
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*line));
    return true;
}

bool IniDocument::RemoveSection(std::string_view section) {
    const auto range = FindSection(section);
    if (!range) {
        return false;
    }
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(range->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(range->end));
    return true;
}

std::optional<int> PlainKeyNumber(std::string_view key) {
    int number = 0;
    const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), number);
    if (error != std::errc() || end != key.data() + key.size() || number < 0 ||
        std::to_string(number) != key) {
        return std::nullopt;
    }
    return number;
}

}  // namespace tessal
