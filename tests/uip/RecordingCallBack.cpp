#include "RecordingCallBack.h"

#include "function/UIClassFactory.h"

namespace {

RecordingCallBack* g_callBack = nullptr;

}  // namespace

RecordingCallBack::RecordingCallBack() {
    g_callBack = this;
    CUIClassFactory::Instance()->Register(typeid(IUIPCallBack),
                                          []() -> void* { return static_cast<IUIPCallBack*>(g_callBack); });
}

RecordingCallBack::~RecordingCallBack() {
    CUIClassFactory::Instance()->Unregister(typeid(IUIPCallBack));
    g_callBack = nullptr;
}

long RecordingCallBack::OnCallBackEvent(long eventId, WPARAM wParam, LPARAM lParam) {
    RecordedEvent event;
    event.id = eventId;
    event.lParam = lParam;
    if (eventId == UIP_EVENT_UPLOAD_BATCH || eventId == UIP_EVENT_FOLDER_BATCH) {
        event.batch = *reinterpret_cast<const FileInfoList*>(wParam);
    } else {
        event.record = *reinterpret_cast<const tagFileInfo*>(wParam);
    }
    events.push_back(std::move(event));
    return 0;
}
