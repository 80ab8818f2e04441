#pragma once
// How the engine adapter reports new upload batches and downloads to the UI component.

#include "platform/WinTypes.h"

// Report event ids.
inline constexpr long UIP_EVENT_UPLOADING_TEXT = 0;
inline constexpr long UIP_EVENT_UPLOAD_BATCH = 1;
inline constexpr long UIP_EVENT_DOWNLOAD = 2;
inline constexpr long UIP_EVENT_SKIN_DOWNLOAD = 3;
inline constexpr long UIP_EVENT_CRAWLER_DOWNLOAD = 4;
inline constexpr long UIP_EVENT_NEWFILE_DOWNLOAD = 5;
inline constexpr long UIP_EVENT_FOLDER_BATCH = 6;

class IUIPCallBack {
public:
    // Pointers in wParam are valid only during the call: the receiver copies what it keeps.
    virtual long OnCallBackEvent(long eventId, WPARAM wParam, LPARAM lParam) = 0;
    virtual ~IUIPCallBack() = default;
};
