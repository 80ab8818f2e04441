#include "ScriptedEngine.h"

using OrvULD::IOrvFileInfo;
using OrvULD::IOrvFileInfos;

namespace scripted {

namespace {

// Answers for IUnknown and the one interface the object implements.
template <class Interface>
HRESULT QueryOne(Interface* self, const IID& wanted, const IID& iid, void** ppv) {
    if (iid == IID_IUnknown || iid == wanted) {
        self->AddRef();
        *ppv = self;
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

void RunFault(Faults& faults, const std::string& method) {
    const auto it = faults.find(method);
    if (it != faults.end()) {
        it->second();
    }
}

}  // namespace

HRESULT Task::QueryInterface(const IID& iid, void** ppv) {
    return QueryOne<IOrvFileInfo>(this, OrvULD::IID_IOrvFileInfo, iid, ppv);
}

OrvULD::ORV_UPLOAD_SESSION_STATE Task::GetState() {
    RunFault(m_faults, "Task.GetState");
    return state;
}

uint64_t Task::GetProgress() {
    RunFault(m_faults, "Task.GetProgress");
    return progress;
}

int64_t Task::GetNextTryIn() {
    RunFault(m_faults, "Task.GetNextTryIn");
    return nextTryIn;
}

void Task::PutMiniatureFileName(const std::string& path) {
    miniatureName = path;
    miniatureNameSet = true;
}

HRESULT Task::Command(const char* name) {
    m_calls.push_back(std::string(name) + "(" + std::to_string(m_id) + ")");
    RunFault(m_faults, std::string("Task.") + name);
    return commandResult;
}

HRESULT TaskList::QueryInterface(const IID& iid, void** ppv) {
    return QueryOne<IOrvFileInfos>(this, OrvULD::IID_IOrvFileInfos, iid, ppv);
}

ComPtr<IOrvFileInfo> TaskList::Item(int32_t index) {
    if (index < 0 || index >= Count()) {
        return {};
    }
    return ComPtr<IOrvFileInfo>::Share(m_tasks[static_cast<size_t>(index)].Get());
}

ComPtr<IOrvFileInfo> TaskList::Find(int32_t fileId) {
    for (const ComPtr<Task>& task : m_tasks) {
        if (task->GetFileID() == fileId) {
            return ComPtr<IOrvFileInfo>::Share(task.Get());
        }
    }
    return {};
}

HRESULT Engine::QueryInterface(const IID& iid, void** ppv) {
    return QueryOne<OrvULD::IOrvUpLoad>(this, OrvULD::IID_IOrvUpLoad, iid, ppv);
}

void Engine::Enter(const std::string& call, const char* method) {
    calls.push_back(call);
    RunFault(faults, method);
}

ComPtr<Task> Engine::NewTask(std::vector<ComPtr<Task>>& list) {
    auto task = ComPtr<Task>::Attach(new Task(m_nextId++, calls, faults));
    list.push_back(task);
    return task;
}

ComPtr<Task> Engine::AddTask(bool upload) {
    return NewTask(upload ? uploads : downloads);
}

ComPtr<IOrvFileInfo> Engine::AddUpLoadFile() {
    Enter("AddUpLoadFile", "AddUpLoadFile");
    if (addLimit >= 0 && static_cast<int>(uploads.size()) >= addLimit) {
        return {};
    }
    return ComPtr<IOrvFileInfo>::Share(NewTask(uploads).Get());
}

HRESULT Engine::UpLoad(int32_t operateType) {
    Enter("UpLoad(" + std::to_string(operateType) + ")", "UpLoad");
    return upLoadResult;
}

ComPtr<IOrvFileInfos> Engine::GetFileList() {
    Enter("GetFileList", "GetFileList");
    return ComPtr<IOrvFileInfos>::Attach(new TaskList(uploads));
}

int32_t Engine::GetState() {
    Enter("GetState", "GetState");
    return state;
}

HRESULT Engine::Init(const std::string& account, const std::string& requestPath, const std::string& host,
                     int32_t port, const std::string& signOn, const std::string& databasePath) {
    Enter("Init(" + account + "," + requestPath + "," + host + "," + std::to_string(port) + "," + signOn +
              "," + databasePath + ")",
          "Init");
    return initResult;
}

int32_t Engine::GetActiveTaskCount() {
    Enter("GetActiveTaskCount", "GetActiveTaskCount");
    return activeTaskCount;
}

HRESULT Engine::SyncUploadTask() {
    Enter("SyncUploadTask", "SyncUploadTask");
    return S_OK;
}

ComPtr<IOrvFileInfo> Engine::DownLoad(const std::string& url, const std::string& account,
                                      const std::string& localPath) {
    Enter("DownLoad(" + url + "," + account + "," + localPath + ")", "DownLoad");
    if (refuseDownloads) {
        return {};
    }
    ComPtr<Task> task = NewTask(downloads);
    task->fileName = localPath;
    return ComPtr<IOrvFileInfo>::Share(task.Get());
}

ComPtr<IOrvFileInfos> Engine::GetDownLoadList() {
    Enter("GetDownLoadList", "GetDownLoadList");
    return ComPtr<IOrvFileInfos>::Attach(new TaskList(downloads));
}

HRESULT Engine::ProxyAddr(const std::string& address, int32_t port) {
    Enter("ProxyAddr(" + address + "," + std::to_string(port) + ")", "ProxyAddr");
    return S_OK;
}

HRESULT Engine::ProxyNameAndPwd(const std::string& name, const std::string& password) {
    Enter("ProxyNameAndPwd(" + name + "," + password + ")", "ProxyNameAndPwd");
    return S_OK;
}

HRESULT Globals::QueryInterface(const IID& iid, void** ppv) {
    return QueryOne<OrvULD::IOrvGlobals>(this, OrvULD::IID_IOrvGlobals, iid, ppv);
}

std::string Globals::GetVariable(const std::string& key) {
    RunFault(faults, key);
    const auto it = variables.find(key);
    return it == variables.end() ? std::string() : it->second;
}

HRESULT Globals::SetVariable(const std::string& key, const std::string& value) {
    variables[key] = value;
    return S_OK;
}

HRESULT Factory::QueryInterface(const IID& iid, void** ppv) {
    return QueryOne<IClassFactory>(this, IID_IClassFactory, iid, ppv);
}

HRESULT Factory::CreateInstance(IUnknown* outer, const IID& iid, void** ppv) {
    if (outer) {
        return CLASS_E_NOAGGREGATION;
    }
    ++created;
    return m_object->QueryInterface(iid, ppv);
}

}  // namespace scripted
