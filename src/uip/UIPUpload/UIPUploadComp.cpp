#include "uip/UIPUpload/UIPUploadComp.h"

#include <cstdlib>
#include <utility>

#include "function/IUIPCallBack.h"
#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "host/HostIds.h"
#include "log/LogMacros.h"
#include "platform/CodePage.h"
#include "uip/UIPUpload/EngineCall.h"
#include "uip/UIPUpload/TaskProgress.h"

using OrvULD::IOrvFileInfo;
using OrvULD::IOrvFileInfos;
using OrvULD::IOrvGlobals;

namespace {

// The engine speaks UTF-8, this side GB18030: texts change code page here and nowhere else in the adapter.
std::string ToEngine(const std::string& text) {
    return Gb18030ToUtf8(text);
}
std::string FromEngine(const std::string& text) {
    return Utf8ToGb18030(text);
}

constexpr long kFolderBatch = 1;

// A task as the transfer list shows it.
tagFileInfo ReadTaskRecord(IOrvFileInfo& task) {
    tagFileInfo record;
    record.nFileID = task.GetFileID();
    record.nState = static_cast<int32_t>(CUIPUploadComp::GetState(task.GetState()));
    record.strFilePath = FromEngine(task.GetfileName());
    record.strFileName = FromEngine(task.GetDisplayName());
    record.ullFileSize = task.GetFileSize();
    if (record.ullFileSize != 0) {
        record.ullDoneSize = task.GetProgress();
        record.strProgress = CTaskProgress::PercentText(record.ullDoneSize, record.ullFileSize);
    }
    return record;
}

}  // namespace

CUIPUploadComp::CUIPUploadComp() : CUIPUploadComp(CEngineActivation::Engine()) {}

CUIPUploadComp::CUIPUploadComp(CEngineActivation& activation) : m_activation(activation) {}

CUIPUploadComp::~CUIPUploadComp() {
    UnhookEvent();
    m_spUpload.Release();
}

long CUIPUploadComp::InitUIPComp() {
    static const char* const kName = "CUIPUploadComp::InitUIPComp";
    LOG_FUNCTION(kName);
    if (m_bInitialized) {
        return 0;
    }
    CEngineCall call(kName);
    HRESULT hResult = S_OK;
    if (!call.Run("HRESULT hResult = m_spUpload.CreateInstance( __uuidof( OrvUpLoad ) )", [&] {
            hResult =
                m_activation.CreateInstance(OrvULD::CLSID_OrvUpLoad, OrvULD::IID_IOrvUpLoad, m_spUpload);
        })) {
        return -1;
    }
    if (FAILED(hResult)) {
        call.LogFailedResult("hResult");
        return -1;
    }
    if (!m_spUpload) {
        LOG_NULL(kName, "m_spUpload");
        return -1;
    }
    const ComPtr<IOrvGlobals> spGlobals = CreateGlobals(call);
    std::string account;
    if (!spGlobals ||
        !ReadVariable(call, *spGlobals, "strUserName = (_bstr_t)spGlobals->GetVariable(D_GLOBAL_USERNAME)",
                      OrvULD::D_GLOBAL_USERNAME, account)) {
        return -1;
    }
    const std::string databasePath = TaskDatabasePath(account);
    if (!ApplyProxy(call, *spGlobals)) {
        return -1;
    }
    if (!call.Run("hResult = m_spUpload->Init(strUserName, \"\", \"\", 0, \"\", strDBPath)",
                  [&] { hResult = m_spUpload->Init(account, "", "", 0, "", databasePath); })) {
        return -1;
    }
    if (FAILED(hResult)) {
        call.LogFailedResult("hResult");
        return -1;
    }
    HookEvent();
    m_bInitialized = true;
    return 0;
}

long CUIPUploadComp::UninitUIPComp() {
    LOG_FUNCTION("CUIPUploadComp::UninitUIPComp");
    const long lRet = UnhookEvent();
    if (lRet != -1) {
        m_bInitialized = false;
    }
    return lRet;
}

long CUIPUploadComp::StartUpload(UploadFileList& files, const tagUploadInfo& info, long batchKind) {
    static const char* const kName = "CUIPUploadComp::StartUpload";
    LOG_FUNCTION(kName);
    if (!HasEngine(kName)) {
        return -1;
    }
    CEngineCall call(kName);
    std::string account;
    if (!ReadAccount(call, account)) {
        return -1;
    }
    // Re-bound before every batch: the request carries the upload service and the current sign-on text.
    if (!BindEngine(call, account, info.strRequestPath, info.strHost, info.nPort, info.strSSOKey)) {
        return -1;
    }
    m_lastUploadInfo = info;
    FileInfoList batch;
    for (tagUploadFileEntry& entry : files) {
        if (!AddUploadTask(call, kName, entry, info, batchKind, batch)) {
            return -1;
        }
    }
    HRESULT hResult = E_FAIL;
    if (!call.Run("hResult = m_spUpload->UpLoad( OrvULD::ORV_UPLOAD_OPERATE_TYPE_REQUEST_ID )",
                  [&] { hResult = m_spUpload->UpLoad(OrvULD::ORV_UPLOAD_OPERATE_TYPE_REQUEST_ID); })) {
        return -1;
    }
    if (FAILED(hResult)) {
        call.LogFailedResult("hResult");
        return -1;
    }
    const long eventId = batchKind == kFolderBatch ? UIP_EVENT_FOLDER_BATCH : UIP_EVENT_UPLOAD_BATCH;
    Report(kName, eventId, reinterpret_cast<WPARAM>(&batch), 0);
    return 0;
}

long CUIPUploadComp::GetUIPState() {
    static const char* const kName = "CUIPUploadComp::GetUIPState";
    LOG_FUNCTION(kName);
    if (!m_spUpload) {
        LOG_NULL(kName, "m_spUpload");
        return 0;
    }
    CEngineCall call(kName);
    int32_t lState = 0;
    // A failing state query is only logged: the task count still tells busy from idle.
    if (call.Run("lState = m_spUpload->GetState()", [&] { lState = m_spUpload->GetState(); }) &&
        lState == 1) {
        return 0;
    }
    int32_t lCount = 0;
    if (!call.Run("lCount = m_spUpload->GetActiveTaskCount()",
                  [&] { lCount = m_spUpload->GetActiveTaskCount(); })) {
        return -1;
    }
    return lCount != 0 ? 1 : 2;
}

long CUIPUploadComp::Clean() {
    LOG_FUNCTION("CUIPUploadComp::Clean");
    m_spUpload.Release();
    m_bInitialized = false;
    return 0;
}

long CUIPUploadComp::SyncUploadTask() {
    static const char* const kName = "CUIPUploadComp::SyncUploadTask";
    LOG_FUNCTION(kName);
    if (!HasEngine(kName)) {
        return -1;
    }
    CEngineCall call(kName);
    return call.Run("HRESULT hResult = m_spUpload->SyncUploadTask()", [&] { m_spUpload->SyncUploadTask(); })
               ? 0
               : -1;
}

long CUIPUploadComp::GetLastUploadList(UploadFileList& files) {
    static const char* const kName = "CUIPUploadComp::GetLastUploadList";
    LOG_FUNCTION(kName);
    if (!HasEngine(kName)) {
        return -1;
    }
    CEngineCall call(kName);
    const ComPtr<IOrvFileInfos> spFileInfos = TaskList(call, kName, true);
    if (!spFileInfos) {
        return -1;
    }
    const bool listed = call.Run("spFileInfo = spFileInfos->Item(i), for each task", [&] {
        const int32_t count = spFileInfos->Count();
        for (int32_t i = 0; i < count; ++i) {
            const ComPtr<IOrvFileInfo> spFileInfo = spFileInfos->Item(i);
            if (!spFileInfo) {
                continue;
            }
            tagUploadFileEntry entry;
            entry.strFilePath = FromEngine(spFileInfo->GetfileName());
            entry.strFileID = std::to_string(spFileInfo->GetFileID());
            entry.ullFileSize = spFileInfo->GetFileSize();
            entry.ullDoneSize = spFileInfo->GetProgress();
            files.push_back(std::move(entry));
        }
    });
    return listed ? 0 : -1;
}

long CUIPUploadComp::PauseUpload(long fileId) {
    static const char* const kName = "CUIPUploadComp::PauseUpload";
    LOG_FUNCTION(kName);
    return RunTaskCommand(kName, fileId, true, {{"hRet = spFileInfo->Pause()", &IOrvFileInfo::Pause}},
                          CommandResult::ExactOk);
}

long CUIPUploadComp::ResumeUpload(long fileId) {
    static const char* const kName = "CUIPUploadComp::ResumeUpload";
    LOG_FUNCTION(kName);
    return RunTaskCommand(kName, fileId, true, {{"hRet = spFileInfo->Resume()", &IOrvFileInfo::Resume}},
                          CommandResult::ExactOk);
}

long CUIPUploadComp::AbortUpload(long fileId) {
    static const char* const kName = "CUIPUploadComp::AbortUpload";
    LOG_FUNCTION(kName);
    return RunTaskCommand(kName, fileId, true, {{"hRet = spFileInfo->Abort()", &IOrvFileInfo::Abort}},
                          CommandResult::AnyReturn);
}

long CUIPUploadComp::DeleteUpload(long fileId) {
    static const char* const kName = "CUIPUploadComp::DeleteUpload";
    LOG_FUNCTION(kName);
    return RunTaskCommand(kName, fileId, true, {{"hRet = spFileInfo->Delete()", &IOrvFileInfo::Delete}},
                          CommandResult::ExactOk);
}

long CUIPUploadComp::ContUpload(long fileId) {
    static const char* const kName = "CUIPUploadComp::ContUpload";
    LOG_FUNCTION(kName);
    return RunTaskCommand(kName, fileId, true,
                          {{"hRet = spFileInfo->ContUpload()", &IOrvFileInfo::ContUpload}},
                          CommandResult::ExactOk);
}

long CUIPUploadComp::GetProgress(long fileId, long isUpload, tagFileInfo& info) {
    static const char* const kName = "CUIPUploadComp::GetProgress";
    LOG_FUNCTION(kName);
    if (!HasEngine(kName)) {
        return -1;
    }
    CEngineCall call(kName);
    const ComPtr<IOrvFileInfo> spFileInfo = FindTask(call, kName, fileId, isUpload != 0);
    if (!spFileInfo) {
        return -1;
    }
    uint64_t done = 0;
    uint64_t size = 0;
    int32_t state = 0;
    if (!call.Run(
            "dwDone = spFileInfo->Progress; lState = spFileInfo->GetState(); dwSize = spFileInfo->FileSize",
            [&] {
                done = spFileInfo->GetProgress();
                state = spFileInfo->GetState();
                size = spFileInfo->GetFileSize();
            })) {
        return -1;
    }
    info.nState = static_cast<int32_t>(GetState(state));
    if (isUpload == 0) {
        info.ullFileSize = size;
    }
    info.ullDoneSize = done > size ? size : done;
    return 0;
}

long CUIPUploadComp::GetProgress(long fileId, tagUploadProgress& progress) {
    static const char* const kName = "CUIPUploadComp::GetProgress";
    LOG_FUNCTION(kName);
    if (!HasEngine(kName)) {
        return -1;
    }
    CEngineCall call(kName);
    const ComPtr<IOrvFileInfo> spFileInfo = FindTask(call, kName, fileId, true);
    if (!spFileInfo) {
        return -1;
    }
    uint64_t done = 0;
    int32_t state = 0;
    if (!call.Run("dwDone = spFileInfo->Progress; lState = spFileInfo->GetState()", [&] {
            done = spFileInfo->GetProgress();
            state = spFileInfo->GetState();
        })) {
        return -1;
    }
    progress.ullDone = done;
    progress.nState = static_cast<int32_t>(GetState(state));
    return 0;
}

long CUIPUploadComp::GetDownLOadProgress(long& percent, tagFileInfo& info) {
    static const char* const kName = "CUIPUploadComp::GetDownLOadProgress";
    LOG_FUNCTION(kName);
    if (!HasEngine(kName)) {
        return -1;
    }
    CEngineCall call(kName);
    const ComPtr<IOrvFileInfo> spFileInfo = FindTask(call, kName, info.nFileID, false);
    if (!spFileInfo) {
        return -1;
    }
    uint64_t done = 0;
    uint64_t size = 0;
    int32_t state = 0;
    if (!call.Run(
            "dwSize = spFileInfo->FileSize; dwDone = spFileInfo->Progress; lState = spFileInfo->GetState()",
            [&] {
                size = spFileInfo->GetFileSize();
                done = spFileInfo->GetProgress();
                state = spFileInfo->GetState();
            })) {
        return -1;
    }
    info.ullFileSize = size;
    info.ullDoneSize = done;
    info.nState = static_cast<int32_t>(GetState(state));
    percent = static_cast<long>(CTaskProgress::Percent(done, size));
    return 0;
}

long CUIPUploadComp::GetTaskList(long isUpload, FileInfoMap& tasks) {
    static const char* const kName = "CUIPUploadComp::GetTaskList";
    LOG_FUNCTION(kName);
    if (!HasEngine(kName)) {
        return -1;
    }
    tasks.clear();
    CEngineCall call(kName);
    const ComPtr<IOrvFileInfos> spFileInfos = TaskList(call, kName, isUpload != 0);
    if (!spFileInfos) {
        return -1;
    }
    const bool listed = call.Run("spFileInfo = spFileInfos->Item(i), for each task", [&] {
        const int32_t count = spFileInfos->Count();
        for (int32_t i = 0; i < count; ++i) {
            if (const ComPtr<IOrvFileInfo> spFileInfo = spFileInfos->Item(i)) {
                tagFileInfo record = ReadTaskRecord(*spFileInfo);
                const int32_t id = record.nFileID;
                tasks[id] = std::move(record);
            }
        }
    });
    return listed ? 0 : -1;
}

long CUIPUploadComp::DownloadFile(const std::string& url, const std::string& localPath, long kind,
                                  LPARAM value) {
    static const char* const kName = "CUIPUploadComp::DownloadFile";
    LOG_FUNCTION(kName);
    if (!HasEngine(kName)) {
        return -1;
    }
    CEngineCall call(kName);
    std::string account;
    if (!ReadAccount(call, account)) {
        return -1;
    }
    ComPtr<IOrvFileInfo> spFileInfo;
    if (!call.Run("spFileInfo = m_spUpload->DownLoad(strUrl, strUserName, strLocalPath)",
                  [&] { spFileInfo = m_spUpload->DownLoad(ToEngine(url), account, ToEngine(localPath)); })) {
        return -1;
    }
    if (!spFileInfo) {
        LOG_NULL(kName, "spFileInfo");
        return -1;
    }
    tagFileInfo record;
    if (!call.Run(
            "lFileID = spFileInfo->FileID; strFileName = spFileInfo->fileName; dwSize = spFileInfo->FileSize",
            [&] {
                record.nFileID = spFileInfo->GetFileID();
                record.strFilePath = FromEngine(spFileInfo->GetfileName());
                record.ullFileSize = spFileInfo->GetFileSize();
            })) {
        return -1;
    }
    record.nState = TASK_WAITING;
    DownloadCallBackEvent(kind, reinterpret_cast<WPARAM>(&record), value);
    return 0;
}

long CUIPUploadComp::ContTask(long fileId, long isUpload) {
    static const char* const kName = "CUIPUploadComp::ContTask";
    LOG_FUNCTION(kName);
    if (m_nSSOFlag != 0) {
        InitUpload();
    }
    const TaskStep step = isUpload != 0
                              ? TaskStep{"hRet = spFileInfo->ContUpload()", &IOrvFileInfo::ContUpload}
                              : TaskStep{"hRet = spFileInfo->ContDownLoad()", &IOrvFileInfo::ContDownLoad};
    return RunTaskCommand(kName, fileId, isUpload != 0, {step}, CommandResult::AnySuccess);
}

long CUIPUploadComp::PauseTask(long fileId, long isUpload) {
    static const char* const kName = "CUIPUploadComp::PauseTask";
    LOG_FUNCTION(kName);
    return RunTaskCommand(kName, fileId, isUpload != 0,
                          {{"hRet = spFileInfo->Pause()", &IOrvFileInfo::Pause}}, CommandResult::AnySuccess);
}

long CUIPUploadComp::ResumeTask(long fileId, long isUpload) {
    static const char* const kName = "CUIPUploadComp::ResumeTask";
    LOG_FUNCTION(kName);
    if (m_nSSOFlag != 0) {
        InitUpload();
    }
    return RunTaskCommand(kName, fileId, isUpload != 0,
                          {{"hRet = spFileInfo->Resume()", &IOrvFileInfo::Resume}},
                          CommandResult::AnySuccess);
}

long CUIPUploadComp::DeleteTask(long fileId, long isUpload) {
    static const char* const kName = "CUIPUploadComp::DeleteTask";
    LOG_FUNCTION(kName);
    // Stopped first so no transfer is left running on a deleted task; the abort's own result does not count.
    return RunTaskCommand(kName, fileId, isUpload != 0,
                          {{"hRet = spFileInfo->Abort()", &IOrvFileInfo::Abort},
                           {"hRet = spFileInfo->Delete()", &IOrvFileInfo::Delete}},
                          CommandResult::AnySuccess);
}

long CUIPUploadComp::AbortTask(long fileId, long isUpload) {
    static const char* const kName = "CUIPUploadComp::AbortTask";
    LOG_FUNCTION(kName);
    return RunTaskCommand(kName, fileId, isUpload != 0,
                          {{"hRet = spFileInfo->Abort()", &IOrvFileInfo::Abort}}, CommandResult::AnySuccess);
}

long CUIPUploadComp::Init(const std::string& requestPath, const std::string& host, long port,
                          const std::string& signOn) {
    static const char* const kName = "CUIPUploadComp::Init";
    LOG_FUNCTION(kName);
    CEngineCall call(kName);
    std::string account;
    if (!ReadAccount(call, account)) {
        return -1;
    }
    if (!HasEngine(kName)) {
        return -1;
    }
    return BindEngine(call, account, requestPath, host, port, signOn) ? 0 : -1;
}

long CUIPUploadComp::GetErrorCode(long fileId, long isUpload) {
    static const char* const kName = "CUIPUploadComp::GetErrorCode";
    LOG_FUNCTION(kName);
    return ReadTaskNumber(kName, fileId, isUpload != 0, "lRet = spFileInfo->ErrorCode",
                          [](IOrvFileInfo& task) -> long { return task.GeterrorCode(); });
}

long CUIPUploadComp::GetNextTry(long fileId, long isUpload) {
    static const char* const kName = "CUIPUploadComp::GetNextTry";
    LOG_FUNCTION(kName);
    return ReadTaskNumber(kName, fileId, isUpload != 0, "lRet = spFileInfo->NextTryIn",
                          [](IOrvFileInfo& task) {
                              const int64_t milliseconds = task.GetNextTryIn();
                              return milliseconds < 0 ? -1L : static_cast<long>((milliseconds + 999) / 1000);
                          });
}

long CUIPUploadComp::ReadTaskNumber(const char* operation, long fileId, bool isUpload, const char* statement,
                                    long (*read)(IOrvFileInfo&)) {
    if (!HasEngine(operation)) {
        return -1;
    }
    CEngineCall call(operation);
    const ComPtr<IOrvFileInfo> spFileInfo = FindTask(call, operation, fileId, isUpload);
    if (!spFileInfo) {
        return -1;
    }
    long lRet = -1;
    if (!call.Run(statement, [&] { lRet = read(*spFileInfo); })) {
        return -1;
    }
    return lRet;
}

long CUIPUploadComp::SetSSOFlag(long flag) {
    LOG_FUNCTION("CUIPUploadComp::SetSSOFlag");
    m_nSSOFlag = static_cast<int32_t>(flag);
    return 0;
}

long CUIPUploadComp::InitUpload() {
    static const char* const kName = "CUIPUploadComp::InitUpload";
    LOG_FUNCTION(kName);
    CEngineCall call(kName);
    std::string account;
    if (!ReadAccount(call, account)) {
        return -1;
    }
    if (!HasEngine(kName)) {
        return -1;
    }
    IUICLogin* pIUICLogin = GetHostInterface<IUICLogin>(IID_IUICLogin);
    if (!pIUICLogin) {
        LOG_NULL(kName, "pIUICLogin");
        return -1;
    }
    const long lRet = pIUICLogin->GetSelectedText(1, m_lastUploadInfo.strSSOKey);
    if (lRet == -1) {
        LOG_FAILED(kName, "lRet");
        return -1;
    }
    pIUICLogin->UpdateSignOn(m_lastUploadInfo.strSSOKey);
    if (!BindEngine(call, account, m_lastUploadInfo.strRequestPath, m_lastUploadInfo.strHost,
                    m_lastUploadInfo.nPort, m_lastUploadInfo.strSSOKey)) {
        return -1;
    }
    m_nSSOFlag = 0;
    return 0;
}

long CUIPUploadComp::HookEvent() {
    // The engine's events are not subscribed: progress and state are polled.
    LOG_FUNCTION("CUIPUploadComp::HookEvent");
    return 0;
}

long CUIPUploadComp::UnhookEvent() {
    LOG_FUNCTION("CUIPUploadComp::UnhookEvent");
    return 0;
}

long CUIPUploadComp::OnCallBackUICEvent(long /*eventId*/, long /*wParam*/, long /*lParam*/) {
    LOG_FUNCTION("CUIPUploadComp::OnCallBackUICEvent");
    return -1;
}

long CUIPUploadComp::DownloadCallBackEvent(long kind, WPARAM wParam, LPARAM lParam) {
    static const char* const kName = "CUIPUploadComp::DownloadCallBackEvent";
    LOG_FUNCTION(kName);
    long eventId = UIP_EVENT_DOWNLOAD;
    if (kind == DOWNLOAD_KIND_SKIN || kind == DOWNLOAD_KIND_CRAWLER || kind == DOWNLOAD_KIND_NEWFILE) {
        eventId = kind;
    }
    Report(kName, eventId, wParam, lParam);
    return 0;
}

long CUIPUploadComp::GetState(long engineState) {
    switch (engineState) {
        case OrvULD::ORV_SESSION_STATE_READY:
        case OrvULD::ORV_SESSION_STATE_AUTH_OK:
            return TASK_WAITING;
        case OrvULD::ORV_SESSION_STATE_RUNNING:
            return TASK_RUNNING;
        case OrvULD::ORV_SESSION_STATE_PAUSE:
            return TASK_PAUSED;
        case OrvULD::ORV_SESSION_STATE_SCCESS:
            return TASK_FINISHED;
        case OrvULD::ORV_SESSION_STATE_FAIL:
            return TASK_FAILED;
        case OrvULD::ORV_SESSION_STATE_ERROR:
            return TASK_ENGINE_ERROR;
        default:
            return TASK_OTHER;
    }
}

bool CUIPUploadComp::HasEngine(const char* operation) const {
    if (!m_spUpload) {
        LOG_NULL(operation, "m_spUpload");
        return false;
    }
    return true;
}

ComPtr<IOrvGlobals> CUIPUploadComp::CreateGlobals(CEngineCall& call) {
    ComPtr<IOrvGlobals> spGlobals;
    HRESULT hResult = S_OK;
    if (!call.Run("hResult = spGlobals.CreateInstance( __uuidof(OrvGlobals) )", [&] {
            hResult =
                m_activation.CreateInstance(OrvULD::CLSID_OrvGlobals, OrvULD::IID_IOrvGlobals, spGlobals);
        })) {
        return {};
    }
    if (FAILED(hResult)) {
        call.LogFailedResult("hResult");
        return {};
    }
    if (!spGlobals) {
        LOG_NULL(call.Operation(), "spGlobals");
    }
    return spGlobals;
}

bool CUIPUploadComp::ReadVariable(CEngineCall& call, IOrvGlobals& globals, const char* statement,
                                  const char* key, std::string& value) {
    return call.Run(statement, [&] { value = globals.GetVariable(key); });
}

bool CUIPUploadComp::ReadAccount(CEngineCall& call, std::string& account) {
    const ComPtr<IOrvGlobals> spGlobals = CreateGlobals(call);
    return spGlobals &&
           ReadVariable(call, *spGlobals, "strUserName = (_bstr_t)spGlobals->GetVariable(D_GLOBAL_USERNAME)",
                        OrvULD::D_GLOBAL_USERNAME, account);
}

std::string CUIPUploadComp::TaskDatabasePath(const std::string& account) {
    return ToEngine(CToolsHelp::GetProgramDir()) + account + "/uploaddb.db";
}

bool CUIPUploadComp::ApplyProxy(CEngineCall& call, IOrvGlobals& globals) {
    std::string address;
    std::string port;
    std::string name;
    std::string password;
    if (!ReadVariable(call, globals, "a_straddr = (_bstr_t)spGlobals->GetVariable(D_GLOBAL_PROXYADDR)",
                      OrvULD::D_GLOBAL_PROXYADDR, address) ||
        !ReadVariable(call, globals, "a_strport = (_bstr_t)spGlobals->GetVariable(D_GLOBAL_PROXYPORT)",
                      OrvULD::D_GLOBAL_PROXYPORT, port) ||
        !ReadVariable(call, globals, "a_strname = (_bstr_t)spGlobals->GetVariable(D_GLOBAL_PROXYNAME)",
                      OrvULD::D_GLOBAL_PROXYNAME, name) ||
        !ReadVariable(call, globals,
                      "a_strpassword = (_bstr_t)spGlobals->GetVariable(D_GLOBAL_PROXYPSASSWORD)",
                      OrvULD::D_GLOBAL_PROXYPSASSWORD, password)) {
        return false;
    }
    // Applied also when empty, so a proxy switched off in the settings is switched off in the engine too.
    return call.Run("hResult = m_spUpload->ProxyAddr(a_straddr, atoi(a_strport))", [&] {
        m_spUpload->ProxyAddr(address, std::atoi(port.c_str()));
    }) && call.Run("hResult = m_spUpload->ProxyNameAndPwd(a_strname, a_strpassword)", [&] {
        m_spUpload->ProxyNameAndPwd(name, password);
    });
}

bool CUIPUploadComp::BindEngine(CEngineCall& call, const std::string& account, const std::string& requestPath,
                                const std::string& host, long port, const std::string& signOn) {
    const std::string databasePath = TaskDatabasePath(account);
    return call.Run("hResult = m_spUpload->Init(strUserName, strT2, strHost, nPort, strT5, strDBPath)", [&] {
        m_spUpload->Init(account, ToEngine(requestPath), ToEngine(host), static_cast<int32_t>(port),
                         ToEngine(signOn), databasePath);
    });
}

ComPtr<IOrvFileInfos> CUIPUploadComp::TaskList(CEngineCall& call, const char* operation, bool isUpload) {
    ComPtr<IOrvFileInfos> spFileInfos;
    const bool listed = isUpload ? call.Run("spFileInfos = m_spUpload->GetFileList()",
                                            [&] { spFileInfos = m_spUpload->GetFileList(); })
                                 : call.Run("spFileInfos = m_spUpload->GetDownLoadList()",
                                            [&] { spFileInfos = m_spUpload->GetDownLoadList(); });
    if (listed && !spFileInfos) {
        LOG_NULL(operation, "spFileInfos");
    }
    return spFileInfos;
}

ComPtr<IOrvFileInfo> CUIPUploadComp::FindTask(CEngineCall& call, const char* operation, long fileId,
                                              bool isUpload) {
    const ComPtr<IOrvFileInfos> spFileInfos = TaskList(call, operation, isUpload);
    if (!spFileInfos) {
        return {};
    }
    ComPtr<IOrvFileInfo> spFileInfo;
    if (!call.Run("spFileInfo = spFileInfos->Find(lFileID)",
                  [&] { spFileInfo = spFileInfos->Find(static_cast<int32_t>(fileId)); })) {
        return {};
    }
    if (!spFileInfo) {
        LOG_NULL(operation, "spFileInfo");
    }
    return spFileInfo;
}

long CUIPUploadComp::RunTaskCommand(const char* operation, long fileId, bool isUpload,
                                    std::initializer_list<TaskStep> steps, CommandResult rule) {
    if (!HasEngine(operation)) {
        return -1;
    }
    CEngineCall call(operation);
    const ComPtr<IOrvFileInfo> spFileInfo = FindTask(call, operation, fileId, isUpload);
    if (!spFileInfo) {
        return -1;
    }
    HRESULT hRet = E_FAIL;
    for (const TaskStep& step : steps) {
        if (!call.Run(step.statement, [&] { hRet = ((*spFileInfo).*step.command)(); })) {
            return -1;
        }
    }
    switch (rule) {
        case CommandResult::AnyReturn:
            return 0;
        case CommandResult::ExactOk:
            if (hRet == S_OK) {
                return 0;
            }
            break;
        case CommandResult::AnySuccess:
            if (SUCCEEDED(hRet)) {
                return 0;
            }
            break;
    }
    call.LogFailedResult("hRet");
    return -1;
}

bool CUIPUploadComp::AddUploadTask(CEngineCall& call, const char* operation, tagUploadFileEntry& entry,
                                   const tagUploadInfo& info, long batchKind, FileInfoList& batch) {
    ComPtr<IOrvFileInfo> spFileInfo;
    if (!call.Run("spFileInfo = m_spUpload->AddUpLoadFile()",
                  [&] { spFileInfo = m_spUpload->AddUpLoadFile(); })) {
        return false;
    }
    if (!spFileInfo) {
        LOG_NULL(operation, "spFileInfo");
        return false;
    }
    tagFileInfo record;
    if (!call.Run("lFileID = spFileInfo->FileID", [&] { record.nFileID = spFileInfo->GetFileID(); })) {
        return false;
    }
    entry.strFileID = std::to_string(record.nFileID);
    const bool described = call.Run("spFileInfo->PutfileName ... PutTag, PutMiniatureFileName/Size", [&] {
        spFileInfo->PutfileName(ToEngine(entry.strFilePath));
        spFileInfo->PutFileSize(entry.ullFileSize);
        spFileInfo->PutFileDescription(ToEngine(entry.strDescription));
        spFileInfo->PutComlexFlag(entry.bComplexFlag != 0);
        spFileInfo->PutComlexCID(ToEngine(entry.strComplexCID));
        spFileInfo->PutAppType(std::to_string(info.nAppType));
        spFileInfo->PutParentCatalogID(ToEngine(info.strTargetCatalogID));
        spFileInfo->PutNewCataLogName(ToEngine(info.strNewCatalogName));
        spFileInfo->PutTag(ToEngine(info.strTag));
        if (entry.nMiniatureFlag != 0) {
            spFileInfo->PutMiniatureFileName(ToEngine(entry.strMiniatureName));
            spFileInfo->PutMiniatureFileSize(entry.ullMiniatureSize);
        }
        record.ullFileSize = spFileInfo->GetFileSize();
    });
    if (!described) {
        return false;
    }
    record.strFilePath = entry.strFilePath;
    record.nState = TASK_WAITING;
    record.nCatalogFlag = static_cast<int32_t>(batchKind);
    batch.push_back(std::move(record));
    return true;
}

long CUIPUploadComp::Report(const char* operation, long eventId, WPARAM wParam, LPARAM lParam) {
    IUIPCallBack* pIUIPCallBack = CreateUIInstance<IUIPCallBack>();
    if (!pIUIPCallBack) {
        LOG_NULL(operation, "pIUIPCallBack");
        return -1;
    }
    return pIUIPCallBack->OnCallBackEvent(eventId, wParam, lParam);
}

void RegisterUIPUploadClasses() {
    CUIClassFactory::Instance()->Register(typeid(IUIPUpload), []() -> void* {
        return static_cast<IUIPUpload*>(UISingleton<CUIPUploadComp>::Instance());
    });
}
