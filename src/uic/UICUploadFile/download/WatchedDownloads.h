#pragma once
// The two downloads a dialog follows: the crawler installer (kind 4, CUICPrgDlg) and a new file for the
// outside editor (kind 5, CDownFileDlg). One of each kind at a time: while its dialog is open, another
// shows a tip at the cursor and does not download.

#include <string>

#include "host/UIUploadDefine.h"

class CWatchedDownloads final {
public:
    // Hands the download (url into path, GB18030) to the engine adapter, whose report opens the dialog.
    // -1 when the adapter is missing (logged), else 0, also when only the tip was shown.
    static long Start(const char* operation, const std::string& url, const std::string& path, long kind);
    // The engine adapter reported a task of the kind: its dialog opens and follows the record.
    static void Watch(long kind, const tagFileInfo* record);
    // Destroys the dialogs still open, while the application object lives.
    static void CloseAll();
};
