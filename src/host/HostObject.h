#pragma once
// The IUSBase and IUICComponent answers every host object gives: the host owns its objects for the life
// of the process, so reference counts are not kept, and each object offers exactly its own interface.

#include "host/IUSBase.h"

template <class Interface>
class HostObject : public Interface {
public:
    explicit HostObject(const GUID& iid) : m_iid(iid) {}
    long AddRef() override { return 1; }
    long Release() override { return 1; }
    long QueryInterface(const GUID& iid, void** ppv) override {
        if (!ppv)
            return 0;
        *ppv = iid == m_iid ? static_cast<Interface*>(this) : nullptr;
        return *ppv ? 1 : 0;
    }

private:
    GUID m_iid;
};

// Host components answer the component base slots; those with a window override GetComponentHwnd.
template <class Interface>
class HostComponent : public HostObject<Interface> {
public:
    using HostObject<Interface>::HostObject;
    long CreateComponent(long) override { return -1; }
    HWND GetComponentHwnd() override { return nullptr; }
    long DoComponent() override { return 0; }
    long OnEventHandle(long, WPARAM, LPARAM) override { return -1; }
    long OnComponentNotify(long, WPARAM, LPARAM) override { return -1; }
};
