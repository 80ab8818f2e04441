#pragma once
// The part the crawler and new-file dialogs share: each follows one engine download task (a copy of its
// record), polls it on timer 1 every 800 ms, and when given up deletes the unfinished task and the file it
// made, clears its class's busy flag and goes. Modeless, without owner, one per download: an ended dialog
// frees itself.

#include <QPoint>
#include <memory>
#include <string>

#include "function/ResizableDialog.h"
#include "host/UIUploadDefine.h"
#include "platform/WindowTimers.h"
#include "uic/UICUploadFile/download/PriorFile.h"

class IUIPUpload;
class QProgressBar;

class CDownloadWatchDlg : public CResizableDialog {
    Q_OBJECT
public:
    static constexpr unsigned kPollTimer = 1;
    static constexpr unsigned kPollPeriodMs = 800;

    ~CDownloadWatchDlg() override;

    // Follows the task of the record; prior is what stood at its local path before the task began.
    virtual void DownLoad(const tagFileInfo* pInfo, const CPriorFile& prior);
    virtual void OnTimer(unsigned id) = 0;
    virtual void OnCancel();

    const tagFileInfo* Info() const { return m_pstInfo.get(); }
    bool IsPolling() const { return m_timers.IsActive(kPollTimer); }

protected:
    // className names the operations in the log ("CUICPrgDlg").
    CDownloadWatchDlg(int templateId, const char* className);

    // Binds the engine adapter and sets the bar to 0 of 100; false (logged) without an adapter.
    bool InitWatch(const char* name, QProgressBar* bar);
    // The task's percentage from the adapter, which refreshes the record's state too.
    long PollProgress();
    void StopPolling() { m_timers.KillTimer(kPollTimer); }
    // Hides the dialog and lets it go.
    void EndDialog();
    virtual void SetBusy(unsigned char value) = 0;
    // The qualified name of an operation, for the log.
    std::string Name(const char* operation) const;

    void closeEvent(QCloseEvent* event) override;
    void reject() override;

    std::unique_ptr<tagFileInfo> m_pstInfo;
    IUIPUpload* m_pIUIPUpload = nullptr;

private:
    const char* m_pszClass;
    WindowTimers m_timers;
    CPriorFile m_prior;
    bool m_bEnded = false;
};
