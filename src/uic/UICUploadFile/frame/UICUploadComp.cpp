#include "uic/UICUploadFile/frame/UICUploadComp.h"

#include <QCoreApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "function/ToolsHelp.h"
#include "function/UIClassFactory.h"
#include "function/UIPCallBack.h"
#include "host/HostIds.h"
#include "log/LogMacros.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Prompts.h"
#include "platform/Services.h"
#include "platform/WindowMessage.h"
#include "uic/UICUploadFile/download/DownFileDlg.h"
#include "uic/UICUploadFile/download/DownloadRequest.h"
#include "uic/UICUploadFile/download/WatchedDownloads.h"
#include "uic/UICUploadFile/frame/WaitCursor.h"
#include "uic/UICUploadFile/property/UICPropertyDlg.h"
#include "uic/UICUploadFile/skin/UICDownLoadSkinDlg.h"
#include "uic/UICUploadFile/skin/ZipExtractor.h"
#include "uic/UICUploadFile/target/UICTargetDlg.h"
#include "uic/UICUploadFile/tasklist/UploadTaskListDlg.h"
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

// The dialog singleton, fetched into member on first request; null (logged) when there is none.
template <class Dialog>
Dialog* DialogSingleton(Dialog*& member, const char* name, const char* memberName) {
    if (!member) {
        // Widgets must go before the application object does, not with the library's statics.
        static std::once_flag cleanup;
        std::call_once(cleanup, [] { qAddPostRoutine([] { UISingleton<Dialog>::Destroy(); }); });
        member = UISingleton<Dialog>::Instance();
    }
    if (!member) {
        LOG_NULL(name, memberName);
    }
    return member;
}

// The dialog singleton, created with its window on first request; null (logged) when it cannot open.
template <class Dialog>
Dialog* DialogWithWindow(Dialog*& member, const char* name, const char* memberName) {
    if (!DialogSingleton(member, name, memberName)) {
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
    UISingleton<CUploadTaskListDlg>::Destroy();
    UISingleton<CUICTargetDlg>::Destroy();
    UISingleton<CUICTransmitDlg>::Destroy();
    UISingleton<CUICPropertyDlg>::Destroy();
    UISingleton<CUICSuspendDlg>::Destroy();
    CUICDownLoadSkinDlg::DestroyAll();
    CWatchedDownloads::CloseAll();
    // The host's language object may go before the library does; a later component asks for it again.
    g_IOrvaLange = nullptr;
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
            if (CUploadTaskListDlg* taskList = ExistingWindow(m_pUploadTaskListDlg)) {
                taskList->Reload();
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
            if (CUploadTaskListDlg* taskList = ExistingWindow(m_pUploadTaskListDlg)) {
                taskList->Reload();
            }
            result = 0;
            break;
        case UIP_EVENT_SKIN_DOWNLOAD:
            ShowDownSkinDlg(reinterpret_cast<const tagFileInfo*>(wParam), static_cast<long>(lParam));
            result = 0;
            break;
        case UIP_EVENT_CRAWLER_DOWNLOAD:
        case UIP_EVENT_NEWFILE_DOWNLOAD:
            CWatchedDownloads::Watch(type, reinterpret_cast<const tagFileInfo*>(wParam));
            break;
        default:
            break;
    }
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

long CUICUploadComp::ShowTarget(const std::string& catalogDoc, long flashCallNumber) {
    static const char* const kName = "CUICUploadComp::ShowTarget";
    LOG_FUNCTION(kName);
    const CWaitCursor wait;
    CUICTargetDlg* target = DialogSingleton(m_pDlgTarget, kName, "m_pDlgTarget");
    if (!target) {
        return -1;
    }
    // A run still open is ended: every run starts from a fresh tree.
    if (target->isVisible()) {
        target->done(IDCANCEL);
    }
    target->SetParam(catalogDoc, 1, static_cast<int32_t>(flashCallNumber));
    target->DoModal();
    return 0;
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
    CUploadTaskListDlg* taskList = ExistingWindow(m_pUploadTaskListDlg);
    if (!taskList) {
        return 0;
    }
    taskList->SavePauseId();
    return taskList->IsFileOnUploading(0) ? 1 : 0;
}

long CUICUploadComp::SavePauseId(const std::vector<long>& ids) {
    static const char* const kName = "CUICUploadComp::SavePauseId";
    LOG_FUNCTION(kName);
    IUICSet* settings = GetHostInterface<IUICSet>(IID_IUICSet);
    if (!settings) {
        LOG_NULL(kName, "pIUICSet");
        return -1;
    }
    if (settings->StoreValue("UploadTaskInfo", ids) == -1) {
        NIMBRA_LOG("%s,Info = %s", kName, "向服务器存储上传任务信息失败！");
        return -1;
    }
    return 0;
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

long CUICUploadComp::DownloadSkin(const std::string& url, const std::string& archivePath, long skinId) {
    static const char* const kName = "CUICUploadComp::DownloadSkin";
    LOG_FUNCTION(kName);
    Prompts& prompts = Services::GetPrompts();
    if (std::find(m_vecDownloadingSkin.begin(), m_vecDownloadingSkin.end(), skinId) !=
        m_vecDownloadingSkin.end()) {
        prompts.MessageBox(nullptr, CToolsHelp::GetString("IDS_UPLOAD_DOWNLOADSKIN_DOWNLOADED", "UPLOAD"),
                           CToolsHelp::GetString("IDS_GLOBAL_INFO_WARNING", "GLOBAL"), MB_ICONWARNING);
        return 0;
    }
    if (prompts.MessageBox(nullptr, CToolsHelp::GetString("IDS_UPLOAD_DOWNLOADSKIN_NOEXIST", "UPLOAD"),
                           CToolsHelp::GetString("IDS_GLOBAL_INFO_INFORMATION", "GLOBAL"),
                           MB_YESNO | MB_ICONINFORMATION) != IDYES) {
        return 0;
    }
    IUIPUpload* adapter = Adapter();
    if (!adapter) {
        LOG_NULL(kName, "pIUIPUpload");
        return -1;
    }
    // Listed before the call: the adapter reports the new task, and its dialog opens, from inside it.
    m_vecDownloadingSkin.push_back(skinId);
    if (adapter->DownloadFile(url, archivePath, DOWNLOAD_KIND_SKIN, skinId) != 0) {
        // No dialog will ever end this download: the id is free again and the user learns why nothing comes.
        LOG_FAILED(kName, "DownloadFile");
        DownloadSkinResult(skinId, 0);
        CUICDownLoadSkinDlg::ReportFailure(skinId);
    }
    return 0;
}

void CUICUploadComp::ShowDownSkinDlg(const tagFileInfo* record, long skinId) {
    static const char* const kName = "CUICUploadComp::ShowDownSkinDlg";
    LOG_FUNCTION(kName);
    if (!record) {
        LOG_NULL(kName, "wParam");
        return;
    }
    auto* dialog = new CUICDownLoadSkinDlg();
    if (!dialog->Create()) {
        LOG_INFO(kName, "创建对话框失败");
        delete dialog;
        DownloadSkinResult(skinId, 0);
        return;
    }
    if (const QScreen* screen = dialog->screen()) {
        dialog->move(screen->availableGeometry().center() - dialog->rect().center());
    }
    dialog->show();
    dialog->StartDownLoad(*record, skinId);
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

long CUICUploadComp::UnZip(const std::string& archivePath, const std::string& targetFolder) {
    static const char* const kName = "CUICUploadComp::UnZip";
    LOG_FUNCTION(kName);
    const UnzipReport report =
        CZipExtractor().Extract(Gb18030ToUtf8(archivePath), Gb18030ToUtf8(targetFolder));
    // A hostile archive may hold thousands of such entries: the first few tell the story.
    constexpr size_t kSkipsLogged = 10;
    for (size_t i = 0; i < std::min(report.skipped.size(), kSkipsLogged); ++i) {
        const SkippedZipEntry& skipped = report.skipped[i];
        LOG_INFO(kName, Utf8ToGb18030("skipped " + skipped.name + ": " + skipped.reason).c_str());
    }
    if (report.skipped.size() > kSkipsLogged) {
        LOG_INFO(kName,
                 ("skipped " + std::to_string(report.skipped.size() - kSkipsLogged) + " more").c_str());
    }
    if (!report.installed) {
        LOG_ERROR(kName, Utf8ToGb18030(report.error).c_str());
        return -1;
    }
    return 0;
}

long CUICUploadComp::DownloadSkinResult(long skinId, long success) {
    static const char* const kName = "CUICUploadComp::DownloadSkinResult";
    LOG_FUNCTION(kName);
    const auto listed = std::find(m_vecDownloadingSkin.begin(), m_vecDownloadingSkin.end(), skinId);
    if (listed != m_vecDownloadingSkin.end()) {
        m_vecDownloadingSkin.erase(listed);
    }
    if (success != 0) {
        IUICMainWnd* mainWnd = GetHostInterface<IUICMainWnd>(IID_IUICMainWnd);
        if (!mainWnd) {
            LOG_NULL(kName, "pUICMainWnd");
            return 0;
        }
        mainWnd->ApplySkin(skinId);
    }
    return 0;
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
    if (connected == 0) {
        if (CUICUploadDlg* upload = ExistingWindow(m_pUICUploadDlg)) {
            upload->HideWindow();
        }
        if (CUploadTaskListDlg* taskList = ExistingWindow(m_pUploadTaskListDlg)) {
            taskList->hide();
            // Before the transfer list pauses what runs: those are to continue when the network is back.
            taskList->OnNetworkLost();
        }
        if (CUICTransmitDlg* transmit = ExistingWindow(m_pDlgTransmit)) {
            transmit->HideWindow();
        }
    } else if (CUploadTaskListDlg* taskList = ExistingWindow(m_pUploadTaskListDlg)) {
        // A second notice while the first still waits adds nothing.
        if (!m_bContinuing) {
            m_bContinuing = true;
            ContinueAfterNetworkReturn(*taskList);
            m_bContinuing = false;
        }
    }
    return 0;
}

void CUICUploadComp::ContinueAfterNetworkReturn(CUploadTaskListDlg& taskList) {
    static const char* const kName = "CUICUploadComp::OnNetworkState";
    IUIPUpload* adapter = Adapter();
    if (!adapter) {
        LOG_NULL(kName, "pIUIPUpload");
        return;
    }
    adapter->SyncUploadTask();
    // At most about 3 s for the engine to confirm its tasks; the windows go on meanwhile.
    Clock& clock = Clock::Current();
    const uint64_t start = clock.TickCount();
    do {
        if (adapter->GetUIPState() != 0) {
            break;
        }
        clock.WaitProcessingEvents(1000);
        if (adapter->GetUIPState() != 0) {
            break;
        }
    } while (clock.TickCount() - start <= 3000);
    taskList.OnFileTaskContinue();
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
    // The account's upload tasks, listed from the engine it has just bound.
    if (CUploadTaskListDlg* taskList =
            DialogWithWindow(m_pUploadTaskListDlg, kName, "m_pUploadTaskListDlg")) {
        taskList->Reload();
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
    if (CUploadTaskListDlg* taskList = ExistingWindow(m_pUploadTaskListDlg)) {
        taskList->hide();
        taskList->ClearAll();
    }
    if (CUICTargetDlg* target = ExistingWindow(m_pDlgTarget)) {
        target->done(IDCANCEL);
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
    return DialogWithWindow(m_pDlgProperty, "CUICUploadComp::GetPropertyDlg", "m_pDlgProperty");
}

CUICSuspendDlg* CUICUploadComp::GetSuspendDlg() {
    return DialogWithWindow(m_pDlgSuspend, "CUICUploadComp::GetSuspendDlg", "m_pDlgSuspend");
}

IFolderCommands* CUICUploadComp::FolderCommands() {
    return m_pUICUploadDlg ? &m_pUICUploadDlg->FolderCommands() : nullptr;
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
