#pragma once
// The text of an initialisation file as lines, read and edited with private-profile rules: sections and
// keys match without regard to ASCII case (multi-byte GB18030 characters compare exactly), values are
// raw bytes, and every line that is not edited stays byte for byte (comments, blank lines, unknown
// sections, line endings).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ProfileText {
public:
    explicit ProfileText(std::string_view bytes);

    // The value as written after '=', blanks around it and one pair of enclosing quotes removed.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    // Sets a key, adding it (and its section) when missing. False for a section, key or value that
    // would not read back as written (line breaks, '=' in a key, a key that
    // would read as a header or a comment).
    bool SetValue(std::string_view section, std::string_view key, std::string_view value);
    // Remove a key or a whole section with all its lines; false when there was nothing to remove.
    bool RemoveKey(std::string_view section, std::string_view key);
    bool RemoveSection(std::string_view section);

    std::string Bytes() const;

    static bool IsValidSectionName(std::string_view section);
    static bool IsValidKeyName(std::string_view key);
    static bool IsValidValue(std::string_view value);

private:
    struct Line {
        std::string text;
        std::string ending;  // "\n", "\r\n" or empty for a last line without one
    };
    struct Range {
        size_t header;
        size_t end;  // one past the section's last line
    };

    std::optional<Range> FindSection(std::string_view section) const;
    std::optional<size_t> FindKey(const Range& range, std::string_view key) const;
    void Insert(size_t index, std::string text);

    std::vector<Line> m_lines;
    std::string m_newline = "\n";
};
