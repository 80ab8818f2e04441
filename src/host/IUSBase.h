#pragma once
// The host's base interface and the component base every host component derives from.
// Virtual functions stand in slot order; reserved slots keep every named slot at its number.

#include <string>

#include "platform/WinTypes.h"

#define NIMBRA_RESERVED_SLOT(n) \
    virtual void ReservedSlot##n() {}

// Slots 0 to 3.
class NIMBRA_EXPORT IUSBase {
public:
    virtual long AddRef() = 0;
    virtual long Release() = 0;
    // 1 and a new reference through ppv when the object offers the interface, else 0 and null.
    virtual long QueryInterface(const GUID& iid, void** ppv) = 0;
    virtual ~IUSBase() = default;
};

// Slots 4 to 8.
class NIMBRA_EXPORT IUICComponent : public IUSBase {
public:
    virtual long CreateComponent(long value) = 0;
    virtual HWND GetComponentHwnd() = 0;
    virtual long DoComponent() = 0;
    virtual long OnEventHandle(long type, WPARAM wParam, LPARAM lParam) = 0;
    virtual long OnComponentNotify(long id, WPARAM wParam, LPARAM lParam) = 0;
};
