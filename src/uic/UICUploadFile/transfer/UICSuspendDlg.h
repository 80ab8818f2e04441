#pragma once
// The floating window: a tiny always-on-top window beside the host's main window with the overall upload
// and download percentages (or a logo while nothing moves). Dragged by any point; a double click opens or
// hides the transfer list, a right click offers a small menu. Its place is remembered between runs.

#include <memory>
#include <string>

#include "function/ResizableDialog.h"
#include "platform/WinBase.h"

namespace Ui {
class SuspendDlgForm;
}

class CUICSuspendDlg final : public CResizableDialog, public SC_ORVA::IWinBase {
    Q_OBJECT
public:
    // Offset of the window's first place from the main window's top-left corner.
    static constexpr int kOffsetX = 715;
    static constexpr int kOffsetY = 63;

    explicit CUICSuspendDlg(QWidget* parent = nullptr);
    ~CUICSuspendDlg() override;

    void RefreshUploadProgress(const std::string& text);
    void RefreshDownloadProgress(const std::string& text);
    // SW_SHOW shows the logo instead of the two texts; any other command shows the texts and gives the
    // logo that command.
    void ShowLogo(int showCommand);
    void HideWindow();
    void OnMenuHide();
    void OnMenuOpen();
    void OnNcRButtonDown(const QPoint& screenPoint);
    bool SetLanguage() override;
    bool PostDestroyWin() override;

protected:
    bool OnInitDialog() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void SetPercentText(int id, const std::string& text);

    std::unique_ptr<Ui::SuspendDlgForm> m_ui;
    QPoint m_dragOffset;
};
