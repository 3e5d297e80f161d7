#include "player/core/player_list_ini.h"

#include <algorithm>
#include <charconv>

#include "common/settings/ini_document.h"

namespace tessal::player {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool IsQuoted(std::string_view value) {
    return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
           value.back() == value.front();
}

std::string ValueOf(std::string_view text) {
    std::string_view value = Trim(text);
    if (IsQuoted(value)) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

// Names and values are single lines by nature; a line break would split the entry.
std::string SingleLine(std::string_view text) {
    std::string line(text);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return line;
}

}  // namespace

std::string FoldIniName(std::string_view name) {
    std::string folded(Trim(SingleLine(name)));
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return folded;
}

std::string QuotedIniValue(std::string_view value) {
    const std::string line = SingleLine(value);
    if (Trim(line) != line || IsQuoted(line)) {
        return "\"" + line + "\"";
    }
    return line;
}

IniIndex IniIndex::Parse(std::string_view text) {
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
    }
    IniIndex index;
    Section* current = nullptr;  // null before the first section and in repeated ones
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!raw.empty() && raw.back() == '\r') {
            raw.remove_suffix(1);
        }
        // A stray carriage return is a blank, as a write makes it: a name read here is
        // then the name written back.
        std::string spaced;
        if (raw.find('\r') != std::string_view::npos) {
            spaced = SingleLine(raw);
            raw = spaced;
        }
        const std::string_view line = Trim(raw);
        const std::size_t close = line.rfind(']');
        if (line.size() >= 2 && line.front() == '[' && close != std::string_view::npos) {
            const auto [at, added] =
                index.sections_.try_emplace(FoldIniName(line.substr(1, close - 1)));
            current = added ? &at->second : nullptr;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (current == nullptr || line.empty() || line.front() == ';' ||
            equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = Trim(line.substr(0, equals));
        const std::string value = ValueOf(line.substr(equals + 1));
        if (current->values.try_emplace(FoldIniName(key), value).second) {
            if (const auto number = PlainKeyNumber(key)) {
                current->numbered.emplace(*number, value);
            }
        }
    }
    return index;
}

const IniIndex::Section* IniIndex::Find(std::string_view section) const {
    const auto found = sections_.find(FoldIniName(section));
    return found == sections_.end() ? nullptr : &found->second;
}

std::optional<std::string> IniIndex::Value(std::string_view section, std::string_view key) const {
    const Section* found = Find(section);
    if (found == nullptr) {
        return std::nullopt;
    }
    const auto value = found->values.find(FoldIniName(key));
    if (value == found->values.end()) {
        return std::nullopt;
    }
    return value->second;
}

std::vector<std::pair<int, std::string>> IniIndex::Numbered(std::string_view section,
                                                            int last) const {
    std::vector<std::pair<int, std::string>> values;
    const Section* found = Find(section);
    if (found == nullptr) {
        return values;
    }
    for (auto it = found->numbered.begin(); it != found->numbered.end() && it->first <= last;
         ++it) {
        values.emplace_back(it->first, it->second);
    }
    return values;
}

IniWriter::Section& IniWriter::SectionFor(std::string_view section) {
    const auto [at, added] = by_name_.try_emplace(FoldIniName(section), sections_.size());
    if (added) {
        sections_.push_back({SingleLine(section), {}, {}});
    }
    return sections_[at->second];
}

std::string* IniWriter::Find(std::string_view section, std::string_view key) {
    const auto at = by_name_.find(FoldIniName(section));
    if (at == by_name_.end()) {
        return nullptr;
    }
    Section& found = sections_[at->second];
    const auto entry = found.by_key.find(FoldIniName(key));
    return entry == found.by_key.end() ? nullptr : &found.entries[entry->second].second;
}

void IniWriter::Set(std::string_view section, std::string_view key, std::string_view value) {
    Section& target = SectionFor(section);
    const auto [at, added] = target.by_key.try_emplace(FoldIniName(key), target.entries.size());
    if (added) {
        target.entries.emplace_back(SingleLine(key), QuotedIniValue(value));
    } else {
        target.entries[at->second].second = QuotedIniValue(value);
    }
}

void IniWriter::SetAtLeast(std::string_view section, std::string_view key, int value) {
    const std::string* current = Find(section, key);
    int known = 0;
    if (current != nullptr &&
        std::from_chars(current->data(), current->data() + current->size(), known).ec ==
            std::errc() &&
        known > value) {
        return;
    }
    Set(section, key, std::to_string(value));
}

std::string IniWriter::Text() const {
    std::string text;
    for (const Section& section : sections_) {
        text.append("[").append(section.name).append("]\n");
        for (const auto& [key, value] : section.entries) {
            text.append(key).append("=").append(value).append("\n");
        }
    }
    return text;
}

}  // namespace tessal::player
