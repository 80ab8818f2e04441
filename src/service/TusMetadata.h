#pragma once

#include <map>
#include <optional>
#include <string>

namespace nimbra::service {

// The Upload-Metadata header: comma-separated "key base64value" pairs (a key may stand alone).
class TusMetadata final {
public:
    // nullopt when a value is not valid base64 or a key repeats.
    static std::optional<TusMetadata> Parse(const std::string& header);

    std::string Get(const std::string& key) const;
    bool Has(const std::string& key) const { return m_values.count(key) != 0; }

private:
    std::map<std::string, std::string> m_values;
};

}  // namespace nimbra::service
