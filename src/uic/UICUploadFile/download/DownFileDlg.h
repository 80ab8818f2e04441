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

class CDownFileDlg final : public CDownloadWatchDlg {
    Q_OBJECT
public:
    CDownFileDlg();
    ~CDownFileDlg() override;

    // Set while a new-file dialog is open.
    static unsigned char IsDownloading() { return s_bDownloading; }
    static void SetDownloadFlag(unsigned char value) { s_bDownloading = value; }

    void DownLoad(const tagFileInfo* pInfo, const CPriorFile& prior) override;
    void OnTimer(unsigned id) override;
    void OnCancel() override;
    // Signs the editor in and, when openFlag is 0, opens the file in it (path may be null: nothing then).
    void OpenDIY(const char* path, long openFlag);

protected:
    bool OnInitDialog() override;
    void SetBusy(unsigned char value) override { SetDownloadFlag(value); }

private:
    static inline unsigned char s_bDownloading = 0;

    std::unique_ptr<Ui::DownFileDlgForm> m_ui;
    std::unique_ptr<IToneEditor> m_pDIY;
    unsigned char m_bFailed = 0;
};
