#include "service/TusMetadata.h"

#include "service/Digest.h"
#include "service/NameRules.h"

namespace nimbra::service {

std::optional<TusMetadata> TusMetadata::Parse(const std::string& header) {
    TusMetadata result;
    size_t start = 0;
    while (start <= header.size()) {
        size_t end = header.find(',', start);
        if (end == std::string::npos)
            end = header.size();
        const std::string pair = TrimBlanks(header.substr(start, end - start));
        start = end + 1;
        if (pair.empty())
            continue;
        const size_t space = pair.find(' ');
        const std::string key = pair.substr(0, space);
        std::string value;
        if (space != std::string::npos) {
            auto decoded = Base64Decode(TrimBlanks(pair.substr(space + 1)));
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
