#pragma once
// The UI component's end of the adapter's reports, for tests: registered with the class factory as the
// IUIPCallBack singleton, it copies every report during the call, as a receiver must.

#include <vector>

#include "function/IUIPCallBack.h"
#include "host/UIUploadDefine.h"

// One report as the UI component received it, copied during the call as a receiver must.
struct RecordedEvent {
    long id = 0;
    LPARAM lParam = 0;
    FileInfoList batch;  // events 1 and 6
    tagFileInfo record;  // events 2 to 5
};

class RecordingCallBack final : public IUIPCallBack {
public:
    // Registers this object as the process's callback until it is destroyed.
    RecordingCallBack();
    ~RecordingCallBack() override;
    RecordingCallBack(const RecordingCallBack&) = delete;
    RecordingCallBack& operator=(const RecordingCallBack&) = delete;

    long OnCallBackEvent(long eventId, WPARAM wParam, LPARAM lParam) override;
    std::vector<RecordedEvent> events;
};
