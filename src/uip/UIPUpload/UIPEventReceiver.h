#pragma once
// The event-receiver base of the engine adapter: the one entry through which hooked engine events would
// arrive. The adapter hooks none (it polls the engine instead), so the dispatcher knows no handler.

#include "platform/ComBase.h"

class CUIPEventReceiver {
public:
    virtual ~CUIPEventReceiver() = default;

    // Forwards an event to the dispatcher: handler index, source object, argument block.
    virtual HRESULT __eventHandlerProxy(int handlerIndex, IUnknown* source, void* arguments) {
        return __eventHandlerVProxy(handlerIndex, source, arguments);
    }

protected:
    // Index -1 asks whether the receiver dispatches at all (1); any handler index it does not know is E_FAIL.
    HRESULT __eventHandlerVProxy(int handlerIndex, IUnknown* source, void* arguments);
};
