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

// The busy flag of one dialog class: set while a dialog of the class is open.
template <class Dialog>
class CDownloadFlag {
public:
    static unsigned char IsDownloading() { return s_bDownloading; }
    static void SetDownloadFlag(unsigned char value) { s_bDownloading = value; }

private:
    static inline unsigned char s_bDownloading = 0;
};

class CDownloadWatchDlg : public CResizableDialog {
    Q_OBJECT
public:
    static constexpr unsigned kPollTimer = 1;
    static constexpr unsigned kPollPeriodMs = 800;

    ~CDownloadWatchDlg() override;

    // Follows the task of the record; prior is what stood at its local path before the task began.
    virtual void DownLoad(const tagFileInfo* pInfo, const CPriorFile& prior);
    // Timer 1: polls the task while it waits or runs, and acts on its end.
    void OnTimer(unsigned id);
    virtual void OnCancel();

    const tagFileInfo* Info() const { return m_pstInfo.get(); }
    bool IsPolling() const { return m_timers.IsActive(kPollTimer); }
    unsigned PollPeriod() const { return m_timers.Period(kPollTimer); }

protected:
    // className names the operations in the log ("CUICPrgDlg").
    CDownloadWatchDlg(int templateId, const char* className);

    // Binds the engine adapter and sets the bar to 0 of 100; false (logged) without an adapter.
    bool InitWatch(const char* name, QProgressBar* bar);
    // What the dialog shows of a poll (the record's state is refreshed already), and what it does once the
    // task is complete or has failed.
    virtual void OnProgress(long percent) = 0;
    virtual void OnFinished() = 0;
    virtual void OnFailed() = 0;
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
