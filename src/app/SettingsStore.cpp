#include "SettingsStore.h"

#include <algorithm>
#include <cctype>

namespace nimbra::app {

namespace {

bool IsPlainName(const std::string& name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '_' || c == '-';
    });
}

}  // namespace

long SettingsStore::StoreValue(const std::string& name, const std::vector<long>& ids) {
    if (!IsPlainName(name))
        return -1;
    std::string body;
    for (long id : ids) {
        if (!body.empty())
            body += ',';
        body += std::to_string(id);
    }
    return m_client.Put("/lumenoApp/settings/" + name, body).Ok() ? 0 : -1;
}

}  // namespace nimbra::app
