#pragma once
// The file property dialog: the second step of an upload. The upload dialog hands it the files it listed;
// here the user writes the tag and the description, picks the target folder (or a new one) in the target
// catalog dialog, goes back a step or uploads at once. Once the files are with the engine it follows
// their tasks once a second and feeds the upload progress bar.

#include <QPointer>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "function/ResizableDialog.h"
#include "host/UIUploadDefine.h"
#include "platform/WinBase.h"
#include "platform/WindowTimers.h"
#include "uic/UICUploadFile/thumbnail/Miniature.h"

class CUICProgressDlg;
class CUICTargetDlg;
class CUICUploadDlg;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTextEdit;

namespace Ui {
class PropertyDlgForm;
}

// The timer that follows the tasks started here.
inline constexpr unsigned TIMER_PROPERTY_UPLOAD = 1000;

// What the upload dialog hands over for the property step.
struct tagPropertyStep {
    std::string strCatalogDoc;  // the catalog document the target dialog shows
    tagUploadInfo server;       // the upload service the tasks go to
    std::vector<tagPendingFile> files;
    std::string strTag;
    std::string strDescription;
    std::string strTargetID;    // the catalog the files go into
    std::string strTargetPath;  // its display path ("我的网盘\...")
};

class CUICPropertyDlg final : public CResizableDialog, public SC_ORVA::IWinBase {
    Q_OBJECT
public:
    explicit CUICPropertyDlg(QWidget* parent = nullptr);
    ~CUICPropertyDlg() override;

    bool SetLanguage() override;
    bool PostDestroyWin() override;

    // From the upload dialog, which gets everything back on the previous step.
    void SetUploadStep(CUICUploadDlg* upload, tagPropertyStep step);
    void HideWindow();

    // Handlers.
    void OnBnClickedButtonTarget();
    void OnBnClickedButtonPre();
    void OnBnClickedButtonUpload();
    void OnTimer(unsigned id);

    // Checks (each shows its own refusal at this dialog's fields and Upload button).
    bool IsTagLegal();
    bool IsDescriptionLegal();

    // State the tests read.
    const std::string& TargetID() const { return m_strTargetID; }
    const std::string& TargetPath() const { return m_strTargetPath; }
    const std::string& CatalogName() const { return m_strCatalogName; }
    const std::vector<tagPendingFile>& PendingFiles() const { return m_vecFiles; }
    const std::set<int32_t>& TaskIds() const { return m_setTaskIds; }
    bool IsTimerRunning(unsigned id) const { return m_timers.IsActive(id); }
    const CUICProgressDlg* ProgressDlg() const { return m_pDlgProgress; }
    CUICTargetDlg* TargetDlg() const { return m_pDlgTarget; }

protected:
    bool OnInitDialog() override;

private:
    void GetFileProperty();
    bool UploadFile();
    void TUploadFile();
    void NotifyFlashRefresh();
    std::string TagText() const;
    std::string DescriptionText() const;
    void WriteTargetPath();

    std::unique_ptr<Ui::PropertyDlgForm> m_ui;
    QLineEdit* m_pTargetPath = nullptr;
    QTextEdit* m_pTag = nullptr;
    QPlainTextEdit* m_pDescription = nullptr;
    QPushButton* m_pUpload = nullptr;
    WindowTimers m_timers;

    std::vector<tagPendingFile> m_vecFiles;
    std::string m_strTag;
    std::string m_strDescription;
    std::string m_strCatalogDoc;
    std::string m_strTargetID;
    std::string m_strTargetPath;
    std::string m_strCatalogName;
    CUICTargetDlg* m_pDlgTarget = nullptr;  // a child window, made on first use
    QPointer<CUICUploadDlg> m_pDlgUpload;
    tagUploadInfo m_uploadInfo;
    std::set<int32_t> m_setTaskIds;
    uint64_t m_ullTotalBytes = 0;
    uint64_t m_ullLastBytes = 0;
    CUICProgressDlg* m_pDlgProgress = nullptr;  // a child window, made on the first upload
};
