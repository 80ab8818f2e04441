#pragma once
// The progress of one skin download: the skin's name and a bar, polled once a second. A finished archive
// is unpacked into the program's skin folder and the user is asked whether to use the skin now; a failed
// one is reported. Either way the engine task and the archive are removed, the component hears the
// outcome (DownloadSkinResult) and the window goes. One window per download, several at a time.

#include <memory>
#include <string>

#include "function/ResizableDialog.h"
#include "host/UIUploadDefine.h"
#include "platform/WinBase.h"
#include "platform/WindowTimers.h"

namespace Ui {
class DownLoadSkinForm;
}

class IUIPUpload;
class IUICUpload;

class CUICDownLoadSkinDlg final : public CResizableDialog, public SC_ORVA::IWinBase {
    Q_OBJECT
public:
    static constexpr unsigned kPollTimer = 1002;
    static constexpr unsigned kPollPeriod = 1000;
    // The skins the host offers; any other id is named as the first (blue) one.
    static constexpr long kSkinCount = 9;

    explicit CUICDownLoadSkinDlg(QWidget* parent = nullptr);
    ~CUICDownLoadSkinDlg() override;

    // Follows the engine task of the record (copied) for the skin.
    void StartDownLoad(const tagFileInfo& record, long skinId);
    static std::string GetSkinName(long skinId);
    // Tells the user that the skin could not be downloaded (or installed).
    static void ReportFailure(long skinId);
    // Removes the engine task (from the download list).
    void DeleteTask();
    void OnTimer(unsigned id);
    // The end of every path: the answer to the host, the task and the archive removed, the window gone.
    void FinishSkinDownload();
    bool SetLanguage() override;
    bool PostDestroyWin() override;
    // Escape ends the download as closing the window does.
    void reject() override;

    bool IsTimerRunning() const { return m_timers.IsActive(kPollTimer); }
    // Destroys the windows of every skin download still open (the component goes).
    static void DestroyAll();

protected:
    bool OnInitDialog() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void KillPollTimer();
    // Unpacks the finished archive; false when the skin could not be installed whole.
    bool InstallSkin();

    std::unique_ptr<Ui::DownLoadSkinForm> m_ui;
    std::unique_ptr<tagFileInfo> m_pstInfo;
    unsigned m_nTimer = 0;
    IUIPUpload* m_pIUIPUpload = nullptr;
    IUICUpload* m_pIUICUpload = nullptr;
    long m_nSkinId = -1;
    WindowTimers m_timers;
    bool m_bFinished = false;
};
