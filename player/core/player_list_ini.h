#pragma once

// The INI text of "./PlayerList.ini", read and written whole. A playlist of a thousand
// lessons is some four thousand entries; looking each up by a walk over the file's lines
// (as the shared INI module does for a few keys) would cost seconds, so the file is read
// into an index once and written from memory in one go.
//
// The rules are the INI module's: sections and keys match without regard to ASCII case,
// the first section and the first key of a name win, blanks around names and values and
// one pair of quotes around a value are dropped. One difference: a section name runs to
// the last "]" of its line, so a course or lesson named with a "]" finds its section.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tessal::player {

// The value as it must be written for the reader to give it back unchanged: wrapped in
// double quotes when it has blanks at either end or is itself wrapped in quotes.
std::string QuotedIniValue(std::string_view value);

class IniIndex {
public:
    static IniIndex Parse(std::string_view text);

    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    // The values of the keys "0", "1", ... up to `last` that the section has, in number
    // order, with their numbers. A key written otherwise ("007", "+7") is not one of them.
    std::vector<std::pair<int, std::string>> Numbered(std::string_view section, int last) const;

private:
    struct Section {
        std::unordered_map<std::string, std::string> values;  // by folded key
        std::map<int, std::string> numbered;
    };
    const Section* Find(std::string_view section) const;

    std::unordered_map<std::string, Section> sections_;  // by folded name
};

class IniWriter {
public:
    // Places the section, empty until keys are set in it.
    void AddSection(std::string_view section) { SectionFor(section); }
    // Sets the key, replacing a value set before: the last written wins.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Sets a number that only grows: a section that two roles share keeps the larger.
    void SetAtLeast(std::string_view section, std::string_view key, int value);
    // Sections in the order they were first set, keys likewise.
    std::string Text() const;

private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> entries;
        std::unordered_map<std::string, std::size_t> by_key;  // folded key -> entry
    };
    Section& SectionFor(std::string_view section);
    std::string* Find(std::string_view section, std::string_view key);

    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> by_name_;  // folded name -> section
};

// ASCII letters in lower case: the form in which INI names are compared.
std::string FoldIniName(std::string_view name);

}  // namespace tessal::player
