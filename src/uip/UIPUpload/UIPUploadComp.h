#pragma once
// The engine adapter: the one object that holds the transfer engine. It binds the engine to the signed-in
// account, creates and steers the engine's tasks for the UI component, and reports new upload batches and
// downloads back through IUIPCallBack. Texts are GB18030 on this side and UTF-8 on the engine's.
//
// Reports, delivered synchronously before the reporting operation returns:
//   StartUpload: event 1, or 6 for a folder batch (kind 1); wParam = const FileInfoList*; lParam = 0.
//   DownloadFile: event 3, 4 or 5 for those kinds, else 2; wParam = const tagFileInfo*; lParam = its value.
// Both pointers are valid only during the call: the receiver copies what it keeps.

#include <cstdint>
#include <initializer_list>
#include <string>

#include "engine/OrvULD.h"
#include "uip/UIPUpload/EngineActivation.h"
#include "uip/UIPUpload/IUIPUpload.h"
#include "uip/UIPUpload/UIPEventReceiver.h"

class CEngineCall;

class CUIPUploadComp final : public IUIPUpload, public CUIPEventReceiver {
public:
    // Creates the engine through the engine libraries' activation table.
    CUIPUploadComp();
    // Creates the engine through the given activation table.
    explicit CUIPUploadComp(CEngineActivation& activation);
    ~CUIPUploadComp() override;
    CUIPUploadComp(const CUIPUploadComp&) = delete;
    CUIPUploadComp& operator=(const CUIPUploadComp&) = delete;

    long InitUIPComp() override;
    long UninitUIPComp() override;
    long StartUpload(UploadFileList& files, const tagUploadInfo& info, long batchKind) override;
    long GetUIPState() override;
    long Clean() override;
    long SyncUploadTask() override;
    long GetLastUploadList(UploadFileList& files) override;
    long PauseUpload(long fileId) override;
    long ResumeUpload(long fileId) override;
    long AbortUpload(long fileId) override;
    long DeleteUpload(long fileId) override;
    long ContUpload(long fileId) override;
    long GetProgress(long fileId, long isUpload, tagFileInfo& info) override;
    long GetProgress(long fileId, tagUploadProgress& progress) override;
    long GetDownLOadProgress(long& percent, tagFileInfo& info) override;
    long GetTaskList(long isUpload, FileInfoMap& tasks) override;
    long DownloadFile(const std::string& url, const std::string& localPath, long kind, LPARAM value) override;
    long ContTask(long fileId, long isUpload) override;
    long PauseTask(long fileId, long isUpload) override;
    long ResumeTask(long fileId, long isUpload) override;
    long DeleteTask(long fileId, long isUpload) override;
    long AbortTask(long fileId, long isUpload) override;
    long Init(const std::string& requestPath, const std::string& host, long port,
              const std::string& signOn) override;
    long GetErrorCode(long fileId, long isUpload) override;
    long SetSSOFlag(long flag) override;
    long GetNextTry(long fileId, long isUpload) override;

    // Re-binds the engine with the last upload request and a refreshed sign-on text.
    long InitUpload();
    long HookEvent();
    long UnhookEvent();
    long OnCallBackUICEvent(long eventId, long wParam, long lParam);
    // Reports a new download to the UI component: kinds 3, 4 and 5 as their own event, any other as 2.
    long DownloadCallBackEvent(long kind, WPARAM wParam, LPARAM lParam);
    // Engine session state to program task state.
    static long GetState(long engineState);

private:
    // One command on one task and the statement it is logged with.
    struct TaskStep {
        const char* statement;
        HRESULT (OrvULD::IOrvFileInfo::*command)();
    };
    // How the last command's HRESULT becomes the operation's result.
    enum class CommandResult { ExactOk, AnyReturn, AnySuccess };

    // False (logged) when the engine has not been created.
    bool HasEngine(const char* operation) const;
    ComPtr<OrvULD::IOrvGlobals> CreateGlobals(CEngineCall& call);
    bool ReadVariable(CEngineCall& call, OrvULD::IOrvGlobals& globals, const char* statement, const char* key,
                      std::string& value);
    // The signed-in account (UTF-8) read from a fresh globals object; false when it could not be read.
    bool ReadAccount(CEngineCall& call, std::string& account);
    // <program dir><account>/uploaddb.db, UTF-8 for the engine.
    static std::string TaskDatabasePath(const std::string& account);
    bool ApplyProxy(CEngineCall& call, OrvULD::IOrvGlobals& globals);
    // The engine's Init with the request's texts; false when it threw.
    bool BindEngine(CEngineCall& call, const std::string& account, const std::string& requestPath,
                    const std::string& host, long port, const std::string& signOn);

    // The upload (isUpload non-zero) or download task with the id, or null (logged).
    ComPtr<OrvULD::IOrvFileInfo> FindTask(CEngineCall& call, const char* operation, long fileId,
                                          bool isUpload);
    // The engine's upload or download tasks, or null (logged).
    ComPtr<OrvULD::IOrvFileInfos> TaskList(CEngineCall& call, const char* operation, bool isUpload);
    // Finds the task and reads one number of it, logged with the statement; -1 when either fails.
    long ReadTaskNumber(const char* operation, long fileId, bool isUpload, const char* statement,
                        long (*read)(OrvULD::IOrvFileInfo&));
    // Finds the task and runs the steps on it in order; the last step's HRESULT decides the result.
    long RunTaskCommand(const char* operation, long fileId, bool isUpload,
                        std::initializer_list<TaskStep> steps, CommandResult rule);
    // Creates and describes the engine task of one entry, writes its id into the entry and appends its
    // record.
    bool AddUploadTask(CEngineCall& call, const char* operation, tagUploadFileEntry& entry,
                       const tagUploadInfo& info, long batchKind, FileInfoList& batch);
    // Hands an event to the UI component through the callback object, synchronously.
    long Report(const char* operation, long eventId, WPARAM wParam, LPARAM lParam);

    bool m_bInitialized = false;
    ComPtr<OrvULD::IOrvUpLoad> m_spUpload;
    int32_t m_nSSOFlag = 0;
    tagUploadInfo m_lastUploadInfo;
    CEngineActivation& m_activation;
};

// Makes the class factory hand out this adapter's singleton for IUIPUpload; the component module calls it
// when it is loaded.
void RegisterUIPUploadClasses();
