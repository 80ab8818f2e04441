#include "uip/UIPUpload/UIPEventReceiver.h"

HRESULT CUIPEventReceiver::__eventHandlerVProxy(int handlerIndex, IUnknown* /*source*/, void* /*arguments*/) {
    constexpr int kReceiverQuery = -1;
    return handlerIndex == kReceiverQuery ? 1 : E_FAIL;
}
