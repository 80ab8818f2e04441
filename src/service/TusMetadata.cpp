#include "service/TusMetadata.h"

#include "service/Digest.h"

namespace nimbra::service {

namespace {

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::optional<TusMetadata> TusMetadata::Parse(const std::string& header) {
    TusMetadata result;
    size_t start = 0;
    while (start <= header.size()) {
        size_t end = header.find(',', start);
        if (end == std::string::npos)
            end = header.size();
        const std::string pair = Trim(header.substr(start, end - start));
        start = end + 1;
        if (pair.empty())
            continue;
        const size_t space = pair.find(' ');
        const std::string key = pair.substr(0, space);
        std::string value;
        if (space != std::string::npos) {
            auto decoded = Base64Decode(Trim(pair.substr(space + 1)));
            if (!decoded)
                return std::nullopt;
            value = std::move(*decoded);
        }
        if (!result.m_values.emplace(key, std::move(value)).second)
            return std::nullopt;
    }
    return result;
}

std::string TusMetadata::Get(const std::string& key) const {
    const auto it = m_values.find(key);
    return it == m_values.end() ? std::string() : it->second;
}

}  // namespace nimbra::service
