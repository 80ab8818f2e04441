#pragma once
// A scripted transfer engine for the adapter's tests: it keeps its tasks in memory, records every call it
// receives as text, and throws or answers whatever a test sets up. Installed through the process's class
// factory registry, where the adapter looks when the activation table cannot create a class.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/OrvULD.h"

namespace scripted {

// Every call the engine objects received, in order, e.g. "Init(demo,|path|,host,8080,sso,/db)".
using CallLog = std::vector<std::string>;

// What a named engine call does before it runs (typically: throw). Keyed by the method's name.
using Faults = std::map<std::string, std::function<void()>>;

class Task final : public RefCounted<OrvULD::IOrvFileInfo> {
public:
    Task(int32_t id, CallLog& calls, Faults& faults) : m_id(id), m_calls(calls), m_faults(faults) {}

    HRESULT QueryInterface(const IID& iid, void** ppv) override;
    int32_t GetFileID() override { return m_id; }
    OrvULD::ORV_UPLOAD_SESSION_STATE GetState() override;
    std::string GetfileName() override { return fileName; }
    void PutfileName(const std::string& path) override { fileName = path; }
    uint64_t GetProgress() override;
    uint64_t GetFileSize() override { return fileSize; }
    void PutFileSize(uint64_t size) override { fileSize = size; }
    int32_t GeterrorCode() override { return errorCode; }
    void PutFileDescription(const std::string& text) override { description = text; }
    void PutComlexFlag(bool flag) override { complexFlag = flag; }
    void PutComlexCID(const std::string& id) override { complexCid = id; }
    void PutAppType(const std::string& type) override { appType = type; }
    void PutParentCatalogID(const std::string& id) override { parentCatalogId = id; }
    void PutNewCataLogName(const std::string& name) override { newCatalogName = name; }
    void PutTag(const std::string& text) override { tag = text; }
    void PutMiniatureFileName(const std::string& path) override;
    void PutMiniatureFileSize(uint64_t size) override { miniatureSize = size; }
    void PutSSOKey(const std::string& key) override { ssoKey = key; }
    std::string GetDisplayName() override { return displayName; }
    HRESULT Pause() override { return Command("Pause"); }
    HRESULT Resume() override { return Command("Resume"); }
    HRESULT Abort() override { return Command("Abort"); }
    HRESULT Delete() override { return Command("Delete"); }
    HRESULT ContUpload() override { return Command("ContUpload"); }
    HRESULT ContDownLoad() override { return Command("ContDownLoad"); }
    int64_t GetNextTryIn() override;

    OrvULD::ORV_UPLOAD_SESSION_STATE state = OrvULD::ORV_SESSION_STATE_READY;
    std::string fileName;
    uint64_t progress = 0;
    uint64_t fileSize = 0;
    int32_t errorCode = 0;
    int64_t nextTryIn = -1;
    std::string description;
    bool complexFlag = false;
    std::string complexCid;
    std::string appType;
    std::string parentCatalogId;
    std::string newCatalogName;
    std::string tag;
    std::string miniatureName;
    bool miniatureNameSet = false;
    uint64_t miniatureSize = 0;
    std::string ssoKey;
    std::string displayName;
    // What the task's commands return when they do not throw.
    HRESULT commandResult = S_OK;

private:
    HRESULT Command(const char* name);

    int32_t m_id;
    CallLog& m_calls;
    Faults& m_faults;
};

class TaskList final : public RefCounted<OrvULD::IOrvFileInfos> {
public:
    explicit TaskList(std::vector<ComPtr<Task>> tasks) : m_tasks(std::move(tasks)) {}
    HRESULT QueryInterface(const IID& iid, void** ppv) override;
    int32_t Count() override { return static_cast<int32_t>(m_tasks.size()); }
    ComPtr<OrvULD::IOrvFileInfo> Item(int32_t index) override;
    ComPtr<OrvULD::IOrvFileInfo> Find(int32_t fileId) override;

private:
    std::vector<ComPtr<Task>> m_tasks;
};

class Engine final : public RefCounted<OrvULD::IOrvUpLoad> {
public:
    HRESULT QueryInterface(const IID& iid, void** ppv) override;
    ComPtr<OrvULD::IOrvFileInfo> AddUpLoadFile() override;
    HRESULT UpLoad(int32_t operateType) override;
    ComPtr<OrvULD::IOrvFileInfos> GetFileList() override;
    int32_t GetState() override;
    HRESULT Reserved1() override { return E_NOTIMPL; }
    HRESULT Init(const std::string& account, const std::string& requestPath, const std::string& host,
                 int32_t port, const std::string& signOn, const std::string& databasePath) override;
    int32_t GetActiveTaskCount() override;
    HRESULT SyncUploadTask() override;
    HRESULT Reserved2() override { return E_NOTIMPL; }
    ComPtr<OrvULD::IOrvFileInfo> DownLoad(const std::string& url, const std::string& account,
                                          const std::string& localPath) override;
    ComPtr<OrvULD::IOrvFileInfos> GetDownLoadList() override;
    HRESULT ProxyAddr(const std::string& address, int32_t port) override;
    HRESULT ProxyNameAndPwd(const std::string& name, const std::string& password) override;

    // A task already in the engine, as a restart would find it.
    ComPtr<Task> AddTask(bool upload);

    CallLog calls;
    Faults faults;
    std::vector<ComPtr<Task>> uploads;
    std::vector<ComPtr<Task>> downloads;
    int32_t state = 0;
    int32_t activeTaskCount = 0;
    HRESULT initResult = S_OK;
    HRESULT upLoadResult = S_OK;
    // AddUpLoadFile answers null once this many tasks were added (-1: never).
    int addLimit = -1;
    // DownLoad answers null.
    bool refuseDownloads = false;

private:
    void Enter(const std::string& call, const char* method);
    ComPtr<Task> NewTask(std::vector<ComPtr<Task>>& list);

    int32_t m_nextId = 100;
};

class Globals final : public RefCounted<OrvULD::IOrvGlobals> {
public:
    HRESULT QueryInterface(const IID& iid, void** ppv) override;
    std::string GetVariable(const std::string& key) override;
    HRESULT SetVariable(const std::string& key, const std::string& value) override;

    std::map<std::string, std::string> variables;
    Faults faults;
};

// A class factory that hands out one existing object and counts the objects it handed out.
class Factory final : public RefCounted<IClassFactory> {
public:
    explicit Factory(IUnknown* object) : m_object(ComPtr<IUnknown>::Share(object)) {}
    HRESULT QueryInterface(const IID& iid, void** ppv) override;
    HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** ppv) override;
    HRESULT LockServer(bool) override { return S_OK; }

    int created = 0;

private:
    ComPtr<IUnknown> m_object;
};

}  // namespace scripted
