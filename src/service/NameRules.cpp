#include "service/NameRules.h"

#include <charconv>

#include "service/CatalogStore.h"

namespace nimbra::service {

namespace {

bool IsValidUtf8(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        if (lead < 0x80)
            extra = 0;
        else if (lead >= 0xC2 && lead <= 0xDF)
            extra = 1;
        else if (lead >= 0xE0 && lead <= 0xEF)
            extra = 2;
        else if (lead >= 0xF0 && lead <= 0xF4)
            extra = 3;
        else
            return false;
        if (i + extra >= text.size() && extra > 0)
            return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        // Overlong three/four-byte forms, surrogates and code points past U+10FFFF.
        const auto second = extra ? static_cast<unsigned char>(text[i + 1]) : 0;
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
            (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
            return false;
        i += extra + 1;
    }
    return true;
}

}  // namespace

std::optional<int64_t> ParseCatalogId(const std::string& text) {
    if (text.empty() || text == "root" || text == "10000000000011")
        return kTopCatalog;
    return ParseSize(text);
}

std::string FormatCatalogId(int64_t catalogId) {
    return catalogId == kTopCatalog ? std::string("root") : std::to_string(catalogId);
}

bool IsAcceptableName(const std::string& name) {
    if (name.empty() || name.size() > 255 || name == "." || name == "..")
        return false;
    for (char c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    return IsValidUtf8(name);
}

std::optional<int64_t> ParseSize(const std::string& text) {
    int64_t value = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || text[0] == '-' || text[0] == '+')
        return std::nullopt;
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::string TrimBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace nimbra::service
