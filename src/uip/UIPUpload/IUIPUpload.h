#pragma once
// The engine adapter's interface as the UI component sees it, in slot order. Texts are GB18030.
// Results are 0 for success and -1 for failure unless an operation says otherwise.

#include <cstdint>
#include <string>

#include "host/UIUploadDefine.h"
#include "platform/WinTypes.h"

// Amount done and state of one upload task (the two fields callers read).
struct tagUploadProgress {
    uint64_t ullDone = 0;
    int32_t nReserved2 = 0;
    int32_t nReserved3 = 0;
    int32_t nReserved4 = 0;
    int32_t nReserved5 = 0;
    int32_t nState = 0;
};

// Slots 0 to 2.
class IUIPComponent {
public:
    virtual ~IUIPComponent() = default;
    virtual long InitUIPComp() = 0;
    virtual long UninitUIPComp() = 0;
};

// Download kinds of DownloadFile.
inline constexpr long DOWNLOAD_KIND_ORDINARY = -1;
inline constexpr long DOWNLOAD_KIND_SKIN = 3;
inline constexpr long DOWNLOAD_KIND_CRAWLER = 4;
inline constexpr long DOWNLOAD_KIND_NEWFILE = 5;

class IUIPUpload : public IUIPComponent {
public:
    // Creates, describes and starts one task per entry (writing each task id into its entry); batch kind 1 is
    // a folder upload.
    virtual long StartUpload(UploadFileList& files, const tagUploadInfo& info, long batchKind) = 0;
    // 0 not ready (unbound or synchronising), 1 busy, 2 idle.
    virtual long GetUIPState() = 0;
    virtual long Clean() = 0;
    virtual long SyncUploadTask() = 0;
    virtual long GetLastUploadList(UploadFileList& files) = 0;
    virtual long PauseUpload(long fileId) = 0;
    virtual long ResumeUpload(long fileId) = 0;
    virtual long AbortUpload(long fileId) = 0;
    virtual long DeleteUpload(long fileId) = 0;
    virtual long ContUpload(long fileId) = 0;
    virtual long GetProgress(long fileId, long isUpload, tagFileInfo& info) = 0;
    virtual long GetProgress(long fileId, tagUploadProgress& progress) = 0;
    virtual long GetDownLOadProgress(long& percent, tagFileInfo& info) = 0;
    virtual long GetTaskList(long isUpload, FileInfoMap& tasks) = 0;
    virtual long DownloadFile(const std::string& url, const std::string& localPath, long kind,
                              LPARAM value) = 0;
    virtual long ContTask(long fileId, long isUpload) = 0;
    virtual long PauseTask(long fileId, long isUpload) = 0;
    virtual long ResumeTask(long fileId, long isUpload) = 0;
    virtual long DeleteTask(long fileId, long isUpload) = 0;
    virtual long AbortTask(long fileId, long isUpload) = 0;
    virtual long Init(const std::string& requestPath, const std::string& host, long port,
                      const std::string& signOn) = 0;
    virtual long GetErrorCode(long fileId, long isUpload) = 0;
    virtual long SetSSOFlag(long flag) = 0;
    // Seconds (rounded up) until the engine tries a task cut off by the network again by itself; -1 when
    // no try is planned or the task is not found.
    virtual long GetNextTry(long fileId, long isUpload) = 0;
};
