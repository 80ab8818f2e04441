#pragma once
// The new-file download's dialog: the progress, then the file handed to the outside ring-tone editor,
// which is signed in first with the user's credential, sealed. OpenDIY also serves the component's
// "sign in to the editor" on its own, without a download and without a window.

#include <memory>
#include <string>

#include "uic/UICUploadFile/download/DownloadWatchDlg.h"
#include "uic/UICUploadFile/download/ToneEditor.h"

namespace Ui {
class DownFileDlgForm;
}

class CDownFileDlg final : public CDownloadWatchDlg, public CDownloadFlag<CDownFileDlg> {
    Q_OBJECT
public:
    CDownFileDlg();
    ~CDownFileDlg() override;

    void DownLoad(const tagFileInfo* pInfo, const CPriorFile& prior) override;
    void OnCancel() override;
    // Signs the editor in and, when openFlag is 0, opens the file in it (a null path opens an empty one,
    // which only brings the editor up).
    void OpenDIY(const char* path, long openFlag);

protected:
    bool OnInitDialog() override;
    void SetBusy(unsigned char value) override { SetDownloadFlag(value); }
    void OnProgress(long percent) override;
    void OnFinished() override;
    void OnFailed() override;

private:
    std::unique_ptr<Ui::DownFileDlgForm> m_ui;
    std::unique_ptr<IToneEditor> m_pDIY;
    unsigned char m_bFailed = 0;
};
