#pragma once
// The UI component: the object the host drives through IUICUpload. It owns the component's dialogs,
// forwards engine work to the engine adapter and receives the adapter's reports in OnEventHandle.

#include <atomic>
#include <string>
#include <vector>

#include "host/IUICUpload.h"

class CDownloadRequest;
class IUIPUpload;
class CUICTargetDlg;
class CUICTransmitDlg;
class CUICPropertyDlg;
class CUICSuspendDlg;
class IFolderCommands;

// Messages the component sends or posts.
inline constexpr unsigned WM_TRANSMIT_NOT_CREATED = 0x0BBE;  // to the main window: no transfer list yet
inline constexpr unsigned WM_START_DOWNFILE = 0x2B12;        // to the transfer list: start a download
inline constexpr unsigned WM_START_UPLOADFILE = 0x2B13;      // to the transfer list: start an upload

class CUICUploadComp final : public IUICUpload {
public:
    CUICUploadComp();
    ~CUICUploadComp() override;
    CUICUploadComp(const CUICUploadComp&) = delete;
    CUICUploadComp& operator=(const CUICUploadComp&) = delete;

    // IUSBase
    long AddRef() override;
    long Release() override;
    long QueryInterface(const GUID& iid, void** ppv) override;

    // IUICComponent
    long CreateComponent(long value) override;
    HWND GetComponentHwnd() override;
    long DoComponent() override;
    long OnEventHandle(long type, WPARAM wParam, LPARAM lParam) override;
    long OnComponentNotify(long id, WPARAM wParam, LPARAM lParam) override;

    // IUICUpload
    long ShowUpload(const std::string& uploadDoc, HWND parent) override;
    long ShowUpload(HWND parent, const std::string& uploadDoc, long flag) override;
    long ShowTarget(const std::string& catalogDoc, long flashCallNumber) override;
    long OnFlashEventFsCall(WPARAM wParam, LPARAM lParam) override;
    long Clean() override;
    long IsFileOnUploading() override;
    long UploadDragFilesToNetDisk(const std::string& uploadDoc, const std::vector<std::string>& files,
                                  const std::vector<std::string>& folders, long unused) override;
    long ShowTransmit(long show) override;
    long ReSetTransmitImageList() override;
    long DownloadFile(const std::string& requestDoc) override;
    long DownloadFolder(const std::string& requestDoc) override;
    long DownloadFiles(const std::string& requestDoc) override;
    long DownloadSkin(const std::string& url, const std::string& archivePath, long skinId) override;
    long InitUIP(const std::string& loginDoc) override;
    long StartUpload(const UploadFileList& files, const tagUploadInfo& target, long flag) override;
    long SetPreUploadParameterss(const std::string& uploadDoc) override;
    long UnZip(const std::string& archivePath, const std::string& targetFolder) override;
    long DownloadSkinResult(long skinId, long success) override;
    long DownloadNetreptile(const std::string& url, const std::string& localPath) override;
    long DownloadNewFile(const std::string& url, const std::string& localPath) override;
    long OpenDIYFile(long openFlag) override;
    long OnCreateNetCatalogResp(const std::string& answer) override;
    CUICUploadDlg* GetUICUploadDlg() override;
    CUploadTaskListDlg* GetUploadTaskMngDlg() override;
    long OnNetworkState(long connected) override;

    // Host notifications.
    void Register();
    void Deregister();

    // The transfer list, the property dialog and the floating window, created on first use.
    CUICTransmitDlg* GetTransmitDlg();
    CUICPropertyDlg* GetPropertyDlg();
    CUICSuspendDlg* GetSuspendDlg();
    // Asks the host's network-disk page to refresh through the upload dialog.
    void NotifyFlashRefresh();
    // Stores the ids of the uploads the user paused on the service, through the host's settings.
    long SavePauseId(const std::vector<long>& ids);
    // The folder upload's commands for the transfer list's folder rows; null without an upload dialog.
    IFolderCommands* FolderCommands();

    // Splits "http://host:port/path" into its parts; false for any other form.
    static bool ParseUrl(const std::string& url, std::string& host, long& port, std::string& path);

    const std::string& InitParam() const { return m_strInitParam; }

private:
    // The network-disk downloads, with the transfer list as it is now.
    CDownloadRequest DownloadRequest();
    // Engine event 3: a progress window of its own for the new skin download.
    void ShowDownSkinDlg(const tagFileInfo* record, long skinId);
    // After the network came back: the engine synchronised, then the uploads it left waiting continued.
    void ContinueAfterNetworkReturn(CUploadTaskListDlg& taskList);

    std::atomic<long> m_nRef{0};
    std::string m_strInitParam;
    CUploadTaskListDlg* m_pUploadTaskListDlg = nullptr;
    CUICUploadDlg* m_pUICUploadDlg = nullptr;
    CUICTargetDlg* m_pDlgTarget = nullptr;
    CUICTransmitDlg* m_pDlgTransmit = nullptr;
    CUICPropertyDlg* m_pDlgProperty = nullptr;
    CUICSuspendDlg* m_pDlgSuspend = nullptr;
    std::vector<long> m_vecDownloadingSkin;
    std::string m_strNotifyParam1;
    std::string m_strNotifyParam2;
    // Set while the component waits for the engine after the network came back.
    bool m_bContinuing = false;
};

// Makes the class factory hand out the component, the engine adapter and the callback object. Idempotent.
void RegisterComponentClasses();
