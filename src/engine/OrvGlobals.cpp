#include "engine/OrvGlobals.h"

#include <map>
#include <mutex>

namespace nimbra::engine {
namespace {

struct GlobalValues {
    std::mutex mutex;
    std::map<std::string, std::string> values;
};

GlobalValues& Values() {
    static GlobalValues values;
    return values;
}

}  // namespace

std::string OrvGlobals::GetVariable(const std::string& key) {
    auto& globals = Values();
    std::lock_guard lock(globals.mutex);
    const auto it = globals.values.find(key);
    return it == globals.values.end() ? std::string() : it->second;
}

HRESULT OrvGlobals::SetVariable(const std::string& key, const std::string& value) {
    if (key.empty()) {
        throw ComError(E_INVALIDARG, "empty key");
    }
    auto& globals = Values();
    std::lock_guard lock(globals.mutex);
    globals.values[key] = value;
    return S_OK;
}

}  // namespace nimbra::engine
