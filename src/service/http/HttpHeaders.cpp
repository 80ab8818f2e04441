#include "service/http/HttpHeaders.h"

#include <algorithm>
#include <cctype>

namespace nimbra::service {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view TrimmedBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

void HttpHeaders::Add(std::string name, std::string value) {
    m_fields.emplace_back(std::move(name), std::move(value));
}

void HttpHeaders::Set(const std::string& name, std::string value) {
    Erase(name);
    Add(name, std::move(value));
}

void HttpHeaders::Erase(std::string_view name) {
    m_fields.erase(std::remove_if(m_fields.begin(), m_fields.end(),
                                  [&](const Field& field) { return EqualsIgnoringCase(field.first, name); }),
                   m_fields.end());
}

size_t HttpHeaders::Count(std::string_view name) const {
    return static_cast<size_t>(std::count_if(m_fields.begin(), m_fields.end(), [&](const Field& field) {
        return EqualsIgnoringCase(field.first, name);
    }));
}

const std::string* HttpHeaders::Find(std::string_view name) const {
    for (const Field& field : m_fields)
        if (EqualsIgnoringCase(field.first, name))
            return &field.second;
    return nullptr;
}

std::string HttpHeaders::Value(std::string_view name) const {
    const std::string* value = Find(name);
    return value ? *value : std::string();
}

bool HttpHeaders::Lists(std::string_view name, std::string_view token) const {
    for (const Field& field : m_fields) {
        if (!EqualsIgnoringCase(field.first, name))
            continue;
        std::string_view rest = field.second;
        while (!rest.empty()) {
            const size_t comma = rest.find(',');
            if (EqualsIgnoringCase(TrimmedBlanks(rest.substr(0, comma)), token))
                return true;
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        }
    }
    return false;
}

}  // namespace nimbra::service
