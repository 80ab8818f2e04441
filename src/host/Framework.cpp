#include "host/Framework.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

namespace {

struct FrameworkState {
    std::mutex mutex;
    std::vector<std::pair<uint32_t, FW_NotifyCallback>> subscriptions;
    std::map<GUID, IUSBase*> interfaces;
    bool (*offered)(uint32_t) = nullptr;
};

FrameworkState& State() {
    static FrameworkState state;
    return state;
}

}  // namespace

extern "C" {

long FW_ToCompSubNotify(uint32_t id, FW_NotifyCallback callback) {
    FrameworkState& s = State();
    std::lock_guard lock(s.mutex);
    if (!callback || (s.offered && !s.offered(id))) {
        return -1;
    }
    const auto entry = std::make_pair(id, callback);
    if (std::find(s.subscriptions.begin(), s.subscriptions.end(), entry) == s.subscriptions.end()) {
        s.subscriptions.push_back(entry);
    }
    return 0;
}

void FW_QueryInterface(const GUID* id, USInterfaceList* list, long count) {
    if (!id || !list || count <= 0) {
        return;
    }
    FrameworkState& s = State();
    std::lock_guard lock(s.mutex);
    const auto it = s.interfaces.find(*id);
    if (it != s.interfaces.end()) {
        list->push_back(it->second);
    }
}

int US_MemCmp(const void* a, const void* b, size_t length) {
    if (!a || !b) {
        return a == b ? 0 : 1;
    }
    return std::memcmp(a, b, length);
}

void FW_RegisterInterface(const GUID* id, IUSBase* object) {
    if (!id) {
        return;
    }
    FrameworkState& s = State();
    std::lock_guard lock(s.mutex);
    if (object) {
        s.interfaces[*id] = object;
    } else {
        s.interfaces.erase(*id);
    }
}

void FW_SetOfferedNotifications(bool (*offered)(uint32_t id)) {
    FrameworkState& s = State();
    std::lock_guard lock(s.mutex);
    s.offered = offered;
}

long FW_DeliverNotify(uint32_t id) {
    std::vector<FW_NotifyCallback> targets;
    {
        FrameworkState& s = State();
        std::lock_guard lock(s.mutex);
        for (const auto& [subscribed, callback] : s.subscriptions) {
            if (subscribed == id) {
                targets.push_back(callback);
            }
        }
    }
    // Called outside the lock: a callback may subscribe or query interfaces itself.
    for (FW_NotifyCallback callback : targets) {
        callback(id);
    }
    return static_cast<long>(targets.size());
}

void FW_GetSubscriptions(std::vector<uint32_t>* ids) {
    if (!ids) {
        return;
    }
    FrameworkState& s = State();
    std::lock_guard lock(s.mutex);
    for (const auto& entry : s.subscriptions) {
        ids->push_back(entry.first);
    }
}

void FW_Reset() {
    FrameworkState& s = State();
    std::lock_guard lock(s.mutex);
    s.subscriptions.clear();
    s.interfaces.clear();
    s.offered = nullptr;
}
}
