#include "function/UIClassFactory.h"

void CUIClassFactory::CreateInstance(const std::type_info& type, void** out) {
    if (!out) {
        return;
    }
    Creator creator = nullptr;
    {
        std::lock_guard lock(m_lock);
        const auto it = m_creators.find(std::type_index(type));
        if (it == m_creators.end()) {
            return;
        }
        creator = it->second;
    }
    // Created outside the lock: a constructor may ask the factory for another singleton.
    *out = creator();
}

void CUIClassFactory::Register(const std::type_info& type, Creator creator) {
    std::lock_guard lock(m_lock);
    m_creators[std::type_index(type)] = creator;
}

void CUIClassFactory::Unregister(const std::type_info& type) {
    std::lock_guard lock(m_lock);
    m_creators.erase(std::type_index(type));
}

bool CUIClassFactory::Knows(const std::type_info& type) {
    std::lock_guard lock(m_lock);
    return m_creators.count(std::type_index(type)) != 0;
}
