#include "uic/UICUploadFile/frame/UICUploadComp.h"

#include <QCoreApplication>
#include <QScreen>
#include <QWidget>
#include <cstdlib>
#include <mutex>

#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "function/UIPCallBack.h"
#include "host/HostIds.h"
#include "log/LogMacros.h"
#include "platform/WindowMessage.h"
#include "uic/UICUploadFile/download/DownFileDlg.h"
#include "uic/UICUploadFile/download/DownloadRequest.h"
#include "uic/UICUploadFile/download/WatchedDownloads.h"
#include "uic/UICUploadFile/frame/WaitCursor.h"
#include "uic/UICUploadFile/transfer/UICSuspendDlg.h"
#include "uic/UICUploadFile/transfer/UICTransmitDlg.h"
#include "uic/UICUploadFile/upload/UICUploadDlg.h"
#include "uip/UIPUpload/IUIPUpload.h"
#include "uip/UIPUpload/UIPUploadComp.h"
#include "xml/XML.h"

namespace {

IUIPUpload* Adapter() {
    return CreateUIInstance<IUIPUpload>();
}

// The dialog singleton, created with its window on first request; null (logged) when it cannot open.
template <class Dialog>
Dialog* DialogWithWindow(Dialog*& member, const char* name, const char* memberName) {
    if (!member) {
        // Widgets must go before the application object does, not with the library's statics.
        static std::once_flag cleanup;
        std::call_once(cleanup, [] { qAddPostRoutine([] { UISingleton<Dialog>::Destroy(); }); });
        member = UISingleton<Dialog>::Instance();
    }
    if (!member) {
        LOG_NULL(name, memberName);
        return nullptr;
    }
    if (!member->Create()) {
        NIMBRA_LOG("%s, Info = %s", name, "创建对话框失败");
        return nullptr;
    }
    return member;
}

// The dialog when it exists and has its window, without creating anything.
template <class Dialog>
Dialog* ExistingWindow(Dialog* member) {
    return member && member->IsInitialized() ? member : nullptr;
}

// A copy of the entry without what the adapter fills in (the task id text and the amount done).
tagUploadFileEntry FreshEntry(const tagUploadFileEntry& source) {
    tagUploadFileEntry entry = source;
    entry.strFileID.clear();
    entry.ullDoneSize = 0;
    return entry;
}

}  // namespace

void RegisterComponentClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        CUIClassFactory* factory = CUIClassFactory::Instance();
        factory->Register(typeid(CUICUploadComp),
                          [] { return static_cast<void*>(UISingleton<CUICUploadComp>::Instance()); });
        factory->Register(typeid(IUIPCallBack), [] {
            return static_cast<void*>(
                static_cast<IUIPCallBack*>(UISingleton<CUIPCallBack<CUICUploadComp>>::Instance()));
        });
        RegisterUIPUploadClasses();
    });
}

CUICUploadComp::CUICUploadComp() = default;

// The dialogs are process-wide singletons; their windows go with the component, while the host's
// application object still exists.
CUICUploadComp::~CUICUploadComp() {
    UISingleton<CUICUploadDlg>::Destroy();
    UISingleton<CUICTransmitDlg>::Destroy();
    UISingleton<CUICSuspendDlg>::Destroy();
    CWatchedDownloads::CloseAll();
}

long CUICUploadComp::AddRef() {
    return ++m_nRef;
}

long CUICUploadComp::Release() {
    const long left = --m_nRef;
    if (left == 0) {
        // The singleton holder owns the object: let it delete it, so unload does not delete it again.
        UISingleton<CUICUploadComp>::Destroy();
    }
    return left;
}

long CUICUploadComp::QueryInterface(const GUID& iid, void** ppv) {
    if (!ppv) {
        return 0;
    }
    if (iid == IID_IUICUpload) {
        AddRef();
        *ppv = static_cast<IUICUpload*>(this);
        return 1;
    }
    *ppv = nullptr;
    return 0;
}

long CUICUploadComp::CreateComponent(long /*value*/) {
    return -1;
}

HWND CUICUploadComp::GetComponentHwnd() {
    LOG_FUNCTION("CUICUploadComp::GetComponentHwnd");
    if (!m_pUICUploadDlg) {
        LOG_NULL("CUICUploadComp::GetComponentHwnd", "m_pUICUploadDlg");
        return nullptr;
    }
    return m_pUICUploadDlg;
}

long CUICUploadComp::DoComponent() {
    return 2;
}

long CUICUploadComp::OnEventHandle(long type, WPARAM wParam, LPARAM lParam) {
    static const char* const kName = "CUICUploadComp::OnEventHandle";
    NIMBRA_LOG("Enter %s，event type is %d", kName, static_cast<int>(type));
    long result = -1;
    switch (type) {
        case UIP_EVENT_UPLOADING_TEXT: {
            const char* text = reinterpret_cast<const char*>(wParam);
            if (!text) {
                LOG_NULL(kName, "wParam");
                break;
            }
            const std::string request = CToolsHelp::ConstructFlashXml("UploadingFile", {text});
            IUICMainWnd* mainWnd = GetHostInterface<IUICMainWnd>(IID_IUICMainWnd);
            if (!mainWnd) {
                LOG_NULL(kName, "pUICMainWnd");
                break;
            }
            std::string reply;
            result = mainWnd->CallFlash(request, reply);
            break;
        }
        case UIP_EVENT_UPLOAD_BATCH:
            if (CUICTransmitDlg* transmit = GetTransmitDlg()) {
                transmit->AddUpload(reinterpret_cast<const FileInfoList*>(wParam));
            }
            result = 0;
            break;
        case UIP_EVENT_DOWNLOAD:
            if (CUICTransmitDlg* transmit = GetTransmitDlg()) {
                transmit->AddDownload(reinterpret_cast<const tagFileInfo*>(wParam));
                transmit->show();
            }
            result = 0;
            break;
        case UIP_EVENT_FOLDER_BATCH:
            if (CUICTransmitDlg* transmit = GetTransmitDlg()) {
                transmit->showUploadCatalog(reinterpret_cast<const FileInfoList*>(wParam));
            }
            result = 0;
            break;
        case UIP_EVENT_SKIN_DOWNLOAD:
            result = 0;
            break;
        case UIP_EVENT_CRAWLER_DOWNLOAD:
        case UIP_EVENT_NEWFILE_DOWNLOAD:
            CWatchedDownloads::Watch(type, reinterpret_cast<const tagFileInfo*>(wParam));
            break;
        default:
            break;
    }
    (void)lParam;
    LOG_EXIT(kName);
    return result;
}

long CUICUploadComp::OnComponentNotify(long id, WPARAM wParam, LPARAM lParam) {
    static const char* const kName = "CUICUploadComp::OnComponentNotify";
    LOG_FUNCTION(kName);
    if (!m_pDlgTransmit) {
        IUICMainWnd* mainWnd = GetHostInterface<IUICMainWnd>(IID_IUICMainWnd);
        if (!mainWnd) {
            LOG_NULL(kName, "pUICMainWnd");
            return -1;
        }
        SendMessage(static_cast<QObject*>(mainWnd->GetComponentHwnd()), WM_TRANSMIT_NOT_CREATED, 0, 0);
    }
    const char* first = reinterpret_cast<const char*>(wParam);
    const char* second = reinterpret_cast<const char*>(lParam);
    switch (id) {
        case COMP_NTF_START_DOWNLOAD:
            // Copies: the posted message must stay valid after the caller's strings are gone.
            m_strNotifyParam1 = first ? first : "";
            if (CUICTransmitDlg* transmit = GetTransmitDlg()) {
                PostMessage(transmit, WM_START_DOWNFILE, reinterpret_cast<WPARAM>(&m_strNotifyParam1), 0);
            }
            return 0;
        case COMP_NTF_START_UPLOAD:
            m_strNotifyParam1 = first ? first : "";
            m_strNotifyParam2 = second ? second : "";
            if (CUICTransmitDlg* transmit = GetTransmitDlg()) {
                PostMessage(transmit, WM_START_UPLOADFILE, reinterpret_cast<WPARAM>(&m_strNotifyParam1),
                            reinterpret_cast<LPARAM>(&m_strNotifyParam2));
            }
            return 0;
        default:
            return -1;
    }
}

namespace {

// The upload dialog with its window and the document applied; null (logged) on failure. The dialog is
// one window for the whole process, so the host's parent window is not taken over.
CUICUploadDlg* PrepareUploadDlg(CUICUploadDlg*& member, const char* name, const std::string& doc, long flag) {
    CUICUploadDlg* dialog = DialogWithWindow(member, name, "m_pUICUploadDlg");
    if (dialog && dialog->SetUploadParam(doc, flag) != 0) {
        NIMBRA_LOG("%s, Info = %s", name, "调用SetUploadParam失败");
        return nullptr;
    }
    return dialog;
}

}  // namespace

long CUICUploadComp::ShowUpload(const std::string& uploadDoc, HWND /*parent*/) {
    static const char* const kName = "CUICUploadComp::ShowUpload";
    LOG_FUNCTION(kName);
    const CWaitCursor wait;
    CUICUploadDlg* dialog = PrepareUploadDlg(m_pUICUploadDlg, kName, uploadDoc, 0);
    if (!dialog) {
        return -1;
    }
    if (dialog->isMinimized()) {
        dialog->showNormal();
        dialog->activateWindow();
    }
    dialog->show();
    if (const QScreen* screen = dialog->screen()) {
        dialog->move(screen->availableGeometry().center() - dialog->rect().center());
    }
    dialog->raise();
    return 0;
}

long CUICUploadComp::ShowUpload(HWND /*parent*/, const std::string& uploadDoc, long flag) {
    static const char* const kName = "CUICUploadComp::ShowUpload";
    LOG_FUNCTION(kName);
    const CWaitCursor wait;
    CUICUploadDlg* dialog = PrepareUploadDlg(m_pUICUploadDlg, kName, uploadDoc, flag);
    if (!dialog) {
        return -1;
    }
    dialog->show();
    dialog->raise();
    return 0;
}

long CUICUploadComp::ShowTarget(const std::string& /*catalogDoc*/, long /*flashCallNumber*/) {
    LOG_FUNCTION("CUICUploadComp::ShowTarget");
    LOG_NULL("CUICUploadComp::ShowTarget", "m_pDlgTarget");
    return -1;
}

long CUICUploadComp::OnFlashEventFsCall(WPARAM /*wParam*/, LPARAM /*lParam*/) {
    LOG_FUNCTION("CUICUploadComp::OnFlashEventFsCall");
    return 0;
}

long CUICUploadComp::Clean() {
    LOG_FUNCTION("CUICUploadComp::Clean");
    IUIPUpload* adapter = Adapter();
    if (!adapter) {
        LOG_NULL("CUICUploadComp::Clean", "pIUIPUpload");
        return -1;
    }
    return adapter->Clean();
}

long CUICUploadComp::IsFileOnUploading() {
    LOG_FUNCTION("CUICUploadComp::IsFileOnUploading");
    // Only the upload task list knows running uploads, and the component never has one.
    return m_pUploadTaskListDlg ? 1 : 0;
}

long CUICUploadComp::UploadDragFilesToNetDisk(const std::string& uploadDoc,
                                              const std::vector<std::string>& files,
                                              const std::vector<std::string>& folders, long /*unused*/) {
    static const char* const kName = "CUICUploadComp::UploadDragFilesToNetDisk";
    LOG_FUNCTION(kName);
    if (!m_pUICUploadDlg) {
        m_pUICUploadDlg = UISingleton<CUICUploadDlg>::Instance();
    }
    if (!m_pUICUploadDlg) {
        LOG_NULL(kName, "m_pUICUploadDlg");
        return -1;
    }
    m_pUICUploadDlg->SetCurDirMode(true);
    long lRet = m_pUICUploadDlg->SetParamsOfUploadFiles(uploadDoc);
    if (lRet == -1) {
        LOG_FAILED(kName, "lRet");
        return -1;
    }
    if (!files.empty()) {
        lRet = m_pUICUploadDlg->UploadDragFilesToNetDisk(files);
    }
    if (!folders.empty()) {
        if (!DialogWithWindow(m_pUICUploadDlg, kName, "m_pUICUploadDlg")) {
            return -1;
        }
        lRet = m_pUICUploadDlg->setUpLoadDropCatalog(folders);
    }
    return lRet;
}

long CUICUploadComp::ShowTransmit(long show) {
    static const char* const kName = "CUICUploadComp::ShowTransmit";
    LOG_FUNCTION(kName);
    CUICTransmitDlg* transmit = DialogWithWindow(m_pDlgTransmit, kName, "m_pDlgTransmit");
    if (!transmit) {
        return -1;
    }
    if (transmit->isMinimized()) {
        transmit->showNormal();
        transmit->activateWindow();
    }
    if (show == 0) {
        transmit->hide();
        return 0;
    }
    transmit->show();
    if (const QScreen* screen = transmit->screen()) {
        transmit->move(screen->availableGeometry().center() - transmit->rect().center());
    }
    transmit->raise();
    return 0;
}

long CUICUploadComp::ReSetTransmitImageList() {
    LOG_FUNCTION("CUICUploadComp::ReSetTransmitImageList");
    if (CUICTransmitDlg* transmit = ExistingWindow(m_pDlgTransmit)) {
        transmit->ResetImageList();
    }
    return 0;
}

long CUICUploadComp::DownloadFile(const std::string& requestDoc) {
    LOG_FUNCTION("CUICUploadComp::DownloadFile");
    return DownloadRequest().DownloadFile(requestDoc);
}

long CUICUploadComp::DownloadFolder(const std::string& requestDoc) {
    LOG_FUNCTION("CUICUploadComp::DownloadFolder");
    return DownloadRequest().DownloadFolder(requestDoc);
}

long CUICUploadComp::DownloadFiles(const std::string& requestDoc) {
    LOG_FUNCTION("CUICUploadComp::DownloadFiles");
    return DownloadRequest().DownloadFiles(requestDoc);
}

CDownloadRequest CUICUploadComp::DownloadRequest() {
    return CDownloadRequest(ExistingWindow(m_pDlgTransmit), [this] { return GetComponentHwnd(); });
}

long CUICUploadComp::DownloadSkin(const std::string& /*url*/, const std::string& /*archivePath*/,
                                  long /*skinId*/) {
    LOG_FUNCTION("CUICUploadComp::DownloadSkin");
    LOG_ERROR("CUICUploadComp::DownloadSkin", "skin download is not available");
    return -1;
}

long CUICUploadComp::InitUIP(const std::string& loginDoc) {
    static const char* const kName = "CUICUploadComp::InitUIP";
    LOG_FUNCTION(kName);
    m_strInitParam = loginDoc;
    CXML xml;
    xml.SetDoc(loginDoc);
    if (!CToolsHelp::IntoResultElement(xml) || !xml.FindElem("uploadUrl")) {
        return -1;
    }
    std::string host;
    std::string path;
    long port = 0;
    const bool bRet = ParseUrl(xml.GetData(), host, port, path);
    if (!bRet) {
        LOG_FAILED(kName, "bRet");
        return -1;
    }
    IUICLogin* login = GetHostInterface<IUICLogin>(IID_IUICLogin);
    if (!login) {
        LOG_NULL(kName, "pIUICLogin");
        return -1;
    }
    IUIPUpload* adapter = Adapter();
    if (!adapter) {
        LOG_NULL(kName, "pIUIPUpload");
        return -1;
    }
    const long lRet = adapter->Init(path, host, port, login->GetLoginString());
    if (lRet == -1) {
        LOG_FAILED(kName, "lRet");
        return -1;
    }
    adapter->SyncUploadTask();
    return lRet;
}

long CUICUploadComp::StartUpload(const UploadFileList& files, const tagUploadInfo& target, long flag) {
    static const char* const kName = "CUICUploadComp::StartUpload";
    LOG_FUNCTION(kName);
    IUIPUpload* adapter = Adapter();
    if (!adapter) {
        LOG_NULL(kName, "pIUIPUpload");
        return 0;
    }
    UploadFileList entries;
    entries.reserve(files.size());
    for (const tagUploadFileEntry& file : files) {
        entries.push_back(FreshEntry(file));
    }
    if (!GetHostInterface<IUICLogin>(IID_IUICLogin)) {
        LOG_NULL(kName, "pIUICLogin");
        return 0;
    }
    tagUploadInfo info;
    info.nAppType = target.nAppType;
    info.strHost = target.strHost;
    info.nPort = target.nPort;
    info.strRequestPath = target.strRequestPath;
    IUISysConfig* sysConfig = GetHostInterface<IUISysConfig>(IID_IUISysConfig);
    if (!sysConfig) {
        LOG_NULL(kName, "pIUISysConfig");
        return 0;
    }
    // The sign-on text comes from the configuration, never from the caller.
    info.strSSOKey = sysConfig->GetSysConfig().strSignOn;
    info.strTargetCatalogID = target.strTargetCatalogID;
    info.strTag = target.strTag;
    info.strNewCatalogName = target.strNewCatalogName;
    return adapter->StartUpload(entries, info, flag);
}

long CUICUploadComp::SetPreUploadParameterss(const std::string& uploadDoc) {
    static const char* const kName = "CUICUploadComp::SetPreUploadParameterss";
    LOG_FUNCTION(kName);
    if (!m_pUICUploadDlg) {
        m_pUICUploadDlg = UISingleton<CUICUploadDlg>::Instance();
    }
    if (!m_pUICUploadDlg) {
        LOG_NULL(kName, "m_pUICUploadDlg");
        return -1;
    }
    if (m_pUICUploadDlg->SetParamsOfUploadFiles(uploadDoc) != 0) {
        NIMBRA_LOG("%s, Info = %s", kName, "调用SetUploadParam失败");
        return -1;
    }
    if (m_pUICUploadDlg->IsInitialized()) {
        m_pUICUploadDlg->ShowSize();
    }
    return 0;
}

long CUICUploadComp::UnZip(const std::string& /*archivePath*/, const std::string& /*targetFolder*/) {
    LOG_FUNCTION("CUICUploadComp::UnZip");
    LOG_ERROR("CUICUploadComp::UnZip", "skin archives are not available");
    return -1;
}

long CUICUploadComp::DownloadSkinResult(long /*skinId*/, long /*success*/) {
    LOG_FUNCTION("CUICUploadComp::DownloadSkinResult");
    LOG_ERROR("CUICUploadComp::DownloadSkinResult", "skin download is not available");
    return -1;
}

long CUICUploadComp::DownloadNetreptile(const std::string& url, const std::string& localPath) {
    return CWatchedDownloads::Start("CUICUploadComp::DownloadNetreptile", url, localPath,
                                    DOWNLOAD_KIND_CRAWLER);
}

long CUICUploadComp::DownloadNewFile(const std::string& url, const std::string& localPath) {
    return CWatchedDownloads::Start("CUICUploadComp::DownloadNewFile", url, localPath, DOWNLOAD_KIND_NEWFILE);
}

long CUICUploadComp::OpenDIYFile(long openFlag) {
    LOG_FUNCTION("CUICUploadComp::OpenDIYFile");
    // A dialog object without its window, for the sign-in alone.
    CDownFileDlg signIn;
    signIn.OpenDIY(nullptr, openFlag);
    return 0;
}

long CUICUploadComp::OnCreateNetCatalogResp(const std::string& answer) {
    static const char* const kName = "CUICUploadComp::OnCreateNetCatalogResp";
    LOG_FUNCTION(kName);
    if (!m_pUICUploadDlg) {
        LOG_NULL(kName, "m_pUICUploadDlg");
        return -1;
    }
    // A copy: the host's string may go while the folder upload works with the answer.
    m_pUICUploadDlg->creatteNetCatalogResp(std::string(answer));
    return 0;
}

CUICUploadDlg* CUICUploadComp::GetUICUploadDlg() {
    return m_pUICUploadDlg;
}

CUploadTaskListDlg* CUICUploadComp::GetUploadTaskMngDlg() {
    return m_pUploadTaskListDlg;
}

long CUICUploadComp::OnNetworkState(long connected) {
    LOG_FUNCTION("CUICUploadComp::OnNetworkState");
    // Continuing uploads on return needs the upload task list, which the component does not have yet;
    // the engine keeps its tasks either way.
    if (connected == 0) {
        if (CUICUploadDlg* upload = ExistingWindow(m_pUICUploadDlg)) {
            upload->HideWindow();
        }
        if (CUICTransmitDlg* transmit = ExistingWindow(m_pDlgTransmit)) {
            transmit->HideWindow();
        }
    }
    return 0;
}

void CUICUploadComp::Register() {
    static const char* const kName = "CUICUploadComp::Register";
    LOG_FUNCTION(kName);
    IUIPUpload* adapter = Adapter();
    if (!adapter) {
        LOG_NULL(kName, "pIUIPUpload");
        return;
    }
    adapter->InitUIPComp();
    if (!m_strInitParam.empty()) {
        // A new login binds the engine again with the last login document.
        const std::string document = m_strInitParam;
        InitUIP(document);
    }
}

void CUICUploadComp::Deregister() {
    static const char* const kName = "CUICUploadComp::Deregister";
    LOG_FUNCTION(kName);
    if (CUICUploadDlg* upload = ExistingWindow(m_pUICUploadDlg)) {
        upload->HideWindow();
    }
    if (CUICTransmitDlg* transmit = ExistingWindow(m_pDlgTransmit)) {
        transmit->HideWindow();
    }
    IUIPUpload* adapter = Adapter();
    if (!adapter) {
        LOG_NULL(kName, "pIUIPUpload");
        return;
    }
    adapter->UninitUIPComp();
}

CUICTransmitDlg* CUICUploadComp::GetTransmitDlg() {
    return DialogWithWindow(m_pDlgTransmit, "CUICUploadComp::GetTransmitDlg", "m_pDlgTransmit");
}

CUICPropertyDlg* CUICUploadComp::GetPropertyDlg() {
    if (!m_pDlgProperty) {
        LOG_NULL("CUICUploadComp::GetPropertyDlg", "m_pDlgProperty");
    }
    return m_pDlgProperty;
}

CUICSuspendDlg* CUICUploadComp::GetSuspendDlg() {
    return DialogWithWindow(m_pDlgSuspend, "CUICUploadComp::GetSuspendDlg", "m_pDlgSuspend");
}

void CUICUploadComp::NotifyFlashRefresh() {
    LOG_FUNCTION("CUICUploadComp::NotifyFlashRefresh");
    if (!m_pUICUploadDlg) {
        LOG_NULL("CUICUploadComp::NotifyFlashRefresh", "m_pUICUploadDlg");
        return;
    }
    m_pUICUploadDlg->NotifyFlashRefresh();
}

bool CUICUploadComp::ParseUrl(const std::string& url, std::string& host, long& port, std::string& path) {
    static const std::string kScheme = "http://";
    if (url.find(kScheme) == std::string::npos) {
        return false;
    }
    // The scheme is expected at the start: a fixed number of characters is dropped.
    const std::string rest = url.size() > kScheme.size() ? url.substr(kScheme.size()) : std::string();
    const size_t colon = rest.find(':');
    if (colon == std::string::npos) {
        return false;
    }
    const std::string afterHost = rest.substr(colon + 1);
    const size_t slash = afterHost.find('/');
    if (slash == std::string::npos) {
        return false;
    }
    host = rest.substr(0, colon);
    port = std::atol(afterHost.substr(0, slash).c_str());
    path = afterHost.substr(slash + 1);
    return true;
}
