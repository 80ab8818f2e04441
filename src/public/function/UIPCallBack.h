#pragma once
// The one implementation of the adapter's callback: hands each report to the UI component's event handler,
// synchronously, on the calling thread.

#include "function/IUIPCallBack.h"
#include "function/UIClassFactory.h"
#include "log/LogMacros.h"

template <class TComponent>
class CUIPCallBack final : public IUIPCallBack {
public:
    long OnCallBackEvent(long eventId, WPARAM wParam, LPARAM lParam) override {
        long result = -1;
        if (TComponent* component = CreateUIInstance<TComponent>()) {
            result = component->OnEventHandle(eventId, wParam, lParam);
        }
        LOG_EXIT("CUIPCallBack::OnCallBackEvent");
        return result;
    }
};
