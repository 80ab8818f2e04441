#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nimbra::service {

// Header fields in the order they came or were set; names compare without regard to case.
class HttpHeaders final {
public:
    using Field = std::pair<std::string, std::string>;

    void Add(std::string name, std::string value);
    // Replaces every field of that name.
    void Set(const std::string& name, std::string value);
    void Erase(std::string_view name);

    bool Has(std::string_view name) const { return Find(name) != nullptr; }
    size_t Count(std::string_view name) const;
    // The first field of that name, or empty.
    std::string Value(std::string_view name) const;
    const std::string* Find(std::string_view name) const;
    const std::vector<Field>& Fields() const { return m_fields; }
    size_t Size() const { return m_fields.size(); }

    // Whether a comma-separated field lists a token, e.g. "Trailer: Upload-Checksum, X".
    bool Lists(std::string_view name, std::string_view token) const;

private:
    std::vector<Field> m_fields;
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b);
// The text without the spaces and tabs around it (HTTP's optional white space).
std::string_view TrimmedBlanks(std::string_view text);

}  // namespace nimbra::service
