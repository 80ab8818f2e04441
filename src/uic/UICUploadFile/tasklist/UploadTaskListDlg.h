#pragma once
// The upload task list: one row per upload task of the account, read from the engine adapter, each row
// owning its record. It tells whether an upload runs, remembers which uploads the user paused (stored on
// the service through the component), continues the uploads left waiting in the engine's sync phase when
// the network comes back, and stops everything at logout.

#include <memory>
#include <vector>

#include "function/ORVATip.h"
#include "function/ResizableDialog.h"
#include "host/UIUploadDefine.h"
#include "platform/WinBase.h"
#include "platform/WindowTimers.h"

class QTableWidget;

namespace Ui {
class UploadTaskListForm;
}

class CUploadTaskListDlg final : public CResizableDialog, public SC_ORVA::IWinBase {
    Q_OBJECT
public:
    // Follows the continued uploads until none is left in the sync phase.
    static constexpr unsigned kContinueTimer = 100;
    static constexpr unsigned kContinuePeriod = 1000;
    // Keeps the rows current while the list is on screen.
    static constexpr unsigned kRefreshTimer = 101;
    static constexpr unsigned kRefreshPeriod = 1000;

    explicit CUploadTaskListDlg(QWidget* parent = nullptr);
    ~CUploadTaskListDlg() override;

    // Reads the upload tasks from the engine adapter again: a new task gets a row at the end, the row of a
    // task that is gone leaves, every other row takes its task's state, size and progress.
    void Reload();
    // True when the task (0: any task) is in state 2.
    bool IsFileOnUploading(int32_t fileId) const;
    // Collects the ids of the paused rows and has the component store them on the service.
    void SavePauseId();
    // Notes the uploads a network loss interrupts (waiting or running now): the transfer list pauses them
    // as the loss is handled, and they continue with the others when the network is back.
    void OnNetworkLost();
    // Continues every upload in state 5 that the user had not paused, and those the loss interrupted.
    void OnFileTaskContinue();
    // Stops the timers, pauses each running upload and removes every row, last to first.
    void ClearAll();
    void OnTimer(unsigned id);

    bool SetLanguage() override;
    bool PostDestroyWin() override;

    int RowCount() const { return static_cast<int>(m_vecRecords.size()); }
    const tagFileInfo* Record(int row) const;
    const std::vector<long>& PausedIds() const { return m_vecPauseId; }
    const std::vector<long>& InterruptedIds() const { return m_vecTaskId; }
    bool IsTimerRunning(unsigned id) const { return m_timers.IsActive(id); }
    QTableWidget* List() const;
    COrvaTip& Tip() { return m_tip; }

protected:
    bool OnInitDialog() override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void AppendRow(tagFileInfo record);
    void RemoveRow(int row);
    void WriteRow(int row);
    bool AnyRowInState(int32_t state) const;

    std::unique_ptr<Ui::UploadTaskListForm> m_ui;
    // One record per row, in row order.
    std::vector<std::unique_ptr<tagFileInfo>> m_vecRecords;
    std::vector<long> m_vecPauseId;
    // The uploads the last network loss interrupted; emptied once they are continued, and by ClearAll.
    std::vector<long> m_vecTaskId;
    WindowTimers m_timers;
    COrvaTip m_tip;
};
