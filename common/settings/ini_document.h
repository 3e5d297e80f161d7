#pragma once

// The text of one INI file, edited line by line so that everything a change does not
// touch (comments, unknown lines, blank lines, the byte-order mark, CRLF) stays as it was.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessal {

class IniDocument {
public:
    static IniDocument Parse(std::string_view text);
    std::string Serialize() const;

    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    std::vector<std::string> Keys(std::string_view section) const;
    // Every entry of the section in file order, in one pass (a key that appears twice
    // appears twice; Value answers with the first).
    std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;

    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Adds entries whose keys the caller knows to be new, after the section's last entry:
    // one pass however many entries, for writers that add many keys at once.
    void Append(std::string_view section,
                const std::vector<std::pair<std::string, std::string>>& entries);
    bool RemoveKey(std::string_view section, std::string_view key);
    bool RemoveSection(std::string_view section);

private:
    struct Line {
        std::string text;  // without its line end
    };
    struct Range {
        std::size_t header;  // index of the "[section]" line
        std::size_t end;     // one past the section's last line
    };

    std::optional<Range> FindSection(std::string_view section) const;
    std::optional<std::size_t> FindKey(const Range& range, std::string_view key) const;
    std::size_t InsertionPoint(const Range& range) const;
    void InsertLines(std::size_t at, std::vector<Line> lines);

    std::vector<Line> lines_;
    bool byte_order_mark_ = false;
    bool crlf_ = false;
    bool final_newline_ = true;
};

// The number of a key in the plain decimal form the lists write ("0", "7", "12"); nothing
// for any other key ("Count", "007", "+7", one past the int range).
std::optional<int> PlainKeyNumber(std::string_view key);

}  // namespace tessal
