#pragma once
// The crawler download's dialog: the installer's progress and, once it is complete, a Next button that
// runs the downloaded installer. Dragged by any point of the dialog.

#include <memory>
#include <optional>

#include "uic/UICUploadFile/download/DownloadWatchDlg.h"

class IUICUpload;

namespace Ui {
class PrgDlgForm;
}

class CUICPrgDlg final : public CDownloadWatchDlg {
    Q_OBJECT
public:
    CUICPrgDlg();
    ~CUICPrgDlg() override;

    // Set while a crawler dialog is open.
    static unsigned char IsDownloading() { return s_bDownloading; }
    static void SetDownloadFlag(unsigned char value) { s_bDownloading = value; }

    void OnTimer(unsigned id) override;
    void OnBnClickedNext();
    void OnBnClickedCancle();

protected:
    bool OnInitDialog() override;
    void SetBusy(unsigned char value) override { SetDownloadFlag(value); }
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    static inline unsigned char s_bDownloading = 0;

    std::unique_ptr<Ui::PrgDlgForm> m_ui;
    IUICUpload* m_pIUICUpload = nullptr;
    std::optional<QPoint> m_dragOffset;  // while dragged by hand
};
