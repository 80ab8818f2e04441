#pragma once
// Process-wide single instances: each created on first request under its own lock, deleted once at unload
// (or earlier through DestroyUIInstance). The class factory hands out the singletons that callers know
// only by an interface type; the module that owns the concrete classes registers them at load.

#include <map>
#include <memory>
#include <mutex>
#include <type_traits>
#include <typeindex>
#include <typeinfo>

template <class T>
class UISingleton {
public:
    // The instance, created with its default constructor on first request.
    static T* Instance() {
        if (T* p = s_instance) {
            return p;
        }
        std::lock_guard lock(s_lock);
        if (!s_instance) {
            s_holder.reset(new T());
            s_instance = s_holder.get();
        }
        return s_instance;
    }
    // The instance if it exists, without creating it.
    static T* Existing() { return s_instance; }
    // Deletes the instance now; unload then has nothing left to delete.
    static void Destroy() {
        std::unique_ptr<T> doomed;
        {
            std::lock_guard lock(s_lock);
            s_instance = nullptr;
            doomed = std::move(s_holder);
        }
    }

private:
    static inline std::recursive_mutex s_lock;
    static inline std::unique_ptr<T> s_holder;
    static inline T* s_instance = nullptr;
};

class CUIClassFactory {
public:
    using Creator = void* (*)();

    static CUIClassFactory* Instance() { return UISingleton<CUIClassFactory>::Instance(); }

    // Stores the singleton registered for the type through out; leaves out untouched for any other type.
    void CreateInstance(const std::type_info& type, void** out);
    // Makes the factory hand out what creator returns when asked for type.
    void Register(const std::type_info& type, Creator creator);
    void Unregister(const std::type_info& type);
    bool Knows(const std::type_info& type);

private:
    std::mutex m_lock;
    std::map<std::type_index, Creator> m_creators;
};

// The single instance of T: through the class factory when T is registered there (the component, the engine
// adapter, the callback object), else T's own singleton. Null when the factory yields nothing.
template <class T>
T* CreateUIInstance() {
    CUIClassFactory* factory = CUIClassFactory::Instance();
    if (factory->Knows(typeid(T))) {
        void* out = nullptr;
        factory->CreateInstance(typeid(T), &out);
        return static_cast<T*>(out);
    }
    if constexpr (std::is_abstract_v<T>) {
        return nullptr;
    } else {
        return UISingleton<T>::Instance();
    }
}
