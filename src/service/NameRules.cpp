#include "service/NameRules.h"

#include <charconv>

#include "service/CatalogStore.h"
#include "service/http/HttpHeaders.h"

namespace nimbra::service {

namespace {

// The code point of the valid UTF-8 sequence at `at` and its length; length 0 when it is not valid.
std::pair<char32_t, size_t> DecodeUtf8(std::string_view text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t extra = 0;
    char32_t point = lead;
    if (lead < 0x80)
        return {point, 1};
    if (lead >= 0xC2 && lead <= 0xDF)
        extra = 1, point = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        extra = 2, point = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        extra = 3, point = lead & 0x07;
    else
        return {0, 0};
    if (at + extra >= text.size())
        return {0, 0};
    for (size_t k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80)
            return {0, 0};
        point = (point << 6) | (next & 0x3F);
    }
    // Overlong three/four-byte forms, surrogates and code points past U+10FFFF.
    const auto second = static_cast<unsigned char>(text[at + 1]);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
        return {0, 0};
    return {point, extra + 1};
}

bool IsControl(char32_t point) {
    return point < 0x20 || point == 0x7F;
}

bool IsValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t length = DecodeUtf8(text, i).second;
        if (length == 0)
            return false;
        i += length;
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
    if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos)
        return false;
    return IsAcceptableText(name, 255, false);
}

bool IsAcceptableText(const std::string& text, size_t maxBytes, bool lineBreaks) {
    if (text.size() > maxBytes || !IsValidUtf8(text))
        return false;
    for (const char c : text) {
        const bool lineBreak = c == '\n' || c == '\r' || c == '\t';
        if (IsControl(static_cast<unsigned char>(c)) && !(lineBreaks && lineBreak))
            return false;
    }
    return true;
}

std::string XmlSafeText(std::string_view text) {
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::string safe;
    safe.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto [point, length] = DecodeUtf8(text, i);
        if (length == 0) {
            safe += kReplacement;
            ++i;
            continue;
        }
        const bool allowed = point >= 0x20 ? point != 0xFFFE && point != 0xFFFF
                                           : point == '\t' || point == '\n' || point == '\r';
        if (allowed)
            safe.append(text.substr(i, length));
        i += length;
    }
    return safe;
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
    return std::string(TrimmedBlanks(text));
}

}  // namespace nimbra::service
