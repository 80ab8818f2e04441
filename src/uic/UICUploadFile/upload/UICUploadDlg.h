#pragma once
// The upload dialog: the user picks a goal folder on the network disk, lists local files, writes tags
// and a description, and presses Upload. The dialog checks what was composed, makes the thumbnails,
// hands the files to the engine adapter and then, hidden, follows its tasks once a second.
// Folder rows are listed and counted here; their upload is the folder upload's (FolderUpload.h, timer 1002).

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "function/ResizableDialog.h"
#include "platform/WinBase.h"
#include "platform/WinTypes.h"
#include "platform/WindowMessage.h"
#include "platform/WindowTimers.h"
#include "uic/UICUploadFile/catalog/CatalogDocument.h"
#include "uic/UICUploadFile/controls/UICUpLoadListCtrl.h"
#include "uic/UICUploadFile/folder/FolderUpload.h"
#include "uic/UICUploadFile/thumbnail/Miniature.h"
#include "uic/UICUploadFile/upload/UploadRules.h"

class CSkinSplitterCtrl;
class CUICComboTreeCtrl;
class CUICProgressDlg;
class CUICTransmitDlg;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTextEdit;

namespace Ui {
class UploadDlgForm;
}

inline constexpr unsigned WM_SPLITTER_HOR_RANGE = 0x2B10;
inline constexpr unsigned WM_SPLITTER_VER_RANGE = 0x2B11;

// The upload dialog's timer that follows its file uploads (1002 is the folder upload's).
inline constexpr unsigned TIMER_UPLOAD_FILE = 1000;

// What the progress bar is told at a tick of a running upload.
struct tagUploadProgressText {
    std::string strText;  // "45%，12 KBps"
    int32_t nPercent = 0;
};

class CUICUploadDlg final : public CResizableDialog, public SC_ORVA::IWinBase, private IFolderUploadSite {
    Q_OBJECT
public:
    explicit CUICUploadDlg(QWidget* parent = nullptr);
    ~CUICUploadDlg() override;

    bool SetLanguage() override;
    bool PostDestroyWin() override;

    // From the component.
    int SetUploadParam(const std::string& doc, long flag);
    int SetParamsOfUploadFiles(const std::string& doc);
    void ShowSize();
    void RefreshSize();
    long UploadDragFilesToNetDisk(const std::vector<std::string>& files);
    // Dropped folders go into the host's current folder; -1 when one is refused (then none is added).
    long setUpLoadDropCatalog(const std::vector<std::string>& folders);
    void creatteNetCatalogResp(const std::string& answer) { m_folderUpload.creatteNetCatalogResp(answer); }
    void SetCurDirMode(bool currentFolder) { m_bIsCurDir = currentFolder; }
    void HideWindow();
    void Clear();
    void NotifyFlashRefresh();
    // The property step: the listed files go to the property dialog and come back from it.
    void OnBnClickedButtonNext();
    void ReturnFromProperty(const std::string& tag, const std::string& description,
                            const std::string& targetPath, const std::vector<tagPendingFile>& files);

    // Handlers.
    void OnBnClickedButtonChoose();
    void OnBnClickedButtonCatalog();
    void OnBnClickedButtonUpload();
    void OnBnClickedButtonCanecl();
    void OnCbnSelendokComboGoalcatalog();
    void OnTimer(unsigned id);
    LRESULT OnListClickCloumnDel(WPARAM wParam, LPARAM lParam);
    LRESULT OnSkinMagicExMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnSplitterHorRange(WPARAM top, LPARAM bottom);
    LRESULT OnSplitterVerRange(WPARAM left, LPARAM right);

    // Checks (each shows its own refusal).
    bool IsRight();
    bool IsTagLegal();
    bool IsDescriptionLegal();
    bool IsAlikeFileName(const std::string& name) const;

    bool ParseXML(const std::string& doc);
    // The progress tick and its texts.
    void TUploadFile();
    tagUploadProgressText UploadRunning(uint64_t sum);
    const CUICProgressDlg* ProgressDlg() const { return m_pDlgProgress; }
    std::string UploadComplete(int32_t succeeded, int32_t failed) const;

    // State the component and the tests read.
    const CCatalogDocument& Catalog() const { return m_catalog; }
    const CUploadRules& Rules() const { return m_rules; }
    std::vector<tagUploadRow> Rows() const;
    const std::set<int32_t>& TaskIds() const { return m_setTaskIds; }
    const std::vector<tagPendingFile>& PendingFiles() const { return m_vecFiles; }
    bool IsTimerRunning(unsigned id) const { return m_timers.IsActive(id); }
    CUICUpLoadListCtrl* List() const { return m_pList; }
    CUICComboTreeCtrl* Combo() const { return m_pCombo; }
    const CFolderUpload& FolderUpload() const { return m_folderUpload; }
    IFolderCommands& FolderCommands() { return m_folderUpload; }
    // The transfer list, kept once the component handed it out with its window.
    CUICTransmitDlg* GetTransmitDlg();

protected:
    bool OnInitDialog() override;
    void OnSize(int type, int cx, int cy) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The site of the folder upload.
    IFolderTransferList* FolderTransferList() override;
    IUIPUpload* UploadAdapter() override;
    IUICNetDisk* NetDiskPage() override;
    bool HasComponent() override;
    bool ShowTransferList() override;
    void RefreshNetDisk() override { NotifyFlashRefresh(); }
    tagUploadInfo UploadServer() const override { return m_catalog.Server(); }
    void Later(std::function<void()> work) override;

    void CreateList();
    void AddRow(std::unique_ptr<tagUploadRow> row, const std::string& sizeText);
    // A file row, unless a file of that name is listed already.
    void AddFileRow(const std::string& path, uint64_t size);
    void ClearList();
    void ResetTarget();
    void GetFileProperty();
    bool UploadFile();
    // The hidden progress bar, made on the first upload and reset before each.
    void PrepareProgressDlg();
    void ShowTip(QWidget* anchor, const std::string& text);
    void ShowUploadTip(const std::string& text);
    bool ShowVerdict(const RuleVerdict& verdict, QWidget* focus);
    void WriteUploadPath(const char* key, const std::string& path);
    std::string TagText() const;
    // The catalog an upload goes into: the chosen target, or the goal when the target is the top catalog.
    std::string UploadParentID() const;
    tagCatalogTask FolderTask(const std::string& path, const std::string& goalPath,
                              const std::string& tag) const;
    // A folder the network disk would refuse: marked, explained at its row, and kept from IsRight.
    void RefuseFolderRow(int row, const std::string& path, const char* key);
    bool HasCatalogNamed(const std::string& parentPath, const std::string& name) const;
    std::string DescriptionText() const;

    std::unique_ptr<Ui::UploadDlgForm> m_ui;
    CUICUpLoadListCtrl* m_pList = nullptr;
    CUICComboTreeCtrl* m_pCombo = nullptr;
    QTextEdit* m_pTag = nullptr;
    QPlainTextEdit* m_pDescription = nullptr;
    QPushButton* m_pUpload = nullptr;
    WindowTimers m_timers;
    WindowMessageMap m_messages;
    CFolderUpload m_folderUpload{*this, m_timers};
    int m_nGoalDepth = 0;  // levels of the goal path at the last folder choice

    CUploadRules m_rules;
    CCatalogDocument m_catalog;
    bool m_bIsCurDir = true;
    bool m_bGoalSelected = false;

    ListImageList m_fileIcons;
    ListImageList m_folderMarks;
    ListImageList m_deleteFaces;
    std::vector<std::unique_ptr<tagUploadRow>> m_vecRows;

    std::vector<tagPendingFile> m_vecFiles;
    std::set<int32_t> m_setTaskIds;
    uint64_t m_ullTotalBytes = 0;
    uint64_t m_ullLastBytes = 0;
    std::string m_strTag;
    std::string m_strDescription;
    CUICTransmitDlg* m_pDlgTransmit = nullptr;
    CUICProgressDlg* m_pDlgProgress = nullptr;  // a child window: deleted with the dialog
    std::string m_strCatalogDoc;                // the last catalog document, for the property step
};
