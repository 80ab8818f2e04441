#pragma once
// The upload progress bar: a thin, semi-transparent, always-on-top bar near the top-right corner of the
// host's main window with the progress of the uploads the upload and property dialogs start, and a close
// button once the upload has ended. Its place is remembered between runs.

#include <QRect>
#include <cstdint>
#include <memory>
#include <string>

#include "function/ResizableDialog.h"
#include "platform/WinBase.h"

namespace Ui {
class ProgressDlgForm;
}

// One report for the bar.
struct tagProgressInfo {
    std::string strText;   // shown beside the bar (GB18030)
    int32_t nPos = 0;      // 0 to 100
    int32_t nRunning = 0;  // non-zero while the upload runs
};

class CUICProgressDlg final : public CResizableDialog, public SC_ORVA::IWinBase {
    Q_OBJECT
public:
    // The bar's home: this far in from the main window's right edge and down from its top.
    static constexpr int kHomeRightGap = 10;
    static constexpr int kHomeTopGap = 30;

    explicit CUICProgressDlg(QWidget* parent = nullptr);
    ~CUICProgressDlg() override;

    void Reset();
    void ShowProgress(const tagProgressInfo& report);
    void OnBnClickedButtonClose();
    bool SetLanguage() override;
    bool PostDestroyWin() override;

    QRect HomeRect() const { return m_rcHome; }

protected:
    bool OnInitDialog() override;

private:
    std::unique_ptr<Ui::ProgressDlgForm> m_ui;
    QRect m_rcText;
    QRect m_rcHome;
};
