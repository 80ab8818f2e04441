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

class CUICPrgDlg final : public CDownloadWatchDlg, public CDownloadFlag<CUICPrgDlg> {
    Q_OBJECT
public:
    CUICPrgDlg();
    ~CUICPrgDlg() override;

    void OnBnClickedNext();
    void OnBnClickedCancle();

protected:
    bool OnInitDialog() override;
    void SetBusy(unsigned char value) override { SetDownloadFlag(value); }
    void OnProgress(long percent) override;
    void OnFinished() override;
    void OnFailed() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<Ui::PrgDlgForm> m_ui;
    IUICUpload* m_pIUICUpload = nullptr;
    std::optional<QPoint> m_dragOffset;  // while dragged by hand
};
