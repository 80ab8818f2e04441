#pragma once
// A small self-drawn notification popup: rounded corners, a vertical colour gradient, a one-pixel border,
// a level icon on the left and white text on the right. It hides after a configurable time, when clicked
// or when it loses activation. Colours and display time come from "./config.ini", section "TIPINFO".

#include <QPointer>
#include <QRect>
#include <cstdint>
#include <memory>
#include <string>

class QWidget;
class WindowTimers;

class COrvaTip final {
public:
    // The settings of one pop-up; colours are 0x00BBGGRR values.
    struct tagTipInfo {
        int32_t nMainColor = 0;
        int32_t nAssistColor = 16777215;
        int32_t nBorderColor = 0;
        int32_t nShowTime = 3000;
    };

    static constexpr unsigned kHideTimer = 2;
    static constexpr int kTipWidth = 192;  // text origin 57 - margin 15 + 150 of text
    static constexpr int kShortTipWidth = 142;
    static constexpr int kTipHeight = 70;
    static constexpr int kScreenGap = 10;

    COrvaTip();
    ~COrvaTip();
    COrvaTip(const COrvaTip&) = delete;
    COrvaTip& operator=(const COrvaTip&) = delete;

    // Creates the popup window owned by parent (or by none); 1 on success, 0 on failure.
    int CreateWnd(QWidget* parent);
    // Shows text (GB18030) next to the anchor, or at the bottom-right of the screen without one, with the
    // icon of the level. 0, or -1 when the window cannot be created.
    int PopToolTip(const std::string& text, QWidget* anchor, int level);
    // Hides and destroys the window, if there is one.
    void ClearState();
    void OnTimer(unsigned id);

    static tagTipInfo GetToolTipInfo();
    // The tip's screen rectangle for a text of textBytes bytes next to the anchor rectangle, kept inside
    // a screen of the given size.
    static QRect PlaceTip(size_t textBytes, const QRect& anchor, const QSize& screen);

    QWidget* Window() const;
    QRect TipRect() const { return m_rcTip; }
    // Period of the running hide timer, or 0.
    unsigned HideTimerPeriod() const;

private:
    class CTipWindow;

    void DrawTipWnd(const std::string& text, const tagTipInfo& info, int level);
    CTipWindow* TipWindow() const;

    // The owner window deletes the tip with itself, so the tip is only watched here.
    QPointer<QWidget> m_pWnd;
    std::unique_ptr<WindowTimers> m_pTimers;
    QRect m_rcTip;
};
