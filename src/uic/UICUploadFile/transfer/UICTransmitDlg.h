#pragma once
// The transfer list: one record per upload and download task, refreshed from the engine adapter once a
// second, shown in four views (uploading, uploaded, downloading, downloaded) with start, pause, delete and
// open commands, and feeding the floating window with the overall percentages.

#include <QPoint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "function/ORVATip.h"
#include "function/ResizableDialog.h"
#include "host/UIUploadDefine.h"
#include "platform/WinBase.h"
#include "platform/WindowMessage.h"
#include "platform/WindowTimers.h"
#include "uic/UICUploadFile/folder/CatalogTask.h"
#include "uic/UICUploadFile/folder/FolderUploadSite.h"

class CSkinControlPanel;
class CTransferListModel;
class CUICSuspendDlg;
class IUIPUpload;
class QMenu;
class QTableView;
class QWidget;

namespace Ui {
class TransmitDlgForm;
}

class CUICTransmitDlg final : public CResizableDialog, public SC_ORVA::IWinBase, public IFolderTransferList {
    Q_OBJECT
public:
    static constexpr unsigned kUploadTimer = 1000;
    static constexpr unsigned kDownloadTimer = 1001;
    static constexpr unsigned kCatalogTimer = 1002;
    static constexpr unsigned kRefreshPeriod = 1000;

    // Which of the selection commands apply to the rows selected now.
    struct CommandEnabling {
        bool start = false;
        bool pause = false;
        bool remove = false;
        bool open = false;
    };

    explicit CUICTransmitDlg(QWidget* parent = nullptr);
    ~CUICTransmitDlg() override;

    // Records arriving from the engine adapter through the component.
    void AddUpload(const FileInfoList* pVector);
    void AddDownload(const tagFileInfo* pstInfo);
    void showUploadCatalog(const FileInfoList* pVector);

    // Folder uploads: the upload dialog's folder upload hands over its folders with the engine tasks of
    // their files; Start, Pause and Delete on a folder row go back to it.
    void SetCatalogTimer(bool start) override;
    void SetCatalogTask(const CatalogTaskList& files, size_t index, const CatalogSizeList& sizes) override;
    void CreatCatalogRun(const CatalogTaskList& files) override;
    const CatalogTaskList& CatalogDone() const { return m_vecCatalogDone; }

    void OnTimer(unsigned id);
    void StartTimer();
    void ComputeProgress(int32_t id, const tagFileInfo& info, bool isUpload);
    void ShowProgress(double percent, bool isUpload);

    bool SetLanguage() override;
    bool PostDestroyWin() override;
    // 0 while a download view is shown, else 1.
    long IsUpload() const;
    // Skin panel notices (0x1400): a unit click runs the unit; a click beside the units answers -1.
    LRESULT OnSkinMagicExMsg(WPARAM wParam, LPARAM lParam);
    void DisposePanelTop(int unit);
    void DisposePanelLeft(int unit);
    void ShowTask();
    void HideWindow();
    void Clear();
    void Reset();
    void ResetImageList();
    void OnHdnItemclickListShow(int column);

    // Commands on the selection.
    void OnCommand(int id);
    void OnButtonStart();
    void OnButtonPause();
    void OnButtonDelete();
    void OnMenuOpen();
    void SelectAll();
    void RefreshButton();
    CommandEnabling SelectionEnabling() const;
    void OnNMRclickListShow(const QPoint& screenPoint);
    void OnNMDblclkListShow();
    LRESULT OnStartDownFile(WPARAM wParam, LPARAM lParam);
    LRESULT OnStartUploadFile(WPARAM wParam, LPARAM lParam);
    void UpLoadFile(const std::string& localPath, const std::string& target);

    int CurView() const { return m_nCurView; }
    const FileInfoMap& UploadInfo() const { return m_mapUploadInfo; }
    const FileInfoMap& DownloadInfo() const { return m_mapDownloadInfo; }
    bool IsUploadRefreshing() const { return m_bUploadRefresh; }
    bool IsTimerRunning(unsigned id) const { return m_timers.IsActive(id); }
    CTransferListModel* ListModel() const { return m_pModel; }
    QTableView* List() const { return m_pList; }
    COrvaTip& Tip() { return m_tip; }

protected:
    bool OnInitDialog() override;
    void OnGetMinMaxInfo(MINMAXINFO* info) override;
    void OnSize(int type, int cx, int cy) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool CreateCtrl();
    bool InitUIP();
    void MoveCtrl();
    void InitCtrl();
    void SetColumns(bool progressView);
    void FitLastColumn();
    void OnSectionResized(int column, int newSize);
    void OnSelectionChanged();

    FileInfoMap& InfoMap(bool isUpload) { return isUpload ? m_mapUploadInfo : m_mapDownloadInfo; }
    void AddTask(tagFileInfo& record, bool isUpload);
    void EraseInfoByID(int32_t id);
    void RefreshRecords(bool isUpload);
    void RefreshShow();
    void RefreshUploading();
    void RefreshUploaded();
    void RefreshDownloading();
    void RefreshDownloaded();
    void RefreshFinished(bool isUpload);
    void ShowUpload(int finished);
    void ShowDownload(int finished);
    void ShowRecords(bool isUpload, int finished);
    void WriteFinishedRow(int row, tagFileInfo& record, bool isUpload);
    void CountFinished(const tagFileInfo& record, bool isUpload);
    void PlayFinishSound();
    void ShowSuspendDlg();
    CUICSuspendDlg* GetSuspendDlg();
    void SetViewLabel(int unit, const char* key, long count);

    // Folder-upload rows (their records are owned by the list, not by a record map).
    void OnCatalogTimer();
    // Moves each running folder's figures on by the bytes its files moved since the last second.
    void UpdateCatalogFigures();
    void RefreshCatalogRows(bool endedOnly);
    int FindCatalogRow(const std::string& path) const;
    void AppendCatalogRow(const tagCatalogTask& entry);
    tagFileInfo* OwnCatalogRecord();
    void RemoveCatalogRow(int row);
    uint64_t CatalogSize(const std::string& path) const;
    uint64_t CatalogRowSize(int row);
    void RefreshCatalogRow(size_t k, int row);
    // Counts a finished folder once and keeps it for the uploaded view.
    void FinishCatalog(size_t k);
    void ShowCatalogDone();
    tagCatalogTask* CatalogEntry(const std::string& path);
    void EnableCatalogRow(const tagFileInfo& record, CommandEnabling& enabling) const;
    void StartCatalogRow(int row, tagFileInfo& record);
    void PauseCatalogRow(int row, tagFileInfo& record);
    void DeleteCatalogRow(int row, const tagFileInfo& record);

    std::vector<int> SelectedRows() const;
    bool StartRow(int row);
    bool PauseRow(int row);
    void ShowTip(const char* key);

    std::unique_ptr<Ui::TransmitDlgForm> m_ui;
    IUIPUpload* m_pIUIPUpload = nullptr;
    FileInfoMap m_mapUploadInfo;
    FileInfoMap m_mapDownloadInfo;
    WindowTimers m_timers;
    WindowMessageMap m_messages;
    bool m_bUploadRefresh = false;
    bool m_bNeedReload = false;
    int m_nCurView = 0;
    int m_nPreView = 0;
    long m_nUploadedExtra = 0;
    long m_nDownloadedExtra = 0;
    // The folder uploads: their folders, the figures of each running one (by local path), and the
    // finished ones for the uploaded view.
    struct tagCatalogFigures {
        uint64_t ullDone = 0;  // never goes back, so neither does the row's progress
        uint64_t ullDelta = 0;
        std::string strSpeed;
        uint32_t nUsedTime = 0;
    };
    CatalogTaskList m_vecCatalogFiles;
    CatalogSizeList m_vecCatalogSizes;
    std::map<std::string, tagCatalogFigures> m_mapCatalogFigures;
    CatalogTaskList m_vecCatalogDone;
    std::set<std::pair<std::string, int32_t>> m_setCatalogCounted;  // local path, first file's task
    std::vector<std::unique_ptr<tagFileInfo>> m_vecCatalogRecords;
    bool m_bCatalogStop = false;
    bool m_bFittingColumns = false;
    int m_nSortColumn = 0;
    int m_nSortDirection = 0;
    COrvaTip m_tip;
    CTransferListModel* m_pModel = nullptr;
    QTableView* m_pList = nullptr;
    CSkinControlPanel* m_pPanelTop = nullptr;
    CSkinControlPanel* m_pPanelLeft = nullptr;
};
