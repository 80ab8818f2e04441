#include "platform/ProfileText.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Length of the GB18030 character starting at text[i]: trail bytes of multi-byte characters may look
// like ASCII letters, so they must not be case-folded.
size_t CharLength(std::string_view text, size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x81 || lead == 0xFF || i + 1 >= text.size()) {
        return 1;
    }
    const auto second = static_cast<unsigned char>(text[i + 1]);
    if (second >= 0x30 && second <= 0x39) {
        return i + 3 < text.size() ? 4 : 1;
    }
    return 2;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size();) {
        const size_t length = CharLength(a, i);
        if (length == 1) {
            if (AsciiLower(a[i]) != AsciiLower(b[i])) {
                return false;
            }
        } else if (a.substr(i, length) != b.substr(i, length)) {
            return false;
        }
        i += length;
    }
    return true;
}

// The name of a section header line ("[name]"), if the line is one.
std::optional<std::string_view> HeaderName(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    const size_t close = line.rfind(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(line.substr(1, close - 1));
}

struct Entry {
    std::string_view key;
    std::string_view value;
};

// The key and raw value of an entry line ("key=value"); comments and other lines are none.
std::optional<Entry> EntryOf(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';') {
        return std::nullopt;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    return Entry{Trim(line.substr(0, equals)), line.substr(equals + 1)};
}

std::string_view Unquote(std::string_view value) {
    value = Trim(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

ProfileText::ProfileText(std::string_view bytes) {
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t newline = bytes.find('\n', start);
        if (newline == std::string_view::npos) {
            m_lines.push_back({std::string(bytes.substr(start)), {}});
            break;
        }
        size_t textEnd = newline;
        if (textEnd > start && bytes[textEnd - 1] == '\r') {
            --textEnd;
        }
        m_lines.push_back({std::string(bytes.substr(start, textEnd - start)),
                           std::string(bytes.substr(textEnd, newline + 1 - textEnd))});
        start = newline + 1;
    }
    // New lines follow the file's own convention.
    if (!m_lines.empty() && m_lines.front().ending == "\r\n") {
        m_newline = "\r\n";
    }
}

std::optional<ProfileText::Range> ProfileText::FindSection(std::string_view section) const {
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const auto name = HeaderName(m_lines[i].text);
        if (!name || !EqualsIgnoreCase(*name, Trim(section))) {
            continue;
        }
        size_t end = i + 1;
        while (end < m_lines.size() && !HeaderName(m_lines[end].text)) {
            ++end;
        }
        return Range{i, end};
    }
    return std::nullopt;
}

std::optional<size_t> ProfileText::FindKey(const Range& range, std::string_view key) const {
    for (size_t i = range.header + 1; i < range.end; ++i) {
        const auto entry = EntryOf(m_lines[i].text);
        if (entry && EqualsIgnoreCase(entry->key, Trim(key))) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> ProfileText::Value(std::string_view section, std::string_view key) const {
    const auto range = FindSection(section);
    if (!range) {
        return std::nullopt;
    }
    const auto line = FindKey(*range, key);
    if (!line) {
        return std::nullopt;
    }
    return std::string(Unquote(EntryOf(m_lines[*line].text)->value));
}

bool ProfileText::SetValue(std::string_view section, std::string_view key, std::string_view value) {
    if (!IsValidSectionName(section) || !IsValidKeyName(key) || !IsValidValue(value)) {
        return false;
    }
    std::string text = std::string(key) + "=" + std::string(value);
    const auto range = FindSection(section);
    if (!range) {
        std::string header = "[";
        header.append(section).append("]");
        Insert(m_lines.size(), std::move(header));
        Insert(m_lines.size(), std::move(text));
        return true;
    }
    if (const auto line = FindKey(*range, key)) {
        // Keep the key as the file spells it.
        const std::string& old = m_lines[*line].text;
        m_lines[*line].text = old.substr(0, old.find('=') + 1) + std::string(value);
        return true;
    }
    // After the section's last non-blank line, so blank lines that separate sections stay between them.
    size_t at = range->end;
    while (at > range->header + 1 && Trim(m_lines[at - 1].text).empty()) {
        --at;
    }
    Insert(at, std::move(text));
    return true;
}

bool ProfileText::RemoveKey(std::string_view section, std::string_view key) {
    auto range = FindSection(section);
    if (!range) {
        return false;
    }
    bool removed = false;
    while (const auto line = FindKey(*range, key)) {
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(*line));
        --range->end;
        removed = true;
    }
    return removed;
}

bool ProfileText::RemoveSection(std::string_view section) {
    const auto range = FindSection(section);
    if (!range) {
        return false;
    }
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(range->header),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(range->end));
    return true;
}

void ProfileText::Insert(size_t index, std::string text) {
    if (index > 0 && m_lines[index - 1].ending.empty()) {
        m_lines[index - 1].ending = m_newline;
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(index), Line{std::move(text), m_newline});
}

std::string ProfileText::Bytes() const {
    std::string bytes;
    for (const Line& line : m_lines) {
        bytes += line.text;
        bytes += line.ending;
    }
    return bytes;
}

bool ProfileText::IsValidSectionName(std::string_view section) {
    // The header is read up to its last ']', so a ']' inside the name reads back as written.
    return !Trim(section).empty() && !HasLineBreak(section);
}

bool ProfileText::IsValidKeyName(std::string_view key) {
    const std::string_view trimmed = Trim(key);
    return !trimmed.empty() && trimmed.front() != '[' && trimmed.front() != ';' &&
           key.find('=') == std::string_view::npos && !HasLineBreak(key);
}

bool ProfileText::IsValidValue(std::string_view value) {
    return !HasLineBreak(value);
}
